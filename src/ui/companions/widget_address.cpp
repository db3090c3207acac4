#include "ui/companions/widget_address.h"

#include <vector>

#include "analysis/audio_address.h"
#include "analysis/item_extraction.h"
#include "analysis/link_kind.h"
#include "analysis/result_row.h"
#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr std::string_view kWidgetPath = "/style/swf/widget.swf?";
constexpr std::string_view kWidgetQuery = "sid={id}&type={t}&auto=1&width=320&height=66";
constexpr int kSongDetailKind = kindIndex(LinkKind::Song);
constexpr int kProgrammeDetailKind = kindIndex(LinkKind::Programme);

std::string webAddress(std::string_view pathAndQuery) {
    return "http://" + std::string(kWebHost) + std::string(pathAndQuery);
}

}  // namespace

std::string buildWidgetAddress(const std::string& id, const std::string& type) {
    const std::string address = webAddress(std::string(kWidgetPath) + std::string(kWidgetQuery));
    return replaceAllNoCase(replaceAllNoCase(address, "{t}", type), "{id}", id);
}

std::string songPageAddress(const std::string& id) { return webAddress("/#/song?id=" + id); }

std::string playlistPageAddress(const std::string& id) { return webAddress("/playlist?id=" + id); }

std::string playlistLinkAddress(const std::string& id) { return webAddress("/#/playlist?id=" + id); }

std::optional<WidgetRequest> parseWidgetAddress(const std::string& address) {
    const std::size_t path = findNoCase(address, kWidgetPath);
    if (path == std::string::npos) return std::nullopt;
    WidgetRequest request;
    bool named = false;
    for (const std::string& pair : splitText(address.substr(path + kWidgetPath.size()), "&")) {
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = asciiLower(pair.substr(0, equals));
        if (key == "sid") {
            request.id = pair.substr(equals + 1);
            named = true;
        }
        if (key == "type") request.type = pair.substr(equals + 1);
    }
    if (!named) return std::nullopt;
    return request;
}

std::string resolveWidgetAudio(const WidgetRequest& request, HttpTransport& http) {
    const int kind = request.type == "2" ? kSongDetailKind : request.type == "3" ? kProgrammeDetailKind : -1;
    if (kind < 0) return {};
    std::string id = request.id;
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    // The detail answers carry no count placeholder, so the maximum count does not matter.
    fetchItems(id, kind, tracks, programmes, http, 1);
    if (kind == kSongDetailKind) {
        if (tracks.empty()) return {};
        // A song the service knows but whose address it withholds plays through the outer address.
        const std::string& audio = tracks.front().audioAddress;
        return isMissingAudioAddress(audio) ? outerAudioAddress(request.id) : audio;
    }
    return programmes.empty() ? std::string() : programmes.front().audioAddress;
}

}  // namespace velomir

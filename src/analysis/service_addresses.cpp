#include "analysis/service_addresses.h"

#include <cstdint>
#include <string_view>

#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr std::string_view kWidgetPath = "/style/swf/widget.swf?";
constexpr std::string_view kWidgetQuery = "sid={id}&type={t}&auto=1&width=320&height=66";

std::string webAddress(std::string_view pathAndQuery) {
    return "http://" + std::string(kMainHost) + std::string(pathAndQuery);
}

}  // namespace

std::string songPageAddress(const std::string& id) { return webAddress("/#/song?id=" + id); }

std::string albumPageAddress(const std::string& id) { return webAddress("/#/album?id=" + id); }

std::string radioPageAddress(const std::string& id) { return webAddress("/#/djradio?id=" + id); }

std::string artistPageAddress(const std::string& id) { return webAddress("/artist?id=" + id); }

std::string playlistPageAddress(const std::string& id) { return webAddress("/playlist?id=" + id); }

std::string playlistLinkAddress(const std::string& id) { return webAddress("/#/playlist?id=" + id); }

std::string buildWidgetAddress(const std::string& id, std::string_view type) {
    const std::string address = webAddress(std::string(kWidgetPath) + std::string(kWidgetQuery));
    return replaceAllNoCase(replaceAllNoCase(address, "{t}", type), "{id}", id);
}

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

std::string outerAudioAddress(const std::string& trackId) {
    const std::int64_t id = integerValue64(trackId);
    if (id <= 0) return {};
    return "http://" + std::string(kMainHost) + "/song/media/outer/url?id=" + std::to_string(id) + ".mp3";
}

}  // namespace velomir

#include "service_answers.h"

#include <algorithm>

#include "artist_page.h"
#include "download_items.h"
#include "hostile_answers.h"
#include "json_writer.h"
#include "lyric_answers.h"
#include "media_answers.h"
#include "radio_programmes.h"
#include "text/text_helpers.h"
#include "track_json.h"
#include "withheld_tracks.h"

namespace velomir {
namespace {

constexpr std::int64_t kSamplePlaylistId = 2330887406;
constexpr std::int64_t kSampleAlbumId = 35799123;
constexpr std::int64_t kSampleArtistId = 101368;
constexpr std::string_view kNotFound = R"({"code":404,"msg":"该资源不存在。"})";
constexpr std::string_view kShortLinkHost = "163cn.tv";
constexpr std::string_view kOuterPath = "/song/media/outer/url";

// The short links the service's apps hand out, by code. The first is a real share link's shape: a mobile
// address whose first digits are the app's version, not the ID.
struct ShortLink {
    std::string_view code;
    std::string_view target;  // a path on the short-link host stays there; anything else leaves it
};
constexpr ShortLink kShortLinks[] = {
    {"zHy7Ta", "https://y.music.163.com/m/song?app_version=8.9.20&id=436514312&uct2=U2FsdGVkX1&dlt=0846"},
    {"pL9xQ2", "https://music.163.com/playlist?id=2330887406&userid=114919437"},
    {"hop3Kd", "/pL9xQ2"},
    {"l00pXx", "/l00pXx"},
};

std::string hostName(std::string_view host) { return asciiLower(host.substr(0, host.find(':'))); }

StubAnswer jsonAnswer(std::string body) { return StubAnswer{200, std::string(kJsonType), std::move(body), {}, true}; }

std::string samplePlaylistBody(std::string_view base) {
    JsonWriter out;
    out.openObject().openObject("result").literal("subscribers", "[]").literal("subscribed", "false");
    writeCreator(out, base);
    out.literal("artists", "null").openArray("tracks");
    int position = 0;
    for (const SampleTrack& track : samplePlaylistTracks()) {
        writeTrack(out, track, base, listStyle(track.audio, ++position));
    }
    out.close().literal("updateFrequency", "null").number("backgroundCoverId", 0);
    out.literal("ordered", "true").number("status", 0).number("trackCount", position).number("playCount", 1208537);
    out.text("coverImgUrl", coverAddress(base, 109951163450112345)).number("specialType", 0);
    out.literal("anonimous", "false").number("createTime", 1532448502712).number("privacy", 0);
    out.text("description", "\\u201c私藏\\u201d的歌，慢慢听\\u2026\\n华语、English、日本語，混在一起。");
    out.literal("tags", R"(["华语","流行"])").text("name", "温柔的夜晚｜华语 English mix");
    out.number("id", kSamplePlaylistId).number("commentCount", 48).close();
    return out.number("code", 200).take();
}

// A playlist too big to hold: the generated answer streamed as it is made.
StubAnswer streamedAnswer(GeneratedPlaylists& generated, std::int64_t id) {
    StubAnswer answer = jsonAnswer({});
    answer.stream = [&generated, id](const PieceSink& sink) { generated.write(id, sink); };
    return answer;
}

std::string trimmedPath(std::string path) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

int countParam(const StubRequest& request, const std::string& name, int fallback) {
    const std::string text = request.param(name);
    return text.empty() ? fallback : std::max(0, integerValue32(text));
}

}  // namespace

std::string StubRequest::param(const std::string& name) const {
    const auto found = params.find(name);
    return found == params.end() ? std::string() : found->second;
}

StubAnswer notFoundAnswer() { return jsonAnswer(std::string(kNotFound)); }

ServiceAnswers::ServiceAnswers(std::string baseAddress, ServiceEra era)
    : base_(baseAddress), generated_(baseAddress), today_(std::move(baseAddress), era) {}

StubAnswer ServiceAnswers::answer(const StubRequest& request) {
    const std::string path = trimmedPath(request.path);
    const std::int64_t id = integerValue64(request.param("id"));
    if (path == "/api/playlist/detail") return playlist(id);
    if (path.starts_with("/api/album/")) return album(integerValue64(path.substr(11)));
    if (path == "/api/v6/playlist/detail") return v6Playlist(request);
    if (path == "/api/song/detail") return songDetail(request.param("ids"));
    if (path == "/api/song/lyric") return lyrics(id);
    if (path == "/api/dj/program/detail") return programme(id);
    if (path == "/api/dj/program/byradio") {
        return radio(integerValue64(request.param("radioId")), countParam(request, "limit", 30),
                     countParam(request, "offset", 0));
    }
    if (path == "/artist") return artistPage(id);
    if (path == "/api/artist") return today_.artistJson(id);
    if (path.starts_with("/api/artist/")) return today_.artistJson(integerValue64(path.substr(12)));
    if (path == "/404") return notFoundPage();
    if (path == "/search/get" || path == "/api/search/get") {
        return search(request.param("s"), countParam(request, "limit", 30), countParam(request, "offset", 0));
    }
    if (path.starts_with("/cover/")) return coverAnswer(path.substr(7), request.param("param"));
    if (path.starts_with("/audio/")) return audioAnswer(path.substr(7));
    StubAnswer missing = notFoundAnswer();
    missing.status = 404;
    return missing;
}

std::optional<std::string> ServiceAnswers::redirectTarget(const StubRequest& request, std::string_view host) {
    const std::string path = trimmedPath(request.path);
    if (hostName(host) == kShortLinkHost) {
        for (const ShortLink& link : kShortLinks) {
            if (path.size() > 1 && path.substr(1) == link.code) {
                return link.target.starts_with("/") ? "http://" + std::string(host) + std::string(link.target)
                                                    : std::string(link.target);
            }
        }
        return std::string();
    }
    if (path == "/api/playlist/detail") return hostileRedirect(integerValue64(request.param("id")));
    if (path != kOuterPath) return std::nullopt;
    // "id=ID.mp3": the audio file of every song the service knows.
    const std::int64_t id = integerValue64(request.param("id"));
    if (auto target = today_.outerTarget(id, host)) return target;
    if (auto target = downloadItemsOuterTarget(id, host, base_)) return target;
    if (id <= 0 || songObject(id).empty()) return std::string();
    return audioAddress(base_, id);
}

StubAnswer ServiceAnswers::playlist(std::int64_t id) {
    if (auto whole = downloadItemsPlaylistBody(id, base_)) return jsonAnswer(std::move(*whole));
    if (auto cut = today_.oldPlaylist(id)) return std::move(*cut);
    if (id == kSamplePlaylistId) return jsonAnswer(samplePlaylistBody(base_));
    if (id == kWithheldPlaylistId) return jsonAnswer(withheldPlaylistBody(base_));
    if (today_.today() && GeneratedPlaylists::trackCount(id) > kOldPlaylistLimit) {
        StubAnswer answer = jsonAnswer({});
        answer.stream = [this, id](const PieceSink& sink) { generated_.writeFirst(id, kOldPlaylistLimit, sink); };
        return answer;
    }
    if (GeneratedPlaylists::trackCount(id) > 0) return streamedAnswer(generated_, id);
    if (auto hostile = hostilePlaylist(id)) return std::move(*hostile);
    return notFoundAnswer();
}

StubAnswer ServiceAnswers::album(std::int64_t id) const {
    if (id != kSampleAlbumId) return notFoundAnswer();
    const SampleTrack& first = sampleAlbumSongs().front();
    JsonWriter out;
    out.openObject().literal("songs", "[]").number("code", 200).openObject("album").openArray("songs");
    int position = 0;
    for (const SampleTrack& song : sampleAlbumSongs())
        writeTrack(out, song, base_, listStyle(song.audio, ++position, true));
    out.close().literal("paid", "false").literal("onSale", "false").text("tags", "");
    out.number("pic", first.pictureId).text("blurPicUrl", coverAddress(base_, first.pictureId));
    out.number("companyId", 0).literal("alias", "[]").number("status", 3).text("subType", "录音室版");
    out.text("description", "2Cellos \\u201cDespacito\\u201d 及电影配乐精选。").text("company", "索尼音乐");
    out.number("picId", first.pictureId).text("picUrl", coverAddress(base_, first.pictureId));
    out.number("publishTime", 1500566400007).text("commentThreadId", "R_AL_3_35799123");
    out.text("name", first.albumName).number("id", id).text("type", "专辑").number("size", position);
    return jsonAnswer(out.take());
}

// Detail answers always carry a usable address: that is how the client completes a list without one.
std::string ServiceAnswers::songObject(std::int64_t id) {
    if (auto song = today_.songObject(id)) return std::move(*song);
    if (auto song = downloadItemsSongObject(id, base_)) return std::move(*song);
    JsonWriter out;
    SampleTrack song{};
    if (const SampleTrack* withheld = findWithheldTrack(id)) {
        TrackStyle style;
        style.audio = withheldDetailAudio(id);
        writeTrack(out, *withheld, base_, style);
        return out.take();
    }
    if (const SampleTrack* sample = findSampleTrack(id))
        song = *sample;
    else if (!findProgrammeSong(id, song) && !findSearchTrack(id, song)) {
        return generated_.songDetailTrack(id).value_or(std::string());
    }
    writeTrack(out, song, base_, {});
    return out.take();
}

StubAnswer ServiceAnswers::songDetail(std::string_view ids) {
    std::vector<std::int64_t> asked;
    for (const std::string& idText : splitText(replaceAll(replaceAll(ids, "[", ""), "]", ""), ",")) {
        asked.push_back(integerValue64(idText));
    }
    if (today_.refusesSongDetail(asked)) return tooManyIdsAnswer();
    std::vector<std::string> found;
    bool withheld = false;
    for (const std::int64_t id : asked) {
        std::string song = id > 0 ? songObject(id) : std::string();
        withheld = withheld || findWithheldTrack(id) != nullptr;
        if (!song.empty()) found.push_back(std::move(song));
    }
    // Songs of the withheld list come back in reverse order, so that a client matching by position fails.
    if (withheld) std::reverse(found.begin(), found.end());
    std::string songs;
    for (const std::string& song : found) {
        songs += songs.empty() ? "" : ",";
        songs += song;
    }
    if (songs.empty()) return notFoundAnswer();
    return jsonAnswer(R"({"songs":[)" + songs + R"(],"equalizers":{},"code":200})");
}

// Every song that song detail knows has a lyric answer; removed songs and unknown IDs get the short 404 answer.
StubAnswer ServiceAnswers::lyrics(std::int64_t id) {
    if (id <= 0 || songObject(id).empty()) return notFoundAnswer();
    return jsonAnswer(lyricAnswerBody(id, base_));
}

StubAnswer ServiceAnswers::programme(std::int64_t id) const {
    const int index = programmeIndex(id);
    if (index < 0) return notFoundAnswer();
    JsonWriter out;
    out.openObject();
    writeProgramme(out, "program", index, base_);
    return jsonAnswer(out.number("code", 200).take());
}

StubAnswer ServiceAnswers::radio(std::int64_t id, int limit, int offset) const {
    if (id != kSampleRadioId) return notFoundAnswer();
    const int first = std::min(offset, kRadioProgrammeCount);
    const int end = std::min(kRadioProgrammeCount, first + limit);
    JsonWriter out;
    out.openObject().number("count", kRadioProgrammeCount).openArray("programs");
    for (int index = first; index < end; ++index) writeProgramme(out, {}, index, base_);
    out.close().literal("more", end < kRadioProgrammeCount ? "true" : "false");
    return jsonAnswer(out.number("code", 200).take());
}

StubAnswer ServiceAnswers::v6Playlist(const StubRequest& request) {
    const std::int64_t id = integerValue64(request.param("id"));
    const int n = countParam(request, "n", kOldPlaylistLimit);
    if (auto list = downloadItemsV6List(id, n)) return today_.v6Answer(*list);
    if (today_.today() && GeneratedPlaylists::trackCount(id) > 0) {
        // The generator names every playlist "temp", and so does its old answer.
        GeneratedPlaylists::V6Tracks tracks = generated_.v6Tracks(id, std::min(n, kV6TrackLimit));
        return today_.v6Answer({id, "temp", std::move(tracks.ids), std::move(tracks.tracks)});
    }
    return today_.v6Playlist(id, n);
}

StubAnswer ServiceAnswers::artistPage(std::int64_t id) const {
    if (auto page = today_.artistPage(id)) return std::move(*page);
    if (id == kManyTextAreasArtist) return manyTextAreasPage();
    if (id != kSampleArtistId) return notFoundAnswer();
    return StubAnswer{200, std::string(kHtmlType), artistPageHtml(base_), {}, true};
}

StubAnswer ServiceAnswers::search(const std::string& text, int limit, int offset) const {
    const bool pictureIdOnly = today_.searchWithoutPictures(text);
    JsonWriter out;
    out.openObject().openObject("result").number("songCount", kSearchTrackCount).openArray("songs");
    const int end = std::min(kSearchTrackCount, offset + limit);
    for (int index = offset; index < end; ++index) {
        SampleTrack track{};
        findSearchTrack(searchTrackId(index), track);
        // The best match carries the search text itself as its name.
        writeSearchTrack(out, track, base_, index == 0 ? jsonEscaped(text) : std::string(), pictureIdOnly);
    }
    out.close().close();
    return jsonAnswer(out.number("code", 200).take());
}

}  // namespace velomir

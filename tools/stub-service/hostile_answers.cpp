#include "hostile_answers.h"

#include <string_view>

namespace velomir {
namespace {

constexpr std::string_view kListStart = R"({"result":{"tracks":[)";
constexpr std::string_view kListEnd = R"(]},"code":200})";

StubAnswer streamed(std::function<void(const PieceSink&)> write) {
    StubAnswer answer;
    answer.stream = std::move(write);
    return answer;
}

// `piece` `count` times, sent in blocks so that the whole never needs to be held.
bool repeat(const PieceSink& sink, std::string_view piece, std::size_t count) {
    std::string block;
    for (std::size_t i = 0; i < 4096; ++i) block += piece;
    for (std::size_t sent = 0; sent < count; sent += 4096) {
        const std::size_t now = std::min<std::size_t>(4096, count - sent);
        if (!sink(std::string_view(block).substr(0, now * piece.size()))) return false;
    }
    return true;
}

StubAnswer deepNesting() {
    return streamed([](const PieceSink& sink) {
        constexpr std::size_t kDepth = 1000000;
        sink(kListStart) && repeat(sink, "[", kDepth) && repeat(sink, "]", kDepth) && sink(kListEnd);
    });
}

StubAnswer giantString() {
    return streamed([](const PieceSink& sink) {
        constexpr std::size_t kLength = 50 * 1000 * 1000;
        sink(kListStart) && sink(R"({"name":")") && repeat(sink, "x", kLength) &&
            sink(R"(","id":1,"artists":[{"name":"A"}]})") && sink(kListEnd);
    });
}

// Invalid UTF-8 in names, a NUL written as an escape inside one, and a raw NUL after the document with more
// JSON behind it, which the client must never read.
StubAnswer brokenBytes() {
    using namespace std::string_view_literals;
    std::string body(kListStart);
    body += "{\"name\":\"bad \xFF\xFE bytes \xC3\",\"id\":1,\"artists\":[{\"name\":\"\x80\xBF\"}]},"sv;
    body += R"({"name":"nul\u0000inside","id":2,"album":{"name":")"sv;
    body += "\xED\xA0\x80\"}}"sv;
    body += kListEnd;
    body += "\0{\"result\":{\"tracks\":[{\"name\":\"after the zero\"}]}}"sv;
    StubAnswer answer;
    answer.body = std::move(body);
    return answer;
}

StubAnswer crowdedTrack() {
    return streamed([](const PieceSink& sink) {
        constexpr std::size_t kArtists = 100000;
        sink(kListStart) && sink(R"({"name":"Crowded","id":1,"artists":[)") &&
            repeat(sink, R"({"name":"A","id":1},)", kArtists - 1) && sink(R"({"name":"Z","id":2}]})") && sink(kListEnd);
    });
}

StubAnswer emptyObjects() {
    return streamed([](const PieceSink& sink) {
        constexpr std::size_t kObjects = 200000;
        sink(kListStart) && repeat(sink, "{},", kObjects - 1) && sink("{}") && sink(kListEnd);
    });
}

}  // namespace

std::optional<StubAnswer> hostilePlaylist(std::int64_t id) {
    switch (id) {
        case kDeepNestingPlaylist:
            return deepNesting();
        case kGiantStringPlaylist:
            return giantString();
        case kBrokenBytesPlaylist:
            return brokenBytes();
        case kCrowdedTrackPlaylist:
            return crowdedTrack();
        case kEmptyObjectsPlaylist:
            return emptyObjects();
        default:
            return std::nullopt;
    }
}

std::optional<std::string> hostileRedirect(std::int64_t playlistId) {
    if (playlistId == kFileRedirectPlaylist) return "file:///etc/passwd";
    if (playlistId == kFtpRedirectPlaylist) return "ftp://127.0.0.1/playlist.json";
    return std::nullopt;
}

StubAnswer manyTextAreasPage() {
    std::string page = "<html><body>";
    page += R"(<textarea style="display:none;">[{"name":"Hidden","id":1,"artists":[{"name":"A","id":1}]}]</textarea>)";
    for (int i = 1; i < 10000; ++i) page += R"(<textarea style="display:none;">[{"name":"More"}]</textarea>)";
    page += "</body></html>";
    return StubAnswer{200, std::string(kHtmlType), std::move(page), {}, true};
}

}  // namespace velomir

#include "song_audio.h"

#include "download_items.h"
#include "mp3_tone.h"

namespace velomir {
namespace {

// What a web server sends when it has no file but answers as if it had.
constexpr std::string_view kHtmlAudio =
    "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>网易云音乐</title>\n</head>\n<body>\n"
    "<p>The file you asked for has moved. 你要的文件已经不在这里了。</p>\n</body>\n</html>\n";

}  // namespace

std::string songAudio(std::int64_t songId) {
    if (songId <= 0) return {};
    const auto seed = static_cast<std::uint64_t>(songId);
    switch (audioFaultOf(songId)) {
        case AudioFault::RedirectTo404:
            return {};
        case AudioFault::HtmlAsAudio:
            return std::string(kHtmlAudio);
        default:
            break;
    }
    if (!isDownloadItemSong(songId)) return toneMp3(seed);
    // Digits only, so that the bytes never spell a tag or a frame sync.
    std::string mark(1, ' ');
    mark += std::to_string(songId);
    mark.push_back(' ');
    return toneMp3(seed, downloadAudioFrames(songId), mark);
}

}  // namespace velomir

#include "artist_page.h"

#include "json_writer.h"
#include "sample_tracks.h"
#include "track_json.h"

namespace velomir {
namespace {

constexpr std::int64_t kSampleArtistId = 101368;

std::string pageHead(const ArtistPage& artist) {
    const std::string name(artist.name);
    const std::string id = std::to_string(artist.id);
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + name +
           " - 歌手 - 网易云音乐</title>\n<meta name=\"keywords\" content=\"" + std::string(artist.keywords) +
           "\">\n<style>.f-hide{display:none;}.m-table{width:640px;}</style>\n</head>\n<body>\n"
           "<div class=\"g-bd4 f-cb\">\n<h2 id=\"artist-name\" data-rid=\"" +
           id + "\" title=\"" + name + "\">" + name + "</h2>\n<ul class=\"f-hide\">\n";
}

constexpr std::string_view kTail = R"(</div>
<script type="text/javascript">window.GRecommendation = true;</script>
</body>
</html>
)";

}  // namespace

std::string artistPageHtml(std::string_view base, const ArtistPage& artist) {
    std::string page = pageHead(artist);
    for (const SampleTrack& song : artist.songs) {
        page += "<li><a href=\"/song?id=" + std::to_string(song.id) + "\">";
        page += song.name;
        page += "</a></li>\n";
    }
    page += "</ul>\n";
    if (artist.hiddenList) {
        JsonWriter songs;
        songs.openArray();
        for (const SampleTrack& song : artist.songs) writeSearchTrack(songs, song, base);
        page += "<div id=\"song-list-pre-cache\">\n<textarea style=\"display:none;\">";
        page += songs.take();
        page += "</textarea>\n</div>\n";
    }
    page += kTail;
    return page;
}

std::string artistPageHtml(std::string_view base, bool hiddenList) {
    return artistPageHtml(base,
                          {"2Cellos", "2Cellos,Sulic &amp; Hauser", kSampleArtistId, sampleArtistSongs(), hiddenList});
}

}  // namespace velomir

#include "artist_page.h"

#include "json_writer.h"
#include "sample_tracks.h"
#include "track_json.h"

namespace velomir {
namespace {

constexpr std::string_view kHead = R"(<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>2Cellos - 歌手 - 网易云音乐</title>
<meta name="keywords" content="2Cellos,Sulic &amp; Hauser">
<style>.f-hide{display:none;}.m-table{width:640px;}</style>
</head>
<body>
<div class="g-bd4 f-cb">
<h2 id="artist-name" data-rid="101368" title="2Cellos">2Cellos</h2>
<ul class="f-hide">
)";

constexpr std::string_view kTail = R"(</div>
<script type="text/javascript">window.GRecommendation = true;</script>
</body>
</html>
)";

}  // namespace

std::string artistPageHtml(std::string_view base) {
    std::string page(kHead);
    for (const SampleTrack& song : sampleArtistSongs()) {
        page += "<li><a href=\"/song?id=" + std::to_string(song.id) + "\">";
        page += song.name;
        page += "</a></li>\n";
    }
    JsonWriter songs;
    songs.openArray();
    for (const SampleTrack& song : sampleArtistSongs()) writeSearchTrack(songs, song, base);
    page += "</ul>\n<div id=\"song-list-pre-cache\">\n<textarea style=\"display:none;\">";
    page += songs.take();
    page += "</textarea>\n</div>\n";
    page += kTail;
    return page;
}

}  // namespace velomir

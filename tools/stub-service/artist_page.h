// The artist's web page: HTML whose hidden text area holds the song list as JSON.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sample_tracks.h"

namespace velomir {

struct ArtistPage {
    std::string_view name;
    std::string_view keywords;  // HTML text, escaped
    std::int64_t id;
    std::span<const SampleTrack> songs;
    bool hiddenList = true;  // today's pages may come without the text area
};

// An artist's page. It holds no "%": the client percent-decodes the whole page before reading it.
std::string artistPageHtml(std::string_view base, const ArtistPage& artist);

// The sample artist's page.
std::string artistPageHtml(std::string_view base, bool hiddenList = true);

}  // namespace velomir

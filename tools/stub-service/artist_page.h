// The artist's web page: HTML whose hidden text area holds the song list as JSON.
#pragma once

#include <string>
#include <string_view>

namespace velomir {

// The sample artist's page. It holds no "%": the client percent-decodes the whole page before reading it.
std::string artistPageHtml(std::string_view base);

}  // namespace velomir

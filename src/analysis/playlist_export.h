// A whole list handed over at once: its audio addresses as lines, or an extended M3U playlist.
#pragma once

#include <string>
#include <vector>

#include "analysis/link_kind.h"
#include "analysis/result_row.h"

namespace velomir {

// Every row's audio address, one per line in row order (no break after the last); rows without one are left out.
std::string audioAddressLines(const std::vector<ResultRow>& rows);

// "#EXTM3U", "#PLAYLIST:title", then "#EXTINF:-1,artists - name" and the address for every row that has one.
// Programme rows name the DJ and the programme. Line breaks inside texts become spaces.
std::string m3uPlaylist(const std::vector<ResultRow>& rows, RecordType recordType, const std::string& title);

}  // namespace velomir

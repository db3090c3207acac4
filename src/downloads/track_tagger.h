// ID3v2.3 tags for a saved MP3 file, text in UTF-16 so that CJK names read on every player.
#pragma once

#include <string>

namespace velomir {

struct TrackTags {
    std::string title;
    std::string artists;  // joined as the grid shows them ("A/B")
    std::string album;
    int trackNumber = 0;  // 1-based; 0: none
    int trackCount = 0;
    std::string coverBytes;  // JPEG or PNG as served; empty: none
    std::string lyrics;      // unsynchronised lyrics (LRC text); empty: none
    std::string trackId;     // the service's ID, in a user text frame, so that a file can be traced back
};

// Replaces every tag of the MP3 data in `bytes` (ID3v1, APE and older ID3v2 go) by one ID3v2.3 tag; false when the
// bytes are no MP3 TagLib can read. The audio frames are left byte for byte.
bool tagMp3(std::string& bytes, const TrackTags& tags);

}  // namespace velomir

// Failed comparisons of kinds and record types name them, not their bytes.
#pragma once

#include <ostream>

#include "analysis/link_kind.h"

namespace velomir {

inline void PrintTo(LinkKind kind, std::ostream* out) {
    static constexpr const char* kNames[] = {"Playlist", "Album", "Song", "Programme", "Radio", "Artist", "Search"};
    const int index = kindIndex(kind);
    *out << (index >= 0 && index < kKindCount ? kNames[index] : "Unrecognised");
}

inline void PrintTo(RecordType type, std::ostream* out) {
    *out << (type == RecordType::Programme ? "Programme" : "Track");
}

}  // namespace velomir

// The kinds of item the service's links name, and what every layer asks of a kind: the one table of kinds.
#pragma once

#include <array>

namespace velomir {

// Numbered as the service catalogue numbers them (its entry index).
enum class LinkKind : int { Playlist = 0, Album = 1, Song = 2, Programme = 3, Radio = 4, Artist = 5, Search = 6 };
inline constexpr int kKindCount = 7;
// The kind of input that is not recognised.
inline constexpr int kUnrecognised = -1;

constexpr int kindIndex(LinkKind kind) { return static_cast<int>(kind); }
constexpr bool isKind(int index, LinkKind kind) { return index == kindIndex(kind); }

// What a kind's items become; `currentFieldSet` holds the number.
enum class RecordType : int { Track = 1, Programme = 2 };
inline constexpr int kTrackRecord = static_cast<int>(RecordType::Track);
inline constexpr int kProgrammeRecord = static_cast<int>(RecordType::Programme);

enum class FieldSetName { Track, Programme, Search };  // the field set the extraction reads
enum class AlbumJump { Album, Radio, None };           // where the detail pane's album label leads

// Captions of the detail pane's album, artist and source labels and of the source name.
struct CaptionSet {
    const char* album;
    const char* artist;
    const char* source;
    const char* sourceName;
};

struct KindTraits {
    const char* label;  // put before the link box text after a run: "[歌单]"
    std::array<const char*, 3> columnTitles;
    CaptionSet captions;
    FieldSetName fieldSet;
    int recordType;  // kTrackRecord or kProgrammeRecord
    AlbumJump albumJump;
};

// The traits of a kind. Any other value (an unrecognised input) looks like the artist kind, but its items would
// be tracks read with the track field set.
const KindTraits& kindTraits(int kind);

// The traits of every kind, in kind order.
const std::array<KindTraits, kKindCount>& allKindTraits();

// The player widget's type for a record type: "2" plays a song, "3" a programme.
const char* widgetTypeOf(int recordType);

}  // namespace velomir

// The kinds of item the service's links name, and what every layer asks of a kind: the one table of kinds.
#pragma once

#include <array>
#include <string_view>

namespace velomir {

// Playlist to Search number the rows of the kind table.
enum class LinkKind : int {
    Unrecognised = -1,  // input that names no kind; the command line prints it as -1
    Playlist = 0,
    Album = 1,
    Song = 2,
    Programme = 3,
    Radio = 4,
    Artist = 5,
    Search = 6,
};
inline constexpr int kKindCount = 7;

constexpr int kindIndex(LinkKind kind) { return static_cast<int>(kind); }
// The kind of table row `index`; Unrecognised outside the table.
constexpr LinkKind kindAt(int index) {
    return index >= 0 && index < kKindCount ? static_cast<LinkKind>(index) : LinkKind::Unrecognised;
}

// What a kind's items become.
enum class RecordType : int { Track = 1, Programme = 2 };
// The set of answer fields the extraction reads for a kind.
enum class AnswerFields { Track, Programme, Search };
enum class AlbumJump { Album, Radio, None };  // where the detail pane's album label leads

// The search kind's key: text holding it is searched for, and it goes before the search words are sent.
inline constexpr std::string_view kSearchKey = "--s--";
// The player widget's types: a kind's record type gives its widget type.
inline constexpr std::string_view kSongWidget = "2";
inline constexpr std::string_view kProgrammeWidget = "3";

// Which service host a kind's requests go to.
enum class RequestHost { Main, Search };

// Captions of the detail pane's album, artist and source labels and of the source name.
struct CaptionSet {
    const char* album;
    const char* artist;
    const char* source;
    const char* sourceName;
};

struct KindTraits {
    std::string_view key;  // found in a link of the kind
    const char* label;     // put before the link box text after a run: "[歌单]"
    RequestHost host;
    std::string_view request;   // path and query after the host, with {id}, {n} and {u} placeholders
    std::string_view listPath;  // where the answer lists the items
    std::array<const char*, 3> columnTitles;
    CaptionSet captions;
    AnswerFields answerFields;
    RecordType recordType;
    AlbumJump albumJump;
};

// The traits of a kind. Unrecognised input looks like the artist kind, but its items would be tracks read with
// the track fields, and it has no key, request or list path.
const KindTraits& kindTraits(LinkKind kind);

// The traits of every kind, in kind order.
const std::array<KindTraits, kKindCount>& allKindTraits();

// The player widget's type for a record type.
std::string_view widgetTypeOf(RecordType recordType);

}  // namespace velomir

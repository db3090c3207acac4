#include "analysis/link_kind.h"

namespace velomir {

namespace {

constexpr CaptionSet trackCaptions(const char* sourceName) { return {"专辑", "歌手", "来源", sourceName}; }
constexpr CaptionSet radioCaptions(const char* sourceName) { return {"电台", "主播", "来源", sourceName}; }

constexpr std::array<KindTraits, kKindCount> kTraits{{
    {"playlist",
     "[歌单]",
     RequestHost::Main,
     "/api/playlist/detail?id={id}",
     "result.tracks.[n]",
     {"[歌单]名称", "歌手", "专辑"},
     trackCaptions("歌单"),
     AnswerFields::Track,
     RecordType::Track,
     AlbumJump::Album},
    {"album",
     "[专辑]",
     RequestHost::Main,
     "/api/album/{id}",
     "album.songs.[n]",
     {"[专辑]名称", "歌手", "专辑"},
     trackCaptions("专辑"),
     AnswerFields::Track,
     RecordType::Track,
     AlbumJump::Album},
    {"song",
     "[单曲]",
     RequestHost::Main,
     "/api/song/detail/?ids=[{id}]",
     "songs.[n]",
     {"[单曲]名称", "歌手", "专辑"},
     trackCaptions("单曲"),
     AnswerFields::Track,
     RecordType::Track,
     AlbumJump::Album},
    {"program",
     "[节目]",
     RequestHost::Main,
     "/api/dj/program/detail?id={id}",
     "program",
     {"[节目]名称", "主播", "电台"},
     radioCaptions("节目"),
     AnswerFields::Programme,
     RecordType::Programme,
     AlbumJump::Radio},
    {"djradio",
     "[电台]",
     RequestHost::Main,
     "/api/dj/program/byradio?limit={n}&radioId={id}",
     "programs.[n]",
     {"[电台]名称", "主播", "电台"},
     radioCaptions("电台"),
     AnswerFields::Programme,
     RecordType::Programme,
     AlbumJump::Radio},
    // The artist page hides its song list, in search answer form, in a text area.
    {"artist",
     "[歌手]",
     RequestHost::Main,
     "/artist?id={id}",
     "[n]",
     {"[歌手]名称", "歌手", "专辑"},
     trackCaptions("歌手"),
     AnswerFields::Search,
     RecordType::Track,
     AlbumJump::Album},
    {kSearchKey,
     "[搜索]",
     RequestHost::Search,
     "/search/get/?src=lofter&type=1&filterDj=true&s={u}&limit={n}&offset=0",
     "result.songs.[n]",
     {"[搜索]名称", "歌手", "专辑"},
     trackCaptions("搜索"),
     AnswerFields::Search,
     RecordType::Track,
     AlbumJump::None},
}};

constexpr KindTraits kUnrecognisedTraits{"",
                                         "[歌手]",
                                         RequestHost::Main,
                                         "",
                                         "",
                                         {"[歌手]名称", "歌手", "专辑"},
                                         trackCaptions("歌手"),
                                         AnswerFields::Track,
                                         RecordType::Track,
                                         AlbumJump::Album};

}  // namespace

const KindTraits& kindTraits(LinkKind kind) {
    const int index = kindIndex(kind);
    return index >= 0 && index < kKindCount ? kTraits[static_cast<std::size_t>(index)] : kUnrecognisedTraits;
}

const std::array<KindTraits, kKindCount>& allKindTraits() { return kTraits; }

std::string_view widgetTypeOf(RecordType recordType) {
    return recordType == RecordType::Track ? kSongWidget : kProgrammeWidget;
}

}  // namespace velomir

#include "analysis/link_kind.h"

namespace velomir {

namespace {

constexpr CaptionSet trackCaptions(const char* sourceName) { return {"专辑", "歌手", "来源", sourceName}; }
constexpr CaptionSet radioCaptions(const char* sourceName) { return {"电台", "主播", "来源", sourceName}; }

constexpr std::array<KindTraits, kKindCount> kTraits{{
    {"[歌单]",
     {"[歌单]名称", "歌手", "专辑"},
     trackCaptions("歌单"),
     FieldSetName::Track,
     kTrackRecord,
     AlbumJump::Album},
    {"[专辑]",
     {"[专辑]名称", "歌手", "专辑"},
     trackCaptions("专辑"),
     FieldSetName::Track,
     kTrackRecord,
     AlbumJump::Album},
    {"[单曲]",
     {"[单曲]名称", "歌手", "专辑"},
     trackCaptions("单曲"),
     FieldSetName::Track,
     kTrackRecord,
     AlbumJump::Album},
    {"[节目]",
     {"[节目]名称", "主播", "电台"},
     radioCaptions("节目"),
     FieldSetName::Programme,
     kProgrammeRecord,
     AlbumJump::Radio},
    {"[电台]",
     {"[电台]名称", "主播", "电台"},
     radioCaptions("电台"),
     FieldSetName::Programme,
     kProgrammeRecord,
     AlbumJump::Radio},
    {"[歌手]",
     {"[歌手]名称", "歌手", "专辑"},
     trackCaptions("歌手"),
     FieldSetName::Search,
     kTrackRecord,
     AlbumJump::Album},
    {"[搜索]",
     {"[搜索]名称", "歌手", "专辑"},
     trackCaptions("搜索"),
     FieldSetName::Search,
     kTrackRecord,
     AlbumJump::None},
}};

constexpr KindTraits kOtherTraits{
    "[歌手]",        {"[歌手]名称", "歌手", "专辑"}, trackCaptions("歌手"), FieldSetName::Track, kTrackRecord,
    AlbumJump::Album};

}  // namespace

const KindTraits& kindTraits(int kind) { return kind >= 0 && kind < kKindCount ? kTraits[kind] : kOtherTraits; }

const std::array<KindTraits, kKindCount>& allKindTraits() { return kTraits; }

const char* widgetTypeOf(int recordType) { return recordType == kTrackRecord ? "2" : "3"; }

}  // namespace velomir

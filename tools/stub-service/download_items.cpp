#include "download_items.h"

#include <algorithm>
#include <array>
#include <deque>
#include <vector>

#include "json_writer.h"
#include "mp3_tone.h"
#include "text/text_helpers.h"
#include "track_json.h"

namespace velomir {
namespace {

constexpr std::int64_t kFirstDownloadSong = 7600000001;
constexpr std::int64_t kFirstFaultSong = 7610000001;
constexpr std::int64_t kFirstHostileSong = 7620000001;
constexpr int kAlbumSongs = 20;  // the 200 songs come from ten albums, so a client fetches ten covers

// clang-format off
constexpr std::string_view kTitles[kAlbumSongs] = {
    "晚风", "Morning Light", "海边的信", "Paper Planes", "山丘上的猫", "Neon Rain", "夏夜", "Slow Motion", "旧时光",
    "Northern Lines", "风起时", "Golden Hour", "小城故事", "Blue Hours", "星河", "Run Away", "月光下", "Low Tide",
    "归途", "Last Train"};
constexpr SampleArtist kArtists[] = {
    {"南方乐团", 8800001}, {"Lena Park", 8800002}, {"陈一鸣", 8800003}, {"The Quiet Hours", 8800004},
    {"苏晓", 8800005}, {"Kite & Kettle", 8800006}, {"北岛", 8800007}, {"Mira Sol", 8800008}};
constexpr std::string_view kAlbums[] = {
    "晚风集", "City Lights", "海", "Paper Moon", "夏天的尾巴", "Slow Songs", "旧梦", "North", "星星点灯",
    "Last Train Home"};
constexpr std::string_view kFaultTitles[kAudioFaultCount] = {
    "Cut Short Once 断流一次", "Range Ignored 不理区间", "Busy Once 503", "Stalls Once 卡住一次",
    "Redirected to 404 跳到404", "HTML as Audio 网页冒充音频", "Outer Address Only 只有外链",
    "Outer Address to 404 外链失效"};
// clang-format on

struct HostileName {
    std::string_view name;  // plain text: escaped when the answer is written
    std::string_view artist;
};

// As the service writes a JSON string: a line end as \n, not \u000a.
std::string wireText(std::string_view text) { return replaceAll(jsonEscaped(text), "\\u000a", "\\n"); }

// A 300-byte name: 100 CJK characters of 3 bytes each.
std::string longCjkName() {
    constexpr std::string_view kCycle = "春夏秋冬风花雪月山水";
    std::string name;
    while (name.size() < 300) name += kCycle.substr(name.size() % kCycle.size(), 3);
    return name;
}

struct ItemList {
    std::int64_t id = 0;
    std::string_view name;
    std::vector<SampleTrack> tracks;
};

struct Items {
    std::deque<std::string> texts;  // stable storage for the tracks' views
    std::array<ItemList, 3> lists;

    std::string_view keep(std::string text) { return texts.emplace_back(std::move(text)); }
};

SampleTrack songOf(std::int64_t id, std::string_view name, SampleArtist artist, std::int64_t album) {
    SampleTrack song{};
    song.id = id;
    song.name = name;
    song.artists[0] = artist;
    song.albumId = album;
    song.pictureId = 109951166000000000 + album % 1000;
    song.audio = AudioForm::Address;
    song.durationMs = downloadAudioFrames(id) * kToneFrameMs;
    return song;
}

ItemList downloadList(Items& items) {
    ItemList list{kDownloadPlaylistId, "下载测试 200 首 Download Test", {}};
    for (int i = 0; i < kDownloadTrackCount; ++i) {
        const std::string_view name =
            items.keep(std::string(kTitles[i % kAlbumSongs]) + " No." + std::to_string(i + 1));
        SampleTrack song =
            songOf(kFirstDownloadSong + i, name, kArtists[i % std::size(kArtists)], 96000001 + i / kAlbumSongs);
        if (i % 5 == 4) song.artists[1] = kArtists[(i + 3) % std::size(kArtists)];
        song.albumName = kAlbums[i / kAlbumSongs];
        list.tracks.push_back(song);
    }
    return list;
}

ItemList faultList() {
    ItemList list{kAudioFaultPlaylistId, "传输故障 Transfer Faults", {}};
    for (int i = 0; i < kAudioFaultCount; ++i) {
        SampleTrack song = songOf(kFirstFaultSong + i, kFaultTitles[i], {"故障乐队 Faults", 8800101}, 96100001);
        song.albumName = "故障集";
        const AudioFault fault = static_cast<AudioFault>(i + 1);
        if (fault == AudioFault::OuterOnly || fault == AudioFault::OuterTo404) song.audio = AudioForm::Null;
        list.tracks.push_back(song);
    }
    return list;
}

ItemList hostileList(Items& items) {
    static const std::string kLongName = longCjkName();
    const HostileName names[] = {
        {"../../x", "路径 Path"},
        {"a/b", "AC/DC"},
        {kLongName, "长名字 Long Name"},
        {".", "Dot"},
        {"..", "Dot"},
        {"Line one\nLine two", "Newline"},
        {"Ref:rain", "Aimer"},
        {R"(C:\Windows\win.ini)", "Windows"},
        {R"(Why? <Not> "Now" | *)", "Reserved"},
        {" Trailing dots and blanks.. ", "Trim"},
        {"Same Song", "Same Artist"},
        {"Same Song", "Same Artist"},
    };
    ItemList list{kHostileNamesPlaylistId, "危险的名字 Hostile Names", {}};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        // One artist, one ID: rows told apart by their song IDs alone.
        std::size_t firstOfArtist = 0;
        while (names[firstOfArtist].artist != names[i].artist) ++firstOfArtist;
        const SampleArtist artist{items.keep(wireText(names[i].artist)),
                                  8800201 + static_cast<std::int64_t>(firstOfArtist)};
        SampleTrack song = songOf(kFirstHostileSong + static_cast<std::int64_t>(i), items.keep(wireText(names[i].name)),
                                  artist, 96200001);
        song.albumName = "危险的名字";
        list.tracks.push_back(song);
    }
    return list;
}

const Items& items() {
    static const Items built = [] {
        Items made;
        made.lists = {downloadList(made), faultList(), hostileList(made)};
        return made;
    }();
    return built;
}

const ItemList* findList(std::int64_t playlistId) {
    for (const ItemList& list : items().lists) {
        if (list.id == playlistId) return &list;
    }
    return nullptr;
}

const SampleTrack* findSong(std::int64_t songId) {
    for (const ItemList& list : items().lists) {
        const std::int64_t index = songId - list.tracks.front().id;
        if (index >= 0 && index < static_cast<std::int64_t>(list.tracks.size()))
            return &list.tracks[static_cast<std::size_t>(index)];
    }
    return nullptr;
}

}  // namespace

std::int64_t audioFaultSongId(AudioFault fault) { return kFirstFaultSong + static_cast<int>(fault) - 1; }

AudioFault audioFaultOf(std::int64_t songId) {
    const std::int64_t index = songId - kFirstFaultSong;
    return index >= 0 && index < kAudioFaultCount ? static_cast<AudioFault>(index + 1) : AudioFault::None;
}

bool isDownloadItemSong(std::int64_t songId) { return findSong(songId) != nullptr; }

// Between about 1.0 and 1.04 MB, so that files of different songs differ in size too.
int downloadAudioFrames(std::int64_t songId) { return 5200 + static_cast<int>(songId % 200); }

std::optional<std::string> downloadItemsPlaylistBody(std::int64_t playlistId, std::string_view base) {
    const ItemList* list = findList(playlistId);
    if (list == nullptr) return std::nullopt;
    JsonWriter out;
    out.openObject().openObject("result").literal("subscribers", "[]").literal("subscribed", "false");
    writeCreator(out, base);
    out.openArray("tracks");
    int position = 0;
    for (const SampleTrack& track : list->tracks) writeTrack(out, track, base, listStyle(track.audio, ++position));
    out.close().number("trackCount", position).number("playCount", 2048).number("privacy", 0);
    out.text("coverImgUrl", coverAddress(base, 109951166999000000 + playlistId % 1000)).text("name", list->name);
    out.number("id", playlistId).close();
    return out.number("code", 200).take();
}

std::optional<V6List> downloadItemsV6List(std::int64_t playlistId, int wanted) {
    const ItemList* list = findList(playlistId);
    if (list == nullptr) return std::nullopt;
    V6List v6{playlistId, list->name, {}, {}};
    const int shown = std::clamp(wanted, 0, kV6TrackLimit);
    int number = 0;
    for (const SampleTrack& track : list->tracks) {
        v6.trackIds.push_back(track.id);
        if (number++ < shown) v6.tracks.push_back({track, number, audioFaultOf(track.id) != AudioFault::OuterTo404});
    }
    return v6;
}

std::optional<std::string> downloadItemsSongObject(std::int64_t songId, std::string_view base) {
    const SampleTrack* song = findSong(songId);
    if (song == nullptr) return std::nullopt;
    TrackStyle style;
    style.audio = song->audio;
    JsonWriter out;
    writeTrack(out, *song, base, style);
    return out.take();
}

std::optional<std::string> downloadItemsOuterTarget(std::int64_t songId, std::string_view host, std::string_view base) {
    if (!isDownloadItemSong(songId)) return std::nullopt;
    if (audioFaultOf(songId) != AudioFault::OuterTo404) return audioAddress(base, songId);
    return host.empty() ? std::string(base) + "/404" : "http://" + std::string(host) + "/404";
}

}  // namespace velomir

#include "today_answers.h"

#include <algorithm>
#include <array>

#include "artist_page.h"
#include "json_writer.h"
#include "service_answers.h"
#include "track_json.h"
#include "withheld_tracks.h"

namespace velomir {
namespace {

constexpr std::int64_t kSamplePlaylistId = 2330887406;
constexpr std::int64_t kSampleArtistId = 101368;
constexpr std::int64_t kFirstWithheldId = 6000000001;
constexpr std::int64_t kFirstHotSongId = 7500000001;
constexpr int kHotSongCount = 50;
constexpr std::int64_t kCreatorId = 114919437;
constexpr std::int64_t kAddedAt = 1767573351833;  // when the newest song was added, in ms

// How the old playlist detail cuts a list: today it rarely gives the whole list.
enum class OldCut { OneTrack, Null, FirstThousand };

struct TodayList {
    std::int64_t id;
    std::string_view name;
    int count;
    OldCut cut;
    std::int64_t firstSongId;  // 0: the list's songs are sample tracks
};

constexpr TodayList kNewLists[] = {
    {kOneLeftPlaylistId, "只剩一首的歌单", 24, OldCut::OneTrack, 7100000001},
    {kNullTracksPlaylistId, "空着的歌单 Null", 157, OldCut::Null, 7200000001},
    {kRemovedSongsPlaylistId, "下架了七首", 2345, OldCut::FirstThousand, 7300000001},
    {kTenThousandTodayId, "一万首 10000 Songs", 10000, OldCut::FirstThousand, 7400000001},
};
constexpr TodayList kSampleLists[] = {
    {kSamplePlaylistId, "温柔的夜晚｜华语 English mix", 25, OldCut::OneTrack, 0},
    {kWithheldPlaylistId, "版权保留的歌单", kWithheldTrackCount, OldCut::Null, 0},
};
// Positions (from 0) of the songs the service has removed: song detail leaves them out, v6 still lists their IDs.
constexpr std::array<int, 7> kRemovedPositions = {2, 499, 999, 1000, 1699, 2221, 2344};

// clang-format off
constexpr std::string_view kTitles[] = {
    "The Promise", "晚风", "Ref:rain", "夜に駆ける", "Nights/Days", "海与你", "Sunday Morning", "错位时空",
    "Aimer - Ref", "星の欠片", "AC/DC Tribute", "离人", "Last Dance", "如果这就是爱情", "Why?", "雨天 Rainy Day",
    "你的答案", "Into the Blue", "起床歌 (Live)", "A*B*C", "花海", "Clocks", "旧梦 [Demo]", "Ending"};
constexpr SampleArtist kArtists[] = {
    {"伍佰", 4635}, {"Aimer", 16152}, {"陈奕迅", 2116}, {"Taylor Swift", 44266}, {"YOASOBI", 33891}, {"房东的猫", 1049179},
    {"阿肆", 1203045}, {"Coldplay", 89365}, {"毛不易", 12138269}};
constexpr std::string_view kAlbums[] = {"今日", "Collection 2026", "夜曲集", "Singles", "现场 Live"};
// clang-format on

SampleTrack newSong(std::int64_t firstSongId, int index) {
    SampleTrack song{};
    song.id = firstSongId + index;
    song.name = kTitles[static_cast<std::size_t>(index * 7 + firstSongId % 5) % std::size(kTitles)];
    song.artists[0] = kArtists[static_cast<std::size_t>(index) % std::size(kArtists)];
    if (index % 4 == 1) song.artists[1] = kArtists[static_cast<std::size_t>(index + 4) % std::size(kArtists)];
    song.albumName = kAlbums[static_cast<std::size_t>(index / 12) % std::size(kAlbums)];
    song.albumId = 90000000 + firstSongId % 1000000000 / 100000 + index / 12;
    song.pictureId = 109951165000000000 + index / 12;
    song.audio = index % 2 == 0 ? AudioForm::Null : AudioForm::Placeholder;
    song.durationMs = 150000 + index * 7919 % 200000;
    return song;
}

const TodayList* findList(std::int64_t id, bool today) {
    for (const TodayList& list : kNewLists) {
        if (list.id == id) return &list;
    }
    if (!today) return nullptr;
    for (const TodayList& list : kSampleLists) {
        if (list.id == id) return &list;
    }
    return nullptr;
}

SampleTrack trackOf(const TodayList& list, int index) {
    if (list.firstSongId != 0) return newSong(list.firstSongId, index);
    if (list.id == kSamplePlaylistId) return samplePlaylistTracks()[static_cast<std::size_t>(index)];
    return *findWithheldTrack(kFirstWithheldId + index);
}

bool removed(const TodayList& list, int index) {
    return list.id == kRemovedSongsPlaylistId &&
           std::find(kRemovedPositions.begin(), kRemovedPositions.end(), index) != kRemovedPositions.end();
}

bool playable(const TodayList& list, int index) { return list.firstSongId == 0 || index % 10 != 9; }

int feeOf(bool canPlay) { return canPlay ? 8 : 1; }

struct SongPlace {
    const TodayList* list = nullptr;  // null for the artist's hot songs
    int index = -1;
};

// Where a song of the new items sits; index -1 for any other ID.
SongPlace placeOf(std::int64_t id) {
    for (const TodayList& list : kNewLists) {
        if (id >= list.firstSongId && id < list.firstSongId + list.count)
            return {&list, static_cast<int>(id - list.firstSongId)};
    }
    if (id >= kFirstHotSongId && id < kFirstHotSongId + kHotSongCount)
        return {nullptr, static_cast<int>(id - kFirstHotSongId)};
    return {};
}

StubAnswer jsonOf(std::string body, int status = 200) {
    return StubAnswer{status, std::string(kJsonType), std::move(body), {}, true};
}

std::optional<StubAnswer> refusal(std::int64_t id, std::string_view base) {
    switch (id) {
        case kPrivatePlaylistId:
            return jsonOf(R"({"code":401,"message":"该歌单已被创建者设置为隐私"})");
        case kCheatingPlaylistId:
            return jsonOf(R"({"code":-460,"msg":"Cheating"})");
        case kCrowdedPlaylistId:
            return jsonOf(R"({"msg":"网络太拥挤，请稍候再试！","code":-460})", 400);
        case kVerifyPlaylistId:
            return jsonOf(R"({"code":-462,"data":{"actionCode":"2001","verifyType":1,"verifyUrl":")" +
                          std::string(base) +
                          R"(/encrypt-pages?qt=2001","blockText":"当前网络环境存在风险，请完成验证"},)"
                          R"("message":"请完成验证操作"})");
        default:
            return std::nullopt;
    }
}

std::vector<SampleTrack> hotSongs() {
    std::vector<SampleTrack> songs;
    for (int i = 0; i < kHotSongCount; ++i) {
        SampleTrack song = newSong(kFirstHotSongId, i);
        song.artists[0] = {"旧街乐队", kListlessArtistId};
        song.artists[1] = {};
        songs.push_back(song);
    }
    return songs;
}

}  // namespace

std::optional<StubAnswer> TodayAnswers::oldPlaylist(std::int64_t id) const {
    if (auto refused = refusal(id, base_)) return refused;
    const TodayList* list = findList(id, today());
    if (list == nullptr) return std::nullopt;
    JsonWriter out;
    out.openObject().openObject("result").literal("subscribers", "[]").literal("subscribed", "false");
    writeCreator(out, base_);
    out.literal("artists", "null");
    const int shown = list->cut == OldCut::Null       ? -1
                      : list->cut == OldCut::OneTrack ? 1
                                                      : std::min(list->count, kOldPlaylistLimit);
    if (shown < 0) {
        out.literal("tracks", "null");
    } else {
        out.openArray("tracks");
        for (int i = 0; i < shown; ++i) {
            // The service describes no removed song, in this answer as in song detail.
            if (removed(*list, i)) continue;
            const SampleTrack track = trackOf(*list, i);
            writeTrack(out, track, base_, listStyle(track.audio, i + 1));
        }
        out.close();
    }
    out.number("trackCount", list->count).number("playCount", 52013).number("privacy", 0);
    out.text("coverImgUrl", coverAddress(base_, 109951165999000000 + id % 1000)).text("name", list->name);
    out.number("id", id).close();
    return jsonOf(out.number("code", 200).take());
}

StubAnswer TodayAnswers::v6Playlist(std::int64_t id, int n) const {
    if (auto refused = refusal(id, base_)) return std::move(*refused);
    const TodayList* list = findList(id, today());
    if (list == nullptr) return notFoundAnswer();
    V6List v6{id, list->name, {}, {}};
    // The full tracks come from song detail, so removed songs are missing there but not from trackIds.
    const int wanted = std::clamp(n, 0, kV6TrackLimit);
    for (int i = 0; i < list->count; ++i) {
        const SampleTrack track = trackOf(*list, i);
        v6.trackIds.push_back(track.id);
        if (static_cast<int>(v6.tracks.size()) < wanted && !removed(*list, i))
            v6.tracks.push_back({track, i + 1, playable(*list, i)});
    }
    return v6Answer(v6);
}

StubAnswer TodayAnswers::v6Answer(const V6List& list) const {
    const std::string cover = coverAddress(base_, 109951165999000000 + list.id % 1000);
    JsonWriter out;
    out.openObject().number("code", 200).literal("relatedVideos", "null").openObject("playlist");
    out.number("id", list.id).text("name", list.name).text("coverImgUrl", cover).number("userId", kCreatorId);
    out.number("createTime", 1532448502712).number("trackCount", static_cast<std::int64_t>(list.trackIds.size()));
    out.number("privacy", 0);
    writeCreator(out, base_);
    out.openArray("tracks");
    for (const V6Track& shown : list.tracks)
        writeNewTrack(out, shown.track, base_, shown.number, feeOf(shown.playable));
    out.close().openArray("trackIds");
    std::int64_t at = kAddedAt;
    for (const std::int64_t id : list.trackIds) {
        out.openObject().number("id", id).number("v", 20 + id % 7).number("t", 0).number("at", at -= 60000);
        out.literal("alg", "null").number("uid", kCreatorId).text("rcmdReason", "").literal("sc", "null").close();
    }
    out.close().close().literal("urls", "null").openArray("privileges");
    for (const V6Track& shown : list.tracks) writePrivilege(out, shown.track.id, feeOf(shown.playable), shown.playable);
    return jsonOf(out.take());
}

std::optional<std::string> TodayAnswers::songObject(std::int64_t id) const {
    const SongPlace place = placeOf(id);
    if (place.index < 0) return std::nullopt;
    if (place.list != nullptr && removed(*place.list, place.index)) return std::string();
    const SampleTrack song =
        place.list != nullptr ? trackOf(*place.list, place.index) : hotSongs()[static_cast<std::size_t>(place.index)];
    TrackStyle style;
    style.audio = song.audio;
    JsonWriter out;
    writeTrack(out, song, base_, style);
    return out.take();
}

bool TodayAnswers::refusesSongDetail(const std::vector<std::int64_t>& ids) const {
    if (static_cast<int>(ids.size()) <= kOldPlaylistLimit) return false;
    return today() || std::any_of(ids.begin(), ids.end(), [](std::int64_t id) { return placeOf(id).index >= 0; });
}

std::optional<std::string> TodayAnswers::outerTarget(std::int64_t songId, std::string_view host) const {
    const SongPlace place = placeOf(songId);
    if (place.index < 0) return std::nullopt;
    if (place.list == nullptr || (playable(*place.list, place.index) && !removed(*place.list, place.index)))
        return audioAddress(base_, songId);
    return host.empty() ? base_ + "/404" : "http://" + std::string(host) + "/404";
}

std::optional<StubAnswer> TodayAnswers::artistPage(std::int64_t id) const {
    if (id == kSampleArtistId && today())
        return StubAnswer{200, std::string(kHtmlType), artistPageHtml(base_, false), {}, true};
    if (id != kListlessArtistId) return std::nullopt;
    const std::vector<SampleTrack> songs = hotSongs();
    return StubAnswer{200,
                      std::string(kHtmlType),
                      artistPageHtml(base_, {"旧街乐队", "旧街乐队,Old Street", kListlessArtistId, songs, false}),
                      {},
                      true};
}

StubAnswer TodayAnswers::artistJson(std::int64_t id) const {
    const bool sample = id == kSampleArtistId && today();
    if (!sample && id != kListlessArtistId) return notFoundAnswer();
    const std::vector<SampleTrack> songs =
        sample ? std::vector<SampleTrack>(sampleArtistSongs().begin(), sampleArtistSongs().end()) : hotSongs();
    const std::int64_t picture = sample ? 134140418608734 : 109951165777000001;
    JsonWriter out;
    out.openObject().number("code", 200).openObject("artist").number("img1v1Id", picture).number("topicPerson", 0);
    out.literal("followed", "false").literal("alias", sample ? R"(["Sulic & Hauser"])" : "[]");
    out.text("picUrl", coverAddress(base_, picture)).text("trans", "").number("picId", picture);
    out.number("albumSize", sample ? 21 : 5).text("img1v1Url", coverAddress(base_, picture)).text("briefDesc", "");
    out.number("musicSize", sample ? 98 : kHotSongCount).text("name", sample ? "2Cellos" : "旧街乐队");
    out.number("id", id).number("publishTime", 1484722417348).number("mvSize", 0).close();
    out.literal("more", "true").openArray("hotSongs");
    int position = 0;
    for (const SampleTrack& song : songs)
        writeTrack(out, song, base_, listStyle(AudioForm::Placeholder, ++position, true));
    return jsonOf(out.take());
}

bool TodayAnswers::searchWithoutPictures(std::string_view text) const { return today() || text.starts_with("today:"); }

StubAnswer notFoundPage() {
    return StubAnswer{
        200,
        std::string(kHtmlType),
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>404 - 网易云音乐</title>\n"
        "</head>\n<body>\n<div class=\"n-for404\"><p class=\"note s-fc3\">很抱歉，你要查找的网页找不到</p>"
        "</div>\n</body>\n</html>\n",
        {},
        true};
}

StubAnswer tooManyIdsAnswer() { return jsonOf(R"({"msg":"参数错误","code":400})"); }

}  // namespace velomir

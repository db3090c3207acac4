#include "track_json.h"

namespace velomir {
namespace {

constexpr std::int64_t kDefaultArtistPicture = 5639395138885805;

void writeArtist(JsonWriter& out, std::string_view member, const SampleArtist& artist, std::string_view base) {
    const std::string picture = coverAddress(base, kDefaultArtistPicture);
    out.openObject(member)
        .text("name", artist.name)
        .number("id", artist.id)
        .number("picId", 0)
        .number("img1v1Id", 0)
        .text("briefDesc", "")
        .text("picUrl", picture)
        .text("img1v1Url", picture)
        .number("albumSize", 0)
        .literal("alias", "[]")
        .text("trans", "")
        .number("musicSize", 0)
        .close();
}

void writeArtists(JsonWriter& out, const SampleTrack& track, std::string_view base) {
    out.openArray("artists");
    for (int i = 0; i < track.artistCount(); ++i) writeArtist(out, {}, track.artists[i], base);
    out.close();
}

void writeAlbum(JsonWriter& out, const SampleTrack& track, std::string_view base, bool noPicture) {
    const std::string picture = noPicture ? "null" : '"' + coverAddress(base, track.pictureId) + '"';
    out.openObject("album")
        .text("name", track.albumName)
        .number("id", track.albumId)
        .text("type", "专辑")
        .number("size", 12)
        .number("picId", track.pictureId)
        .literal("blurPicUrl", picture)
        .number("companyId", 0)
        .number("pic", track.pictureId)
        .literal("picUrl", picture)
        .number("publishTime", 1419609600007)
        .text("description", "")
        .text("tags", "")
        .text("company", "华纳音乐")
        .text("briefDesc", "");
    writeArtist(out, "artist", {"", 0}, base);
    out.literal("songs", "[]").literal("alias", "[]").number("status", 3).number("copyrightId", 7002);
    out.text("commentThreadId", "R_AL_3_" + std::to_string(track.albumId));
    writeArtists(out, track, base);
    out.text("subType", "录音室版").close();
}

void writeMusic(JsonWriter& out, std::string_view name, const SampleTrack& track, int level) {
    static constexpr int kBitrates[] = {320000, 192000, 128000, 128000};
    const std::int64_t bitrate = kBitrates[level];
    out.openObject(name)
        .literal("name", "null")
        .number("id", 1186554092 + track.id % 100000 * 4 + level)
        .number("size", bitrate / 8 * track.durationMs / 1000)
        .text("extension", "mp3")
        .number("sr", 44100)
        .number("dfsId", 0)
        .number("bitrate", bitrate)
        .number("playTime", track.durationMs)
        .literal("volumeDelta", level == 0 ? "-2.65076E-4" : "-1.94")
        .close();
}

void writeAudio(JsonWriter& out, const SampleTrack& track, std::string_view base, AudioForm audio) {
    switch (audio) {
        case AudioForm::Address:
            out.text("mp3Url", audioAddress(base, track.id));
            break;
        case AudioForm::Null:
            out.literal("mp3Url", "null");
            break;
        case AudioForm::Placeholder:
            out.text("mp3Url", audioAddress(base, 0));
            break;
        case AudioForm::Missing:
            break;
    }
}

void writeTrackHead(JsonWriter& out, const SampleTrack& track, const TrackStyle& style) {
    out.text("name", track.name)
        .number("id", track.id)
        .number("position", style.position)
        .literal("alias", "[]")
        .number("status", 0)
        .number("fee", 8)
        .number("copyrightId", 7002)
        .text("disc", "1")
        .number("no", style.position);
}

void writeTrackStatistics(JsonWriter& out, const SampleTrack& track) {
    out.literal("starred", "false")
        .literal("popularity", track.id % 3 == 0 ? "100.0" : "95")
        .number("score", 100 - track.id % 7)
        .number("starredNum", 0)
        .number("duration", track.durationMs)
        .number("playedNum", 0)
        .number("dayPlays", 0)
        .number("hearTime", 0)
        .literal("ringtone", "null")
        .literal("crbt", "null")
        .literal("audition", "null")
        .text("copyFrom", "")
        .text("commentThreadId", "R_SO_4_" + std::to_string(track.id))
        .literal("rtUrl", "null")
        .number("ftype", 0)
        .literal("rtUrls", "[]")
        .number("copyright", 1);
}

}  // namespace

std::string coverAddress(std::string_view base, std::int64_t pictureId) {
    return std::string(base) + "/cover/" + std::to_string(pictureId) + ".jpg";
}

std::string audioAddress(std::string_view base, std::int64_t id) {
    return std::string(base) + "/audio/" + std::to_string(id) + ".mp3";
}

TrackStyle listStyle(AudioForm audio, int position, bool audioFirst) {
    TrackStyle style;
    style.audio = audio;
    style.position = position;
    style.audioFirst = audioFirst;
    return style;
}

void writeTrack(JsonWriter& out, const SampleTrack& track, std::string_view base, const TrackStyle& style) {
    out.openObject(style.member);
    if (style.audioFirst) writeAudio(out, track, base, style.audio);
    writeTrackHead(out, track, style);
    writeArtists(out, track, base);
    writeAlbum(out, track, base, style.noPicture);
    writeTrackStatistics(out, track);
    writeMusic(out, "hMusic", track, 0);
    writeMusic(out, "mMusic", track, 1);
    writeMusic(out, "lMusic", track, 2);
    writeMusic(out, "bMusic", track, 3);
    out.number("mvid", 0).number("rtype", 0).literal("rurl", "null");
    if (!style.audioFirst) writeAudio(out, track, base, style.audio);
    out.close();
}

void writeSearchTrack(JsonWriter& out, const SampleTrack& track, std::string_view base, std::string_view escapedName,
                      bool pictureIdOnly) {
    out.openObject().number("id", track.id).text("name", escapedName.empty() ? track.name : escapedName);
    out.openArray("artists");
    for (int i = 0; i < track.artistCount(); ++i) {
        out.openObject().number("id", track.artists[i].id).text("name", track.artists[i].name);
        out.literal("picUrl", "null").close();
    }
    out.close();
    out.openObject("album").number("id", track.albumId).text("name", track.albumName);
    out.openObject("artist").number("id", 0).text("name", "").literal("picUrl", "null").close();
    if (pictureIdOnly) {
        out.number("picId", track.pictureId).close();
    } else {
        out.text("picUrl", coverAddress(base, track.pictureId)).close();
    }
    out.text("audio", audioAddress(base, track.id)).number("djProgramId", 0).close();
}

void writeNewTrack(JsonWriter& out, const SampleTrack& track, std::string_view base, int number, int fee) {
    out.openObject().text("name", track.name).number("id", track.id).number("pst", 0).number("t", 0);
    out.openArray("ar");
    for (int i = 0; i < track.artistCount(); ++i) {
        out.openObject().number("id", track.artists[i].id).text("name", track.artists[i].name);
        out.literal("tns", "[]").literal("alias", "[]").close();
    }
    out.close().literal("alia", "[]").literal("pop", "100.0").number("st", 0).text("rt", "");
    out.number("fee", fee).number("v", 20).literal("crbt", "null").text("cf", "");
    out.openObject("al").number("id", track.albumId).text("name", track.albumName);
    out.text("picUrl", coverAddress(base, track.pictureId)).literal("tns", "[]");
    out.number("pic", track.pictureId).close();
    out.number("dt", track.durationMs).text("cd", "01").number("no", number).literal("rtUrl", "null");
    out.number("ftype", 0).literal("rtUrls", "[]").number("djId", 0).number("copyright", 1).number("s_id", 0);
    out.number("mark", 0).number("mv", 0).number("rtype", 0).literal("rurl", "null").number("mst", 9);
    out.number("cp", 7002).number("publishTime", 1419609600007).close();
}

void writePrivilege(JsonWriter& out, std::int64_t id, int fee, bool playable) {
    out.openObject().number("id", id).number("fee", fee).number("payed", 0);
    out.number("st", playable ? 0 : -200).number("pl", playable ? 128000 : 0).number("dl", 0).number("sp", 7);
    out.number("cp", 1).number("subp", 1).literal("cs", "false").number("maxbr", 320000);
    out.number("fl", playable ? 128000 : 0).literal("toast", "false").number("flag", 0).close();
}

void writeCreator(JsonWriter& out, std::string_view base) {
    out.openObject("creator")
        .literal("defaultAvatar", "false")
        .number("province", 500000)
        .number("authStatus", 0)
        .literal("followed", "false")
        .text("avatarUrl", coverAddress(base, 109951163400737238))
        .number("accountStatus", 0)
        .number("gender", 2)
        .number("city", 500101)
        .number("birthday", 931017600000)
        .number("userId", 114919437)
        .number("userType", 0)
        .text("nickname", "清夏海巷")
        .text("signature", "你们所期望的，永远都没有的")
        .text("description", "")
        .number("avatarImgId", 109951163400737238)
        .number("backgroundImgId", 109951162968506958)
        .text("backgroundUrl", coverAddress(base, 109951162968506958))
        .number("vipType", 0)
        .literal("remarkName", "null")
        .text("avatarImgIdStr", "109951163400737238")
        .close();
}

}  // namespace velomir

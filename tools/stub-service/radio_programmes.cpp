#include "radio_programmes.h"

#include <string>

#include "track_json.h"

namespace velomir {
namespace {

constexpr std::int64_t kFirstProgrammeId = 794062371;
constexpr std::int64_t kFirstSongId = 1365285604;
constexpr std::int64_t kDjUserId = 1820794367;
constexpr std::int64_t kRadioPicture = 109951164026772885;
constexpr std::int64_t kFirstCreateTime = 1556273620537;
constexpr std::int64_t kWeekMs = 7LL * 24 * 3600 * 1000;

constexpr std::string_view kSongTitles[] = {
    "So far away",
    "夜空中最亮的星",
    "Moon River",
    "晚安",
    "Yesterday Once More",
    "小情歌",
    "月半小夜曲",
    "Fly Me to the Moon",
    "安静",
    "The Night We Met",
    "好久不见",
    "Daylight",
    "橄榄树",
};
constexpr std::string_view kRadioName = "深夜电台 Midnight Radio";

// Newest first, as the station's list is ordered: index 0 carries the highest serial number.
int serialOf(int index) { return kRadioProgrammeCount - index; }

SampleTrack songOf(int index) {
    const std::string_view title = kSongTitles[static_cast<std::size_t>(index) % std::size(kSongTitles)];
    return {kFirstSongId + index, title, {{"夜猫子DJ", 0}}, title, 0, 3132508627578625 + index, AudioForm::Address,
            169752 + index * 1000};
}

void writeDj(JsonWriter& out, std::string_view base) {
    out.openObject("dj")
        .literal("defaultAvatar", "false")
        .number("province", 1000000)
        .number("authStatus", 0)
        .literal("followed", "false")
        .text("avatarUrl", coverAddress(base, 109951163988425000))
        .number("accountStatus", 0)
        .number("gender", 1)
        .number("city", 1003100)
        .number("birthday", 705902400000)
        .number("userId", kDjUserId)
        .number("userType", 0)
        .text("nickname", "夜猫子DJ")
        .text("signature", "Day: 9:30 - Night: not sure\\ud83e\\udd14")
        .text("description", "")
        .text("detailDescription", "")
        .number("avatarImgId", 109951163988425000)
        .number("backgroundImgId", 109951164033287748)
        .text("backgroundUrl", coverAddress(base, 109951164033287748))
        .number("authority", 0)
        .literal("mutual", "false")
        .literal("expertTags", "null")
        .literal("experts", "null")
        .number("djStatus", 10)
        .number("vipType", 0)
        .literal("remarkName", "null")
        .text("backgroundImgIdStr", "109951164033287748")
        .text("avatarImgIdStr", "109951163988425000")
        .text("brand", "Midnight Radio")
        .close();
}

void writeRadio(JsonWriter& out, std::string_view base) {
    out.openObject("radio")
        .literal("dj", "null")
        .text("category", "情感|音乐故事")
        .literal("buyed", "false")
        .number("price", 0)
        .number("originalPrice", 0)
        .literal("discountPrice", "null")
        .number("purchaseCount", 0)
        .literal("lastProgramName", "null")
        .literal("videos", "null")
        .literal("finished", "false")
        .literal("underShelf", "false")
        .number("categoryId", 2001)
        .number("picId", kRadioPicture)
        .number("lastProgramCreateTime", kFirstCreateTime + kRadioProgrammeCount * kWeekMs)
        .text("picUrl", coverAddress(base, kRadioPicture))
        .number("createTime", kFirstCreateTime)
        .number("lastProgramId", kFirstProgrammeId)
        .number("feeScope", 0)
        .number("subCount", 2514)
        .number("programCount", kRadioProgrammeCount)
        .number("radioFeeType", 0)
        .text("desc", "陪你度过每一个\\u201c睡不着\\u201d的夜晚。\\n每周更新。")
        .text("name", kRadioName)
        .number("id", kSampleRadioId)
        .close();
}

void writeProgrammeTail(JsonWriter& out, int index, std::string_view base) {
    const std::int64_t id = kFirstProgrammeId + index;
    const int serial = serialOf(index);
    const std::string title(kSongTitles[static_cast<std::size_t>(index) % std::size(kSongTitles)]);
    out.literal("canReward", "false").number("auditStatus", 0).literal("videoInfo", "null").number("score", 0);
    out.number("trackCount", 0).text("commentThreadId", "A_DJ_1_" + std::to_string(id));
    out.literal("titbitImages", "null").literal("isPublish", "true").literal("titbits", "null");
    out.number("smallLanguageAuditStatus", 0).number("serialNum", serial);
    out.text("coverUrl", coverAddress(base, kRadioPicture + serial));
    out.number("createTime", kFirstCreateTime + serial * kWeekMs).literal("channels", "[]").number("feeScope", 0);
    out.number("listenerCount", 12514 + serial * 37).number("subscribedCount", 0).literal("reward", "false");
    out.number("pubStatus", 1).number("bdAuditStatus", 2).number("programFeeType", 0);
    out.number("mainTrackId", kFirstSongId + index);
    out.text("description", "\\u201c" + title + "\\u201d\\n第" + std::to_string(serial) + "期，晚安。");
    out.text("name", "第" + std::to_string(serial) + "期 " + title).number("id", id);
    out.text("reason", "深夜陪伴").literal("subscribed", "false").number("shareCount", serial % 9);
    out.number("likedCount", 25 + serial).text("alg", "featured").number("commentCount", serial % 13);
}

}  // namespace

int programmeIndex(std::int64_t programmeId) {
    const std::int64_t index = programmeId - kFirstProgrammeId;
    return index >= 0 && index < kRadioProgrammeCount ? static_cast<int>(index) : -1;
}

bool findProgrammeSong(std::int64_t songId, SampleTrack& song) {
    const std::int64_t index = songId - kFirstSongId;
    if (index < 0 || index >= kRadioProgrammeCount) return false;
    song = songOf(static_cast<int>(index));
    return true;
}

void writeProgramme(JsonWriter& out, std::string_view member, int index, std::string_view base) {
    out.openObject(member);
    TrackStyle style;
    style.member = "mainSong";
    style.noPicture = index % 10 == 7;  // real programmes sometimes have no cover
    writeTrack(out, songOf(index), base, style);
    out.literal("songs", "null");
    writeDj(out, base);
    out.text("blurCoverUrl", coverAddress(base, kRadioPicture));
    writeRadio(out, base);
    out.number("duration", songOf(index).durationMs).literal("buyed", "false");
    out.literal("programDesc", "null").literal("h5Links", "null");
    writeProgrammeTail(out, index, base);
    out.close();
}

}  // namespace velomir

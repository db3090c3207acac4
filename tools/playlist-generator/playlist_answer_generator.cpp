#include "playlist_answer_generator.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace velomir {
namespace {

// Pool entries are JSON string contents, escapes already written as the service writes them.
// clang-format off
constexpr std::string_view kChineseWords[] = {
    "可惜", "没如果", "成都", "晴天", "夜曲", "海", "风", "光年之外", "告白", "气球", "南山南", "平凡之路", "稻香",
    "后来", "十年", "红豆", "匆匆那年", "演员", "丑八怪", "起风了", "少年", "消愁", "像我这样的人", "夏天", "星",
    "月亮", "故乡", "远方", "青春", "那些花儿", "鼓楼", "安和桥", "理想", "你的背包", "漂洋过海来看你", "年轮",
    "小幸运", "追光者", "心墙", "雨", "一路向北", "不将就", "体面", "刚好遇见你", "大鱼"};
constexpr std::string_view kEnglishTitles[] = {
    "Not You", "If Only", "Despacito", "Moon Without The Stars", "Trouble", "Shape of You", "Faded",
    "Something Just Like This", "See You Again", "Counting Stars", "Let Her Go", "Hello", "Photograph",
    "Rolling in the Deep", "Demons", "Believer", "Closer", "Perfect", "Stay", "Viva La Vida", "Yellow", "Fix You",
    "Summertime Sadness", "Young and Beautiful", "Lemon", "Unravel", "Blue", "Night Changes"};
constexpr std::string_view kOtherTitles[] = {
    "打上花火", "Lemon（レモン）", "前前前世 (movie ver.)", "夜に駆ける", "シル・ヴ・プレジデント", "Für Elise",
    "La Vie en rose", "Señorita", "Ｌｏｖｅ　Ｓｏｎｇ", "ＹＥＳＴＥＲＤＡＹ", "어떻게 이별까지 사랑하겠어"};
constexpr std::string_view kBracketSuffixes[] = {
    " [Live]", " [Remix]", " [伴奏]", " (Live)", "（Live版）", "（伴奏）", " - 电影《大鱼海棠》印象曲"};
constexpr std::string_view kArtistNames[] = {
    "林俊杰", "周杰伦", "陈奕迅", "赵雷", "王菲", "G.E.M.邓紫棋", "五月天", "李荣浩", "毛不易", "薛之谦", "孙燕姿",
    "朴树", "许嵩", "宋冬野", "逃跑计划", "房东的猫", "Matt Terry", "2Cellos", "Quiana", "Jerry Barnes",
    "Taylor Swift", "Adele", "Ed Sheeran", "Coldplay", "Alan Walker", "Imagine Dragons", "Lana Del Rey", "米津玄師",
    "Aimer", "RADWIMPS", "DAOKO", "あいみょん", "群星", "Various Artists", "Ｓｕｐｅｒ　Ｂｏｙ", "Guns N' Roses",
    "AC/DC", R"(The \"Boss\" Band)", "陈粒", "花粥", "Beyond", "张学友", "Jay Chou"};
constexpr std::string_view kAlbumNames[] = {
    "新地球", "Trouble", "成都", "古树旋律 Deemo", "Despacito", "叶惠美", "范特西", "U87", "赵小雷", "不将就",
    "摩天动物园", "÷ (Deluxe)", "25", "A Head Full of Dreams", "Evolve", "Lemon", "君の名は。", "2017 Live",
    "华语金曲[精选]", R"(这是一张\"概念\"专辑)", R"(Love Songs\u2026 Vol.2)", "热门华语266", "Ｂｅｓｔ　Ｏｆ"};
constexpr std::string_view kCompanies[] = {
    "华纳音乐", "索尼音乐", "环球唱片", "StreetVoice", "雷亚游戏", "滚石唱片", "摩登天空", "EMI", "独立发行",
    "太合音乐"};
constexpr std::string_view kDescriptions[] = {
    "", "", "", R"(\u201c一张关于城市的专辑\u201d，收录十首原创作品。\n制作人：待定)",
    R"(Recorded live in 2017. Includes \"bonus\" tracks\u2026)", "这是歌手的第一张个人专辑，发行于夏天。"};
constexpr std::string_view kAliases[] = {
    R"(If Only\u2026)", "电视剧《匆匆那年》插曲", "Live", "伴奏版", R"(Theme from \"Dreams\")", "（翻自 五月天）"};
constexpr std::string_view kAlbumTypes[] = {"专辑", "专辑", "EP/Single", "Single", "合集"};
constexpr std::string_view kSubTypes[] = {R"("录音室版")", R"("录音室版")", "null", R"("现场版")", R"("混音版")"};
constexpr std::string_view kVolumeDeltas[] = {"-2.65076E-4", "0.0", "-1", "-2", "1.08E-4"};
// clang-format on
constexpr std::string_view kDefaultArtistPicture =
    "http://p1.music.126.net/6y-UleORITEDbvrOLV0Q8A==/5639395138885805.jpg";
constexpr std::string_view kHashAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::uint64_t kTwoPow53 = 9007199254740992ULL;
constexpr std::uint64_t kTwoPow31 = 2147483648ULL;

// splitmix64: the same sequence everywhere, unlike the standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint64_t between(std::uint64_t low, std::uint64_t high) { return low + next() % (high - low + 1); }
    bool chance(int percent) { return next() % 100 < static_cast<std::uint64_t>(percent); }
    template <class T, std::size_t N>
    const T& pick(const T (&pool)[N]) {
        return pool[next() % N];
    }

private:
    std::uint64_t state_;
};

struct Artist {
    std::string_view name;
    std::uint64_t id;
    std::uint64_t picId;
};

// Writes one piece of the answer at a time; members end in "," and close() turns the last one into the closer.
class AnswerWriter {
public:
    explicit AnswerWriter(std::uint64_t seed) : random_(seed) { makeArtists(); }

    const std::string& head();
    const std::string& track(int index, bool last);
    const std::string& tail(int trackCount);

private:
    void makeArtists();
    void key(std::string_view name) {
        out_ += '"';
        out_ += name;
        out_ += "\":";
    }
    void text(std::string_view name, std::string_view value) {
        key(name);
        out_ += '"';
        out_ += value;
        out_ += "\",";
    }
    void literal(std::string_view name, std::string_view value) {
        key(name);
        out_ += value;
        out_ += ',';
    }
    void number(std::string_view name, std::uint64_t value) {
        key(name);
        appendNumber(value);
        out_ += ',';
    }
    void appendNumber(std::uint64_t value) {
        const std::size_t start = out_.size();
        out_.resize(start + 20);  // the most digits a 64-bit number has
        char* first = out_.data() + start;
        out_.resize(start + static_cast<std::size_t>(std::to_chars(first, first + 20, value).ptr - first));
    }
    void close(char closer) {
        if (!out_.empty() && out_.back() == ',') out_.pop_back();
        out_ += closer;
        out_ += ',';
    }
    std::vector<const Artist*> pickArtists();
    void threadId(std::string_view prefix, std::uint64_t id);
    void playback(std::uint64_t duration);
    std::string addressHash();
    void pictureUrl(std::string_view name, std::uint64_t picId, std::string_view hash);
    void artistObject(const Artist& artist, bool bare);
    void artistList(std::string_view name, const std::vector<const Artist*>& artists);
    void trackName();
    void album(std::uint64_t albumId, const std::vector<const Artist*>& artists);
    void music(std::string_view name, std::uint64_t id, std::uint64_t bitrate, std::uint64_t playTime, bool bare);
    void audioAddress(std::uint64_t dfsId);
    std::uint64_t largeId();
    std::uint64_t pictureId() {
        return random_.chance(50) ? random_.between(kTwoPow53 + 1, 19999999999999999ULL)
                                  : random_.between(109951162000000000ULL, 109951164999999999ULL);
    }

    Random random_;
    std::vector<Artist> artists_;
    std::string out_;
};

void AnswerWriter::makeArtists() {
    for (std::string_view name : kArtistNames) {
        std::uint64_t id = random_.chance(85) ? random_.between(1000, 30000000) : largeId();
        if (random_.chance(3)) id = 0;  // real answers carry artists without an ID
        artists_.push_back({name, id, random_.chance(70) ? 0 : pictureId()});
    }
}

// Track and album IDs: mostly below 2^31, a good share beyond 2^31 and some beyond 2^32.
std::uint64_t AnswerWriter::largeId() {
    const std::uint64_t kind = random_.between(0, 99);
    if (kind < 55) return random_.between(100000, kTwoPow31 - 1);
    if (kind < 85) return random_.between(kTwoPow31, 2 * kTwoPow31 - 1);
    return random_.between(2 * kTwoPow31, 79999999999ULL);
}

// One to three different artists; close to half the tracks have more than one.
std::vector<const Artist*> AnswerWriter::pickArtists() {
    std::vector<const Artist*> artists;
    const std::uint64_t spread = random_.between(0, 99);
    const std::size_t count = spread < 55 ? 1 : spread < 85 ? 2 : 3;
    while (artists.size() < count) {
        const Artist* artist = &artists_[random_.next() % artists_.size()];
        if (std::find(artists.begin(), artists.end(), artist) == artists.end()) artists.push_back(artist);
    }
    return artists;
}

void AnswerWriter::threadId(std::string_view prefix, std::uint64_t id) {
    key("commentThreadId");
    out_ += '"';
    out_ += prefix;
    appendNumber(id);
    out_ += "\",";
}

// The service's file key: 22 characters of URL-safe base64 (written with "==" after it).
std::string AnswerWriter::addressHash() {
    std::string hash(22, ' ');
    for (char& c : hash) c = kHashAlphabet[random_.next() % kHashAlphabet.size()];
    return hash;
}

void AnswerWriter::pictureUrl(std::string_view name, std::uint64_t picId, std::string_view hash) {
    key(name);
    out_ += "\"http://p";
    appendNumber(random_.between(1, 4));
    out_ += ".music.126.net/";
    out_ += hash;
    out_ += "==/";
    appendNumber(picId);
    out_ += ".jpg\",";
}

void AnswerWriter::artistObject(const Artist& artist, bool bare) {
    out_ += '{';
    text("name", bare ? "" : artist.name);
    number("id", bare ? 0 : artist.id);
    number("picId", bare ? 0 : artist.picId);
    number("img1v1Id", 0);
    text("briefDesc", "");
    if (bare || artist.picId == 0) {
        text("picUrl", kDefaultArtistPicture);
    } else {
        pictureUrl("picUrl", artist.picId, addressHash());
    }
    text("img1v1Url", kDefaultArtistPicture);
    number("albumSize", bare ? 0 : random_.between(0, 60));
    literal("alias", !bare && random_.chance(10) ? "[\"Jay\"]" : "[]");
    text("trans", "");
    number("musicSize", bare ? 0 : random_.between(0, 400));
    close('}');
}

void AnswerWriter::artistList(std::string_view name, const std::vector<const Artist*>& artists) {
    key(name);
    out_ += '[';
    for (const Artist* artist : artists) artistObject(*artist, false);
    close(']');
}

// Chinese, English, mixed and other scripts, some with brackets, escaped quotes, \u escapes or full-width forms.
void AnswerWriter::trackName() {
    key("name");
    out_ += '"';
    std::string_view closer;
    if (random_.chance(3)) {
        const bool ascii = random_.chance(50);
        out_ += ascii ? "Say \\\"" : "\\u201c";
        closer = ascii ? "\\\"" : "\\u201d";
    }
    const std::uint64_t kind = random_.between(0, 99);
    if (kind < 45) {
        const std::uint64_t words = random_.between(1, 3);
        for (std::uint64_t i = 0; i < words; ++i) out_ += random_.pick(kChineseWords);
    } else if (kind < 75) {
        out_ += random_.pick(kEnglishTitles);
    } else if (kind < 90) {
        out_ += random_.pick(kChineseWords);
        out_ += random_.chance(50) ? " " : "　";
        out_ += random_.pick(kEnglishTitles);
    } else {
        out_ += random_.pick(kOtherTitles);
    }
    out_ += closer;
    if (random_.chance(12)) out_ += random_.pick(kBracketSuffixes);
    if (random_.chance(4)) out_ += "\\u2026";
    out_ += "\",";
}

void AnswerWriter::album(std::uint64_t albumId, const std::vector<const Artist*>& artists) {
    key("album");
    out_ += '{';
    text("name", random_.pick(kAlbumNames));
    number("id", albumId);
    text("type", random_.pick(kAlbumTypes));
    number("size", random_.between(1, 24));
    const std::uint64_t picId = pictureId();
    number("picId", picId);
    const std::string hash = addressHash();
    pictureUrl("blurPicUrl", picId, hash);
    number("companyId", 0);
    number("pic", picId);
    pictureUrl("picUrl", picId, hash);
    key("publishTime");
    appendNumber(random_.between(1000000000, 1600000000));
    out_ += "007,";
    text("description", random_.pick(kDescriptions));
    text("tags", "");
    text("company", random_.pick(kCompanies));
    text("briefDesc", "");
    key("artist");
    artistObject(*artists.front(), true);
    literal("songs", "[]");
    literal("alias", "[]");
    number("status", random_.chance(80) ? 3 : 0);
    number("copyrightId", random_.between(0, 40000));
    threadId("R_AL_3_", albumId);
    artistList("artists", artists);
    literal("subType", random_.pick(kSubTypes));
    literal("transName", random_.chance(90) ? "null" : "\"新地球（英文版）\"");
    close('}');
}

void AnswerWriter::music(std::string_view name, std::uint64_t id, std::uint64_t bitrate, std::uint64_t playTime,
                         bool bare) {
    key(name);
    out_ += '{';
    literal("name", bare ? "null" : "\"\"");
    number("id", id);
    number("size", bitrate / 8 * playTime / 1000 + random_.between(0, 4000));
    text("extension", "mp3");
    number("sr", 44100);
    number("dfsId", random_.chance(60) ? 0 : random_.between(kTwoPow53 + 1, 18999999999999999ULL));
    number("bitrate", bitrate);
    number("playTime", playTime);
    if (random_.chance(40)) {
        literal("volumeDelta", random_.pick(kVolumeDeltas));
    } else {
        key("volumeDelta");
        out_ += '-';
        appendNumber(random_.between(0, 4));
        out_ += '.';
        appendNumber(random_.between(10, 99));
        out_ += ',';
    }
    close('}');
}

// A playable address, null, or the useless placeholder ending in "/0.mp3".
void AnswerWriter::audioAddress(std::uint64_t dfsId) {
    const std::uint64_t kind = random_.between(0, 99);
    if (kind < 40) return literal("mp3Url", "null");
    key("mp3Url");
    out_ += "\"http://m";
    appendNumber(random_.between(1, 8));
    out_ += ".music.126.net/";
    out_ += addressHash();
    out_ += "==/";
    appendNumber(kind < 80 ? dfsId : 0);
    out_ += ".mp3\",";
}

const std::string& AnswerWriter::head() {
    out_ = R"({"result":{"subscribers":[],"subscribed":false,"creator":{"defaultAvatar":false,"province":500000,)"
           R"("authStatus":0,"followed":false,"avatarUrl":"http://p1.music.126.net/iZDBPSkEHB5_KGBtMC09SA==/)"
           R"(109951163400737238.jpg","accountStatus":0,"gender":2,"city":500101,"birthday":931017600000,)";
    number("userId", random_.between(10000, 9999999999ULL));
    out_ += R"("userType":0,"nickname":"清夏海巷","signature":"你们所期望的，永远都没有的","description":"",)"
            R"("detailDescription":"","avatarImgId":109951163400737238,"backgroundImgId":109951162968506958,)"
            R"("backgroundUrl":"http://p1.music.126.net/pcPghvW1_0kU0PwXadehJg==/109951162968506958.jpg",)"
            R"("authority":0,"mutual":false,"expertTags":null,"experts":null,"djStatus":0,"vipType":0,)"
            R"("remarkName":null,"backgroundImgIdStr":"109951162968506958","avatarImgIdStr":"109951163400737238"},)"
            R"("artists":null,"tracks":[)";
    return out_;
}

const std::string& AnswerWriter::track(int index, bool last) {
    out_.clear();
    out_ += '{';
    trackName();
    const std::uint64_t id = largeId();
    number("id", id);
    number("position", random_.between(1, 20));
    literal("alias", random_.chance(90) ? "[]" : "[\"" + std::string(random_.pick(kAliases)) + "\"]");
    number("status", 0);
    number("fee", random_.chance(50) ? 8 : random_.between(0, 4));
    number("copyrightId", random_.between(0, 40000));
    text("disc", random_.chance(80) ? "1" : "");
    number("no", static_cast<std::uint64_t>(index % 20 + 1));
    const std::vector<const Artist*> artists = pickArtists();
    artistList("artists", artists);
    album(largeId(), artists);
    literal("starred", "false");
    literal("popularity", random_.chance(20) ? "100.0" : std::to_string(random_.between(1, 20) * 5));
    number("score", random_.between(1, 100));
    number("starredNum", 0);
    const std::uint64_t duration = random_.between(90000, 420000);
    number("duration", duration);
    number("playedNum", 0);
    number("dayPlays", 0);
    number("hearTime", 0);
    literal("ringtone", random_.chance(80) ? "null" : "\"\"");
    literal("crbt", "null");
    literal("audition", "null");
    text("copyFrom", "");
    threadId("R_SO_4_", id);
    literal("rtUrl", "null");
    number("ftype", 0);
    literal("rtUrls", "[]");
    number("copyright", random_.between(0, 2));
    literal("transName", random_.chance(92) ? "null" : "\"" + std::string(random_.pick(kAliases)) + "\"");
    playback(duration);
    close('}');
    if (last) out_.pop_back();
    return out_;
}

// The four quality variants of the audio file, then the address.
void AnswerWriter::playback(std::uint64_t duration) {
    const bool bare = random_.chance(70);
    const std::uint64_t musicId = random_.between(100000000, 1999999999);
    if (random_.chance(5)) {
        literal("hMusic", "null");
    } else {
        music("hMusic", musicId, 320000, duration, bare);
    }
    music("mMusic", musicId + 1, random_.chance(50) ? 160000 : 192000, duration, bare);
    music("lMusic", musicId + 2, 96000, duration, bare);
    music("bMusic", musicId + 2, 96000, duration, bare);
    number("mvid", random_.chance(70) ? 0 : random_.between(10000, 9999999));
    number("rtype", 0);
    literal("rurl", "null");
    audioAddress(random_.between(kTwoPow53 / 2, kTwoPow53 - 1));
}

const std::string& AnswerWriter::tail(int trackCount) {
    out_ = "],";
    literal("ordered", "false");
    number("status", 0);
    number("trackCount", static_cast<std::uint64_t>(trackCount));
    number("playCount", random_.between(0, 5000000));
    pictureUrl("coverImgUrl", pictureId(), addressHash());
    number("specialType", 0);
    literal("anonimous", "false");
    number("createTime", 1532448502712);
    number("privacy", 10);
    literal("description", random_.chance(50) ? "null" : "\"\\u201c私藏\\u201d的歌，慢慢听\\u2026\"");
    literal("tags", "[\"华语\",\"流行\"]");
    text("name", "temp");
    number("id", largeId());
    number("commentCount", 0);
    close('}');
    out_ += "\"code\":200}";
    return out_;
}

}  // namespace

void PlaylistAnswerGenerator::write(int trackCount, const std::function<void(std::string_view)>& sink) const {
    AnswerWriter writer(seed_);
    sink(writer.head());
    for (int i = 0; i < trackCount; ++i) sink(writer.track(i, i + 1 == trackCount));
    sink(writer.tail(trackCount));
}

std::string PlaylistAnswerGenerator::answer(int trackCount) const {
    std::size_t size = 0;
    write(trackCount, [&size](std::string_view piece) { size += piece.size(); });
    std::string text;
    text.reserve(size);
    write(trackCount, [&text](std::string_view piece) { text += piece; });
    return text;
}

}  // namespace velomir

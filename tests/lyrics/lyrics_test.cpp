// Lyrics as the service writes them: every stamp form, several stamps, unsorted lines, offsets, JSON credit lines,
// translations across stamp forms, flags and refusals.
#include "lyrics/lyrics.h"

#include <gtest/gtest.h>

namespace velomir {
namespace {

std::vector<std::int64_t> timesOf(const Lyrics& lyrics) {
    std::vector<std::int64_t> times;
    for (const LyricLine& line : lyrics.lines) times.push_back(line.timeMs);
    return times;
}

TEST(ReadLrc, EveryStampFormTheServiceWrites) {
    struct Case {
        const char* line;
        std::int64_t ms;
    };
    const Case cases[] = {
        {"[01:02.34]a", 62340}, {"[01:02.345]a", 62345},  {"[01:02:34]a", 62340},    {"[01:02]a", 62000},
        {"[01:02.5]a", 62500},  {"[01:02.05]a", 62050},   {"[120:00.00]a", 7200000}, {"[1:02.34]a", 62340},
        {"[00:00.00]a", 0},     {"[01:02.3456]a", 62345},
    };
    for (const Case& c : cases) {
        const Lyrics lyrics = readLrc(c.line);
        ASSERT_EQ(lyrics.lines.size(), 1u) << c.line;
        EXPECT_EQ(lyrics.lines[0].timeMs, c.ms) << c.line;
        EXPECT_EQ(lyrics.lines[0].text, "a") << c.line;
    }
    // Not stamps: the line is text.
    for (const char* text : {"[01:2x]x", "[01.02]x", "[01:02.]x"}) {
        EXPECT_EQ(readLrc(text).kind, Lyrics::Kind::Plain) << text;
    }
}

TEST(ReadLrc, SeveralStampsUnsortedLinesPausesAndLineEnds) {
    const Lyrics lyrics =
        readLrc("[01:15.81][00:15.02]琴声如风\r\n[00:10.00]first\r\n[00:12.00]\n[00:15.02]same time\n");
    ASSERT_EQ(lyrics.kind, Lyrics::Kind::Timed);
    EXPECT_EQ(timesOf(lyrics), (std::vector<std::int64_t>{10000, 12000, 15020, 15020, 75810}));
    EXPECT_EQ(lyrics.lines[1].text, "") << "a pause";
    EXPECT_EQ(lyrics.lines[2].text, "琴声如风") << "equal times keep their order";
    EXPECT_EQ(lyrics.lines[3].text, "same time");
    EXPECT_EQ(lyrics.lines[4].text, "琴声如风");
}

TEST(ReadLrc, TagsOffsetAndCreditLines) {
    const Lyrics lyrics = readLrc(
        "[ti:成都]\n[ar:赵雷]\n[al:无法长大]\n[by:someone]\n[offset:+500]\n"
        R"({"t":1000,"c":[{"tx":"作词: "},{"tx":"赵雷","li":"http://p/1.jpg","or":"orpheus://nm/artist/home?id=1"}]})"
        "\n[00:00.20]early\n[00:03.00]later\n");
    EXPECT_EQ(lyrics.title, "成都");
    EXPECT_EQ(lyrics.artist, "赵雷");
    EXPECT_EQ(lyrics.album, "无法长大");
    EXPECT_EQ(lyrics.by, "someone");
    ASSERT_EQ(lyrics.lines.size(), 3u);
    EXPECT_EQ(timesOf(lyrics), (std::vector<std::int64_t>{0, 500, 2500})) << "offset applied, never below 0";
    // The JSON reader drops a string value's trailing blank.
    EXPECT_EQ(lyrics.lines[1].text, "作词:赵雷");
    EXPECT_EQ(readLrc("[offset:-1000]\n[00:01.00]x").lines[0].timeMs, 2000);
}

TEST(ReadLrc, PlainTextInstrumentalAndNothing) {
    const Lyrics plain = readLrc("no stamps here\nsecond line\n");
    EXPECT_EQ(plain.kind, Lyrics::Kind::Plain);
    EXPECT_EQ(plain.plainText, "no stamps here\nsecond line");
    EXPECT_EQ(lrcText(plain), "no stamps here\nsecond line\n");
    EXPECT_EQ(readLrc("[99:00.00]纯音乐，请欣赏\n").kind, Lyrics::Kind::Instrumental);
    EXPECT_EQ(readLrc("[00:05.00]纯音乐，请欣赏").kind, Lyrics::Kind::Instrumental);
    EXPECT_EQ(readLrc("").kind, Lyrics::Kind::None);
    EXPECT_EQ(readLrc("[ti:x]\n\n").kind, Lyrics::Kind::None);
    EXPECT_EQ(readLrc(R"({"t":"x"})").kind, Lyrics::Kind::None) << "never the raw JSON";
}

TEST(ReadLyricAnswer, TranslationMatchedAcrossStampForms) {
    const Lyrics lyrics = readLyricAnswer(
        R"({"lrc":{"version":3,"lyric":"[00:01.50]Hello\n[00:03.000]World\n[00:05.00]Again\n"},)"
        R"("tlyric":{"version":2,"lyric":"[by:译者]\n[00:01:50]你好\n[00:03.00]世界\n[00:04.00]多出的一行\n"},"code":200})");
    ASSERT_EQ(lyrics.kind, Lyrics::Kind::Timed);
    ASSERT_EQ(lyrics.lines.size(), 4u);
    EXPECT_EQ(lyrics.lines[0].translation, "你好");
    EXPECT_EQ(lyrics.lines[1].translation, "世界");
    EXPECT_EQ(lyrics.lines[2].text, "") << "a translated line without its original keeps its time";
    EXPECT_EQ(lyrics.lines[2].translation, "多出的一行");
    EXPECT_EQ(lyrics.lines[3].translation, "");
    EXPECT_EQ(
        lrcText(lyrics),
        "[00:01.50]Hello\n[00:01.50]你好\n[00:03.00]World\n[00:03.00]世界\n[00:04.00]多出的一行\n[00:05.00]Again\n");
}

TEST(ReadLyricAnswer, FlagsRefusalsAndEmptyTexts) {
    EXPECT_EQ(readLyricAnswer(R"({"nolyric":true,"code":200})").kind, Lyrics::Kind::Instrumental);
    EXPECT_EQ(
        readLyricAnswer(
            R"({"needDesc":true,"pureMusic":true,"lrc":{"version":1,"lyric":"[00:05.00]纯音乐，请欣赏\n"},"code":200})")
            .kind,
        Lyrics::Kind::Instrumental);
    EXPECT_EQ(readLyricAnswer(R"({"uncollected":true,"code":200})").kind, Lyrics::Kind::None);
    EXPECT_EQ(readLyricAnswer(R"({"code":404,"msg":"该资源不存在。"})").kind, Lyrics::Kind::None);
    EXPECT_EQ(readLyricAnswer(R"({"lrc":{"version":0,"lyric":""},"tlyric":{"lyric":null},"code":200})").kind,
              Lyrics::Kind::None);
    EXPECT_EQ(readLyricAnswer(R"({"lrc":{"lyric":null},"code":200})").kind, Lyrics::Kind::None);
    EXPECT_EQ(readLyricAnswer("not json at all").kind, Lyrics::Kind::None);
    EXPECT_EQ(lrcText(Lyrics{}), "");
    EXPECT_EQ(lrcText(readLyricAnswer(R"({"nolyric":true,"code":200})")), "[00:00.00]纯音乐，请欣赏\n");
}

TEST(CurrentLine, FollowsThePositionIncludingSeeksBack) {
    const Lyrics lyrics = readLrc("[00:01.00]a\n[00:02.00]b\n[00:04.00]c\n");
    EXPECT_EQ(currentLine(lyrics, 0), 0);
    EXPECT_EQ(currentLine(lyrics, 1000), 1);
    EXPECT_EQ(currentLine(lyrics, 3999), 2);
    EXPECT_EQ(currentLine(lyrics, 600000), 3);
    EXPECT_EQ(currentLine(lyrics, 1500), 1) << "a seek back";
    EXPECT_EQ(currentLine(readLrc("plain"), 5000), 0);
}

}  // namespace
}  // namespace velomir

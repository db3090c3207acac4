#include "downloads/audio_check.h"

#include <gtest/gtest.h>

#include "downloads/download_test_support.h"

namespace velomir {
namespace {

TEST(AudioCheck, KnowsTheFormatsByTheirFirstBytes) {
    const std::string frames = testing::mp3Frames(2);
    EXPECT_EQ(sniffAudio(frames), AudioFormat::Mp3);
    EXPECT_EQ(sniffAudio("fLaC\0\0\0\x22"), AudioFormat::Flac);
    EXPECT_EQ(sniffAudio(std::string("\0\0\0\x20"
                                     "ftypM4A ",
                                     12)),
              AudioFormat::Mp4);
    EXPECT_EQ(sniffAudio("OggS\0\x02"), AudioFormat::Ogg);
    EXPECT_EQ(sniffAudio("<!DOCTYPE html><html>"), AudioFormat::None);
    EXPECT_EQ(sniffAudio("{\"code\":404}"), AudioFormat::None);
    EXPECT_EQ(sniffAudio(""), AudioFormat::None);

    // An ID3v2 tag is looked behind, with its size read as synchsafe (here 0x81 = 129 bytes) and its footer.
    const std::string tag = std::string("ID3\x03\x00\x00\x00\x00\x01\x01", 10) + std::string(129, 'x');
    EXPECT_EQ(sniffAudio(tag + frames), AudioFormat::Mp3);
    EXPECT_EQ(sniffAudio(tag + std::string(100, '\0') + frames), AudioFormat::Mp3);  // padding before the frames
    EXPECT_EQ(sniffAudio(tag + "<html>" + std::string(5000, ' ')), AudioFormat::None);
    EXPECT_EQ(sniffAudio(tag), AudioFormat::None);
    const std::string withFooter =
        std::string("ID3\x04\x00\x10\x00\x00\x00\x04", 10) + "abcd" + "3DI\x04\x00\x10\x00\x00\x00\x04";
    EXPECT_EQ(sniffAudio(withFooter + frames), AudioFormat::Mp3);
}

TEST(AudioCheck, TellsPagesFromAudioByTypeAndAddress) {
    for (const char* type : {"audio/mpeg", "application/octet-stream", "", "audio/flac"}) {
        EXPECT_TRUE(isAudioContentType(type)) << type;
    }
    for (const char* type : {"text/html; charset=utf-8", "TEXT/plain", "application/xhtml+xml", " text/xml"}) {
        EXPECT_FALSE(isAudioContentType(type)) << type;
    }
    for (const char* url :
         {"http://music.163.com/404", "https://MUSIC.163.com:8080/404?x=1", "http://music.163.com/404/"}) {
        EXPECT_TRUE(isServiceNotFoundPage(url)) << url;
    }
    for (const char* url : {"http://127.0.0.1:8080/404", "http://music.163.com/4040", "http://m7.music.126.net/404",
                            "http://music.163.com/song/404", "http://music.163.com", "music.163.com/404"}) {
        EXPECT_FALSE(isServiceNotFoundPage(url)) << url;
    }
}

TEST(AudioCheck, ReadsRangesAndPauses) {
    const auto range = parseContentRange("bytes 100-199/1000");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 100);
    EXPECT_EQ(range->last, 199);
    EXPECT_EQ(range->total, 1000);
    const auto whole = parseContentRange("bytes */1000");
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->first, -1);
    EXPECT_EQ(whole->total, 1000);
    const auto open = parseContentRange("bytes 5-9/*");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->total, -1);
    for (const char* bad :
         {"", "bytes */*", "bytes 9-5/10", "bytes 5-10/10", "items 0-1/2", "bytes 1-2", "bytes a-b/3"}) {
        EXPECT_FALSE(parseContentRange(bad)) << bad;
    }

    EXPECT_EQ(parseRetryAfter(" 120 "), std::chrono::seconds(120));
    EXPECT_EQ(parseRetryAfter("0"), std::chrono::seconds(0));
    EXPECT_FALSE(parseRetryAfter("Wed, 21 Oct 2026 07:28:00 GMT"));
    EXPECT_FALSE(parseRetryAfter("-5"));
    EXPECT_FALSE(parseRetryAfter(""));
}

}  // namespace
}  // namespace velomir

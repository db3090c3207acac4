#include "downloads/track_tagger.h"

#include <gtest/gtest.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include "downloads/download_test_support.h"

namespace velomir {
namespace {

using testing::bytesOf;
using testing::mp3Frames;
using testing::tagBytes;
using testing::TagReader;
using testing::utf8;

TrackTags fullTags() {
    TrackTags tags;
    tags.title = "夜曲 Nocturne";
    tags.artists = "周杰伦/Lara";
    tags.album = "十一月的萧邦";
    tags.trackNumber = 3;
    tags.trackCount = 12;
    tags.coverBytes = testing::jpegBytes();
    tags.lyrics = "[00:01.00]为你弹奏萧邦的夜曲\n";
    tags.trackId = "186001";
    return tags;
}

TEST(TrackTagger, WritesEveryFieldAsUtf16InOneVersion3TagAndLeavesTheAudioAlone) {
    const std::string audio = mp3Frames();
    std::string bytes = audio;
    ASSERT_TRUE(tagMp3(bytes, fullTags()));

    ASSERT_EQ(bytes.size(), tagBytes(bytes) + audio.size());
    EXPECT_EQ(bytes.substr(tagBytes(bytes)), audio);
    TagReader reader(bytes);
    ASSERT_TRUE(reader.file().hasID3v2Tag());
    EXPECT_EQ(reader.tag().header()->majorVersion(), 3u);
    EXPECT_FALSE(reader.file().hasID3v1Tag());
    EXPECT_FALSE(reader.file().hasAPETag());
    EXPECT_EQ(utf8(reader.tag().title()), "夜曲 Nocturne");
    EXPECT_EQ(utf8(reader.tag().artist()), "周杰伦/Lara");
    EXPECT_EQ(utf8(reader.tag().album()), "十一月的萧邦");
    EXPECT_EQ(utf8(reader.frame("TRCK")->toString()), "3/12");
    for (const char* id : {"TIT2", "TPE1", "TALB", "TRCK", "TXXX"}) {
        EXPECT_EQ(reader.encoding(id), TagLib::String::UTF16) << id;
    }

    auto& picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame&>(*reader.frame("APIC"));
    EXPECT_EQ(picture.type(), TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    EXPECT_EQ(utf8(picture.mimeType()), "image/jpeg");
    EXPECT_EQ(picture.picture(), bytesOf(testing::jpegBytes()));

    auto& lyrics = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame&>(*reader.frame("USLT"));
    EXPECT_EQ(utf8(lyrics.text()), "[00:01.00]为你弹奏萧邦的夜曲\n");
    EXPECT_EQ(lyrics.language(), TagLib::ByteVector("und"));
    EXPECT_EQ(lyrics.textEncoding(), TagLib::String::UTF16);

    auto* id = TagLib::ID3v2::UserTextIdentificationFrame::find(&reader.tag(), "NetEase Cloud Music ID");
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(utf8(id->fieldList().back()), "186001");
}

TEST(TrackTagger, LeavesOutWhatIsNotGiven) {
    std::string bytes = mp3Frames();
    TrackTags tags;
    tags.title = "Only a title";
    tags.trackNumber = 4;  // no total: the number alone
    tags.coverBytes = "not a picture";
    ASSERT_TRUE(tagMp3(bytes, tags));
    TagReader reader(bytes);
    EXPECT_EQ(utf8(reader.frame("TRCK")->toString()), "4");
    for (const char* id : {"TPE1", "TALB", "APIC", "USLT", "TXXX"}) EXPECT_EQ(reader.count(id), 0) << id;

    tags.coverBytes = testing::pngBytes();
    ASSERT_TRUE(tagMp3(bytes, tags));
    TagReader again(bytes);
    EXPECT_EQ(utf8(dynamic_cast<TagLib::ID3v2::AttachedPictureFrame&>(*again.frame("APIC")).mimeType()), "image/png");
}

TEST(TrackTagger, ReplacesEveryEarlierTagWithOne) {
    const std::string audio = mp3Frames();
    std::string old;
    {
        // A file as other tools leave it: ID3v2.4 in front, APE and ID3v1 behind.
        TagLib::ByteVectorStream stream(bytesOf(audio));
        TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        file.ID3v2Tag(true)->setTitle("old");
        file.ID3v2Tag()->setComment("old comment");
        file.APETag(true)->setTitle("old");
        file.ID3v1Tag(true)->setTitle("old");
        ASSERT_TRUE(file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v4));
        old.assign(stream.data()->data(), stream.data()->size());
    }
    {
        TagReader reader(old);
        ASSERT_TRUE(reader.file().hasID3v1Tag() && reader.file().hasAPETag());
    }
    // A second ID3v2 tag stacked in front of the first, as some broken taggers write.
    std::string stacked = old.substr(0, tagBytes(old)) + old;

    for (std::string bytes : {old, stacked}) {
        ASSERT_TRUE(tagMp3(bytes, fullTags()));
        ASSERT_TRUE(tagMp3(bytes, fullTags()));  // tagging twice still leaves one tag
        EXPECT_EQ(bytes.substr(tagBytes(bytes)), audio);
        TagReader reader(bytes);
        EXPECT_FALSE(reader.file().hasID3v1Tag());
        EXPECT_FALSE(reader.file().hasAPETag());
        EXPECT_EQ(reader.tag().header()->majorVersion(), 3u);
        EXPECT_EQ(utf8(reader.tag().title()), "夜曲 Nocturne");
        EXPECT_EQ(reader.count("COMM"), 0);
        EXPECT_EQ(reader.count("TIT2"), 1);
    }
}

TEST(TrackTagger, RefusesBytesThatAreNoMp3) {
    for (std::string bytes :
         {std::string("<html><body>404</body></html>"), std::string("fLaC") + mp3Frames(), std::string()}) {
        const std::string before = bytes;
        EXPECT_FALSE(tagMp3(bytes, fullTags()));
        EXPECT_EQ(bytes, before);
    }
}

}  // namespace
}  // namespace velomir

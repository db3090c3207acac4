// The service's page, widget and outer addresses, made and read without a request.
#include "analysis/service_addresses.h"

#include <gtest/gtest.h>

#include "analysis/analysis_options.h"
#include "analysis/link_kind.h"
#include "analysis/link_kind_printer.h"
#include "analysis/link_recognition.h"
#include "fake_transport.h"

namespace velomir {
namespace {

TEST(ServiceAddresses, Pages) {
    EXPECT_EQ(songPageAddress("42"), "http://music.163.com/#/song?id=42");
    EXPECT_EQ(albumPageAddress("35799123"), "http://music.163.com/#/album?id=35799123");
    EXPECT_EQ(radioPageAddress("350117068"), "http://music.163.com/#/djradio?id=350117068");
    EXPECT_EQ(artistPageAddress("101368"), "http://music.163.com/artist?id=101368");
    EXPECT_EQ(playlistPageAddress("7"), "http://music.163.com/playlist?id=7");
    EXPECT_EQ(playlistLinkAddress("7"), "http://music.163.com/#/playlist?id=7");
}

// What the window opens or hands back to itself must read as the same item again, without asking the service.
TEST(ServiceAddresses, PagesReadBackAsTheirItem) {
    struct Case {
        std::string address;
        LinkKind kind;
        const char* id;
    };
    const Case cases[] = {
        {songPageAddress("436514312"), LinkKind::Song, "436514312"},
        {albumPageAddress("35799123"), LinkKind::Album, "35799123"},
        {radioPageAddress("350117068"), LinkKind::Radio, "350117068"},
        {artistPageAddress("101368"), LinkKind::Artist, "101368"},
        {playlistPageAddress("2330887406"), LinkKind::Playlist, "2330887406"},
        {playlistLinkAddress("2330887406"), LinkKind::Playlist, "2330887406"},
    };
    for (const Case& c : cases) {
        testing::FakeTransport http;
        EXPECT_EQ(recogniseKind(c.address, false, AnalysisOptions{}, http), c.kind) << c.address;
        EXPECT_TRUE(http.requests.empty()) << c.address;
        EXPECT_EQ(extractId(c.address), c.id) << c.address;
    }
}

TEST(ServiceAddresses, OuterAddressNamesTheTrackAsANumber) {
    EXPECT_EQ(outerAudioAddress("007"), "http://music.163.com/song/media/outer/url?id=7.mp3");
    EXPECT_EQ(outerAudioAddress(""), "");
    EXPECT_EQ(outerAudioAddress("0"), "");
    EXPECT_EQ(outerAudioAddress("-5"), "");
}

TEST(WidgetAddress, BuiltForTheItemAndType) {
    const std::string widget = buildWidgetAddress("123", "2");
    EXPECT_TRUE(widget.starts_with("http://music.163.com/")) << widget;
    EXPECT_TRUE(widget.ends_with("/style/swf/widget.swf?sid=123&type=2&auto=1&width=320&height=66")) << widget;
}

TEST(WidgetAddress, ReadsBackWhatItBuilds) {
    for (const char* type : {"2", "3", "7"}) {
        const std::optional<WidgetRequest> request = parseWidgetAddress(buildWidgetAddress("26291188", type));
        ASSERT_TRUE(request.has_value()) << type;
        EXPECT_EQ(request->id, "26291188");
        EXPECT_EQ(request->type, type);
    }
}

TEST(WidgetAddress, ReadsNamesWithoutRegardToCaseInAnyOrder) {
    const auto request = parseWidgetAddress("http://music.163.com/Style/SWF/Widget.swf?TYPE=3&junk&Sid=9&sid=10");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->id, "10");  // the last one wins
    EXPECT_EQ(request->type, "3");
    const auto untyped = parseWidgetAddress("http://x/style/swf/widget.swf?sid=");
    ASSERT_TRUE(untyped.has_value());
    EXPECT_EQ(untyped->id, "");
    EXPECT_EQ(untyped->type, "");
}

TEST(WidgetAddress, OtherAddressesNameNoItem) {
    for (const char* address : {"", "http://music.163.com/#/song?id=5", "http://music.163.com/style/swf/widget.swf",
                                "http://music.163.com/style/swf/widget.swf?type=2&auto=1"}) {
        EXPECT_FALSE(parseWidgetAddress(address).has_value()) << address;
    }
}

}  // namespace
}  // namespace velomir

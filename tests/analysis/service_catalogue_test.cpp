#include "analysis/service_catalogue.h"

#include <gtest/gtest.h>

#include "analysis/link_kind_printer.h"
#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

using enum LinkKind;

TEST(ServiceCatalogue, HoldsTheSevenKindsInOrder) {
    ServiceCatalogue catalogue;
    catalogue.loadCatalogue();
    ASSERT_EQ(catalogue.entryCount(), 7);
    const char* keys[] = {"playlist", "album", "song", "program", "djradio", "artist", "--s--"};
    const char* labels[] = {"[歌单]", "[专辑]", "[单曲]", "[节目]", "[电台]", "[歌手]", "[搜索]"};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(catalogue.entries()[k].kind, kindAt(k));
        EXPECT_EQ(catalogue.entry(kindAt(k)).key, keys[k]);
        EXPECT_STREQ(kindTraits(kindAt(k)).label, labels[k]);
    }
    EXPECT_EQ(kindAt(7), Unrecognised);
    EXPECT_EQ(kindAt(-1), Unrecognised);
    EXPECT_EQ(catalogue.trackFieldSet().size(), 8u);
    EXPECT_EQ(catalogue.searchFieldSet().size(), 8u);
    EXPECT_EQ(catalogue.programmeFieldSet().size(), 9u);
    EXPECT_EQ(ServiceCatalogue::listPath(Programme), "program");
    EXPECT_EQ(ServiceCatalogue::listPath(Artist), "[n]");
    EXPECT_EQ(ServiceCatalogue::listPath(Unrecognised), "");
}

TEST(ServiceCatalogue, SecondLoadChangesNothing) {
    ServiceCatalogue catalogue;
    catalogue.loadCatalogue();
    const std::string before = catalogue.entry(Radio).templateText;
    catalogue.loadCatalogue();
    EXPECT_EQ(catalogue.entryCount(), 7);
    EXPECT_EQ(catalogue.trackFieldSet().size(), 8u);
    EXPECT_EQ(catalogue.entry(Radio).templateText, before);
}

TEST(ServiceCatalogue, TemplatesUseTheServiceHosts) {
    const ServiceCatalogue& catalogue = serviceCatalogue();
    for (LinkKind kind : {Playlist, Album, Song, Programme, Radio, Artist}) {
        EXPECT_EQ(catalogue.entry(kind).templateText.rfind("http://" + std::string(kMainHost) + "/", 0), 0u);
    }
    EXPECT_EQ(catalogue.entry(Search).templateText.rfind("http://" + std::string(kSearchHost) + "/", 0), 0u);
    const std::string song = replaceAllNoCase(catalogue.entry(Song).templateText, "{id}", "12345");
    EXPECT_NE(song.find("ids=[12345]"), std::string::npos);
}

TEST(ServiceCatalogue, DerivedMappings) {
    const ServiceCatalogue& catalogue = serviceCatalogue();
    EXPECT_EQ(catalogue.fieldSetOfKind(Playlist).front(), ".mp3Url");
    EXPECT_EQ(catalogue.fieldSetOfKind(Radio).front(), ".mainSong.mp3Url");
    EXPECT_EQ(catalogue.fieldSetOfKind(Artist).front(), ".audio");
    EXPECT_EQ(catalogue.fieldSetOfKind(Unrecognised).front(), ".mp3Url");
    constexpr RecordType track = RecordType::Track;
    constexpr RecordType programme = RecordType::Programme;
    const std::pair<LinkKind, RecordType> types[] = {{Playlist, track},      {Album, track},       {Song, track},
                                                     {Programme, programme}, {Radio, programme},   {Artist, track},
                                                     {Search, track},        {Unrecognised, track}};
    for (const auto& [kind, type] : types)
        EXPECT_EQ(ServiceCatalogue::recordTypeOfKind(kind), type) << kindTraits(kind).key;
}

TEST(KindTable, WidgetTypesFollowTheRecordType) {
    EXPECT_EQ(widgetTypeOf(RecordType::Track), "2");
    EXPECT_EQ(widgetTypeOf(RecordType::Programme), "3");
    // Unrecognised input shows under the artist label but reads its items as tracks.
    EXPECT_STREQ(kindTraits(Unrecognised).label, kindTraits(Artist).label);
    EXPECT_EQ(kindTraits(Unrecognised).answerFields, AnswerFields::Track);
    EXPECT_EQ(kindTraits(Unrecognised).key, "");
}

}  // namespace
}  // namespace velomir

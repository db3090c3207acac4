#include "analysis/service_catalogue.h"

#include <gtest/gtest.h>

#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

TEST(ServiceCatalogue, HoldsTheSevenKindsInOrder) {
    ServiceCatalogue catalogue;
    catalogue.loadCatalogue();
    ASSERT_EQ(catalogue.entryCount(), 7);
    const char* keys[] = {"playlist", "album", "song", "program", "djradio", "artist", "--s--"};
    const char* labels[] = {"歌单", "专辑", "单曲", "节目", "电台", "歌手", "搜索"};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(catalogue.entry(k).index, k);
        EXPECT_EQ(catalogue.entry(k).key, keys[k]);
        EXPECT_EQ(catalogue.entry(k).label, labels[k]);
    }
    EXPECT_EQ(catalogue.searchKind(), 6);
    EXPECT_EQ(catalogue.trackFieldSet().size(), 8u);
    EXPECT_EQ(catalogue.searchFieldSet().size(), 8u);
    EXPECT_EQ(catalogue.programmeFieldSet().size(), 9u);
    EXPECT_EQ(catalogue.listPath(3), "program");
    EXPECT_EQ(catalogue.listPath(5), "[n]");
    EXPECT_EQ(catalogue.listPath(7), "");
}

TEST(ServiceCatalogue, SecondLoadChangesNothing) {
    ServiceCatalogue catalogue;
    catalogue.loadCatalogue();
    const std::string before = catalogue.entry(4).templateText;
    catalogue.loadCatalogue();
    EXPECT_EQ(catalogue.entryCount(), 7);
    EXPECT_EQ(catalogue.trackFieldSet().size(), 8u);
    EXPECT_EQ(catalogue.entry(4).templateText, before);
}

TEST(ServiceCatalogue, TemplatesUseTheServiceHosts) {
    const ServiceCatalogue& catalogue = serviceCatalogue();
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(catalogue.entry(k).templateText.rfind("http://" + std::string(kMainHost) + "/", 0), 0u) << k;
    }
    EXPECT_EQ(catalogue.entry(6).templateText.rfind("http://" + std::string(kSearchHost) + "/", 0), 0u);
    const std::string song = replaceAllNoCase(catalogue.entry(2).templateText, "{id}", "12345");
    EXPECT_NE(song.find("ids=[12345]"), std::string::npos);
}

TEST(ServiceCatalogue, DerivedMappings) {
    const ServiceCatalogue& catalogue = serviceCatalogue();
    EXPECT_EQ(catalogue.fieldSetOfKind(0).front(), ".mp3Url");
    EXPECT_EQ(catalogue.fieldSetOfKind(4).front(), ".mainSong.mp3Url");
    EXPECT_EQ(catalogue.fieldSetOfKind(5).front(), ".audio");
    EXPECT_EQ(catalogue.fieldSetOfKind(-1).front(), ".mp3Url");
    const int types[] = {1, 1, 1, 2, 2, 1, 1, 1};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(ServiceCatalogue::recordTypeOfKind(k), types[k]) << k;
}

}  // namespace
}  // namespace velomir

#include "playlist_answer_generator.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace velomir {
namespace {

using Json = nlohmann::json;

constexpr std::uint64_t kTwoPow31 = 2147483648ULL;
constexpr std::uint64_t kTwoPow53 = 9007199254740992ULL;

Json parsedAnswer(int tracks, std::uint64_t seed) {
    return Json::parse(PlaylistAnswerGenerator(seed).answer(tracks), nullptr, false);
}

TEST(PlaylistAnswerGenerator, GivesStrictJsonWithTheRequestedTrackCount) {
    for (int tracks : {0, 1, 2, 57}) {
        SCOPED_TRACE(tracks);
        const Json doc = parsedAnswer(tracks, 7);
        ASSERT_FALSE(doc.is_discarded());
        EXPECT_EQ(doc.at("code"), 200);
        EXPECT_EQ(doc.at("result").at("tracks").size(), static_cast<std::size_t>(tracks));
        EXPECT_EQ(doc.at("result").at("trackCount"), tracks);
    }
}

TEST(PlaylistAnswerGenerator, IsDeterministicBySeedAndSendsThePiecesOfTheWholeAnswer) {
    const std::string answer = PlaylistAnswerGenerator(3).answer(40);
    EXPECT_EQ(answer, PlaylistAnswerGenerator(3).answer(40));
    EXPECT_NE(answer, PlaylistAnswerGenerator(4).answer(40));

    std::string joined;
    std::size_t pieces = 0;
    PlaylistAnswerGenerator(3).write(40, [&](std::string_view piece) {
        joined += piece;
        ++pieces;
    });
    EXPECT_EQ(joined, answer);
    EXPECT_EQ(pieces, 42u);  // head, one per track, tail: a service can stream it
}

TEST(PlaylistAnswerGenerator, IsCompactAndSizedLikeTheServiceAnswers) {
    const std::string answer = PlaylistAnswerGenerator(1).answer(10000);
    EXPECT_EQ(answer.find('\n'), std::string::npos);
    EXPECT_EQ(answer.find("\": "), std::string::npos);
    EXPECT_EQ(answer.find(", \""), std::string::npos);
    EXPECT_GT(answer.size(), 27'500'000u);
    EXPECT_LT(answer.size(), 30'500'000u);
}

TEST(PlaylistAnswerGenerator, EveryTrackCarriesTheServiceFieldSet) {
    const std::vector<std::string> trackKeys = {
        "name",      "id",       "position",  "alias",     "status",         "fee",      "copyrightId", "disc",
        "no",        "artists",  "album",     "starred",   "popularity",     "score",    "starredNum",  "duration",
        "playedNum", "dayPlays", "hearTime",  "ringtone",  "crbt",           "audition", "copyFrom",    "rtUrl",
        "ftype",     "rtUrls",   "copyright", "transName", "hMusic",         "mMusic",   "lMusic",      "bMusic",
        "mvid",      "rtype",    "rurl",      "mp3Url",    "commentThreadId"};
    const std::vector<std::string> albumKeys = {
        "name",    "id",       "type",        "size",        "picId",       "blurPicUrl",      "companyId",
        "pic",     "picUrl",   "publishTime", "description", "tags",        "company",         "briefDesc",
        "artist",  "songs",    "alias",       "status",      "copyrightId", "commentThreadId", "artists",
        "subType", "transName"};
    const std::vector<std::string> artistKeys = {"name",      "id",        "picId", "img1v1Id", "briefDesc", "picUrl",
                                                 "img1v1Url", "albumSize", "alias", "trans",    "musicSize"};
    const auto expectKeys = [](const Json& object, const std::vector<std::string>& keys, const char* what) {
        for (const std::string& key : keys) EXPECT_TRUE(object.contains(key)) << what << " lacks " << key;
    };
    const Json doc = parsedAnswer(200, 11);
    ASSERT_FALSE(doc.is_discarded());
    for (const Json& track : doc["result"]["tracks"]) {
        expectKeys(track, trackKeys, "track");
        expectKeys(track["album"], albumKeys, "album");
        expectKeys(track["album"]["artist"], artistKeys, "album artist");
        ASSERT_GE(track["artists"].size(), 1u);
        ASSERT_LE(track["artists"].size(), 3u);
        for (const Json& artist : track["artists"]) expectKeys(artist, artistKeys, "artist");
        EXPECT_GT(track["album"]["picId"].get<std::uint64_t>(), kTwoPow53);
        EXPECT_TRUE(track["mMusic"]["volumeDelta"].is_number());
        EXPECT_EQ(track["mMusic"]["extension"], "mp3");
    }
}

// Each form must show up somewhere in a few hundred tracks, or the readers are never tested against it.
TEST(PlaylistAnswerGenerator, CoversTheFormsReadersMeetInRealAnswers) {
    const std::string text = PlaylistAnswerGenerator(5).answer(600);
    const Json doc = Json::parse(text, nullptr, false);
    ASSERT_FALSE(doc.is_discarded());
    const auto name = [](const Json& track) { return track["name"].get<std::string>(); };
    const auto audio = [](const Json& track) { return track["mp3Url"]; };
    const std::vector<std::pair<const char*, std::function<bool(const Json&)>>> forms = {
        {"escaped quote in a name", [&](const Json& t) { return name(t).find('"') != std::string::npos; }},
        {"ellipsis in a name", [&](const Json& t) { return name(t).find("…") != std::string::npos; }},
        {"bracketed suffix", [&](const Json& t) { return name(t).find(" [") != std::string::npos; }},
        {"full-width bracket", [&](const Json& t) { return name(t).find("（") != std::string::npos; }},
        {"ideographic space", [&](const Json& t) { return name(t).find("　") != std::string::npos; }},
        {"track ID beyond 2^31", [](const Json& t) { return t["id"].get<std::uint64_t>() >= kTwoPow31; }},
        {"track ID beyond 2^32", [](const Json& t) { return t["id"].get<std::uint64_t>() >= 2 * kTwoPow31; }},
        {"two artists", [](const Json& t) { return t["artists"].size() == 2; }},
        {"three artists", [](const Json& t) { return t["artists"].size() == 3; }},
        {"null address", [&](const Json& t) { return audio(t).is_null(); }},
        {"placeholder address",
         [&](const Json& t) { return audio(t).is_string() && audio(t).get<std::string>().ends_with("/0.mp3"); }},
        {"real address",
         [&](const Json& t) { return audio(t).is_string() && !audio(t).get<std::string>().ends_with("/0.mp3"); }},
        {"float popularity", [](const Json& t) { return t["popularity"].is_number_float(); }},
        {"null hMusic", [](const Json& t) { return t["hMusic"].is_null(); }},
    };
    for (const auto& [what, holds] : forms) {
        bool seen = false;
        for (const Json& track : doc["result"]["tracks"]) seen = seen || holds(track);
        EXPECT_TRUE(seen) << what;
    }
    EXPECT_NE(text.find("\\u2026"), std::string::npos) << "written as an escape, as the service does";
    EXPECT_NE(text.find("E-4"), std::string::npos) << "exponent float";
}

}  // namespace
}  // namespace velomir

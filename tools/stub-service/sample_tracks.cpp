#include "sample_tracks.h"

namespace velomir {
namespace {

constexpr auto kAddress = AudioForm::Address;

// Names mix Chinese, English, full-width forms, brackets, an escaped quote and a \u escape; tracks 5 and 9 have
// a null address, 13 none at all, 17 the useless placeholder. Several IDs lie beyond 2^31 and 2^32.
constexpr SampleTrack kPlaylistTracks[] = {
    {29814898, "可惜没如果", {{"林俊杰", 3684}}, "新地球", 3056951, 3238061746556733, kAddress, 298276},
    {2147483659, "Two Voices", {{"A", 11}, {"B", 22}}, "Duets", 3190166, 109951163012345678, kAddress, 215000},
    {386538, "Song [Live]", {{"五月天", 13193}}, "2017 Live", 3106042, 109951162868126486, kAddress, 263000},
    {1297742167, "Say \\\"Hello\\\"", {{"Adele", 46487}}, "25", 3263923, 18720284975304510, kAddress, 295000},
    {186016, "晴天", {{"周杰伦", 6452}}, "叶惠美", 18905, 109951163200249252, AudioForm::Null, 269000},
    {1345848098,
     "If Only\\u2026",
     {{"Matt Terry", 1079075}, {"陈奕迅", 2116}},
     "Trouble",
     73912813,
     109951163587636474,
     kAddress,
     201000},
    {1808492012,
     "Ｌｏｖｅ　Ｓｏｎｇ",
     {{"群星", 122455}},
     "Ｂｅｓｔ　Ｏｆ",
     123706880,
     109951165003498212,
     kAddress,
     232000},
    {1330348068, "成都 Chengdu (Live)", {{"赵雷", 6731}}, "无法长大", 73853513, 109951163111196186, kAddress, 328000},
    {460043703,
     "Shape of You",
     {{"Ed Sheeran", 33184}},
     "÷ (Deluxe)",
     35150843,
     18940168371187432,
     AudioForm::Null,
     233000},
    {28815250, "平凡之路", {{"朴树", 4721}}, "猎户星座", 2960040, 2946691248081599, kAddress, 301000},
    {186001, "夜曲", {{"周杰伦", 6452}}, "十一月的萧邦", 18903, 109951163200234839, kAddress, 226000},
    {5179544, "Trouble Is A Friend", {{"Lenka", 45229}}, "Lenka", 508580, 5800318720939410, kAddress, 216000},
    {4294967302,
     "大鱼",
     {{"周深", 1030001}},
     "大鱼海棠 电影原声带",
     34723470,
     109951162810009123,
     AudioForm::Missing,
     313000},
    {536622304, "Lemon", {{"米津玄師", 159300}}, "Lemon", 37682058, 109951163262315178, kAddress, 255000},
    {1436709403, "起风了", {{"买辣椒也用券", 12085562}}, "起风了", 84543010, 109951164893486753, kAddress, 325000},
    {461347998,
     "Something Just Like This",
     {{"The Chainsmokers", 89307}, {"Coldplay", 89365}},
     "Memories...Do Not Open",
     35106125,
     18706687580006245,
     kAddress,
     247000},
    {29019227, "南山南", {{"马頔", 4592}}, "孤岛", 2954152, 109951163053286523, AudioForm::Placeholder, 324000},
    {30953009,
     "See You Again",
     {{"Wiz Khalifa", 46376}, {"Charlie Puth", 90331}},
     "Furious 7",
     3111188,
     109951163221160217,
     kAddress,
     229000},
    {1293886117, "光年之外", {{"G.E.M.邓紫棋", 7763}}, "光年之外", 72225215, 109951163092349891, kAddress, 235000},
    {32507038, "演员", {{"薛之谦", 5781}}, "绅士", 3154175, 2890616022783452, kAddress, 261000},
    {25657282, "Counting Stars", {{"OneRepublic", 98105}}, "Native", 2263164, 5835103813189234, kAddress, 257000},
    {5257138,
     "我们的歌 Our Song",
     {{"王力宏", 5346}, {"林俊杰", 3684}, {"陈奕迅", 2116}},
     "唯一",
     511172,
     109951163431555789,
     kAddress,
     283000},
    {185811, "稻香", {{"周杰伦", 6452}}, "魔杰座", 18877, 109951163200232999, kAddress, 223000},
    {36990266, "Faded", {{"Alan Walker", 1045123}}, "Faded", 3475179, 3284241395357339, kAddress, 212000},
    {254574, "后来", {{"刘若英", 8325}}, "我等你", 25464, 109951163220283567, kAddress, 341000},
};

constexpr SampleArtist kCellos{"2Cellos", 101368};
constexpr std::string_view kAlbumName = "Despacito";
constexpr std::int64_t kAlbumId = 35799123;
constexpr std::int64_t kAlbumPicture = 18423416835270373;

constexpr SampleTrack kAlbumSongs[] = {
    {492003698, "Despacito", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 146259},
    {492003699, "Game of Thrones Medley", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 260000},
    {492003700,
     "Now We Are Free",
     {kCellos, {"Hans Zimmer", 46996}},
     kAlbumName,
     kAlbumId,
     kAlbumPicture,
     kAddress,
     251000},
    {492003701, "The Godfather Theme", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, AudioForm::Placeholder, 188000},
    {492003702, "My Heart Will Go On", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 277000},
    {492003703,
     "Cinema Paradiso",
     {kCellos, {"Ennio Morricone", 32211}},
     kAlbumName,
     kAlbumId,
     kAlbumPicture,
     kAddress,
     209000},
    {492003704, "Love Story", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 198000},
    {492003705, "Moon River", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 176000},
    {492003706, "Concerning Hobbits", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 183000},
    {492003707, "Schindler's List", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 241000},
    {492003708, "Live and Let Die", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 196000},
    {492003709, "Smooth Criminal", {kCellos}, kAlbumName, kAlbumId, kAlbumPicture, kAddress, 244000},
};

// The artist page's hot songs: some from the album above, some from other albums. No "%" or "+" in any name:
// the client percent-decodes the whole page.
constexpr SampleTrack kArtistSongs[] = {
    kAlbumSongs[0],
    {29729346, "Thunderstruck", {kCellos}, "In2ition", 2554232, 109951163071229744, kAddress, 285000},
    kAlbumSongs[1],
    {29729347, "With or Without You", {kCellos}, "In2ition", 2554232, 109951163071229744, kAddress, 246000},
    {29729348, "Highway to Hell", {kCellos}, "Celloverse", 3031208, 7990836837925389, kAddress, 214000},
    kAlbumSongs[11],
    {29729349,
     "Shape of My Heart",
     {kCellos, {"Steve Vai", 46121}},
     "Celloverse",
     3031208,
     7990836837925389,
     kAddress,
     274000},
    kAlbumSongs[2],
    {29729350, "Viva La Vida", {kCellos}, "Let There Be Cello", 34577040, 109951163390237151, kAddress, 238000},
    {29729351, "Wake Me Up", {kCellos}, "Let There Be Cello", 34577040, 109951163390237151, kAddress, 229000},
};

constexpr SampleTrack kSingleSongs[] = {
    {436514312, "成都", {{"赵雷", 6731}}, "成都", 34930257, 2946691234868155, kAddress, 328155},
    {26291188, "The Show", {{"Lenka", 45229}}, "The Show", 2432219, 6636652185979562, kAddress, 235000},
};

constexpr std::int64_t kFirstSearchId = 5000000001;

const SampleTrack* findIn(std::span<const SampleTrack> tracks, std::int64_t id) {
    for (const SampleTrack& track : tracks) {
        if (track.id == id) return &track;
    }
    return nullptr;
}

}  // namespace

int SampleTrack::artistCount() const {
    int count = 0;
    while (count < 3 && !artists[count].name.empty()) ++count;
    return count;
}

std::span<const SampleTrack> samplePlaylistTracks() { return kPlaylistTracks; }
std::span<const SampleTrack> sampleAlbumSongs() { return kAlbumSongs; }
std::span<const SampleTrack> sampleArtistSongs() { return kArtistSongs; }
std::span<const SampleTrack> sampleSingleSongs() { return kSingleSongs; }

const SampleTrack* findSampleTrack(std::int64_t id) {
    for (auto list : {samplePlaylistTracks(), sampleAlbumSongs(), sampleArtistSongs(), sampleSingleSongs()}) {
        if (const SampleTrack* track = findIn(list, id)) return track;
    }
    return nullptr;
}

std::int64_t searchTrackId(int index) { return kFirstSearchId + index; }

// Each result borrows the fields of a playlist track under its own ID.
bool findSearchTrack(std::int64_t id, SampleTrack& track) {
    const std::int64_t index = id - kFirstSearchId;
    if (index < 0 || index >= kSearchTrackCount) return false;
    track = kPlaylistTracks[index % std::size(kPlaylistTracks)];
    track.id = id;
    track.audio = AudioForm::Address;
    return true;
}

}  // namespace velomir

#include "analysis/service_catalogue.h"

#include <string_view>

#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

// index|key|label|template, one kind a line. Hosts as in service_hosts.h.
constexpr std::string_view kCatalogueText =
    "0|playlist|歌单|http://music.163.com/api/playlist/detail?id={id}\r\n"
    "1|album|专辑|http://music.163.com/api/album/{id}\r\n"
    "2|song|单曲|http://music.163.com/api/song/detail/?ids=[{id}]\r\n"
    "3|program|节目|http://music.163.com/api/dj/program/detail?id={id}\r\n"
    "4|djradio|电台|http://music.163.com/api/dj/program/byradio?limit={n}&radioId={id}\r\n"
    "5|artist|歌手|http://music.163.com/artist?id={id}\r\n"
    "6|--s--|搜索|http://s.music.163.com/search/get/?src=lofter&type=1&filterDj=true&s={u}&limit={n}&offset=0";

constexpr std::string_view kListPathText =
    "result.tracks.[n]\r\nalbum.songs.[n]\r\nsongs.[n]\r\nprogram\r\nprograms.[n]\r\n[n]\r\nresult.songs.[n]";

constexpr std::string_view kTrackFieldText =
    ".mp3Url\r\n.artists.[n].name\r\n.artists.[n].id\r\n.album.blurPicUrl\r\n.album.name\r\n.album.id\r\n.name\r\n.id";

constexpr std::string_view kProgrammeFieldText =
    ".mainSong.mp3Url\r\n.mainSong.album.blurPicUrl\r\n.dj.userId\r\n.dj.nickname\r\n.radio.name\r\n.radio.id\r\n"
    ".description\r\n.name\r\n.id";

constexpr std::string_view kSearchFieldText =
    ".audio\r\n.artists.[n].name\r\n.artists.[n].id\r\n.album.picUrl\r\n.album.name\r\n.album.id\r\n.name\r\n.id";

}  // namespace

void ServiceCatalogue::loadCatalogue() {
    if (!entries_.empty()) return;
    listPaths_ = splitText(kListPathText, kLineBreak);
    trackFields_ = splitText(kTrackFieldText, kLineBreak);
    programmeFields_ = splitText(kProgrammeFieldText, kLineBreak);
    searchFields_ = splitText(kSearchFieldText, kLineBreak);
    for (const std::string& line : splitText(kCatalogueText, kLineBreak)) {
        if (line.empty()) continue;
        const std::vector<std::string> columns = splitText(line, "|");
        CatalogueEntry entry;
        entry.index = integerValue32(columns.at(0));
        entry.key = columns.at(1);
        entry.label = columns.at(2);
        entry.templateText = columns.at(3);
        entries_.push_back(std::move(entry));
    }
}

std::string ServiceCatalogue::listPath(int kind) const {
    if (kind < 0 || kind >= static_cast<int>(listPaths_.size())) return {};
    return listPaths_[kind];
}

const std::vector<std::string>& ServiceCatalogue::fieldSetOfKind(int kind) const {
    switch (kindTraits(kind).fieldSet) {
        case FieldSetName::Programme:
            return programmeFields_;
        case FieldSetName::Search:
            return searchFields_;
        case FieldSetName::Track:
            break;
    }
    return trackFields_;
}

int ServiceCatalogue::recordTypeOfKind(int kind) { return kindTraits(kind).recordType; }

const ServiceCatalogue& serviceCatalogue() {
    static const ServiceCatalogue catalogue = [] {
        ServiceCatalogue loaded;
        loaded.loadCatalogue();
        return loaded;
    }();
    return catalogue;
}

}  // namespace velomir

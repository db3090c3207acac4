#include "analysis/service_catalogue.h"

#include <string_view>

#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

constexpr std::string_view kTrackFieldText =
    ".mp3Url\r\n.artists.[n].name\r\n.artists.[n].id\r\n.album.blurPicUrl\r\n.album.name\r\n.album.id\r\n.name\r\n.id";

constexpr std::string_view kProgrammeFieldText =
    ".mainSong.mp3Url\r\n.mainSong.album.blurPicUrl\r\n.dj.userId\r\n.dj.nickname\r\n.radio.name\r\n.radio.id\r\n"
    ".description\r\n.name\r\n.id";

constexpr std::string_view kSearchFieldText =
    ".audio\r\n.artists.[n].name\r\n.artists.[n].id\r\n.album.picUrl\r\n.album.name\r\n.album.id\r\n.name\r\n.id";

std::string_view hostName(RequestHost host) { return host == RequestHost::Search ? kSearchHost : kMainHost; }

}  // namespace

void ServiceCatalogue::loadCatalogue() {
    if (!entries_.empty()) return;
    trackFields_ = splitText(kTrackFieldText, kLineBreak);
    programmeFields_ = splitText(kProgrammeFieldText, kLineBreak);
    searchFields_ = splitText(kSearchFieldText, kLineBreak);
    for (int index = 0; index < kKindCount; ++index) {
        const KindTraits& traits = allKindTraits()[static_cast<std::size_t>(index)];
        CatalogueEntry entry;
        entry.kind = kindAt(index);
        entry.key = traits.key;
        entry.templateText = "http://" + std::string(hostName(traits.host)) + std::string(traits.request);
        entries_.push_back(std::move(entry));
    }
}

const std::vector<std::string>& ServiceCatalogue::fieldSetOfKind(LinkKind kind) const {
    switch (kindTraits(kind).answerFields) {
        case AnswerFields::Programme:
            return programmeFields_;
        case AnswerFields::Search:
            return searchFields_;
        case AnswerFields::Track:
            break;
    }
    return trackFields_;
}

const ServiceCatalogue& serviceCatalogue() {
    static const ServiceCatalogue catalogue = [] {
        ServiceCatalogue loaded;
        loaded.loadCatalogue();
        return loaded;
    }();
    return catalogue;
}

}  // namespace velomir

#include "analysis/result_row.h"

#include <utility>

namespace velomir {

TrackItem TrackItem::fromFields(std::vector<std::string> v) {
    return TrackItem{std::move(v[0]), std::move(v[1]), std::move(v[2]), std::move(v[3]),
                     std::move(v[4]), std::move(v[5]), std::move(v[6]), std::move(v[7])};
}

ProgrammeItem ProgrammeItem::fromFields(std::vector<std::string> v) {
    return ProgrammeItem{std::move(v[0]), std::move(v[1]), std::move(v[2]), std::move(v[3]), std::move(v[4]),
                         std::move(v[5]), std::move(v[6]), std::move(v[7]), std::move(v[8])};
}

ResultRow ResultRow::fromTrack(const TrackItem& item) {
    ResultRow row;
    row.audioAddress = item.audioAddress;
    row.artistNames = item.artistNames;
    row.artistIds = item.artistIds;
    row.trackCover = item.albumPictureAddress;
    row.albumName = item.albumName;
    row.albumId = item.albumId;
    row.trackName = item.trackName;
    row.trackId = item.trackId;
    return row;
}

ResultRow ResultRow::fromProgramme(const ProgrammeItem& item) {
    ResultRow row;
    row.audioAddress = item.audioAddress;
    row.programmeCover = item.albumPictureAddress;
    row.djUserId = item.djUserId;
    row.djNickname = item.djNickname;
    row.radioName = item.radioName;
    row.radioId = item.radioId;
    row.programmeDescription = item.description;
    row.programmeName = item.programmeName;
    row.programmeId = item.programmeId;
    return row;
}

}  // namespace velomir

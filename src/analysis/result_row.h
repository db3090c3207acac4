// The records of one fetch: items as the answer gives them, and the rows the grid shows.
#pragma once

#include <string>
#include <vector>

namespace velomir {

// Fields in the order of the track and search field sets.
struct TrackItem {
    std::string audioAddress;
    std::string artistNames;  // several joined by "/"
    std::string artistIds;    // several joined by "/"
    std::string albumPictureAddress;
    std::string albumName;
    std::string albumId;
    std::string trackName;
    std::string trackId;

    static constexpr int kFieldCount = 8;
    // REQUIRES: values.size() == kFieldCount.
    static TrackItem fromFields(std::vector<std::string> values);
};

// Fields in the order of the programme field set.
struct ProgrammeItem {
    std::string audioAddress;
    std::string albumPictureAddress;
    std::string djUserId;
    std::string djNickname;
    std::string radioName;
    std::string radioId;
    std::string description;
    std::string programmeName;
    std::string programmeId;

    static constexpr int kFieldCount = 9;
    // REQUIRES: values.size() == kFieldCount.
    static ProgrammeItem fromFields(std::vector<std::string> values);
};

// One grid row: a track row leaves the programme fields empty and the other way round.
struct ResultRow {
    std::string audioAddress;
    std::string trackName;
    std::string trackId;
    std::string artistNames;
    std::string artistIds;
    std::string albumName;
    std::string albumId;
    std::string trackCover;
    std::string programmeName;
    std::string programmeId;
    std::string programmeDescription;
    std::string programmeCover;
    std::string djNickname;
    std::string djUserId;
    std::string radioName;
    std::string radioId;

    static ResultRow fromTrack(const TrackItem& item);
    static ResultRow fromProgramme(const ProgrammeItem& item);
    // Exactly one of the two covers is filled, so the picture address is their join.
    std::string pictureAddress() const { return trackCover + programmeCover; }
};

}  // namespace velomir

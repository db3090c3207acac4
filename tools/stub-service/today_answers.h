// The service as it answers today: old playlist answers cut short beside the v6 playlist detail, removed and
// unplayable songs, refusals, an artist page without its hidden list. The new items answer so in every era; in the
// today era the sample playlists, the sample artist and search do too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sample_tracks.h"
#include "service_era.h"
#include "stub_answer.h"

namespace velomir {

// Playlists of today's shapes. Their songs have IDs from their first song ID on, in list order.
inline constexpr std::int64_t kOneLeftPlaylistId = 1200000024;       // 24 songs; the old answer lists one
inline constexpr std::int64_t kNullTracksPlaylistId = 1200000157;    // 157 songs; the old answer has "tracks":null
inline constexpr std::int64_t kRemovedSongsPlaylistId = 1200002345;  // 2,345 songs, 7 removed; old: first 1,000
inline constexpr std::int64_t kTenThousandTodayId = 1200010000;      // 10,000 songs; old: first 1,000
// Playlists that refuse the client, on both playlist interfaces.
inline constexpr std::int64_t kPrivatePlaylistId = 1200000401;   // 401: private
inline constexpr std::int64_t kCheatingPlaylistId = 1200000460;  // -460 "Cheating", HTTP 200
inline constexpr std::int64_t kCrowdedPlaylistId = 1200000461;   // -460 "网络太拥挤", HTTP 400
inline constexpr std::int64_t kVerifyPlaylistId = 1200000462;    // -462: a verification the client cannot do
// An artist whose page has no hidden list; its JSON interface gives 50 hot songs.
inline constexpr std::int64_t kListlessArtistId = 1200000050;

inline constexpr int kOldPlaylistLimit = 1000;  // tracks of the old playlist answer, IDs of a song detail request
inline constexpr int kV6TrackLimit = 20;        // full tracks of a v6 answer to a client not logged in

// What a v6 playlist answer shows: every track ID, and the first few tracks in full.
struct V6Track {
    SampleTrack track;
    int number;  // position in the list, from 1
    bool playable;
};
struct V6List {
    std::int64_t id;
    std::string_view name;
    std::vector<std::int64_t> trackIds;
    std::vector<V6Track> tracks;
};

class TodayAnswers {
public:
    TodayAnswers(std::string baseAddress, ServiceEra era) : base_(std::move(baseAddress)), era_(era) {}

    bool today() const { return era_ == ServiceEra::Today; }

    // The old playlist detail of a playlist that answers in today's shapes; nullopt for the others.
    std::optional<StubAnswer> oldPlaylist(std::int64_t id) const;
    // The v6 playlist detail; n caps the full tracks.
    StubAnswer v6Playlist(std::int64_t id, int n) const;
    StubAnswer v6Answer(const V6List& list) const;

    // The song detail object of a song of the new items; "" for a removed one, nullopt for any other ID.
    std::optional<std::string> songObject(std::int64_t id) const;
    // Whether song detail refuses this many IDs: today, or when one of them belongs to the new items.
    bool refusesSongDetail(const std::vector<std::int64_t>& ids) const;
    // Where the outer address of a new item's song leads: /404 on `host` for the unplayable and removed ones.
    std::optional<std::string> outerTarget(std::int64_t songId, std::string_view host) const;

    std::optional<StubAnswer> artistPage(std::int64_t id) const;
    StubAnswer artistJson(std::int64_t id) const;

    // Whether search results carry the album's picture ID instead of its address: today, or for a text that
    // starts with "today:".
    bool searchWithoutPictures(std::string_view text) const;

private:
    std::string base_;
    ServiceEra era_;
};

// The little page the service sends for /404.
StubAnswer notFoundPage();

// Song detail's refusal of a request with too many IDs.
StubAnswer tooManyIdsAnswer();

}  // namespace velomir

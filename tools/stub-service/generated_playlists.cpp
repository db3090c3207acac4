#include "generated_playlists.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "json_writer.h"
#include "playlist_answer_generator.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

constexpr std::int64_t kThousandId = 1000001000;
constexpr std::int64_t kTenThousandId = 1000010000;
constexpr std::string_view kMediaHost = ".music.126.net/";

// Track pieces start with {"name":"...","id":N; the name is the first member and never holds "id":.
std::int64_t trackIdOf(std::string_view piece) {
    const std::size_t at = piece.find("\"id\":");
    return at == std::string_view::npos ? 0 : integerValue64(piece.substr(at + 5));
}

// The generator makes about one address in three null or a placeholder; a song detail always gives one.
std::string withUsableAddress(std::string piece, std::string_view address) {
    while (!piece.empty() && piece.back() == ',') piece.pop_back();
    const std::size_t at = piece.rfind("\"mp3Url\":");
    if (at == std::string::npos) return piece;
    piece.erase(at);
    return piece + "\"mp3Url\":\"" + std::string(address) + "\"}";
}

// The members of a track piece the v6 answer shows, names escaped again for the writer; text keeps them alive.
SampleTrack shortTrack(std::string_view piece, std::deque<std::string>& texts) {
    while (!piece.empty() && piece.back() == ',') piece.remove_suffix(1);
    const nlohmann::json track = nlohmann::json::parse(piece, nullptr, false);
    SampleTrack made{};
    if (!track.is_object()) return made;
    const auto keep = [&texts](const nlohmann::json& value) -> std::string_view {
        texts.push_back(jsonEscaped(value.is_string() ? value.get<std::string>() : std::string()));
        return texts.back();
    };
    made.id = track.value("id", std::int64_t{0});
    made.name = keep(track["name"]);
    int artist = 0;
    for (const nlohmann::json& one : track["artists"]) {
        if (artist == 3) break;
        made.artists[artist++] = {keep(one["name"]), one.value("id", std::int64_t{0})};
    }
    made.albumName = keep(track["album"]["name"]);
    made.albumId = track["album"].value("id", std::int64_t{0});
    made.pictureId = track["album"].value("picId", std::int64_t{0});
    made.durationMs = track.value("duration", 0);
    return made;
}

}  // namespace

int GeneratedPlaylists::trackCount(std::int64_t playlistId) {
    if (playlistId == kThousandId) return 1000;
    if (playlistId == kTenThousandId) return 10000;
    return 0;
}

void GeneratedPlaylists::write(std::int64_t playlistId, const PieceSink& sink) {
    const int count = trackCount(playlistId);
    if (count == 0) return;
    const bool index = !indexed(playlistId);
    std::map<std::int64_t, Place> places;
    bool open = true;
    int piece = 0;
    // The seed is the playlist ID, so the two playlists share no tracks.
    PlaylistAnswerGenerator(static_cast<std::uint64_t>(playlistId)).write(count, [&](std::string_view text) {
        const int track = piece++ - 1;  // piece 0 is the head of the answer
        if (index && track >= 0 && track < count) places.emplace(trackIdOf(text), Place{playlistId, track});
        if (open) open = sink(pointAddressesAt(text, base_));
    });
    if (index) this->index(playlistId, std::move(places));
}

void GeneratedPlaylists::index(std::int64_t playlistId, std::map<std::int64_t, Place> places) {
    std::lock_guard lock(mutex_);
    places_.merge(places);
    indexedPlaylists_.insert(playlistId);
}

void GeneratedPlaylists::writeFirst(std::int64_t playlistId, int shown, const PieceSink& sink) const {
    const int count = trackCount(playlistId);
    shown = std::min(shown, count);
    bool open = true;
    int piece = 0;
    // The generator's first tracks do not depend on how many follow; only the tail's count must be put right.
    PlaylistAnswerGenerator(static_cast<std::uint64_t>(playlistId)).write(shown, [&](std::string_view text) {
        std::string out = pointAddressesAt(text, base_);
        if (piece++ == shown + 1) {
            out = replaceAll(out, "\"trackCount\":" + std::to_string(shown) + ",",
                             "\"trackCount\":" + std::to_string(count) + ",");
        }
        if (open) open = sink(out);
    });
}

GeneratedPlaylists::V6Tracks GeneratedPlaylists::v6Tracks(std::int64_t playlistId, int wanted) {
    V6Tracks made;
    const int count = trackCount(playlistId);
    std::map<std::int64_t, Place> places;
    int piece = 0;
    PlaylistAnswerGenerator(static_cast<std::uint64_t>(playlistId)).write(count, [&](std::string_view text) {
        const int track = piece++ - 1;
        if (track < 0 || track >= count) return;
        made.ids.push_back(trackIdOf(text));
        places.emplace(made.ids.back(), Place{playlistId, track});
        if (track < wanted) made.tracks.push_back({shortTrack(text, made.texts), track + 1, true});
    });
    if (!indexed(playlistId)) index(playlistId, std::move(places));
    return made;
}

bool GeneratedPlaylists::indexed(std::int64_t playlistId) const {
    std::lock_guard lock(mutex_);
    return indexedPlaylists_.contains(playlistId);
}

std::optional<std::string> GeneratedPlaylists::songDetailTrack(std::int64_t trackId) const {
    Place place{};
    {
        std::lock_guard lock(mutex_);
        const auto found = places_.find(trackId);
        if (found == places_.end()) return std::nullopt;
        place = found->second;
    }
    std::string track;
    int piece = 0;
    PlaylistAnswerGenerator(static_cast<std::uint64_t>(place.playlistId))
        .write(trackCount(place.playlistId), [&](std::string_view text) {
            if (piece++ - 1 == place.index) track = pointAddressesAt(text, base_);
        });
    return withUsableAddress(std::move(track), base_ + "/audio/" + std::to_string(trackId) + ".mp3");
}

std::string pointAddressesAt(std::string_view piece, std::string_view base) {
    std::string out;
    out.reserve(piece.size());
    std::size_t from = 0;
    for (std::size_t at = piece.find("\"http://"); at != std::string_view::npos; at = piece.find("\"http://", from)) {
        const std::size_t end = piece.find('"', at + 1);
        if (end == std::string_view::npos) break;
        const std::string_view address = piece.substr(at + 1, end - at - 1);
        const std::size_t host = address.find(kMediaHost);
        const std::size_t slash = address.rfind('/');
        out.append(piece, from, at + 1 - from);
        if (host == std::string_view::npos || address.find('/', 7) != host + kMediaHost.size() - 1) {
            out += address;
        } else {
            const std::string_view file = address.substr(slash + 1);
            out += base;
            out += file.ends_with(".mp3") ? "/audio/" : "/cover/";
            out += file;
        }
        from = end;
    }
    out.append(piece, from);
    return out;
}

}  // namespace velomir

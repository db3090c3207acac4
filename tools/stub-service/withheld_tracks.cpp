#include "withheld_tracks.h"

#include <deque>
#include <vector>

#include "json_writer.h"
#include "track_json.h"

namespace velomir {
namespace {

constexpr std::int64_t kFirstId = 6000000001;

struct WithheldList {
    std::deque<std::string> names;  // stable storage for the tracks' views
    std::vector<SampleTrack> tracks;
};

const WithheldList& withheldList() {
    static const WithheldList list = [] {
        WithheldList made;
        for (int i = 0; i < kWithheldTrackCount; ++i) {
            const std::int64_t id = kFirstId + i;
            made.names.push_back("未公开 " + std::to_string(i + 1));
            SampleTrack track{};
            track.id = id;
            track.name = made.names.back();
            track.artists[0] = {"隐者", 70001 + i % 7};
            track.albumName = "藏起来的歌";
            track.albumId = 80001 + i / 50;
            track.pictureId = 109951163000000000 + i / 50;
            track.audio = i % 3 == 2 ? AudioForm::Placeholder : AudioForm::Null;
            track.durationMs = 180000 + i * 1000;
            made.tracks.push_back(track);
        }
        return made;
    }();
    return list;
}

}  // namespace

const SampleTrack* findWithheldTrack(std::int64_t id) {
    const auto& tracks = withheldList().tracks;
    if (id < kFirstId || id >= kFirstId + static_cast<std::int64_t>(tracks.size())) return nullptr;
    return &tracks[static_cast<std::size_t>(id - kFirstId)];
}

AudioForm withheldDetailAudio(std::int64_t id) {
    if (id % 10 == 0) return AudioForm::Address;
    return id % 10 == 5 ? AudioForm::Placeholder : AudioForm::Null;
}

std::string withheldPlaylistBody(std::string_view base) {
    JsonWriter out;
    out.openObject().openObject("result").literal("subscribers", "[]").openArray("tracks");
    int position = 0;
    for (const SampleTrack& track : withheldList().tracks)
        writeTrack(out, track, base, listStyle(track.audio, ++position));
    out.close().number("trackCount", position).text("name", "版权保留的歌单").number("id", kWithheldPlaylistId).close();
    return out.number("code", 200).take();
}

}  // namespace velomir

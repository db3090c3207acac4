// Playlists for saving songs: 200 songs of about 1 MB each, songs whose audio transfer goes wrong in one way each,
// and songs whose names are dangerous as file names. They answer alike in every era: the whole old playlist answer,
// the v6 playlist detail, song detail.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "today_answers.h"

namespace velomir {

inline constexpr std::int64_t kDownloadPlaylistId = 1200000200;      // 200 songs, IDs from 7600000001
inline constexpr std::int64_t kAudioFaultPlaylistId = 1200000201;    // one song per AudioFault, IDs from 7610000001
inline constexpr std::int64_t kHostileNamesPlaylistId = 1200000202;  // IDs from 7620000001
inline constexpr int kDownloadTrackCount = 200;

// What goes wrong with a song's audio. "Once": only the first request for the song in a running stand-in.
enum class AudioFault {
    None,
    CutOnce,        // headers promise the whole body; the connection closes after about half of it
    RangeIgnored,   // always 200 with the whole body, whatever Range asks
    BusyOnce,       // 503 with Retry-After: 1
    StallOnce,      // a first piece of the body, then nothing until the stand-in stops
    RedirectTo404,  // 302 to http://music.163.com/404
    HtmlAsAudio,    // an HTML page served as audio/mpeg
    OuterOnly,      // no address in the list nor in song detail: only the outer address leads to the audio
    OuterTo404,     // no address, and the outer address leads to /404
};
inline constexpr int kAudioFaultCount = 8;  // the faults after None, one song each in this order

std::int64_t audioFaultSongId(AudioFault fault);
AudioFault audioFaultOf(std::int64_t songId);  // None for every other song

// Whether the song belongs to one of these playlists; their audio is about 1 MB.
bool isDownloadItemSong(std::int64_t songId);
// How many tone frames make the audio of one of their songs.
int downloadAudioFrames(std::int64_t songId);

// The old playlist detail of one of these playlists, whole; nullopt for any other ID.
std::optional<std::string> downloadItemsPlaylistBody(std::int64_t playlistId, std::string_view base);
// What the v6 playlist detail shows of one of these playlists; nullopt for any other ID.
std::optional<V6List> downloadItemsV6List(std::int64_t playlistId, int wanted);
// The song detail object of one of their songs; nullopt for any other ID.
std::optional<std::string> downloadItemsSongObject(std::int64_t songId, std::string_view base);
// Where the outer address of one of their songs leads: its audio, or /404 on `host`; nullopt for any other ID.
std::optional<std::string> downloadItemsOuterTarget(std::int64_t songId, std::string_view host, std::string_view base);

}  // namespace velomir

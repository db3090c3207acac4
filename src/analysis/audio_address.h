// Addresses that play. The service withholds the direct audio address of most tracks (null, or a placeholder
// ending in /0.mp3): those are asked for from song detail and, failing that, replaced by the service's outer
// address, which redirects to the audio file of every song the service lets play.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/result_row.h"
#include "analysis/service_addresses.h"

namespace velomir {

class HttpTransport;

// Song detail takes at most this many IDs in one request.
inline constexpr std::size_t kSongDetailBatch = 100;

// True for an empty address and for the placeholder, whose last path segment is "0.mp3".
bool isMissingAudioAddress(std::string_view address);

// The address to hand on for a row without a network request: its own, else the outer address (track rows
// only; a programme row's answer carries no song ID, so it keeps what it has).
std::string playableAudioAddress(const ResultRow& row);

// A track ID as a key for matching answers to rows: compared as numbers, so "007" and "7" name the same track.
std::string trackIdKey(const std::string& id);

// Fills the missing audio address of the 1-based row `row`: from the song's details, else the outer address.
// The row keeps it.
void resolveAudioAddress(int row, std::vector<ResultRow>& rows, HttpTransport& http, int maxCount);

// Fills every missing address at once: song detail for up to kSongDetailBatch IDs a request, answers matched to
// rows by track ID, the outer address for what they lack.
void resolveAudioAddresses(std::vector<ResultRow>& rows, HttpTransport& http, int maxCount);

// The audio address the service gives for a widget's item (song details for a song widget, programme details for
// a programme widget), the outer address for a known song whose address is withheld; empty when the type is neither
// or the service knows no such item. Blocks on the transport.
std::string resolveWidgetAudio(const WidgetRequest& request, HttpTransport& http);

}  // namespace velomir

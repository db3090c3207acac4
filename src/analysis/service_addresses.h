// Addresses on the service's website: its pages, its embeddable player widget and the outer audio address. All
// plain HTTP; made and read as text, without a request.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velomir {

// Pages on the web host. The song page serves programmes too.
std::string songPageAddress(const std::string& id);      // "/#/song?id="
std::string albumPageAddress(const std::string& id);     // "/#/album?id="
std::string radioPageAddress(const std::string& id);     // "/#/djradio?id="
std::string artistPageAddress(const std::string& id);    // "/artist?id=": the page itself, which lists the songs
std::string playlistPageAddress(const std::string& id);  // "/playlist?id=": what a browser opens
std::string playlistLinkAddress(const std::string& id);  // "/#/playlist?id=": what users paste

// The address of the player widget that plays item `id` at once; `type` is a widget type (link_kind.h).
std::string buildWidgetAddress(const std::string& id, std::string_view type);

struct WidgetRequest {
    std::string id;
    std::string type;
};

// The item a widget address names; nothing for any other address.
std::optional<WidgetRequest> parseWidgetAddress(const std::string& address);

// "http://music.163.com/song/media/outer/url?id=ID.mp3", which redirects to the audio file of every song the
// service lets play; empty when `trackId` is no ID above 0.
std::string outerAudioAddress(const std::string& trackId);

}  // namespace velomir

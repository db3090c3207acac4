// Addresses of the service's web pages and of its embeddable player widget, and what a widget address plays.
#pragma once

#include <optional>
#include <string>

namespace velomir {

class HttpTransport;

// The plain-HTTP address of the player widget that plays item `id` at once; `type` "2" is a song, "3" a programme.
std::string buildWidgetAddress(const std::string& id, const std::string& type);

// Pages on the service's website, all plain HTTP on the web host. The song page serves programmes too.
std::string songPageAddress(const std::string& id);
std::string playlistPageAddress(const std::string& id);  // "/playlist?id=": what a browser opens
std::string playlistLinkAddress(const std::string& id);  // "/#/playlist?id=": what users paste

struct WidgetRequest {
    std::string id;
    std::string type;
};

// The item a widget address names; nothing for any other address.
std::optional<WidgetRequest> parseWidgetAddress(const std::string& address);

// The audio address the service gives for the item (song details for type "2", programme details for "3"), the
// outer address for a known song whose address is withheld; empty when the type is neither or the service knows
// no such item. Blocks on the transport.
std::string resolveWidgetAudio(const WidgetRequest& request, HttpTransport& http);

}  // namespace velomir

// The service's host names. Every request goes to one of these; the stand-in service takes their place through
// the connect-to override, so these never change for tests or the offline demo.
#pragma once

#include <string>
#include <string_view>

namespace velomir {

inline constexpr std::string_view kMainHost = "music.163.com";
inline constexpr std::string_view kSearchHost = "s.music.163.com";
// The host of the short links the service's apps hand out for sharing.
inline constexpr std::string_view kShortLinkHost = "163cn.tv";
// Asks the service's picture host for a 173 x 173 thumbnail, the size of the cover boxes.
inline constexpr std::string_view kThumbnailQuery = "?param=173y173";

// The thumbnail address of a picture address.
inline std::string thumbnailAddress(std::string_view picture) {
    std::string address(picture);
    address.append(kThumbnailQuery);
    return address;
}
// The digits in the host name, removed before an ID is looked for in a pasted link.
inline constexpr std::string_view kDomainToken = "163";

}  // namespace velomir

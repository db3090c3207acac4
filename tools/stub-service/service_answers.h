// The stand-in's answers to the service's request addresses, pictures and audio files, before any fault.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "generated_playlists.h"
#include "service_era.h"
#include "stub_answer.h"
#include "today_answers.h"

namespace velomir {

struct StubRequest {
    std::string path;
    std::multimap<std::string, std::string> params;  // query parameters, percent-decoded

    std::string param(const std::string& name) const;
};

class ServiceAnswers {
public:
    ServiceAnswers(std::string baseAddress, ServiceEra era = ServiceEra::Classic);

    // Unknown IDs give the service's short error answer, unknown paths the same with HTTP 404.
    StubAnswer answer(const StubRequest& request);

    StubAnswer playlist(std::int64_t id);

    // Where a redirecting address sends its client: the short links on the short-link host `host`, and the outer
    // address of a song's audio. nullopt for every other address; "" for one that is not found (HTTP 404).
    std::optional<std::string> redirectTarget(const StubRequest& request, std::string_view host);

private:
    StubAnswer album(std::int64_t id) const;
    StubAnswer songDetail(std::string_view ids);
    StubAnswer v6Playlist(const StubRequest& request);
    StubAnswer programme(std::int64_t id) const;
    StubAnswer radio(std::int64_t id, int limit, int offset) const;
    StubAnswer artistPage(std::int64_t id) const;
    StubAnswer search(const std::string& text, int limit, int offset) const;
    StubAnswer lyrics(std::int64_t id);
    std::string songObject(std::int64_t id);

    std::string base_;
    GeneratedPlaylists generated_;
    TodayAnswers today_;
};

// The service's answer for an ID it does not know: well under 200 bytes.
StubAnswer notFoundAnswer();

}  // namespace velomir

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velomir {

// Makes answers shaped like the service's playlist detail interface: {"result":{..."tracks":[...]...},"code":200},
// compact, about 2.9 KB per track, with the names, escapes, big numbers, floats and null forms of real answers.
// The same seed always gives the same bytes, on every platform.
class PlaylistAnswerGenerator {
public:
    explicit PlaylistAnswerGenerator(std::uint64_t seed = 1) : seed_(seed) {}

    // Hands the answer of trackCount tracks (0 or more) to sink in order, one piece per track plus head and tail.
    void write(int trackCount, const std::function<void(std::string_view)>& sink) const;

    // The whole answer, allocated once at its exact size so that it costs no more memory than its length.
    std::string answer(int trackCount) const;

private:
    std::uint64_t seed_;
};

}  // namespace velomir

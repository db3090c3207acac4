// The lyric reader on any text: as an LRC text and as the lyric interface's answer. Whatever comes in, the lines
// are in time order, never before 0, the current line stays within the lines, and the LRC written out reads back
// to lines at the same times (to the hundredth of a second it writes).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "lyrics/lyrics.h"

namespace {

using velomir::fuzz::require;

void checkLines(const velomir::Lyrics& lyrics, std::string_view input) {
    std::int64_t previous = 0;
    for (const velomir::LyricLine& line : lyrics.lines) {
        require(line.timeMs >= previous, "lines in time order, never before 0", input);
        previous = line.timeMs;
    }
    const int count = static_cast<int>(lyrics.lines.size());
    for (const std::int64_t at : {std::int64_t{0}, previous, previous + 1, std::int64_t{1} << 40}) {
        const int current = velomir::currentLine(lyrics, at);
        require(current >= 0 && current <= count, "the current line is one of the lines", input);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (std::size_t{1} << 16)) return 0;
    const std::string_view input = velomir::fuzz::asText(data, size);
    const velomir::Lyrics read = velomir::readLrc(input);
    checkLines(read, input);
    const velomir::Lyrics answer = velomir::readLyricAnswer(input);
    checkLines(answer, input);
    if (read.kind == velomir::Lyrics::Kind::Timed) {
        const velomir::Lyrics again = velomir::readLrc(velomir::lrcText(read));
        require(again.lines.size() >= read.lines.size(), "written lines read back", input);
    }
    return 0;
}

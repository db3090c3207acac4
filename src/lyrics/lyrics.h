// A song's lyrics as the service gives them: timed lines (LRC) with their translation, plain text, or a word that
// there are none. Reading never fails: bad input gives the lines that can be read, or no lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velomir {

struct LyricLine {
    std::int64_t timeMs = 0;  // when the line begins, the file's offset applied; never below 0
    std::string text;
    std::string translation;  // the translated line at the same time; empty when there is none
};

struct Lyrics {
    enum class Kind {
        None,          // nobody has written them, or the service knows no lyrics for the song
        Instrumental,  // the service marks the song as music without words
        Timed,         // `lines` in time order
        Plain,         // words without any time: `plainText`
    };
    Kind kind = Kind::None;
    std::vector<LyricLine> lines;
    std::string plainText;
    std::string title, artist, album, by;  // the [ti:] [ar:] [al:] [by:] tags of the original text
};

// The text the service writes for a song without words.
inline constexpr std::string_view kInstrumentalText = "纯音乐，请欣赏";

// Reads an LRC text: every stamp form the service writes ([mm:ss.xx], [mm:ss.xxx], [mm:ss:xx], [mm:ss], minutes past
// 99), several stamps on one line, lines out of order (sorted, equal times keeping their order), credit lines
// written as JSON, the [offset:] tag. A text without one timed line is Plain.
Lyrics readLrc(std::string_view text);

// Reads the lyric interface's answer ({"lrc":{"lyric":...},"tlyric":{"lyric":...},...,"code":200}): the original
// with each translated line matched to it by time. Flags, a "does not exist" answer or anything unreadable give
// Instrumental or None.
Lyrics readLyricAnswer(std::string_view answer);

// The lyrics as LRC: each original line, then its translation on its own line with the same stamp, stamps as
// [mm:ss.xx]; plain text as it is; nothing for None.
std::string lrcText(const Lyrics& lyrics);

// The line to stand out at `positionMs` of the song: 1-based, 0 before the first line (or without timed lines).
int currentLine(const Lyrics& lyrics, std::int64_t positionMs);

}  // namespace velomir

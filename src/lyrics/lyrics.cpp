#include "lyrics/lyrics.h"

#include <algorithm>
#include <cstdio>

#include "analysis/item_text.h"
#include "json/json_document.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at `pos`; false when there are none. Values are capped: a stamp of absurd minutes is no reason
// to overflow.
bool readNumber(std::string_view text, std::size_t& pos, std::int64_t& value, std::size_t& digits) {
    const std::size_t start = pos;
    value = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (value < 100000000) value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    digits = pos - start;
    return digits > 0;
}

// "mm:ss", "mm:ss.x..", "mm:ss:xx": the fraction is a decimal fraction of a second (".5" is 500 ms).
bool readStamp(std::string_view inner, std::int64_t& ms) {
    std::size_t pos = 0;
    std::size_t digits = 0;
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;
    if (!readNumber(inner, pos, minutes, digits) || pos >= inner.size() || inner[pos] != ':') return false;
    ++pos;
    if (!readNumber(inner, pos, seconds, digits) || digits > 2) return false;
    std::int64_t fraction = 0;
    if (pos < inner.size()) {
        if (inner[pos] != '.' && inner[pos] != ':') return false;
        ++pos;
        if (!readNumber(inner, pos, fraction, digits) || pos != inner.size()) return false;
        const std::string_view part = inner.substr(inner.size() - digits, std::min<std::size_t>(digits, 3));
        fraction = 0;
        for (std::size_t i = 0; i < 3; ++i) fraction = fraction * 10 + (i < part.size() ? part[i] - '0' : 0);
    }
    ms = minutes * 60000 + seconds * 1000 + fraction;
    return true;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A credit line written as JSON: {"t":1000,"c":[{"tx":"作词: "},{"tx":"某人"}]}, the text of its parts at t ms.
bool readCreditLine(std::string_view line, LyricLine& out) {
    JsonDocument document;
    document.parse(line, false);
    const std::string time = itemText(document, "t");
    const int parts = document.count("c");
    if (time.empty() || parts <= 0 || !isDigit(time.front())) return false;
    out.timeMs = std::max<std::int64_t>(integerValue64(time), 0);
    out.text.clear();
    for (int i = 1; i <= parts; ++i) out.text += itemText(document, "c.[" + std::to_string(i) + "].tx");
    return true;
}

struct Reading {
    Lyrics lyrics;
    std::int64_t offsetMs = 0;
    std::vector<std::string_view> untimed;
};

void readTag(std::string_view inner, Reading& reading) {
    const std::size_t colon = inner.find(':');
    const std::string key = asciiLower(std::string(trimmed(inner.substr(0, colon))));
    const std::string value(trimmed(inner.substr(colon + 1)));
    Lyrics& lyrics = reading.lyrics;
    if (key == "ti") lyrics.title = value;
    if (key == "ar") lyrics.artist = value;
    if (key == "al") lyrics.album = value;
    if (key == "by") lyrics.by = value;
    if (key == "offset") reading.offsetMs = integerValue64(value);
}

bool isTag(std::string_view inner) {
    const std::size_t colon = inner.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    const std::string_view key = inner.substr(0, colon);
    return std::all_of(key.begin(), key.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

void readLine(std::string_view line, Reading& reading) {
    line = trimmed(line);
    if (line.empty()) return;
    if (line.front() == '{') {
        LyricLine credit;
        if (readCreditLine(line, credit)) reading.lyrics.lines.push_back(std::move(credit));
        return;
    }
    std::vector<std::int64_t> stamps;
    std::size_t pos = 0;
    while (pos < line.size() && line[pos] == '[') {
        const std::size_t close = line.find(']', pos);
        if (close == std::string_view::npos) break;
        const std::string_view inner = line.substr(pos + 1, close - pos - 1);
        std::int64_t ms = 0;
        if (readStamp(inner, ms)) {
            stamps.push_back(ms);
        } else if (stamps.empty() && isTag(inner)) {
            readTag(inner, reading);
        } else {
            break;
        }
        pos = close + 1;
    }
    const std::string_view text = trimmed(line.substr(pos));
    if (stamps.empty()) {
        if (pos == 0) reading.untimed.push_back(line);
        return;
    }
    for (const std::int64_t ms : stamps) reading.lyrics.lines.push_back({ms, std::string(text), {}});
}

std::string stampOf(std::int64_t ms) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "[%02lld:%02lld.%02lld]", static_cast<long long>(ms / 60000),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000 / 10));
    return buffer;
}

bool onlyInstrumentalMarker(const Lyrics& lyrics) {
    return !lyrics.lines.empty() && std::all_of(lyrics.lines.begin(), lyrics.lines.end(), [](const LyricLine& line) {
        return line.text.empty() || line.text.find(kInstrumentalText) != std::string::npos;
    });
}

// Each translated line goes to the first original line of its time that has none; one without an original keeps
// its own place in time.
void matchTranslation(Lyrics& lyrics, const Lyrics& translated) {
    std::vector<LyricLine> unmatched;
    for (const LyricLine& line : translated.lines) {
        if (line.text.empty()) continue;
        auto found = std::find_if(lyrics.lines.begin(), lyrics.lines.end(), [&line](const LyricLine& original) {
            return original.timeMs == line.timeMs && original.translation.empty();
        });
        if (found != lyrics.lines.end()) {
            found->translation = line.text;
        } else {
            unmatched.push_back({line.timeMs, {}, line.text});
        }
    }
    for (LyricLine& line : unmatched) {
        const auto at = std::upper_bound(lyrics.lines.begin(), lyrics.lines.end(), line.timeMs,
                                         [](std::int64_t ms, const LyricLine& other) { return ms < other.timeMs; });
        lyrics.lines.insert(at, std::move(line));
    }
}

bool flagSet(JsonDocument& document, const char* name) { return itemText(document, name) == "true"; }

}  // namespace

Lyrics readLrc(std::string_view text) {
    Reading reading;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        readLine(text.substr(start, end - start), reading);
        start = end + 1;
    }
    Lyrics& lyrics = reading.lyrics;
    for (LyricLine& line : lyrics.lines) line.timeMs = std::max<std::int64_t>(line.timeMs - reading.offsetMs, 0);
    std::stable_sort(lyrics.lines.begin(), lyrics.lines.end(),
                     [](const LyricLine& a, const LyricLine& b) { return a.timeMs < b.timeMs; });
    if (!lyrics.lines.empty()) {
        lyrics.kind = onlyInstrumentalMarker(lyrics) ? Lyrics::Kind::Instrumental : Lyrics::Kind::Timed;
    } else if (!reading.untimed.empty()) {
        lyrics.kind = Lyrics::Kind::Plain;
        for (const std::string_view line : reading.untimed) {
            if (!lyrics.plainText.empty()) lyrics.plainText += '\n';
            lyrics.plainText.append(line);
        }
    }
    return lyrics;
}

Lyrics readLyricAnswer(std::string_view answer) {
    JsonDocument document;
    document.parse(answer, false);
    const std::string code = itemText(document, "code");
    if (code != "200") return {};
    Lyrics lyrics = readLrc(itemText(document, "lrc.lyric"));
    if (flagSet(document, "nolyric") || flagSet(document, "pureMusic")) {
        lyrics.kind = Lyrics::Kind::Instrumental;
        return lyrics;
    }
    if (lyrics.kind == Lyrics::Kind::Timed) matchTranslation(lyrics, readLrc(itemText(document, "tlyric.lyric")));
    return lyrics;
}

std::string lrcText(const Lyrics& lyrics) {
    if (lyrics.kind == Lyrics::Kind::Plain) return lyrics.plainText + "\n";
    // An instrumental flagged without any line still says so, as the service's own marker line would.
    if (lyrics.kind == Lyrics::Kind::Instrumental && lyrics.lines.empty()) {
        return stampOf(0) + std::string(kInstrumentalText) + "\n";
    }
    std::string text;
    for (const LyricLine& line : lyrics.lines) {
        if (!line.text.empty() || line.translation.empty()) text += stampOf(line.timeMs) + line.text + "\n";
        if (!line.translation.empty()) text += stampOf(line.timeMs) + line.translation + "\n";
    }
    return text;
}

int currentLine(const Lyrics& lyrics, std::int64_t positionMs) {
    if (lyrics.kind != Lyrics::Kind::Timed && lyrics.kind != Lyrics::Kind::Instrumental) return 0;
    const auto after = std::upper_bound(lyrics.lines.begin(), lyrics.lines.end(), positionMs,
                                        [](std::int64_t ms, const LyricLine& line) { return ms < line.timeMs; });
    return static_cast<int>(after - lyrics.lines.begin());
}

}  // namespace velomir

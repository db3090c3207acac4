#include "cli/row_printer.h"

#include <array>

#include "analysis/link_kind.h"
#include "analysis/playlist_export.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr int kMaxColumnWidth = 32;

bool isWide(unsigned long cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
           (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

// Length of the UTF-8 sequence starting with `lead` (1 for a stray byte) and its code point.
std::size_t decodeAt(const std::string& text, std::size_t i, unsigned long& cp) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length == 1 || i + length > text.size()) {
        cp = lead;
        return 1;
    }
    cp = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return length;
}

// Cuts a text to at most `width` columns, marking the cut with "…".
std::string fitWidth(const std::string& text, int width) {
    if (displayWidth(text) <= width) return text;
    std::string out;
    int used = 0;
    for (std::size_t i = 0; i < text.size();) {
        unsigned long cp = 0;
        const std::size_t length = decodeAt(text, i, cp);
        const int w = isWide(cp) ? 2 : 1;
        if (used + w > width - 1) break;
        out.append(text, i, length);
        used += w;
        i += length;
    }
    return out + "…";
}

std::string padded(const std::string& text, int width) {
    return text + std::string(static_cast<std::size_t>(std::max(0, width - displayWidth(text))), ' ');
}

std::array<std::string, 3> gridTexts(const ResultRow& row, RecordType recordType) {
    if (recordType == RecordType::Programme) return {row.programmeName, row.djNickname, row.radioName};
    return {row.trackName, row.artistNames, row.albumName};
}

std::string rowId(const ResultRow& row, RecordType recordType) {
    return recordType == RecordType::Programme ? row.programmeId : row.trackId;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    static const char* hex = "0123456789abcdef";
                    out += "\\u00";
                    out += hex[(c >> 4) & 0xF];
                    out += hex[c & 0xF];
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void printTable(std::ostream& out, const RunReport& report) {
    const auto& rows = *report.rows;
    out << report.label << "\n{" << rows.size() << "}\n";
    std::array<int, 3> widths{};
    for (int c = 0; c < 3; ++c) widths[c] = displayWidth(report.titles.at(c));
    for (const ResultRow& row : rows) {
        const auto texts = gridTexts(row, report.recordType);
        for (int c = 0; c < 3; ++c) widths[c] = std::min(kMaxColumnWidth, std::max(widths[c], displayWidth(texts[c])));
    }
    const int numberWidth = static_cast<int>(std::to_string(rows.size()).size());
    out << padded("#", numberWidth);
    for (int c = 0; c < 3; ++c) out << "  " << padded(fitWidth(report.titles[c], widths[c]), widths[c]);
    out << "\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto texts = gridTexts(rows[i], report.recordType);
        const std::string number = std::to_string(i + 1);
        out << std::string(numberWidth - number.size(), ' ') << number;
        for (int c = 0; c < 3; ++c) out << "  " << padded(fitWidth(oneLine(texts[c]), widths[c]), widths[c]);
        out << "\n";
    }
}

void printTsv(std::ostream& out, const RunReport& report) {
    out << oneLine(report.label) << "\t{" << report.rows->size() << "}\n";
    out << "#\t" << report.titles.at(0) << "\t" << report.titles.at(1) << "\t" << report.titles.at(2)
        << "\tid\taudio\tcover\n";
    int number = 0;
    for (const ResultRow& row : *report.rows) {
        const auto texts = gridTexts(row, report.recordType);
        out << ++number;
        for (const std::string& text : texts) out << "\t" << oneLine(text);
        out << "\t" << rowId(row, report.recordType) << "\t" << oneLine(row.audioAddress) << "\t"
            << oneLine(row.pictureAddress()) << "\n";
    }
}

void printJsonRow(std::ostream& out, const ResultRow& row) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"audioAddress", &row.audioAddress},
        {"trackName", &row.trackName},
        {"trackId", &row.trackId},
        {"artistNames", &row.artistNames},
        {"artistIds", &row.artistIds},
        {"albumName", &row.albumName},
        {"albumId", &row.albumId},
        {"trackCover", &row.trackCover},
        {"programmeName", &row.programmeName},
        {"programmeId", &row.programmeId},
        {"programmeDescription", &row.programmeDescription},
        {"programmeCover", &row.programmeCover},
        {"djNickname", &row.djNickname},
        {"djUserId", &row.djUserId},
        {"radioName", &row.radioName},
        {"radioId", &row.radioId},
    };
    out << "{";
    for (std::size_t k = 0; k < std::size(fields); ++k) {
        out << (k ? "," : "") << jsonString(fields[k].first) << ":" << jsonString(*fields[k].second);
    }
    out << "}";
}

void printJson(std::ostream& out, const RunReport& report) {
    out << "{\"label\":" << jsonString(report.label) << ",\"kind\":" << static_cast<int>(report.kind)
        << ",\"count\":" << report.rows->size() << ",\"titles\":[";
    for (std::size_t c = 0; c < report.titles.size(); ++c) out << (c ? "," : "") << jsonString(report.titles[c]);
    out << "],\"rows\":[";
    for (std::size_t i = 0; i < report.rows->size(); ++i) {
        out << (i ? ",\n" : "\n");
        printJsonRow(out, (*report.rows)[i]);
    }
    out << "\n]}\n";
}

// One block per track: tags from the row, so that every block is named even without lyrics, then the lines.
void printLrc(std::ostream& out, const RunReport& report) {
    bool first = true;
    for (std::size_t i = 0; i < report.rows->size(); ++i) {
        const ResultRow& row = (*report.rows)[i];
        if (!isTrackRow(row)) continue;
        out << (first ? "" : "\n") << "[ti:" << oneLine(row.trackName) << "]\n[ar:" << oneLine(row.artistNames)
            << "]\n[al:" << oneLine(row.albumName) << "]\n";
        if (report.lyrics != nullptr && i < report.lyrics->size()) out << lrcText((*report.lyrics)[i]);
        first = false;
    }
}

}  // namespace

bool isTrackRow(const ResultRow& row) { return !row.trackId.empty() || !row.trackName.empty(); }

int displayWidth(const std::string& text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        unsigned long cp = 0;
        i += decodeAt(text, i, cp);
        width += isWide(cp) ? 2 : 1;
    }
    return width;
}

void printReport(std::ostream& out, const RunReport& report, OutputFormat format) {
    switch (format) {
        case OutputFormat::Table:
            printTable(out, report);
            break;
        case OutputFormat::Tsv:
            printTsv(out, report);
            break;
        case OutputFormat::Json:
            printJson(out, report);
            break;
        case OutputFormat::M3u:
            out << m3uPlaylist(*report.rows, report.recordType, report.label);
            break;
        case OutputFormat::Lrc:
            printLrc(out, report);
            break;
    }
}

}  // namespace velomir

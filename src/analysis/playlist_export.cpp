#include "analysis/playlist_export.h"

#include "text/text_helpers.h"

namespace velomir {

std::string audioAddressLines(const std::vector<ResultRow>& rows) {
    std::string lines;
    for (const ResultRow& row : rows) {
        if (!row.audioAddress.empty()) {
            if (!lines.empty()) lines += '\n';
            lines += oneLine(row.audioAddress);
        }
    }
    return lines;
}

std::string m3uPlaylist(const std::vector<ResultRow>& rows, RecordType recordType, const std::string& title) {
    std::string out = "#EXTM3U\n#PLAYLIST:" + oneLine(title) + "\n";
    const bool programmes = recordType == RecordType::Programme;
    for (const ResultRow& row : rows) {
        if (row.audioAddress.empty()) continue;
        const std::string& who = programmes ? row.djNickname : row.artistNames;
        const std::string& name = programmes ? row.programmeName : row.trackName;
        out += "#EXTINF:-1," + (who.empty() ? "" : oneLine(who) + " - ") + oneLine(name) + "\n";
        out += oneLine(row.audioAddress) + "\n";
    }
    return out;
}

}  // namespace velomir

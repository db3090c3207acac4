#include "cli/terminal_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "cli/row_printer.h"

namespace velomir {

namespace {

// The longest start of `text` that takes at most `columns` terminal columns, cut between characters.
std::string fitColumns(const std::string& text, int columns) {
    int used = 0;
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + 1;
        while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
        used += displayWidth(text.substr(end, next - end));
        if (used > columns) break;
        end = next;
    }
    return text.substr(0, end);
}

}  // namespace

std::string terminalText(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            clean += ' ';
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            clean += ' ';
            ++i;
        } else {
            clean += text[i];
        }
    }
    return clean;
}

std::string byteCountText(std::int64_t bytes) {
    char buffer[32];
    if (bytes < 1024) {
        std::snprintf(buffer, sizeof buffer, "%lld B", static_cast<long long>(bytes));
    } else if (bytes < 1024 * 1024) {
        std::snprintf(buffer, sizeof buffer, "%.0f KiB", static_cast<double>(bytes) / 1024);
    } else if (bytes < 1024LL * 1024 * 1024) {
        std::snprintf(buffer, sizeof buffer, "%.1f MiB", static_cast<double>(bytes) / (1024 * 1024));
    } else {
        std::snprintf(buffer, sizeof buffer, "%.2f GiB", static_cast<double>(bytes) / (1024 * 1024 * 1024));
    }
    return buffer;
}

std::string durationText(std::int64_t seconds) {
    if (seconds < 0) return "";
    char buffer[32];
    if (seconds < 3600) {
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    }
    return buffer;
}

std::string progressLine(const DownloadProgress& progress, int columns) {
    std::string line = std::to_string(progress.finished) + "/" + std::to_string(progress.total) + "  " +
                       byteCountText(progress.bytesReceived);
    if (progress.bytesPerSecond > 0) {
        line += "  " + byteCountText(static_cast<std::int64_t>(progress.bytesPerSecond)) + "/s";
    }
    if (progress.secondsLeft >= 0) line += "  " + durationText(progress.secondsLeft) + " left";
    if (!progress.current.empty()) line += "  " + terminalText(progress.current);
    // The last column stays free: writing into it makes some terminals wrap.
    return fitColumns(line, columns - 1);
}

void TerminalProgress::progressed(const DownloadProgress& progress) {
    out_ << '\r' << progressLine(progress, columns_()) << "\033[K" << std::flush;
}

void TerminalProgress::clear() { out_ << "\r\033[K" << std::flush; }

int stderrColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace velomir

// The download progress of velomir-cli as one line on a terminal, rewritten in place.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "downloads/download_engine.h"

namespace velomir {

// Names from the service may hold control characters (an escape sequence could rewrite the terminal): every C0
// and C1 control and DEL becomes a space.
std::string terminalText(std::string_view text);

// "1.5 MiB", "820 KiB", "12 B".
std::string byteCountText(std::int64_t bytes);

// "0:42", "1:02:03"; empty when not known (negative).
std::string durationText(std::int64_t seconds);

// done/total, bytes so far, speed, time left and the track being saved, cut to fit `columns` terminal columns
// (wide characters take two) so that the line never wraps and "\r" keeps rewriting it.
std::string progressLine(const DownloadProgress& progress, int columns);

// Writes each progress report over the last one; the engine calls it from its own thread.
class TerminalProgress : public DownloadObserver {
public:
    // `columns` gives the terminal's width at the moment, so that a resized window is honoured.
    TerminalProgress(std::ostream& out, int (*columns)()) : out_(out), columns_(columns) {}
    void progressed(const DownloadProgress& progress) override;
    // Leaves the line empty, the cursor at its start.
    void clear();

private:
    std::ostream& out_;
    int (*columns_)();
};

// The width of the terminal on stderr; 80 when it cannot be read.
int stderrColumns();

}  // namespace velomir

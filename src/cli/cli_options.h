// Command-line options of velomir-cli.
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "downloads/file_naming.h"

namespace velomir {

enum class OutputFormat { Table, Tsv, Json, M3u, Lrc };

struct CliOptions {
    AnalysisOptions analysis;
    bool searchMode = false;
    bool resolve = false;  // fill missing audio addresses (m3u always does)
    bool formatGiven = false;
    OutputFormat format = OutputFormat::Table;
    std::string serviceAddress;
    int retries = 3;   // times a busy answer is asked again, with growing pauses
    std::string text;  // the words of TEXT joined by single spaces
    bool help = false;
    bool version = false;
    // Downloads: an empty folder means none asked for.
    std::string downloadFolder;
    int jobs = 4;
    std::string nameTemplate{kDefaultNameTemplate};
    bool lyrics = false;
};

struct CliParse {
    CliOptions options;
    std::string error;  // empty when the arguments were understood
};

CliParse parseCliArguments(const std::vector<std::string>& arguments);
const char* cliUsage();

// Exit statuses beyond 0, 1 and 2: the run was stopped by SIGINT or SIGTERM (128 + the signal, as shells report).
inline constexpr int kExitInterrupted = 130;
inline constexpr int kExitTerminated = 143;

}  // namespace velomir

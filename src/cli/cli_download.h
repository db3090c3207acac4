// velomir-cli --download: the listed rows saved into a folder, with a progress line and a closing account on
// stderr.
#pragma once

#include <string>
#include <vector>

#include "analysis/curl_transport.h"
#include "analysis/result_row.h"
#include "cli/cli_options.h"
#include "downloads/download_engine.h"

namespace velomir {

// The rows worth a transfer, with their 1-based place in the list: every track, and the programmes that carry an
// audio address of their own (their song has no ID to ask for one).
std::vector<DownloadItem> downloadItems(const std::vector<ResultRow>& rows);

// "saved S, already there A, unavailable U, failed F", then a line for every track not saved ("#12 NAME: REASON")
// and, after a stop or a run-ending fault, how many were left unfinished. Every line ends with '\n'.
std::string downloadSummary(const DownloadReport& report, int itemCount);

// 130 / 143 after SIGINT / SIGTERM stopped the run, 1 after a run-ending fault or when a track is unavailable or
// failed, else `listingStatus`.
int downloadExitStatus(const DownloadReport& report, int stopSignal, int listingStatus);

// Saves `rows` as `options` asks, reporting on stderr (a progress line only when `terminal`); from its start,
// SIGINT and SIGTERM stop it. The process's exit status.
int runDownload(const CliOptions& options, const std::vector<ResultRow>& rows, HttpSettings http, bool terminal,
                int listingStatus);

}  // namespace velomir

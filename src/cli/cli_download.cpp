#include "cli/cli_download.h"

#include <csignal>
#include <iostream>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "analysis/audio_address.h"
#include "cli/row_printer.h"
#include "cli/stop_signals.h"
#include "cli/terminal_progress.h"
#include "text/text_helpers.h"

namespace velomir {

std::vector<DownloadItem> downloadItems(const std::vector<ResultRow>& rows) {
    std::vector<DownloadItem> items;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ResultRow& row = rows[i];
        if (isTrackRow(row) || !isMissingAudioAddress(row.audioAddress)) {
            items.push_back({static_cast<int>(i) + 1, row});
        }
    }
    return items;
}

std::string downloadSummary(const DownloadReport& report, int itemCount) {
    std::string text = "saved " + std::to_string(report.saved) + ", already there " +
                       std::to_string(report.alreadyThere) + ", unavailable " + std::to_string(report.unavailable) +
                       ", failed " + std::to_string(report.failed) + "\n";
    for (const DownloadResult& result : report.results) {
        if (result.outcome == DownloadOutcome::Saved || result.outcome == DownloadOutcome::AlreadyThere) continue;
        text += enclosed("#", std::to_string(result.position), " ") + terminalText(result.title) + ": " +
                terminalText(result.reason) + "\n";
    }
    const int unfinished = itemCount - static_cast<int>(report.results.size());
    if ((report.stopped || !report.stopMessage.empty()) && unfinished > 0) {
        text += enclosed("stopped with ", std::to_string(unfinished),
                         " tracks unfinished; a run into the same folder resumes them\n");
    }
    return text;
}

int downloadExitStatus(const DownloadReport& report, int stopSignal, int listingStatus) {
    if (report.stopped && stopSignal == SIGINT) return kExitInterrupted;
    if (report.stopped && stopSignal == SIGTERM) return kExitTerminated;
    if (report.stopped || !report.stopMessage.empty() || report.unavailable > 0 || report.failed > 0) return 1;
    return listingStatus;
}

int runDownload(const CliOptions& options, const std::vector<ResultRow>& rows, HttpSettings http, bool terminal,
                int listingStatus) {
    const std::vector<DownloadItem> items = downloadItems(rows);
    if (items.empty()) {
        std::cerr << "velomir-cli: nothing to save: no track among the rows\n";
        return listingStatus;
    }
#ifdef __GLIBC__
    // Every track passes through buffers of a whole song, taken and freed again and again. By default glibc hands
    // such blocks back to the system at once and the next track faults them in anew: most of a run's system time.
    // A short-lived process can keep them.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    // Lives past the run: a late signal still finds it.
    static StopFlag stop{false};
    catchStopSignals(stop);
    http.stop = &stop;

    DownloadOptions download;
    download.folder = options.downloadFolder;
    download.jobs = options.jobs;
    download.nameTemplate = options.nameTemplate;
    download.listSize = static_cast<int>(rows.size());
    download.lyrics = options.lyrics;

    TerminalProgress progress(std::cerr, stderrColumns);
    const DownloadReport report = downloadTracks(items, download, http, terminal ? &progress : nullptr);
    if (terminal) progress.clear();

    std::cerr << downloadSummary(report, static_cast<int>(items.size()));
    if (!report.stopMessage.empty()) std::cerr << "velomir-cli: " << terminalText(report.stopMessage) << "\n";
    return downloadExitStatus(report, caughtStopSignal(), listingStatus);
}

}  // namespace velomir

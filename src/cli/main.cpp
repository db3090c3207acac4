// velomir-cli: runs the analysis driver on the given text and prints the rows; with --download, saves them.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/analysis_driver.h"
#include "analysis/analysis_view.h"
#include "analysis/audio_address.h"
#include "analysis/curl_transport.h"
#include "cli/cli_download.h"
#include "cli/cli_options.h"
#include "cli/cli_view.h"
#include "cli/row_printer.h"
#include "lyrics/lyric_source.h"
#include "text/text_helpers.h"

namespace {

constexpr const char* kProgram = "velomir-cli";

int usageError(const std::string& message) {
    std::cerr << kProgram << ": " << message << "\nTry '" << kProgram << " --help'.\n";
    return 2;
}

// Shows the stage of the run on one terminal line.
class TerminalStages : public velomir::RunObserver {
public:
    void stageReached(int step) override { std::cerr << "\r\033[K" << velomir::progressText(step) << std::flush; }
    void rowsListed(velomir::LinkKind, std::vector<velomir::ResultRow>) override {}
    void itemsLoaded(int loaded, int total) override {
        std::cerr << "\r\033[K"
                  << "loading " << loaded << "/" << total << std::flush;
    }
};

// Says on stderr what the rows cannot: why there are none. The exit status of the run.
int reportOutcome(const velomir::RunState& state, const std::string& text) {
    const velomir::ListCompleteness& list = state.completeness;
    if (list.removed > 0) {
        std::cerr << kProgram << ": " << list.removed << " tracks of this playlist no longer exist\n";
    }
    if (!list.problem.ok()) {
        std::cerr << kProgram << ": listed " << state.resultRows.size() << " of " << list.declared
                  << " tracks: " << list.problem.message() << "\n";
        return 1;
    }
    const velomir::Status& problem = state.problem;
    if (problem.code() == velomir::Status::Code::Refused) {
        std::cerr << kProgram << ": the service refused the request: " << problem.message() << "\n";
        return 1;
    }
    if (!problem.ok()) {
        std::cerr << kProgram << ": request failed: " << problem.message() << "\n";
        return 1;
    }
    if (state.currentKind == velomir::LinkKind::Unrecognised) {
        std::cerr << kProgram << ": not a link or ID of the service: " << text << " (--search searches for it)\n";
    }
    return 0;
}

// The lyrics of every track row, asked for one after another and kept in row order. Tracks left without lyrics
// are named on stderr, as is a result without any track.
std::vector<velomir::Lyrics> fetchAllLyrics(const std::vector<velomir::ResultRow>& rows, velomir::HttpTransport& http) {
    std::vector<velomir::Lyrics> all(rows.size());
    bool anyTrack = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const velomir::ResultRow& row = rows[i];
        if (!velomir::isTrackRow(row)) continue;
        anyTrack = true;
        velomir::Status status;
        all[i] = velomir::fetchLyrics(http, row.trackId, status);
        const std::string track = velomir::oneLine(row.trackName) + " (" + row.trackId + ")";
        if (!status.ok()) {
            std::cerr << kProgram << ": lyrics of " << track << " not fetched: " << status.message() << "\n";
        } else if (all[i].kind == velomir::Lyrics::Kind::None) {
            std::cerr << kProgram << ": no lyrics for " << track << "\n";
        }
    }
    if (!rows.empty() && !anyTrack) std::cerr << kProgram << ": no track among the rows: programmes have no lyrics\n";
    return all;
}

}  // namespace

int main(int argc, char** argv) {
    const velomir::CliParse parse = velomir::parseCliArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parse.error.empty()) return usageError(parse.error);
    const velomir::CliOptions& options = parse.options;
    if (options.help) {
        std::cout << velomir::cliUsage();
        return 0;
    }
    if (options.version) {
        std::cout << kProgram << " " << VELOMIR_VERSION << "\n";
        return 0;
    }

    velomir::HttpSettings settings;
    settings.serviceAddress = options.serviceAddress;
    if (settings.serviceAddress.empty()) {
        const char* fromEnvironment = std::getenv("VELOMIR_SERVICE_ADDRESS");
        settings.serviceAddress = fromEnvironment != nullptr ? fromEnvironment : "";
        // A mistyped stand-in address must not quietly become a connection to the real service.
        if (!settings.serviceAddress.empty() && !velomir::isServiceAddress(settings.serviceAddress)) {
            return usageError("VELOMIR_SERVICE_ADDRESS must be HOST:PORT");
        }
    }
    velomir::CurlTransport http(settings);

    const bool terminalErr = isatty(STDERR_FILENO) != 0;
    TerminalStages stages;
    velomir::CliView view(options.text, options.searchMode);
    velomir::AnalysisDriver driver(view, http, options.analysis);
    velomir::BusyRetry retry;
    retry.attempts = options.retries + 1;
    driver.setBusyRetry(retry);
    driver.runAnalysis(terminalErr ? &stages : nullptr);

    auto& rows = driver.state().resultRows;
    const velomir::OutputFormat format = options.formatGiven     ? options.format
                                         : isatty(STDOUT_FILENO) ? velomir::OutputFormat::Table
                                                                 : velomir::OutputFormat::Tsv;
    // A playlist is useless without addresses: m3u always asks for the ones the answer withheld.
    if (options.resolve || format == velomir::OutputFormat::M3u) {
        velomir::resolveAudioAddresses(rows, http, options.analysis.maxCount);
    }
    if (terminalErr) std::cerr << "\r\033[K" << std::flush;
    const std::vector<velomir::Lyrics> lyrics =
        format == velomir::OutputFormat::Lrc ? fetchAllLyrics(rows, http) : std::vector<velomir::Lyrics>();

    const velomir::RunReport report{view.linkText(),
                                    driver.state().currentKind,
                                    driver.state().currentRecordType,
                                    driver.state().columnTitles,
                                    &rows,
                                    &lyrics};
    velomir::printReport(std::cout, report, format);
    std::cout.flush();
    const int listed = reportOutcome(driver.state(), options.text);
    if (options.downloadFolder.empty()) return listed;
    return velomir::runDownload(options, rows, settings, terminalErr, listed);
}

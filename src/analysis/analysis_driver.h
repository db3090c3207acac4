// One analysis run: from the link box text to a recognised, fetched and extracted list, published in one step.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "analysis/http_transport.h"
#include "analysis/item_extraction.h"
#include "analysis/link_kind.h"
#include "analysis/playlist_completion.h"
#include "analysis/result_row.h"
#include "analysis/status.h"

namespace velomir {

class AnalysisView;
class RunObserver;

struct RunState {
    int progressStep = -1;  // -1 idle; 0..3 the stage of the run under way
    int itemsLoaded = 0;    // while a long list is completed: tracks known so far
    int itemsTotal = 0;     // and the tracks it declares; 0 when no list is being completed
    std::string currentInput;
    LinkKind currentKind = LinkKind::Unrecognised;
    RecordType currentRecordType = RecordType::Track;
    std::vector<TrackItem> trackItems;
    std::vector<ProgrammeItem> programmeItems;
    std::vector<ResultRow> resultRows;
    std::vector<std::string> columnTitles;  // the last run's kind's titles; empty before the first run
    int currentRow = 0;                     // 1-based row shown in the detail pane, 0 for none
    unsigned runNumber = 0;                 // counts published lists
    Status problem;                         // why the last run's request gave nothing usable, if it did not
    ListCompleteness completeness;          // how completing the last run's playlist went
};

// What a run needs from the window, read when it starts.
struct RunInput {
    std::string text;  // the link box text without its kind labels
    bool searchMode = false;
    AnalysisOptions options;
    BusyRetry retry;  // how a long list's completion waits out a busy service
};

// A run's whole list, built on the run's thread and handed over in one piece.
struct RunResult {
    std::string input;  // the ID or search text
    LinkKind kind = LinkKind::Unrecognised;
    RecordType recordType = RecordType::Track;
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    std::vector<ResultRow> rows;
    Status problem;
    ListCompleteness completeness;
};

// The stage text shown while a run is at `step`; empty when idle.
const char* progressText(int step);

// Removes every kind label ("[歌单]", ... "[搜索]") standing at the start of a link box text.
std::string stripKindLabels(const std::string& text);

// Recognition, the requests, the parse and the extraction: the part of a run that may take long. Runs on any
// thread; touches nothing but its arguments. A set `stop` ends it early with what it has.
RunResult performRun(const RunInput& input, HttpTransport& http, RunObserver* observer = nullptr,
                     const StopFlag* stop = nullptr);

class AnalysisDriver {
public:
    AnalysisDriver(AnalysisView& view, HttpTransport& http, const AnalysisOptions& options);

    // The start of a run on the view's thread: resets the detail pane, collapses the settings bar, enters stage 0
    // and reads the view. Nothing when a run is under way.
    std::optional<RunInput> beginRun();
    // Stage `step` reached; the view's thread only.
    void enterStage(int step) { state_.progressStep = step; }
    // The rows of a list still being completed, in order, each time more of them; the view's thread only. They
    // replace the last list at once, so the grid grows while the run goes on.
    void showListed(LinkKind kind, std::vector<ResultRow> rows);
    // A long list's completion has got this far; the view's thread only.
    void noteLoaded(int loaded, int total) {
        state_.itemsLoaded = loaded;
        state_.itemsTotal = total;
    }
    // The end of a run on the view's thread: the list replaces the last one whole, the link box gains the kind's
    // label, the mode follows the kind, and the view is told.
    void finishRun(RunResult result);
    // A whole run on the caller's thread: what the command line and the tests use. Nothing when one is under way.
    void runAnalysis(RunObserver* observer = nullptr);

    const RunState& state() const { return state_; }
    RunState& state() { return state_; }
    bool running() const { return state_.progressStep != -1; }
    HttpTransport& http() { return http_; }
    // How the runs from now on wait out a busy service.
    void setBusyRetry(const BusyRetry& retry) { retry_ = retry; }

private:
    AnalysisView& view_;
    HttpTransport& http_;
    const AnalysisOptions& options_;
    RunState state_;
    BusyRetry retry_;
    bool listing_ = false;  // the state's rows are the run's own, still growing
};

}  // namespace velomir

// One analysis run: from the link box text to a filled, titled and labelled result grid.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_options.h"
#include "analysis/item_extraction.h"
#include "analysis/link_kind.h"
#include "analysis/result_row.h"
#include "text/work_pacer.h"

namespace velomir {

class AnalysisView;
class HttpTransport;

struct RunState {
    int progressStep = -1;  // -1 idle; 0..3 the stage of the run under way
    std::string currentInput;
    int currentKind = kUnrecognised;
    int currentFieldSet = kTrackRecord;
    std::vector<TrackItem> trackItems;
    std::vector<ProgrammeItem> programmeItems;
    std::vector<ResultRow> resultRows;
    std::vector<std::string> columnTitles{"名称", "歌手", "专辑"};
    std::vector<int> columnWidths{160, 100, 100};
    int currentRow = 0;      // 1-based row shown in the detail pane, 0 for none
    unsigned runNumber = 0;  // counts started runs, so that work begun on one list knows when it was replaced
    FetchProblem problem;    // why the last run's request gave nothing usable, if it did not
};

// The stage text shown while a run is at `step`; empty when idle.
const char* progressText(int step);

// Removes every kind label ("[歌单]", ... "[搜索]") standing at the start of a link box text.
std::string stripKindLabels(const std::string& text);

class AnalysisDriver {
public:
    AnalysisDriver(AnalysisView& view, HttpTransport& http, const AnalysisOptions& options);

    // Starts a run unless one is under way (a run can be re-entered from the event pump); true if it ran.
    bool startRun();
    // REQUIRES: no run under way.
    void runAnalysis();
    void setUpGrid(const std::vector<std::string>& titles, const std::vector<int>& widths, int emptyRows,
                   int firstColumnWidth);

    const RunState& state() const { return state_; }
    RunState& state() { return state_; }
    bool running() const { return state_.progressStep != -1; }
    // What the pacing of a long parse measures time by; the steady clock unless a test sets its own.
    void setClock(WorkPacer::Reader clock) { clock_ = std::move(clock); }

private:
    struct NewList;
    void publish(NewList& list);
    void fillGrid(int count);

    AnalysisView& view_;
    HttpTransport& http_;
    const AnalysisOptions& options_;
    RunState state_;
    WorkPacer::Reader clock_;
};

}  // namespace velomir

#include "analysis/analysis_driver.h"

#include <array>

#include "analysis/analysis_view.h"
#include "analysis/item_extraction.h"
#include "analysis/link_recognition.h"
#include "analysis/service_catalogue.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr std::uint32_t kTitleGrey = 0x808080;
constexpr int kFirstColumnWidth = 40;

std::array<const std::string*, 3> cellTexts(const ResultRow& row, int fieldSet) {
    if (fieldSet == kProgrammeRecord) return {&row.programmeName, &row.djNickname, &row.radioName};
    return {&row.trackName, &row.artistNames, &row.albumName};
}

}  // namespace

const char* progressText(int step) {
    switch (step) {
        case 0:
            return "初始化...";
        case 1:
            return "正在识别类型...";
        case 2:
            return "正在提取链接...";
        case 3:
            return "提取完成，正在解析中...";
        default:
            return "";
    }
}

std::string stripKindLabels(const std::string& text) {
    std::size_t pos = 0;
    for (bool found = true; found;) {
        found = false;
        for (const KindTraits& look : allKindTraits()) {
            const std::string_view label = look.label;
            if (text.compare(pos, label.size(), label) == 0) {
                pos += label.size();
                found = true;
            }
        }
    }
    return text.substr(pos);
}

AnalysisDriver::AnalysisDriver(AnalysisView& view, HttpTransport& http, const AnalysisOptions& options)
    : view_(view), http_(http), options_(options) {}

bool AnalysisDriver::startRun() {
    if (running()) return false;
    runAnalysis();
    return true;
}

// A run's list, built aside: handlers that run while events get through still see the last list, whole.
struct AnalysisDriver::NewList {
    std::string input;
    int kind = kUnrecognised;
    int fieldSet = kTrackRecord;
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    std::vector<ResultRow> rows;
};

void AnalysisDriver::runAnalysis() {
    view_.resetDetailPane();
    view_.collapseSettingsBar();
    state_.progressStep = 0;
    ++state_.runNumber;
    state_.problem = {};
    const ServiceCatalogue& catalogue = serviceCatalogue();
    NewList list;
    // Labels of earlier runs are ours, not the user's: they must not reach recognition or stack up.
    list.input = stripKindLabels(view_.linkText());
    state_.progressStep = 1;
    const Recognition recognition = recogniseLink(list.input, view_.searchMode(), options_, http_);
    list.kind = recognition.kind;
    // Probes that failed on the way are the cause only when nothing was recognised (no request follows then).
    if (recognition.kind < 0 && !recognition.probeFailure.ok()) {
        state_.problem = {FetchProblem::Cause::Transfer, recognition.probeFailure.message};
    }
    list.fieldSet = ServiceCatalogue::recordTypeOfKind(list.kind);
    state_.progressStep = 2;
    const bool search = list.kind == catalogue.searchKind();
    view_.switchMode(search);
    // A short link's ID is in the address it led to; a search keeps the user's own words.
    if (!search) list.input = extractId(recognition.text);
    state_.progressStep = 3;
    WorkPacer pacer([this] { view_.letEventsThrough(); }, std::chrono::milliseconds(16), clock_);
    // An early stop (status below 0) leaves both lists empty: no rows show under the new label.
    fetchItems(list.input, list.kind, list.tracks, list.programmes, http_, options_.maxCount, &state_.problem, &pacer);
    const int count = buildResultRows(list.fieldSet, list.tracks, list.programmes, list.rows);
    publish(list);
    const KindTraits& look = kindTraits(state_.currentKind);
    state_.columnTitles.assign(look.columnTitles.begin(), look.columnTitles.end());
    view_.setLinkText(look.label + stripKindLabels(view_.linkText()));
    fillGrid(count);
    state_.progressStep = -1;
}

void AnalysisDriver::publish(NewList& list) {
    state_.currentInput = std::move(list.input);
    state_.currentKind = list.kind;
    state_.currentFieldSet = list.fieldSet;
    state_.trackItems = std::move(list.tracks);
    state_.programmeItems = std::move(list.programmes);
    state_.resultRows = std::move(list.rows);
    state_.currentRow = 0;
}

void AnalysisDriver::fillGrid(int count) {
    setUpGrid(state_.columnTitles, state_.columnWidths, 0, kFirstColumnWidth);
    GridControl& grid = view_.grid();
    grid.setCellText(0, 0, enclosed("{", std::to_string(count), "}"));
    for (int i = 1; i <= count; ++i) {
        const int r = grid.rowCount();
        grid.appendRow(std::to_string(r));
        const auto texts = cellTexts(state_.resultRows[i - 1], state_.currentFieldSet);
        for (int c = 1; c <= 3; ++c) grid.setCellText(r, c, *texts[c - 1]);
        grid.setAlignment(r, 1, r, grid.columnCount() - 1, CellAlignment::Left);
    }
}

void AnalysisDriver::setUpGrid(const std::vector<std::string>& titles, const std::vector<int>& widths, int emptyRows,
                               int firstColumnWidth) {
    GridControl& grid = view_.grid();
    grid.setRowCount(1);
    grid.setColumnCount(1);
    grid.setColumnWidth(0, firstColumnWidth);
    const int columns = static_cast<int>(titles.size());
    for (int k = 1; k <= columns; ++k) {
        grid.appendColumn(titles[k - 1]);
        grid.setColumnWidth(k, widths.at(k - 1));
    }
    for (int r = 0; r < emptyRows; ++r) grid.appendRow("");
    grid.setAlignment(0, 0, 0, columns, CellAlignment::Centre);
    grid.setColour(0, 0, 0, columns, kTitleGrey);
    grid.setColour(0, 0, 0, 0, kTitleGrey);
}

}  // namespace velomir

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

void AnalysisDriver::runAnalysis() {
    view_.resetDetailPane();
    view_.collapseSettingsBar();
    state_.progressStep = 0;
    ++state_.runNumber;
    state_.problem = {};
    const ServiceCatalogue& catalogue = serviceCatalogue();
    // Labels of earlier runs are ours, not the user's: they must not reach recognition or stack up.
    state_.currentInput = stripKindLabels(view_.linkText());
    state_.progressStep = 1;
    const Recognition recognition = recogniseLink(state_.currentInput, view_.searchMode(), options_, http_);
    state_.currentKind = recognition.kind;
    // Probes that failed on the way are the cause only when nothing was recognised (no request follows then).
    if (recognition.kind < 0 && !recognition.probeFailure.ok()) {
        state_.problem = {FetchProblem::Cause::Transfer, recognition.probeFailure.message};
    }
    state_.currentFieldSet = ServiceCatalogue::recordTypeOfKind(state_.currentKind);
    state_.progressStep = 2;
    const bool search = state_.currentKind == catalogue.searchKind();
    view_.switchMode(search);
    // A short link's ID is in the address it led to; a search keeps the user's own words.
    if (!search) state_.currentInput = extractId(recognition.text);
    state_.progressStep = 3;
    state_.currentRow = 0;
    const int status = fetchItems(state_.currentInput, state_.currentKind, state_.trackItems, state_.programmeItems,
                                  http_, options_.maxCount, &state_.problem);
    if (status < 0) {
        // An early stop leaves the previous run's items behind; they must not show under the new label.
        state_.trackItems.clear();
        state_.programmeItems.clear();
    }
    const int count =
        buildResultRows(state_.currentFieldSet, state_.trackItems, state_.programmeItems, state_.resultRows);
    const KindTraits& look = kindTraits(state_.currentKind);
    state_.columnTitles.assign(look.columnTitles.begin(), look.columnTitles.end());
    view_.setLinkText(look.label + stripKindLabels(view_.linkText()));
    fillGrid(count);
    state_.progressStep = -1;
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

#include "analysis/analysis_driver.h"

#include <array>

#include "analysis/analysis_view.h"
#include "analysis/item_extraction.h"
#include "analysis/link_recognition.h"
#include "analysis/service_catalogue.h"
#include "text/text_helpers.h"

namespace velomir {

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

RunResult performRun(const RunInput& input, HttpTransport& http, RunObserver* observer, const StopFlag* stop) {
    const auto reach = [observer](int step) {
        if (observer != nullptr) observer->stageReached(step);
    };
    const auto loaded = [observer](int count, int total) {
        if (observer != nullptr) observer->itemsLoaded(count, total);
    };
    const auto listed = [observer](const std::vector<TrackItem>& tracks) {
        if (observer == nullptr) return;
        std::vector<ResultRow> rows;
        buildResultRows(RecordType::Track, tracks, {}, rows);
        observer->rowsListed(LinkKind::Playlist, std::move(rows));
    };
    RunResult result;
    result.input = input.text;
    reach(1);
    const Recognition recognition = recogniseLink(result.input, input.searchMode, input.options, http);
    result.kind = recognition.kind;
    // Probes that failed on the way are the cause only when nothing was recognised (no request follows then).
    if (recognition.kind == LinkKind::Unrecognised && !recognition.probeFailure.ok()) {
        result.problem = recognition.probeFailure;
    }
    result.recordType = ServiceCatalogue::recordTypeOfKind(result.kind);
    reach(2);
    // A short link's ID is in the address it led to; a search keeps the user's own words.
    if (result.kind != LinkKind::Search) result.input = extractId(recognition.text);
    reach(3);
    if (stop != nullptr && stop->load()) return result;
    // An early stop leaves both lists empty, so no rows show under the new label; it is no failed request.
    Status fetched =
        fetchItems(result.input, result.kind, result.tracks, result.programmes, http, input.options.maxCount,
                   FetchControl{stop, input.retry, {loaded, listed}, &result.completeness});
    if (fetched.code() != Status::Code::BadInput) result.problem = std::move(fetched);
    buildResultRows(result.recordType, result.tracks, result.programmes, result.rows);
    return result;
}

AnalysisDriver::AnalysisDriver(AnalysisView& view, HttpTransport& http, const AnalysisOptions& options)
    : view_(view), http_(http), options_(options) {}

std::optional<RunInput> AnalysisDriver::beginRun() {
    if (running()) return std::nullopt;
    view_.resetDetailPane();
    view_.collapseSettingsBar();
    state_.progressStep = 0;
    state_.itemsLoaded = 0;
    state_.itemsTotal = 0;
    listing_ = false;
    // Labels of earlier runs are ours, not the user's: they must not reach recognition or stack up.
    return RunInput{stripKindLabels(view_.linkText()), view_.searchMode(), options_, retry_};
}

void AnalysisDriver::showListed(LinkKind kind, std::vector<ResultRow> rows) {
    if (!running()) return;
    const bool replaced = !listing_;
    listing_ = true;
    if (replaced) {
        state_.currentKind = kind;
        state_.currentRecordType = ServiceCatalogue::recordTypeOfKind(kind);
        const KindTraits& look = kindTraits(kind);
        state_.columnTitles.assign(look.columnTitles.begin(), look.columnTitles.end());
        state_.currentRow = 0;
    }
    state_.resultRows = std::move(rows);
    view_.listGrew(replaced);
}

void AnalysisDriver::finishRun(RunResult result) {
    state_.currentInput = std::move(result.input);
    state_.currentKind = result.kind;
    state_.currentRecordType = result.recordType;
    state_.trackItems = std::move(result.tracks);
    state_.programmeItems = std::move(result.programmes);
    state_.resultRows = std::move(result.rows);
    state_.problem = std::move(result.problem);
    state_.completeness = std::move(result.completeness);
    state_.currentRow = 0;
    ++state_.runNumber;
    const KindTraits& look = kindTraits(state_.currentKind);
    state_.columnTitles.assign(look.columnTitles.begin(), look.columnTitles.end());
    view_.switchMode(state_.currentKind == LinkKind::Search);
    view_.setLinkText(look.label + stripKindLabels(view_.linkText()));
    state_.progressStep = -1;
    view_.listPublished();
}

void AnalysisDriver::runAnalysis(RunObserver* observer) {
    const std::optional<RunInput> input = beginRun();
    if (!input) return;
    struct Stages : RunObserver {
        AnalysisDriver& driver;
        RunObserver* outer;
        Stages(AnalysisDriver& d, RunObserver* o) : driver(d), outer(o) {}
        void stageReached(int step) override {
            driver.enterStage(step);
            if (outer != nullptr) outer->stageReached(step);
        }
        void itemsLoaded(int loaded, int total) override {
            driver.noteLoaded(loaded, total);
            if (outer != nullptr) outer->itemsLoaded(loaded, total);
        }
        void rowsListed(LinkKind, std::vector<ResultRow>) override {}
    } stages(*this, observer);
    finishRun(performRun(*input, http_, &stages));
}

}  // namespace velomir

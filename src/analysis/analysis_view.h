// What an analysis run touches outside itself: the window, the command line and the tests each provide one.
#pragma once

#include <string>
#include <vector>

#include "analysis/link_kind.h"
#include "analysis/result_row.h"

namespace velomir {

class AnalysisView {
public:
    virtual ~AnalysisView() = default;
    virtual std::string linkText() const = 0;
    virtual void setLinkText(const std::string& text) = 0;
    virtual bool searchMode() const = 0;
    // The window's mode switch: search mode for search text, parse mode otherwise.
    virtual void switchMode(bool searchMode) = 0;
    // Default cover and placeholder captions.
    virtual void resetDetailPane() = 0;
    virtual void collapseSettingsBar() = 0;
    // A run's list has replaced the last one in the run state: show it.
    virtual void listPublished() = 0;
    // While a long list is completed its rows grow in the run state: `replaced` when they replaced the last list
    // (the first time), else they only grew at the end.
    virtual void listGrew(bool replaced) = 0;
};

// How far a run has got; the window shows it over the grid, the command line on a terminal.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // Called on the run's own thread as it reaches stage 1, 2 and 3.
    virtual void stageReached(int step) = 0;
    // Called on the run's own thread while a long list is completed: tracks known so far of the list's total.
    virtual void itemsLoaded(int loaded, int total) = 0;
    // Called on the run's own thread while a long list is completed: its rows so far, in order; each call's rows
    // begin with the last call's.
    virtual void rowsListed(LinkKind kind, std::vector<ResultRow> rows) = 0;
};

}  // namespace velomir

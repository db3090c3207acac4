// What an analysis run touches outside itself: the window, the command line and the tests each provide one.
#pragma once

#include <cstdint>
#include <string>

namespace velomir {

enum class CellAlignment { Left, Centre, Right };

// The result grid: row 0 holds the column titles, column 0 the row titles, cell (0, 0) the item count.
class GridControl {
public:
    virtual ~GridControl() = default;
    virtual void setRowCount(int rows) = 0;
    virtual void setColumnCount(int columns) = 0;
    virtual void setColumnWidth(int column, int width) = 0;
    virtual void appendColumn(const std::string& title) = 0;
    virtual void appendRow(const std::string& title) = 0;
    virtual void setCellText(int row, int column, const std::string& text) = 0;
    // Rectangles are inclusive: rows r1..r2, columns c1..c2.
    virtual void setAlignment(int r1, int c1, int r2, int c2, CellAlignment alignment) = 0;
    virtual void setColour(int r1, int c1, int r2, int c2, std::uint32_t rgb) = 0;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
};

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
    virtual GridControl& grid() = 0;
    // Serves pending input and timers during a long parse or extraction; a window runs its event loop here.
    virtual void letEventsThrough() {}
};

}  // namespace velomir

#pragma once

#include "processing/GridStore.h"

// The result grid (the main window's MSFlexGrid1) is the only store of a result: the functions
// write their rows here and Save reads them back.
extern GridStore ResultGrid;

// What changing the result grid asks of the main window. The main window installs itself;
// without it (tests, the command-line tool) nothing is shown.
class ResultAreaView {
public:
    virtual ~ResultAreaView() = default;
    // The grid's size or texts changed as a whole: show it anew.
    virtual void resultGridReset() = 0;
    // The condition list (ConditionRows) changed: show it anew.
    virtual void conditionListChanged() = 0;
};
void setResultAreaView(ResultAreaView* view);  // not owned; nullptr removes it
ResultAreaView* resultAreaView();

// Resets the grid (2 x 2, no text) and empties the condition list.
void ClearFlexGrid();

#include "processing/uGridProcessor.h"

GridStore ResultGrid;

namespace {
ResultAreaView* g_resultAreaView = nullptr;
}

void setResultAreaView(ResultAreaView* view) {
    g_resultAreaView = view;
}

void ClearFlexGrid() {
    ResultGrid.reset();
    if (g_resultAreaView) {
        g_resultAreaView->resultGridReset();
        g_resultAreaView->clearConditionList();
    }
}

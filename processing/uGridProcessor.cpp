#include "processing/uGridProcessor.h"

#include "conditions/ConditionList.h"

GridStore ResultGrid;

namespace {
ResultAreaView* g_resultAreaView = nullptr;
}

void setResultAreaView(ResultAreaView* view) {
    g_resultAreaView = view;
}

ResultAreaView* resultAreaView() {
    return g_resultAreaView;
}

void ClearFlexGrid() {
    ResultGrid.reset();
    if (g_resultAreaView) g_resultAreaView->resultGridReset();
    ClearConditionList();
}

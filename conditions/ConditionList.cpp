#include "conditions/ConditionList.h"

#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/uGridProcessor.h"

std::vector<ConditionRow> ConditionRows;

QString ConditionFileText() {
    switch (FileToProcess) {
    case 0: return QStringLiteral("In File 1 (") + File1.FileName + QLatin1Char(')');
    case 1: return QStringLiteral("In File 2 (") + File2.FileName + QLatin1Char(')');
    default: return QStringLiteral("Both Files");
    }
}

void AddConditionRow(const QString& field, const QString& description) {
    ConditionRows.push_back({field, description, ConditionFileText()});
    if (ResultAreaView* view = resultAreaView()) view->conditionListChanged();
}

void ClearConditionList() {
    ConditionRows.clear();
    if (ResultAreaView* view = resultAreaView()) view->conditionListChanged();
}

void ClearAllFields() {
    ClearFlexGrid();
    ShowLoadedData = true;
    SetSaveCommandEnabled(false);
}

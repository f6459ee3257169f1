#include "conditions/ConditionList.h"

#include "data/uGlobalData.h"

std::vector<ConditionRow> ConditionRows;

QString ConditionFileText() {
    switch (FileToProcess) {
        case 0:
            return QStringLiteral("In File 1 (") + File1.FileName + QLatin1Char(')');
        case 1:
            return QStringLiteral("In File 2 (") + File2.FileName + QLatin1Char(')');
        default:
            return QStringLiteral("Both Files");
    }
}

void AddConditionRow(const QString& field, const QString& description) {
    ConditionRows.push_back({field, description, ConditionFileText()});
}

void ClearConditionList() {
    ConditionRows.clear();
}

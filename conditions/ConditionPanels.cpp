#include "conditions/ConditionPanels.h"

#include <array>

#include "data/uGlobalData.h"

ConditionPanels Panels;
std::vector<std::int32_t> TotalsColumnMap;

QString PanelList::text() const {
    return position >= 0 && position < count() ? items[position] : QString();
}

const QStringList& OperatorItems() {
    static const QStringList items{
        QStringLiteral("Equal To"),     QStringLiteral("Not Equal To"),
        QStringLiteral("Less Than"),    QStringLiteral("Less Than Or Equal To"),
        QStringLiteral("Greater Than"), QStringLiteral("Greater Than Or Equal To"),
        QStringLiteral("Contains"),
    };
    return items;
}

const QStringList& TotalsKindItems() {
    static const QStringList items{QStringLiteral("Sum"), QStringLiteral("Min"),
                                   QStringLiteral("Max")};
    return items;
}

const QStringList& ModifyOperationItems() {
    static const QStringList items{
        QStringLiteral("Cut from the beginning"),
        QStringLiteral("Cut in the end"),
        QStringLiteral("Add forward"),
        QStringLiteral("Add backwards"),
    };
    return items;
}

ConditionPanels::ConditionPanels() {
    fldSel1Select.items = OperatorItems();
    fldSel2Select.items = QStringList{QStringLiteral("None")} + OperatorItems();
    fldSel1MultiSelect.items = OperatorItems();
    fldSel2MultiSelect.items = OperatorItems();
    fldSelTotals.items = TotalsKindItems();
    fldSelDataModify.items = ModifyOperationItems();
}

PanelList* ConditionPanels::list(PanelControl control) {
    switch (control) {
        case PanelControl::ColToProcess:
            return &fldColToProcess;
        case PanelControl::ColToProcessSelect:
            return &fldColToProcessSelect;
        case PanelControl::Sel1Select:
            return &fldSel1Select;
        case PanelControl::Sel2Select:
            return &fldSel2Select;
        case PanelControl::Col1MultiSelect:
            return &fldCol1MultiSelect;
        case PanelControl::Sel1MultiSelect:
            return &fldSel1MultiSelect;
        case PanelControl::Col2MultiSelect:
            return &fldCol2MultiSelect;
        case PanelControl::Sel2MultiSelect:
            return &fldSel2MultiSelect;
        case PanelControl::ColToProcessTotals:
            return &fldColToProcessTotals;
        case PanelControl::SelTotals:
            return &fldSelTotals;
        case PanelControl::DataTotals:
            return &fldDataTotals;
        case PanelControl::ColToProcessDataModify:
            return &fldColToProcessDataModify;
        case PanelControl::SelDataModify:
            return &fldSelDataModify;
        default:
            return nullptr;
    }
}

QString* ConditionPanels::field(PanelControl control) {
    switch (control) {
        case PanelControl::Data1Select:
            return &fldData1Select;
        case PanelControl::Data2Select:
            return &fldData2Select;
        case PanelControl::Data1MultiSelect:
            return &fldData1MultiSelect;
        case PanelControl::Data2MultiSelect:
            return &fldData2MultiSelect;
        case PanelControl::SrcDataModify:
            return &fldSrcDataModify;
        default:
            return nullptr;
    }
}

void PickInPanel(PanelControl control, int position) {
    if (PanelList* list = Panels.list(control)) list->select(position);
    switch (control) {
        case PanelControl::ColToProcess:
        case PanelControl::ColToProcessSelect:
        case PanelControl::ColToProcessDataModify:
            ColumnToProcess = position;
            break;
        case PanelControl::ColToProcessTotals:
            ColumnToProcess = position;
            FillTotalsValueColumns();
            break;
        case PanelControl::Sel1Select:
            SelectOperator1 = position;
            break;
        case PanelControl::Sel2Select:
            SelectOperator2 = position;
            break;
        case PanelControl::AndSelect:
            Panels.fldANDSelect = true;
            SelectAnd = true;
            break;
        case PanelControl::OrSelect:
            Panels.fldANDSelect = false;
            SelectAnd = false;
            break;
        case PanelControl::Col1MultiSelect:
            MultiColumn1 = position;
            break;
        case PanelControl::Col2MultiSelect:
            MultiColumn2 = position;
            break;
        case PanelControl::Sel1MultiSelect:
            MultiOperator1 = position;
            break;
        case PanelControl::Sel2MultiSelect:
            MultiOperator2 = position;
            break;
        case PanelControl::SelTotals:
            TotalsKind = position;
            break;
        case PanelControl::DataTotals:
            if (position < 0 || position >= int(TotalsColumnMap.size())) break;
            TotalsColumn = TotalsColumnMap[std::size_t(position)];
            TotalsItem = position;
            break;
        case PanelControl::SelDataModify:
            ModifyOperation = position;
            break;
        default:
            break;
    }
}

void TypeInPanel(PanelControl control, const QString& text) {
    switch (control) {
        case PanelControl::Data1Select:
            Panels.fldData1Select = text;
            SelectValue1 = text;
            break;
        case PanelControl::Data2Select:
            Panels.fldData2Select = text;
            SelectValue2 = text;
            break;
        case PanelControl::Data1MultiSelect:
            Panels.fldData1MultiSelect = text;
            break;
        case PanelControl::Data2MultiSelect:
            Panels.fldData2MultiSelect = text;
            break;
        case PanelControl::SrcDataModify:
            SetModifyTextField(text);
            break;
        default:
            break;
    }
}

void SetModifyTextField(const QString& text) {
    Panels.fldSrcDataModify = text;
    ModifyText = text;
}

void ResetPanels() {
    Panels = ConditionPanels();
    TotalsColumnMap.clear();
}

void FillColumnLists() {
    ConditionPanels& p = Panels;
    const std::array<PanelList*, 6> lists{&p.fldColToProcess,       &p.fldColToProcessSelect,
                                          &p.fldCol1MultiSelect,    &p.fldCol2MultiSelect,
                                          &p.fldColToProcessTotals, &p.fldColToProcessDataModify};
    for (PanelList* list : lists) list->clear();
    p.fldCol2MultiSelect.items << QStringLiteral("None");
    if (!File1.Contents) return;
    for (const clField& field : File1.Contents->Fields) {
        for (PanelList* list : lists) list->items << field.Name;
    }
}

void RestorePanelSelections() {
    if (!File1.Connection || (FileToProcess == 1 && !File2.Contents)) return;
    ConditionPanels& p = Panels;
    // A column index at or past the end of its list would point past the sheet's columns.
    if (p.fldColToProcess.count() > 0 && ColumnToProcess >= p.fldColToProcess.count()) {
        ColumnToProcess = 0;
    }
    p.fldColToProcess.select(ColumnToProcess);
    p.fldColToProcessSelect.select(ColumnToProcess);

    if (p.fldCol1MultiSelect.count() > 0 && MultiColumn1 >= p.fldCol1MultiSelect.count()) {
        MultiColumn1 = 0;
    }
    if (p.fldCol2MultiSelect.count() > 0 && MultiColumn2 >= p.fldCol2MultiSelect.count()) {
        MultiColumn2 = 0;
    }
    p.fldCol1MultiSelect.select(MultiColumn1);
    p.fldCol2MultiSelect.select(MultiColumn2);
    p.fldSel1MultiSelect.select(MultiOperator1);
    p.fldSel2MultiSelect.select(MultiOperator2);

    p.fldColToProcessDataModify.select(ColumnToProcess);
    p.fldSelDataModify.select(ModifyOperation);

    p.fldColToProcessTotals.select(ColumnToProcess);
    p.fldDataTotals.select(TotalsItem);
    p.fldSelTotals.select(TotalsKind);
}

void RefreshFunctionPanel(int selectedFunction) {
    switch (WizardFunction(selectedFunction)) {
        case WizardFunction::MultiFilter:
            Panels.fldSel1MultiSelect.select(MultiOperator1);
            Panels.fldSel2MultiSelect.select(MultiOperator2);
            break;
        case WizardFunction::Totals:
            FillTotalsValueColumns();
            Panels.fldDataTotals.select(TotalsItem);
            break;
        default:
            break;
    }
}

void FillTotalsValueColumns() {
    Panels.fldDataTotals.clear();
    TotalsColumnMap.clear();
    if (!File1.Contents) return;
    const std::vector<clField>& fields = File1.Contents->Fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!isNumberType(fields[i].DataType)) continue;
        Panels.fldDataTotals.items << fields[i].Name;
        TotalsColumnMap.push_back(std::int32_t(i));
    }
}

#include "conditions/ConditionPanels.h"

#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"

ConditionPanels Panels;
std::vector<std::int32_t> TotalsColumnMap;

QString PanelList::text() const {
    return position >= 0 && position < count() ? items[position] : QString();
}

const QStringList& OperatorItems() {
    static const QStringList items{
        QStringLiteral("Equal To"),
        QStringLiteral("Not Equal To"),
        QStringLiteral("Less Than"),
        QStringLiteral("Less Than Or Equal To"),
        QStringLiteral("Greater Than"),
        QStringLiteral("Greater Than Or Equal To"),
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
    case PanelControl::ColToProcess: return &fldColToProcess;
    case PanelControl::ColToProcessSelect: return &fldColToProcessSelect;
    case PanelControl::Sel1Select: return &fldSel1Select;
    case PanelControl::Sel2Select: return &fldSel2Select;
    case PanelControl::Col1MultiSelect: return &fldCol1MultiSelect;
    case PanelControl::Sel1MultiSelect: return &fldSel1MultiSelect;
    case PanelControl::Col2MultiSelect: return &fldCol2MultiSelect;
    case PanelControl::Sel2MultiSelect: return &fldSel2MultiSelect;
    case PanelControl::ColToProcessTotals: return &fldColToProcessTotals;
    case PanelControl::SelTotals: return &fldSelTotals;
    case PanelControl::DataTotals: return &fldDataTotals;
    case PanelControl::ColToProcessDataModify: return &fldColToProcessDataModify;
    case PanelControl::SelDataModify: return &fldSelDataModify;
    default: return nullptr;
    }
}

QString* ConditionPanels::field(PanelControl control) {
    switch (control) {
    case PanelControl::Data1Select: return &fldData1Select;
    case PanelControl::Data2Select: return &fldData2Select;
    case PanelControl::Data1MultiSelect: return &fldData1MultiSelect;
    case PanelControl::Data2MultiSelect: return &fldData2MultiSelect;
    case PanelControl::SrcDataModify: return &fldSrcDataModify;
    default: return nullptr;
    }
}

void PickInPanel(PanelControl control, int position) {
    if (PanelList* list = Panels.list(control)) list->select(position);
    switch (control) {
    case PanelControl::ColToProcess:
    case PanelControl::ColToProcessSelect:
    case PanelControl::ColToProcessDataModify: ColumnToProcess = position; break;
    case PanelControl::ColToProcessTotals:
        ColumnToProcess = position;
        FillTotalsValueColumns();
        break;
    case PanelControl::Sel1Select: SelectOperator1 = position; break;
    case PanelControl::Sel2Select: SelectOperator2 = position; break;
    case PanelControl::AndSelect:
        Panels.fldANDSelect = true;
        SelectAnd = true;
        break;
    case PanelControl::OrSelect:
        Panels.fldANDSelect = false;
        SelectAnd = false;
        break;
    case PanelControl::Col1MultiSelect: MultiColumn1 = position; break;
    case PanelControl::Col2MultiSelect: MultiColumn2 = position; break;
    case PanelControl::Sel1MultiSelect: MultiOperator1 = position; break;
    case PanelControl::Sel2MultiSelect: MultiOperator2 = position; break;
    case PanelControl::SelTotals: TotalsKind = position; break;
    case PanelControl::DataTotals:
        if (position < 0 || position >= int(TotalsColumnMap.size())) break;
        TotalsColumn = TotalsColumnMap[std::size_t(position)];
        TotalsItem = position;
        break;
    case PanelControl::SelDataModify: ModifyOperation = position; break;
    default: break;
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
    case PanelControl::Data1MultiSelect: Panels.fldData1MultiSelect = text; break;
    case PanelControl::Data2MultiSelect: Panels.fldData2MultiSelect = text; break;
    case PanelControl::SrcDataModify: SetModifyTextField(text); break;
    default: break;
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

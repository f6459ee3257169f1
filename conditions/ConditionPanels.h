#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// The state of the wizard's parameter panels, kept apart from their widgets: the items and the
// selected position of every list, and the text of every value field. The panel form shows this
// state and reports the user's choices back; the wizard's rules, the Run command and the functions
// read it here, so all of them work without a window.

// A drop-down list: its items and the selected position (-1: nothing selected).
struct PanelList {
    QStringList items;
    int position = -1;

    int count() const { return int(items.size()); }
    // The selected item's text; empty when nothing is selected.
    QString text() const;
    // Selects `at`; a position outside the list leaves nothing selected.
    void select(int at) { position = at >= 0 && at < count() ? at : -1; }
    // Selects `at` only when it lies inside the list; otherwise the selection stays.
    void selectIfInside(int at) {
        if (at >= 0 && at < count()) position = at;
    }
    void clear() {
        items.clear();
        position = -1;
    }
};

// The controls the user changes on the panels, one per list or field.
enum class PanelControl {
    // Unique values and Duplicates
    ColToProcess,
    // Filter
    ColToProcessSelect,
    Sel1Select,
    Data1Select,
    AndSelect,
    OrSelect,
    Sel2Select,
    Data2Select,
    // Multi-Filter
    Col1MultiSelect,
    Sel1MultiSelect,
    Data1MultiSelect,
    Col2MultiSelect,
    Sel2MultiSelect,
    Data2MultiSelect,
    // Totals
    ColToProcessTotals,
    SelTotals,
    DataTotals,
    // Data modify
    ColToProcessDataModify,
    SelDataModify,
    SrcDataModify,
};

struct ConditionPanels {
    ConditionPanels();

    PanelList fldColToProcess;

    PanelList fldColToProcessSelect;
    PanelList fldSel1Select;  // the seven operators
    QString fldData1Select;
    bool fldANDSelect = false;  // "And" checked; "Or" otherwise
    PanelList fldSel2Select;    // "None", then the seven operators
    QString fldData2Select;

    PanelList fldCol1MultiSelect;
    PanelList fldSel1MultiSelect;
    QString fldData1MultiSelect;
    PanelList fldCol2MultiSelect;  // "None", then File 1's columns
    PanelList fldSel2MultiSelect;
    QString fldData2MultiSelect;

    PanelList fldColToProcessTotals;
    PanelList fldSelTotals;
    PanelList fldDataTotals;  // File 1's numeric columns; see TotalsColumnMap

    PanelList fldColToProcessDataModify;
    PanelList fldSelDataModify;
    QString fldSrcDataModify;  // always equal to ModifyText: set it through SetModifyTextField

    PanelList* list(PanelControl control);
    QString* field(PanelControl control);
};

// The panels while the program runs: created once, they keep their lists, selections and texts
// from one opening of the wizard to the next.
extern ConditionPanels Panels;
// One column index of File 1 per item of Panels.fldDataTotals.
extern std::vector<std::int32_t> TotalsColumnMap;

// The fixed items.
const QStringList& OperatorItems();         // codes 0 "Equal To" .. 6 "Contains"
const QStringList& TotalsKindItems();       // "Sum", "Min", "Max"
const QStringList& ModifyOperationItems();  // the four Data modify operations

// The user picks item `position` of a list (or clicks a radio button, position ignored): the
// condition setting behind it changes at once. Changing the Totals grouping column refills the
// value-column list.
void PickInPanel(PanelControl control, int position);
// The user types into a value field or the Data modify text field.
void TypeInPanel(PanelControl control, const QString& text);
// Changes the Data modify text field from the program; ModifyText follows it.
void SetModifyTextField(const QString& text);

// Back to the start: empty column lists, the fixed lists without selection, "Or", empty fields.
void ResetPanels();

// The wizard's parameter panels (Panels). Every column list shows File 1's columns, whatever file
// is processed: File 2 stays loaded only while its columns equal File 1's.
// Refills the six column lists from File 1, headings as they are ("None" first in the second
// Multi-Filter column list).
void FillColumnLists();
// Selects the condition settings in the panels' lists. A column choice at or past the end of its
// list (a sheet with fewer columns) goes back to the first column.
void RestorePanelSelections();
// Refreshes the panel of `selectedFunction`.
void RefreshFunctionPanel(int selectedFunction);
// Refills the Totals value-column list with File 1's numeric columns, and TotalsColumnMap with
// their indexes; nothing is selected afterwards.
void FillTotalsValueColumns();

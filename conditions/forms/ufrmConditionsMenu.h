#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "conditions/ConditionPanels.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

// "conditions": the six parameter panels of the Function Wizard, designed on a form of their own
// that is never shown. The wizard moves the panels into its host when it is created. The widgets
// show the state in Panels; a choice the user makes goes to PickInPanel or TypeInPanel, a choice
// the program makes (showState) runs no handler.
class TfrmConditionsMenu : public QWidget {
    Q_OBJECT
public:
    explicit TfrmConditionsMenu(QWidget* parent = nullptr);

    // The panels in the host's order: Unique values and Duplicates, Filter, Multi-Filter, Totals,
    // Data modify, Sorting. Each is laid out; the host shows one at a time.
    QFrame* CUniqValues = nullptr;
    QFrame* ElPanel2 = nullptr;
    QFrame* ElPanel5 = nullptr;
    QFrame* CTotals = nullptr;
    QFrame* CDataModify = nullptr;
    QFrame* CSorting = nullptr;
    std::vector<QFrame*> panels() const;

    QComboBox* fldColToProcess = nullptr;

    QComboBox* fldColToProcessSelect = nullptr;
    QComboBox* fldSel1Select = nullptr;
    QLineEdit* fldData1Select = nullptr;
    QRadioButton* fldANDSelect = nullptr;
    QRadioButton* fldORSelect = nullptr;
    QComboBox* fldSel2Select = nullptr;
    QLineEdit* fldData2Select = nullptr;

    QComboBox* fldCol1MultiSelect = nullptr;
    QComboBox* fldSel1MultiSelect = nullptr;
    QLineEdit* fldData1MultiSelect = nullptr;
    QComboBox* fldCol2MultiSelect = nullptr;
    QComboBox* fldSel2MultiSelect = nullptr;
    QLineEdit* fldData2MultiSelect = nullptr;

    QComboBox* fldColToProcessTotals = nullptr;
    QComboBox* fldSelTotals = nullptr;
    QComboBox* fldDataTotals = nullptr;

    QComboBox* fldColToProcessDataModify = nullptr;
    QComboBox* fldSelDataModify = nullptr;
    QLineEdit* fldSrcDataModify = nullptr;

    // Brings every control in line with Panels.
    void showState();
    // Called after each of the user's changes, once Panels holds it (the wizard shows it anew).
    std::function<void()> onUserChange;

private:
    // A panel with its controls one under another.
    QFrame* addPanel(const char* name);
    // The bevelled box of the selection properties, with its caption on the first row of its
    // grid; it fills the rest of `panel`.
    QFrame* addInnerBox(QFrame* panel);
    // A drop-down at least `characters` wide.
    QComboBox* addList(QWidget* parent, const char* name, int characters, PanelControl control);
    QLineEdit* addField(QWidget* parent, const char* name, PanelControl control);
    QLabel* addLabel(QWidget* parent, const QString& text, bool blue = false);
    // "Column for processing :" and its list, on the panel's first row.
    QComboBox* addColumnRow(QFrame* panel, const char* name, PanelControl control);
    void userChanged();

    struct BoundList {
        QComboBox* box;
        PanelControl control;
        QStringList shownItems;
    };
    struct BoundField {
        QLineEdit* edit;
        PanelControl control;
    };
    std::vector<BoundList> m_lists;
    std::vector<BoundField> m_fields;
};

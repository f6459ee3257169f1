#pragma once

#include <QDialog>

#include "conditions/FunctionWizard.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedLayout;
class TfrmConditionsMenu;

// "Function Wizard": the function list, the file list, the host of the parameter panels and the
// description. Its rules live in `Wizard`; this window shows them and forwards the user's clicks.
// Made once at start-up and shown modally by the "Conditions" commands. "Cancel", Esc and the close
// button all cancel: the settings go back to what they were when it opened.
class TfrmConditions : public QDialog, public FunctionWizardView {
    Q_OBJECT
public:
    // Takes the panels of `panelForm` into its host.
    TfrmConditions(TfrmConditionsMenu* panelForm, QWidget* parent = nullptr);

    FunctionWizard Wizard;
    TfrmConditionsMenu* frmConditionsMenu;

    QLabel* FunctionsLabel = nullptr;  // "Functions :"
    QListWidget* ElTree2 = nullptr;
    QComboBox* fldFileToProcess = nullptr;
    QFrame* ElPanel6 = nullptr;
    QGroupBox* DescriptionBox = nullptr;
    QLabel* HelpLabel = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // Shows the panel at `position` in the host, filling it, and hides the others.
    void showPanelAt(int position);

    // FunctionWizardView
    void showFunctionPanel(int functionIndex) override;
    void closeWizard(bool accepted) override;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // Brings every control in line with Wizard and Panels.
    void showState();
    // HelpLabel in the window text colour of the current palette.
    void showDescriptionAsText();

    QStackedLayout* m_panelStack = nullptr;  // the panels in ElPanel6
};

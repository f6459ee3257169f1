#include "conditions/forms/uFrmConditions.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

#include "app/widgets/CaptionColours.h"
#include "app/widgets/WindowPlacement.h"
#include "conditions/forms/ufrmConditionsMenu.h"
#include "data/seams/MessageSeam.h"

TfrmConditions::TfrmConditions(TfrmConditionsMenu* panelForm, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Wizard(this),
      frmConditionsMenu(panelForm) {
    setObjectName(QStringLiteral("frmConditions"));
    setWindowTitle(QStringLiteral("Function Wizard"));
    setFixedSize(567, 259);

    FunctionsLabel = new QLabel(QStringLiteral("Functions :"), this);
    UseCaptionColour(FunctionsLabel);
    FunctionsLabel->move(8, 12);
    FunctionsLabel->adjustSize();

    ElTree2 = new QListWidget(this);
    ElTree2->setObjectName(QStringLiteral("ElTree2"));
    ElTree2->setGeometry(4, 28, 125, 133);
    ElTree2->setUniformItemSizes(true);
    for (const QString& name : FunctionItems()) {
        auto* item = new QListWidgetItem(name, ElTree2);
        item->setSizeHint(QSize(0, 16));
    }
    connect(ElTree2, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0) return;
        Wizard.ElTree2AfterSelectionChange(row);
        showState();
    });

    auto* fileLabel = new QLabel(QStringLiteral("File :"), this);
    fileLabel->adjustSize();
    // The caption ends a few pixels before the list, however wide the desktop's font.
    fileLabel->move(std::min(228, 256 - 4 - fileLabel->width()), 8);

    fldFileToProcess = new QComboBox(this);
    fldFileToProcess->setObjectName(QStringLiteral("fldFileToProcess"));
    fldFileToProcess->setGeometry(256, 4, 93, 21);
    connect(fldFileToProcess, &QComboBox::activated, this, [this](int position) {
        ShowMessage(Wizard.fldFileToProcessChange(position));
        showState();
    });

    ElPanel6 = new QFrame(this);
    ElPanel6->setObjectName(QStringLiteral("ElPanel6"));
    ElPanel6->setFrameShape(QFrame::Panel);
    ElPanel6->setFrameShadow(QFrame::Raised);
    ElPanel6->setGeometry(132, 28, 433, 133);

    DescriptionBox = new QGroupBox(QStringLiteral("Description"), this);
    DescriptionBox->setObjectName(QStringLiteral("DescriptionBox"));
    DescriptionBox->setGeometry(4, 164, 561, 65);
    UseCaptionColour(DescriptionBox);
    HelpLabel = new QLabel(DescriptionBox);
    HelpLabel->setObjectName(QStringLiteral("HelpLabel"));
    HelpLabel->setGeometry(8, 28, 545, 20);
    HelpLabel->installEventFilter(this);

    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setGeometry(256, 236, 93, 21);
    connect(btnClear, &QPushButton::clicked, this, [this] {
        Wizard.btnClearClick();
        showState();
    });
    btnOK = new QPushButton(QStringLiteral("Ok"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(372, 236, 93, 21);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        ShowMessage(Wizard.btnOKClick());
        showState();
    });
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(472, 236, 93, 21);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmConditions::reject);

    FormCreate();
}

void TfrmConditions::FormCreate() {
    for (QFrame* panel : frmConditionsMenu->panels()) {
        panel->setParent(ElPanel6);
        panel->hide();
    }
    frmConditionsMenu->onUserChange = [this] { showState(); };
    Wizard.FormCreate();

    // Tab order: function list, file list, the panel's controls, "Ok", "Cancel", "Clear".
    QWidget* previous = fldFileToProcess;
    setTabOrder(ElTree2, fldFileToProcess);
    for (QFrame* panel : frmConditionsMenu->panels()) {
        for (QWidget* control : panel->findChildren<QWidget*>()) {
            if (!(control->focusPolicy() & Qt::TabFocus)) continue;
            setTabOrder(previous, control);
            previous = control;
        }
    }
    setTabOrder(previous, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, btnClear);
    showState();
}

void TfrmConditions::showPanelAt(int position) {
    const std::vector<QFrame*> panels = frmConditionsMenu->panels();
    for (std::size_t i = 0; i < panels.size(); ++i) {
        if (int(i) == position) {
            panels[i]->setGeometry(ElPanel6->contentsRect());
            panels[i]->show();
        } else {
            panels[i]->hide();
        }
    }
}

void TfrmConditions::showFunctionPanel(int functionIndex) {
    showPanelAt(FunctionPanelPosition(functionIndex));
}

void TfrmConditions::closeWizard(bool accepted) {
    if (accepted) {
        accept();
    } else {
        QDialog::reject();
    }
}

void TfrmConditions::reject() {
    Wizard.btnCancelClick();
    showState();
}

void TfrmConditions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only an opening brings the wizard in line with the settings; the window system showing it
    // again (after a minimise) must not.
    if (event->spontaneous()) return;
    CentreOn(this, parentWidget());
    ElTree2->setFocus();
    Wizard.FormShow();
    showState();
}

bool TfrmConditions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == HelpLabel && event->type() == QEvent::MouseButtonPress) {
        ElTree2->setFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmConditions::showState() {
    {
        const QSignalBlocker blocker(ElTree2);
        ElTree2->setCurrentRow(Wizard.ElTree2.position);
    }
    {
        const QSignalBlocker blocker(fldFileToProcess);
        QStringList shown;
        for (int i = 0; i < fldFileToProcess->count(); ++i) shown << fldFileToProcess->itemText(i);
        if (shown != Wizard.fldFileToProcess.items) {
            fldFileToProcess->clear();
            fldFileToProcess->addItems(Wizard.fldFileToProcess.items);
        }
        fldFileToProcess->setCurrentIndex(Wizard.fldFileToProcess.position);
    }
    HelpLabel->setText(Wizard.HelpLabel);
    showPanelAt(Wizard.ShownPanel);
    frmConditionsMenu->showState();
}

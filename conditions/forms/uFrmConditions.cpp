#include "conditions/forms/uFrmConditions.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>

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
    FunctionsLabel = new QLabel(QStringLiteral("Functions :"), this);
    UseCaptionColour(FunctionsLabel);

    ElTree2 = new QListWidget(this);
    ElTree2->setObjectName(QStringLiteral("ElTree2"));
    ElTree2->setUniformItemSizes(true);
    for (const QString& name : FunctionItems()) new QListWidgetItem(name, ElTree2);
    connect(ElTree2, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0) return;
        Wizard.ElTree2AfterSelectionChange(row);
        showState();
    });

    auto* fileLabel = new QLabel(QStringLiteral("File :"), this);
    fldFileToProcess = new QComboBox(this);
    fldFileToProcess->setObjectName(QStringLiteral("fldFileToProcess"));
    // Its width follows the font, not the items, so the wizard keeps its size when they change.
    fldFileToProcess->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fldFileToProcess->setMinimumContentsLength(8);
    connect(fldFileToProcess, &QComboBox::activated, this, [this](int position) {
        ShowMessage(Wizard.fldFileToProcessChange(position));
        showState();
    });

    ElPanel6 = new QFrame(this);
    ElPanel6->setObjectName(QStringLiteral("ElPanel6"));
    ElPanel6->setFrameShape(QFrame::Panel);
    ElPanel6->setFrameShadow(QFrame::Raised);
    // One panel at a time; the host is as large as the largest of them.
    m_panelStack = new QStackedLayout(ElPanel6);

    DescriptionBox = new QGroupBox(QStringLiteral("Description"), this);
    DescriptionBox->setObjectName(QStringLiteral("DescriptionBox"));
    UseCaptionColour(DescriptionBox);
    HelpLabel = new QLabel(DescriptionBox);
    HelpLabel->setObjectName(QStringLiteral("HelpLabel"));
    HelpLabel->installEventFilter(this);
    showDescriptionAsText();
    // Wide enough for every function's description: choosing another does not resize the wizard.
    int widestDescription = 0;
    for (int f = 0; f < int(FunctionItems().size()); ++f) {
        widestDescription = std::max(
            widestDescription, HelpLabel->fontMetrics().horizontalAdvance(FunctionDescription(f)));
    }
    HelpLabel->setMinimumWidth(widestDescription + 2 * HelpLabel->margin());
    auto* descriptionLayout = new QVBoxLayout(DescriptionBox);
    descriptionLayout->addWidget(HelpLabel);

    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    connect(btnClear, &QPushButton::clicked, this, [this] {
        Wizard.btnClearClick();
        showState();
    });
    btnOK = new QPushButton(QStringLiteral("Ok"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        ShowMessage(Wizard.btnOKClick());
        showState();
    });
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnCancel, &QPushButton::clicked, this, &TfrmConditions::reject);

    // The function list on the left, the file list above the panel host on the right, the
    // description across the bottom and the buttons under it at the right.
    auto* fileRow = new QHBoxLayout;
    fileRow->addStretch(1);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(fldFileToProcess);
    fileRow->addStretch(2);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    for (QPushButton* button : {btnClear, btnOK, btnCancel}) {
        button->setMinimumWidth(button->fontMetrics().averageCharWidth() * 15);
        buttonRow->addWidget(button);
    }
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);
    grid->addWidget(FunctionsLabel, 0, 0, Qt::AlignLeft | Qt::AlignBottom);
    grid->addLayout(fileRow, 0, 1);
    grid->addWidget(ElTree2, 1, 0);
    grid->addWidget(ElPanel6, 1, 1);
    grid->addWidget(DescriptionBox, 2, 0, 1, 2);
    grid->addLayout(buttonRow, 3, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    FormCreate();
}

void TfrmConditions::FormCreate() {
    for (QFrame* panel : frmConditionsMenu->panels()) m_panelStack->addWidget(panel);
    // The list is as wide as its longest name and tall enough for every function.
    const int frame = 2 * ElTree2->frameWidth();
    ElTree2->setFixedWidth(ElTree2->sizeHintForColumn(0) + frame +
                           style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
    ElTree2->setMinimumHeight(ElTree2->sizeHintForRow(0) * ElTree2->count() + frame);
    ElTree2->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    frmConditionsMenu->onUserChange = [this] { showState(); };
    Wizard.FormCreate();

    // Tab order: function list, file list, the panel's controls, "Ok", "Cancel", "Clear".
    QWidget* previous = fldFileToProcess;
    setTabOrder(ElTree2, fldFileToProcess);
    for (QFrame* panel : frmConditionsMenu->panels()) {
        for (QWidget* control : panel->findChildren<QWidget*>()) {
            // A drop-down's own list is a popup window of its own, outside the chain.
            if (!(control->focusPolicy() & Qt::TabFocus) || control->window() != this) continue;
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
    if (position >= 0 && position < m_panelStack->count()) {
        m_panelStack->setCurrentIndex(position);
        m_panelStack->currentWidget()->show();
    } else if (QWidget* shown = m_panelStack->currentWidget()) {
        shown->hide();
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
    if (watched == HelpLabel && (event->type() == QEvent::ApplicationPaletteChange ||
                                 event->type() == QEvent::PaletteChange)) {
        showDescriptionAsText();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmConditions::showDescriptionAsText() {
    // The box passes its caption colour on to what it holds; the description itself is plain
    // text in the palette's text colour.
    const QColor text = QApplication::palette(HelpLabel).color(QPalette::WindowText);
    QPalette palette = HelpLabel->palette();
    if (palette.color(QPalette::WindowText) == text) return;
    palette.setColor(QPalette::WindowText, text);
    HelpLabel->setPalette(palette);
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

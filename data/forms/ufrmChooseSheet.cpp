#include "data/forms/ufrmChooseSheet.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "app/widgets/WindowPlacement.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"

TfrmChooseSheet::TfrmChooseSheet(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmChooseSheet"));
    setWindowTitle(QStringLiteral("Choose a sheet"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    // About a dozen sheet names of some thirty characters, at the desktop's font.
    const QFontMetrics metrics = ListBox1->fontMetrics();
    ListBox1->setMinimumSize(metrics.averageCharWidth() * 36, metrics.lineSpacing() * 12);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TfrmChooseSheet::ListBox1DblClick);

    ElGraphicButton7 = new QPushButton(QStringLiteral("Ok"), this);
    ElGraphicButton7->setObjectName(QStringLiteral("ElGraphicButton7"));
    ElGraphicButton7->setMinimumWidth(metrics.averageCharWidth() * 16);
    ElGraphicButton7->setDefault(true);
    connect(ElGraphicButton7, &QPushButton::clicked, this, &TfrmChooseSheet::ElGraphicButton7Click);
    // Esc anywhere in the dialog rejects it: SheetChosen stays false.

    // The list fills the dialog; "Ok" stands under it at the right.
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(0, 0, 4, 2);
    buttonRow->addStretch(1);
    buttonRow->addWidget(ElGraphicButton7);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(ListBox1);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmChooseSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // shown again by the window system, not opened
    CentreOn(this, parentWidget());
    FormShow();
}

void TfrmChooseSheet::FormShow() {
    if (ListBox1->count() > 0) {
        ListBox1->setCurrentRow(0);
        SlotOf(TargetFile).SheetName = ListBox1->item(0)->text();
    }
    SheetChosen = false;
    // On activation the "Ok" button has the focus.
    QTimer::singleShot(0, ElGraphicButton7, [this] { ElGraphicButton7->setFocus(); });
}

void TfrmChooseSheet::ElGraphicButton7Click() {
    if (QListWidgetItem* item = ListBox1->currentItem()) {
        SlotOf(TargetFile).SheetName = item->text();
        SheetChosen = true;
    }
    accept();
}

void TfrmChooseSheet::ListBox1DblClick() {
    const int row = ListBox1->currentRow();
    if (row >= 0 && row < ListBox1->count()) ElGraphicButton7Click();
}

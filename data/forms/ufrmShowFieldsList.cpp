#include "data/forms/ufrmShowFieldsList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/widgets/WindowPlacement.h"
#include "data/access/FieldType.h"
#include "data/uGlobalData.h"

TfrmShowFieldsList::TfrmShowFieldsList(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmShowFieldsList"));
    setWindowTitle(QStringLiteral("Check Field Types"));

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("Field"), QStringLiteral("Type")});
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionsClickable(false);
    // However long a column's name, its type stays in sight: the names take what the types
    // leave and are elided.
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListView1->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ListView1->setTextElideMode(Qt::ElideMiddle);
    ListView1->setAlternatingRowColors(true);

    OkButton = new QPushButton(QStringLiteral("Ok"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    // The list fills the dialog above "Ok", which keeps to the lower right corner.
    const int character = fontMetrics().averageCharWidth();
    OkButton->setMinimumWidth(character * 16);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(0, 0, 4, 4);
    buttonRow->addStretch(1);
    buttonRow->addWidget(OkButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(ListView1);
    layout->addLayout(buttonRow);
    resize(character * 36, fontMetrics().lineSpacing() * 17);
}

void TfrmShowFieldsList::fill(const clResult& contents) {
    ListView1->clear();
    QList<QTreeWidgetItem*> items;
    for (const clField& field : contents.Fields) {
        items << new QTreeWidgetItem({field.Name, fieldTypeDisplayName(field.DataType)});
    }
    ListView1->addTopLevelItems(items);
    // Wide enough for the names where the screen allows; narrower, they are elided.
    const QAbstractItemView* view = ListView1;
    const int wanted = view->sizeHintForColumn(0) + view->sizeHintForColumn(1) +
                       2 * ListView1->frameWidth() +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
    const int least = fontMetrics().averageCharWidth() * 36;
    const int screenWidth = screen() ? screen()->availableGeometry().width() : 1024;
    resize(std::clamp(wanted, least, std::max(least, screenWidth * 2 / 3)), height());
}

void TfrmShowFieldsList::showEvent(QShowEvent* event) {
    CentreOn(this, parentWidget());
    QDialog::showEvent(event);
    OkButton->setFocus();
}

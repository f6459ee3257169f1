#include "data/forms/ufrmShowFieldsList.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include "app/widgets/WindowPlacement.h"
#include "data/access/FieldType.h"
#include "data/uGlobalData.h"

namespace {
constexpr int kMargin = 4;
constexpr QSize kButton(101, 21);
}  // namespace

TfrmShowFieldsList::TfrmShowFieldsList(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmShowFieldsList"));
    setWindowTitle(QStringLiteral("Check Field Types"));
    resize(240, 250);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("Field"), QStringLiteral("Type")});
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionsClickable(false);
    ListView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListView1->setAlternatingRowColors(true);

    OkButton = new QPushButton(QStringLiteral("Ok"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setFixedSize(kButton);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmShowFieldsList::fill(const clResult& contents) {
    ListView1->clear();
    QList<QTreeWidgetItem*> items;
    for (const clField& field : contents.Fields) {
        items << new QTreeWidgetItem({field.Name, fieldTypeDisplayName(field.DataType)});
    }
    ListView1->addTopLevelItems(items);
}

void TfrmShowFieldsList::showEvent(QShowEvent* event) {
    CentreOn(this, parentWidget());
    QDialog::showEvent(event);
    OkButton->setFocus();
}

// The list fills the dialog above the button, which keeps to the lower right corner.
void TfrmShowFieldsList::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    OkButton->move(width() - kButton.width() - kMargin, height() - kButton.height() - kMargin);
    ListView1->setGeometry(0, 0, width(), OkButton->y() - kMargin);
}

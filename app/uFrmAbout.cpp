#include "app/uFrmAbout.h"

#include <QLabel>
#include <QPushButton>

#include "app/widgets/Pictures.h"
#include "app/widgets/WindowPlacement.h"

TFrmAbout::TFrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("About Quarix"));
    setFixedSize(260, 190);

    ProductImage = new QLabel(this);
    ProductImage->setObjectName(QStringLiteral("ProductImage"));
    ProductImage->setGeometry(98, 16, 64, 64);
    ProductImage->setPixmap(RenderPicture(QStringLiteral(":/icons/quarix.svg"), QSize(64, 64)));

    auto* name = new QLabel(QStringLiteral("Quarix"), this);
    name->setObjectName(QStringLiteral("ProductName"));
    name->setGeometry(8, 88, 244, 24);
    name->setAlignment(Qt::AlignCenter);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    name->setFont(nameFont);

    Version = new QLabel(QStringLiteral("Version 1.0"), this);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setGeometry(8, 114, 244, 20);
    Version->setAlignment(Qt::AlignCenter);

    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(85, 150, 90, 25);
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TFrmAbout::showEvent(QShowEvent* event) {
    CentreOn(this, parentWidget());
    QDialog::showEvent(event);
}

#include "app/uFrmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/widgets/Pictures.h"
#include "app/widgets/WindowPlacement.h"

TFrmAbout::TFrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("About Quarix"));

    // A column: the icon, the name, the version, "Close"; each centred.
    ProductImage = new QLabel(this);
    ProductImage->setObjectName(QStringLiteral("ProductImage"));
    ProductImage->setPixmap(RenderPicture(QStringLiteral(":/icons/quarix.svg"), QSize(64, 64)));

    auto* name = new QLabel(QStringLiteral("Quarix"), this);
    name->setObjectName(QStringLiteral("ProductName"));
    name->setAlignment(Qt::AlignCenter);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    name->setFont(nameFont);

    Version = new QLabel(QStringLiteral("Version 1.0"), this);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setAlignment(Qt::AlignCenter);

    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setMinimumWidth(90);
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 16, 8, 14);
    layout->addWidget(ProductImage, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addWidget(name);
    layout->addWidget(Version);
    layout->addSpacing(14);
    layout->addWidget(btnClose, 0, Qt::AlignHCenter);
    name->setMinimumWidth(244);  // the designed width, wider when the font needs it
    layout->setSizeConstraint(QLayout::SetFixedSize);
    KeepWideEnoughForCaption(this);
}

void TFrmAbout::showEvent(QShowEvent* event) {
    CentreOn(this, parentWidget());
    QDialog::showEvent(event);
}

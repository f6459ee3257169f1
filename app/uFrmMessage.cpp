#include "app/uFrmMessage.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/widgets/WindowPlacement.h"

TfrmMessage::TfrmMessage(QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_owner(owner) {
    setObjectName(QStringLiteral("frmMessage"));
    setWindowTitle(QStringLiteral("Quarix MessageBox"));

    // The text centred over "Ok"; the window as wide as designed at the default font and as
    // tall as the text's lines need.
    MLabelS = new QLabel(this);
    MLabelS->setObjectName(QStringLiteral("MLabelS"));
    MLabelS->setMinimumWidth(338);
    MLabelS->setAlignment(Qt::AlignCenter);
    MLabelS->setWordWrap(true);
    MLabelS->setTextFormat(Qt::PlainText);

    btnOK = new QPushButton(QStringLiteral("Ok"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setMinimumWidth(93);
    btnOK->setDefault(true);
    btnOK->installEventFilter(this);
    connect(btnOK, &QPushButton::clicked, this, &TfrmMessage::btnOKClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 8, 4, 4);
    layout->addWidget(MLabelS, 1);
    layout->addWidget(btnOK, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmMessage::btnOKClick() {
    hide();
}

void TfrmMessage::FormKeyDown(int key) {
    if (key == Qt::Key_Escape) hide();
}

void TfrmMessage::btnOKKeyDown(int key) {
    if (key == Qt::Key_Escape) hide();
}

void TfrmMessage::showWaiting(const QString& caption, const QString& text) {
    setWindowTitle(caption);
    KeepWideEnoughForCaption(this);
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    MLabelS->setText(lines);
    btnOK->hide();
    show();
    // Once, so that the window is painted before the long read starts.
    QCoreApplication::processEvents();
}

void TfrmMessage::closeWaiting() {
    hide();
    btnOK->show();
}

void TfrmMessage::showEvent(QShowEvent* event) {
    CentreOn(this, m_owner);
    QDialog::showEvent(event);
    KeepAbove(this, m_owner);
}

void TfrmMessage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        FormKeyDown(event->key());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmMessage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == btnOK && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        btnOKKeyDown(Qt::Key_Escape);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

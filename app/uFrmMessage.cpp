#include "app/uFrmMessage.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/widgets/WindowPlacement.h"

TfrmMessage::TfrmMessage(QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_owner(owner) {
    setObjectName(QStringLiteral("frmMessage"));
    setWindowTitle(QStringLiteral("Quarix MessageBox"));
    setFixedSize(346, 75);

    MLabelS = new QLabel(this);
    MLabelS->setObjectName(QStringLiteral("MLabelS"));
    MLabelS->setGeometry(4, 8, 333, 41);
    MLabelS->setAlignment(Qt::AlignCenter);
    MLabelS->setWordWrap(true);
    MLabelS->setTextFormat(Qt::PlainText);

    btnOK = new QPushButton(QStringLiteral("Ok"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(128, 52, 93, 21);
    btnOK->setDefault(true);
    btnOK->installEventFilter(this);
    connect(btnOK, &QPushButton::clicked, this, &TfrmMessage::btnOKClick);
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

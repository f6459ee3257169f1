#include "app/uFrmProcessing.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "app/PlatformSeams.h"
#include "app/widgets/Gauges.h"
#include "app/widgets/WindowPlacement.h"
#include "data/seams/MessageSeam.h"

namespace {

const QString kCancelQuestion = QStringLiteral("Are you sure you want to cancel this operation?");

}  // namespace

TfrmProcessing::TfrmProcessing(QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowStaysOnTopHint),
      m_owner(owner) {
    setObjectName(QStringLiteral("frmProcessing"));
    setWindowTitle(QStringLiteral("Processing..."));
    setModal(false);

    // The gauge across the window, "Cancel" centred under it; as wide as the designed window at
    // the default font, wider when the caption or the font needs it.
    Progress = new TGauge(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setMinimumSize(369, Progress->fontMetrics().height() + 4);
    // The gauge's own light greys, on which its inverted percentage reads on any palette.
    Progress->setBackColor(QColor(0xEF, 0xEF, 0xEF));
    Progress->setForeColor(QColor(0xC0, 0xC0, 0xC0));

    ElGraphicButton7 = new QPushButton(QStringLiteral("Cancel"), this);
    ElGraphicButton7->setObjectName(QStringLiteral("ElGraphicButton7"));
    ElGraphicButton7->setMinimumWidth(109);
    ElGraphicButton7->setAutoDefault(true);  // Enter on the focused button clicks it
    ElGraphicButton7->installEventFilter(this);
    connect(ElGraphicButton7, &QPushButton::clicked, this, &TfrmProcessing::ElGraphicButton7Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 8, 4, 4);
    layout->addWidget(Progress);
    layout->addWidget(ElGraphicButton7, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    KeepWideEnoughForCaption(this);
}

void TfrmProcessing::FormShow() {
    Progress->setProgress(0);
    Cancelled = false;
}

void TfrmProcessing::askToCancel(MessageStyle style) {
    // The question belongs to this dialog: anywhere else it would open beneath it.
    const MessageBoxOwner owner(this);
    if (ShowMessageBox(QStringLiteral("Cancel"), kCancelQuestion, style) != MessageAnswer::Yes) {
        return;
    }
    Cancelled = true;
    hide();
}

void TfrmProcessing::ElGraphicButton7Click() {
    askToCancel(MessageStyle::YesNoQuestion);
}

void TfrmProcessing::ElGraphicButton7KeyDown(int key) {
    if (key == Qt::Key_Escape) askToCancel(MessageStyle::YesNo);
}

void TfrmProcessing::FormKeyDown(int key) {
    if (key == Qt::Key_Escape || key == Qt::Key_Space) askToCancel(MessageStyle::YesNo);
}

void TfrmProcessing::showProgress() {
    if (isVisible()) {
        FormShow();  // shown again while still up: start afresh all the same
        return;
    }
    show();
}

void TfrmProcessing::setProgressMax(int steps) {
    // The minimum stays 0; a negative count is an empty loop.
    Progress->setMaxValue(std::max(steps, Progress->MinValue()));
}

void TfrmProcessing::advanceProgress() {
    Progress->addProgress(1);
    // QUARIX_TEST_STEP_DELAY_MS holds each step back, so that the real-window tests can reach
    // Cancel while a small file loads.
    static const int delayMs = qEnvironmentVariableIntValue("QUARIX_TEST_STEP_DELAY_MS");
    if (delayMs > 0) QThread::msleep(static_cast<unsigned long>(delayMs));
}

void TfrmProcessing::processPendingEvents() {
    QCoreApplication::processEvents();
}

void TfrmProcessing::closeProgress() {
    Progress->setProgress(0);
    Progress->setMaxValue(10);
    hide();
}

void TfrmProcessing::showEvent(QShowEvent* event) {
    CentreOn(this, m_owner);
    FormShow();
    QDialog::showEvent(event);
    KeepAbove(this, m_owner);
}

void TfrmProcessing::keyPressEvent(QKeyEvent* event) {
    // Keys the Cancel button did not take; one question per press, not per repeat.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) FormKeyDown(event->key());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmProcessing::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ElGraphicButton7 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            if (!key->isAutoRepeat()) ElGraphicButton7KeyDown(key->key());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmProcessing::closeEvent(QCloseEvent* event) {
    // No close box: a close request from the desktop is not a way to stop the loop.
    event->ignore();
}

void TfrmProcessing::reject() {
    // Escape is handled above as a Cancel question; the dialog never closes itself otherwise.
}

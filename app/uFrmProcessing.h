#pragma once

#include <QDialog>

#include "data/seams/MessageSeam.h"
#include "data/seams/ProgressSeam.h"

class QPushButton;
class TGauge;

// The progress dialog of every long loop, with its Cancel button. It has no close box and stays
// above the program's other windows. It is a window of its own, not a child of the main window:
// the main window is disabled while a loop runs, and a child would be disabled with it.
class TfrmProcessing : public QDialog, public ProgressView {
    Q_OBJECT
public:
    // `owner` is the window the dialog is centred on and kept above; not owned.
    explicit TfrmProcessing(QWidget* owner = nullptr);

    TGauge* Progress = nullptr;               // background 0xEFEFEF, bar silver
    QPushButton* ElGraphicButton7 = nullptr;  // "Cancel"

    // The user has confirmed Cancel since the dialog was last shown.
    bool Cancelled = false;

    void FormShow();
    void ElGraphicButton7Click();
    void ElGraphicButton7KeyDown(int key);
    void FormKeyDown(int key);

    // ProgressView
    void showProgress() override;
    void setProgressMax(int steps) override;
    void advanceProgress() override;
    void processPendingEvents() override;
    bool cancelled() const override { return Cancelled; }
    void closeProgress() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void askToCancel(MessageStyle style);

    QWidget* m_owner = nullptr;
};

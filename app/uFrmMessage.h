#pragma once

#include <QDialog>

#include "data/seams/ProgressSeam.h"

class QLabel;
class QPushButton;

// The small message window; the loader shows it as "Loading.." while a sheet is read, with its
// "Ok" button hidden. Like the progress dialog it is a window of its own, so that it is not
// disabled together with the main window.
class TfrmMessage : public QDialog, public WaitingView {
    Q_OBJECT
public:
    // `owner` is the window it is centred on and kept above; not owned.
    explicit TfrmMessage(QWidget* owner = nullptr);

    QLabel* MLabelS = nullptr;
    QPushButton* btnOK = nullptr;

    void btnOKClick();
    void FormKeyDown(int key);
    void btnOKKeyDown(int key);

    // WaitingView
    void showWaiting(const QString& caption, const QString& text) override;
    void closeWaiting() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_owner = nullptr;
};

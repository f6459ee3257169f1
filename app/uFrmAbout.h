#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the product picture, the version and "Close".
class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    // `parent` is the main window; the box is centred on it.
    explicit TFrmAbout(QWidget* parent = nullptr);

    QLabel* ProductImage = nullptr;
    QLabel* Version = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

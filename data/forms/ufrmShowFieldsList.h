#pragma once

#include <QDialog>

struct clResult;
class QPushButton;
class QTreeWidget;

// "Check Field Types": every column of a loaded sheet with the kind of data it holds.
class TfrmShowFieldsList : public QDialog {
    Q_OBJECT
public:
    explicit TfrmShowFieldsList(QWidget* parent = nullptr);

    QTreeWidget* ListView1 = nullptr;
    QPushButton* OkButton = nullptr;

    // Fills the list with the columns of `contents` and widens the dialog for their names.
    void fill(const clResult& contents);

protected:
    void showEvent(QShowEvent* event) override;
};

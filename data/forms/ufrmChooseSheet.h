#pragma once

#include <QDialog>

#include "data/FileSlots.h"

class QListWidget;
class QPushButton;

// "Choose a sheet": the sheets of the file being opened; the choice goes to the target slot's
// SheetName, and SheetChosen tells whether the user chose ("Ok", a double click) or left (Esc,
// the close button).
class TfrmChooseSheet : public QDialog {
    Q_OBJECT
public:
    explicit TfrmChooseSheet(QWidget* parent = nullptr);

    QListWidget* ListBox1 = nullptr;
    QPushButton* ElGraphicButton7 = nullptr;  // "Ok"
    FileSlot TargetFile = FileSlot::File1;

    void FormShow();
    void ElGraphicButton7Click();
    void ListBox1DblClick();

protected:
    void showEvent(QShowEvent* event) override;
};

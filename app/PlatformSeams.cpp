#include "app/PlatformSeams.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QTreeView>

#include "app/widgets/WindowPlacement.h"

namespace {

QWidget* g_messageBoxOwner = nullptr;

// Qt's own file dialog gives its detail columns fixed widths that cut a file's type and date
// short ("CSV...ent"); they take the width of what they show, the name the rest.
void ShowDetailsWhole(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>();
    if (!view) return;  // the desktop's own dialog
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    for (int column = 1; column < header->count(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

}  // namespace

MessageBoxOwner::MessageBoxOwner(QWidget* owner) : m_previous(g_messageBoxOwner) {
    g_messageBoxOwner = owner;
}

MessageBoxOwner::~MessageBoxOwner() {
    g_messageBoxOwner = m_previous;
}

void ConfigureMessageBox(QMessageBox& box, MessageStyle style) {
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style) {
        case MessageStyle::Ok:
            break;
        case MessageStyle::OkCancel:
            buttons = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case MessageStyle::YesNoCancel:
            buttons = yesNo | QMessageBox::Cancel;
            break;
        case MessageStyle::YesNo:
            buttons = yesNo;
            break;
        case MessageStyle::YesNoQuestion:
            buttons = yesNo;
            icon = QMessageBox::Question;
            break;
        case MessageStyle::Warning:
            icon = QMessageBox::Warning;
            break;
        case MessageStyle::Information:
            icon = QMessageBox::Information;
            break;
    }
    box.setStandardButtons(buttons);
    if (buttons == yesNo) box.setDefaultButton(QMessageBox::Yes);
    box.setIcon(icon);
}

MessageAnswer QtMessageBoxes::showMessageBox(const QString& caption, const QString& text,
                                             MessageStyle style) {
    // A child window stands above its owner under every window manager that honours stacking;
    // an owner kept on top passes that on, for those that keep such windows in a layer above.
    QMessageBox box(g_messageBoxOwner);
    if (g_messageBoxOwner && g_messageBoxOwner->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    ConfigureMessageBox(box, style);
    // A short message must not cut its own caption in the title bar.
    KeepWideEnoughForCaption(&box);
    // Centre on the window the user is looking at; open the box first so that its size is known.
    box.adjustSize();
    CentreOn(&box, g_messageBoxOwner ? g_messageBoxOwner : QApplication::activeWindow());
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            return MessageAnswer::Ok;
    }
}

FileDialogChoice QtFileDialogs::openFile(const QString& title, const QStringList& filters,
                                         const QString& folder) {
    QFileDialog dialog(QApplication::activeWindow(), title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    ShowDetailsWhole(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {dialog.selectedFiles().constFirst(),
            static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))};
}

FileDialogChoice QtFileDialogs::saveFile(const QString& title, const QStringList& filters,
                                         const QString& folder) {
    QFileDialog dialog(QApplication::activeWindow(), title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::ReadOnly, false);
    ShowDetailsWhole(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {dialog.selectedFiles().constFirst(),
            static_cast<int>(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())))};
}

bool DesktopShell::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

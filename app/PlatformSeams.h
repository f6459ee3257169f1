#pragma once

#include "data/seams/FileDialogSeam.h"
#include "data/seams/MessageSeam.h"
#include "data/seams/ShellSeam.h"

class QMessageBox;
class QWidget;

// The desktop's implementations of the core's seams: real message boxes, file dialogs and the
// default-application opener.

// Gives `box` the buttons and the icon of `style`; Yes is the default button of a Yes/No box.
void ConfigureMessageBox(QMessageBox& box, MessageStyle style);

// While one lives, the message boxes shown belong to `owner`: they open above it, even when it
// stays on top of the other windows (the progress dialog's cancel question), and are modal.
class MessageBoxOwner {
public:
    explicit MessageBoxOwner(QWidget* owner);
    ~MessageBoxOwner();
    MessageBoxOwner(const MessageBoxOwner&) = delete;
    MessageBoxOwner& operator=(const MessageBoxOwner&) = delete;

private:
    QWidget* m_previous;
};

class QtMessageBoxes : public MessageBoxHandler {
public:
    // Without a MessageBoxOwner the box belongs to no window: while a long command runs the main
    // window is disabled, and a box owned by it would be disabled too. It is centred on the
    // active window instead.
    MessageAnswer showMessageBox(const QString& caption, const QString& text,
                                 MessageStyle style) override;
};

class QtFileDialogs : public FileDialogs {
public:
    FileDialogChoice openFile(const QString& title, const QStringList& filters,
                              const QString& folder) override;
    FileDialogChoice saveFile(const QString& title, const QStringList& filters,
                              const QString& folder) override;
};

class DesktopShell : public ShellOpener {
public:
    bool openUrl(const QUrl& url) override;
};

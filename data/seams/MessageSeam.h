#pragma once

#include <QString>

#include "data/UserMessage.h"

// Every message the program shows to the user goes through ShowMessageBox. The core's commands
// return their messages (UserMessage) and the main window's commands show them here; questions
// asked in the middle of a command (replace the file? cancel?) are asked here directly. The forms
// layer installs a handler that shows a real message box; tests install a recorder that keeps what
// was asked and answers from a script. Without a handler (core tests) the message goes to
// standard error and every question is answered "No", so nothing is acted on.

// The button the user chose. A box with only "OK" answers Ok.
enum class MessageAnswer { Ok, Cancel, Yes, No };

// The answer that acts on nothing: Ok where OK is the only button, Cancel for OK/Cancel, No for
// the boxes with Yes and No.
MessageAnswer CautiousAnswer(MessageStyle style);

class MessageBoxHandler {
public:
    virtual ~MessageBoxHandler() = default;
    // Shows a modal box and returns when the user has closed it.
    virtual MessageAnswer showMessageBox(const QString& caption, const QString& text,
                                         MessageStyle style) = 0;
};

// Installs the handler (not owned; nullptr removes it) and returns the one it replaces.
MessageBoxHandler* setMessageBoxHandler(MessageBoxHandler* handler);
MessageBoxHandler* messageBoxHandler();

// Shows a message a command returned, in a modal box; nothing for an empty one.
void ShowMessage(const UserMessage& message);

// Shows a modal message box; Yes/No boxes report the chosen button, and callers act only on Yes.
MessageAnswer ShowMessageBox(const QString& caption, const QString& text, MessageStyle style);

// The two kinds every part of the program uses: a warning ("Quarix Message", exclamation icon)
// and an information ("Quarix Information", information icon), each with one OK button.
void ShowWarningMessage(const QString& text);
void ShowInformationMessage(const QString& text);

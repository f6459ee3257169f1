#pragma once

#include <QString>

// Every message the program shows to the user goes through ShowMessageBox. The forms layer
// installs a handler that shows a real message box; tests install a recorder that keeps what was
// asked and answers from a script. Without a handler (the command-line tool, core tests) the
// message goes to standard error and every question is answered "No", so nothing is acted on.

// The kinds of message box: a set of buttons and at most one icon. The values are the style
// numbers the program has always used, a button set plus an icon (36 is Yes/No + question).
enum class MessageStyle {
    Ok = 0,
    OkCancel = 1,
    YesNoCancel = 3,
    YesNo = 4,
    YesNoQuestion = 36,  // Yes/No with the question icon
    Warning = 48,        // OK with the warning icon
    Information = 64,    // OK with the information icon
};

// The button the user chose. A box with only "OK" answers Ok.
enum class MessageAnswer { Ok, Cancel, Yes, No };

// The answer that acts on nothing: Ok where OK is the only button, Cancel for OK/Cancel, No for
// the boxes with Yes and No.
MessageAnswer CautiousAnswer(MessageStyle style);

inline const QString WarningCaption = QStringLiteral("Quarix Message");
inline const QString InformationCaption = QStringLiteral("Quarix Information");

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

// What a command has to tell the user, decided by the core and shown by its caller: the window
// through ShowMessage, the command-line tool on standard error, tests by comparing the value.
// An empty text means there is nothing to tell.
struct UserMessage {
    QString caption;
    QString text;
    MessageStyle style = MessageStyle::Ok;

    bool isEmpty() const { return text.isEmpty(); }
    bool operator==(const UserMessage&) const = default;
    // The two kinds most commands tell: see ShowWarningMessage and ShowInformationMessage.
    static UserMessage warning(const QString& text);
    static UserMessage information(const QString& text);
};

// Shows a message a command returned, in a modal box; nothing for an empty one.
void ShowMessage(const UserMessage& message);

// Shows a modal message box; Yes/No boxes report the chosen button, and callers act only on Yes.
MessageAnswer ShowMessageBox(const QString& caption, const QString& text, MessageStyle style);

// The two kinds every part of the program uses: a warning ("Quarix Message", exclamation icon)
// and an information ("Quarix Information", information icon), each with one OK button.
void ShowWarningMessage(const QString& text);
void ShowInformationMessage(const QString& text);

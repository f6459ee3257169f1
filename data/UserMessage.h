#pragma once

#include <QString>

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

inline const QString WarningCaption = QStringLiteral("Quarix Message");
inline const QString InformationCaption = QStringLiteral("Quarix Information");

// What a command has to tell the user, decided by the core and shown by its caller: the window
// through ShowMessage, the command-line tool on standard error, tests by comparing the value.
// An empty text means there is nothing to tell.
struct UserMessage {
    QString caption;
    QString text;
    MessageStyle style = MessageStyle::Ok;

    bool isEmpty() const { return text.isEmpty(); }
    bool operator==(const UserMessage&) const = default;
    // The two kinds most commands tell: a warning ("Quarix Message", exclamation icon) and an
    // information ("Quarix Information", information icon), each with one OK button.
    static UserMessage warning(const QString& text) {
        return {WarningCaption, text, MessageStyle::Warning};
    }
    static UserMessage information(const QString& text) {
        return {InformationCaption, text, MessageStyle::Information};
    }
};

#pragma once

#include <QString>

// Every message the program shows to the user goes through ShowMessageBox. The forms layer
// installs a handler that shows a real message box; tests install a recorder that keeps what was
// asked and answers from a script. Without a handler (the command-line tool, core tests) the
// message goes to standard error and every question is answered "No", so nothing is acted on.

// Style flags of a message box: one button set plus at most one icon, added together (36 is
// YesNo + IconQuestion). These are the values the whole program passes.
namespace MessageStyle {
inline constexpr int Ok = 0;
inline constexpr int OkCancel = 1;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int IconError = 16;
inline constexpr int IconQuestion = 32;
inline constexpr int IconWarning = 48;
inline constexpr int IconInformation = 64;

inline constexpr int ButtonMask = 0x0F;
inline constexpr int IconMask = 0xF0;

inline constexpr int Warning = Ok + IconWarning;            // 48
inline constexpr int Information = Ok + IconInformation;    // 64
inline constexpr int YesNoQuestion = YesNo + IconQuestion;  // 36
}  // namespace MessageStyle

// The button the user chose. A box with only "OK" answers Ok.
enum class MessageAnswer { Ok, Cancel, Yes, No };

inline const QString WarningCaption = QStringLiteral("Quarix Message");
inline const QString InformationCaption = QStringLiteral("Quarix Information");

class MessageBoxHandler {
public:
    virtual ~MessageBoxHandler() = default;
    // Shows a modal box and returns when the user has closed it.
    virtual MessageAnswer showMessageBox(const QString& caption, const QString& text,
                                         int style) = 0;
};

// Installs the handler (not owned; nullptr removes it) and returns the one it replaces.
MessageBoxHandler* setMessageBoxHandler(MessageBoxHandler* handler);
MessageBoxHandler* messageBoxHandler();

// Shows a modal message box; Yes/No boxes report the chosen button, and callers act only on Yes.
MessageAnswer ShowMessageBox(const QString& caption, const QString& text, int style);

// The two kinds every part of the program uses: a warning ("Quarix Message", exclamation icon)
// and an information ("Quarix Information", information icon), each with one OK button.
void ShowWarningMessage(const QString& text);
void ShowInformationMessage(const QString& text);

#include "app/MessageSeam.h"

#include <cstdio>

namespace {

MessageBoxHandler* g_handler = nullptr;

}  // namespace

MessageBoxHandler* setMessageBoxHandler(MessageBoxHandler* handler) {
    MessageBoxHandler* previous = g_handler;
    g_handler = handler;
    return previous;
}

MessageBoxHandler* messageBoxHandler() {
    return g_handler;
}

MessageAnswer ShowMessageBox(const QString& caption, const QString& text, int style) {
    if (g_handler) return g_handler->showMessageBox(caption, text, style);
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    switch (style & MessageStyle::ButtonMask) {
        case MessageStyle::YesNo:
        case MessageStyle::YesNoCancel:
            return MessageAnswer::No;
        case MessageStyle::OkCancel:
            return MessageAnswer::Cancel;
        default:
            return MessageAnswer::Ok;
    }
}

void ShowWarningMessage(const QString& text) {
    ShowMessageBox(WarningCaption, text, MessageStyle::Warning);
}

void ShowInformationMessage(const QString& text) {
    ShowMessageBox(InformationCaption, text, MessageStyle::Information);
}

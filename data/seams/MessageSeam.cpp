#include "data/seams/MessageSeam.h"

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

MessageAnswer CautiousAnswer(MessageStyle style) {
    switch (style) {
        case MessageStyle::YesNo:
        case MessageStyle::YesNoCancel:
        case MessageStyle::YesNoQuestion:
            return MessageAnswer::No;
        case MessageStyle::OkCancel:
            return MessageAnswer::Cancel;
        case MessageStyle::Ok:
        case MessageStyle::Warning:
        case MessageStyle::Information:
            break;
    }
    return MessageAnswer::Ok;
}

MessageAnswer ShowMessageBox(const QString& caption, const QString& text, MessageStyle style) {
    if (g_handler) return g_handler->showMessageBox(caption, text, style);
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    return CautiousAnswer(style);
}

void ShowWarningMessage(const QString& text) {
    ShowMessageBox(WarningCaption, text, MessageStyle::Warning);
}

void ShowInformationMessage(const QString& text) {
    ShowMessageBox(InformationCaption, text, MessageStyle::Information);
}

void ShowMessage(const UserMessage& message) {
    if (!message.isEmpty()) ShowMessageBox(message.caption, message.text, message.style);
}

#include "support/SeamFakes.h"

MessageRecorder::MessageRecorder() : m_previous(setMessageBoxHandler(this)) {}

MessageRecorder::~MessageRecorder() {
    setMessageBoxHandler(m_previous);
}

void MessageRecorder::script(std::initializer_list<MessageAnswer> answers) {
    m_answers.insert(m_answers.end(), answers);
}

MessageAnswer MessageRecorder::showMessageBox(const QString& caption, const QString& text,
                                              MessageStyle style) {
    boxes.append({caption, text, style});
    const MessageAnswer cautious = CautiousAnswer(style);
    if (cautious == MessageAnswer::Ok) return cautious;  // only an OK button: nothing to ask
    if (m_answers.empty()) {
        ++unscriptedQuestions;
        return cautious;
    }
    const MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

ShellRecorder::ShellRecorder() : m_previous(setShellOpener(this)) {}

ShellRecorder::~ShellRecorder() {
    setShellOpener(m_previous);
}

bool ShellRecorder::openUrl(const QUrl& url) {
    opened.append(url);
    return true;
}

FileDialogScript::FileDialogScript() : m_previous(setFileDialogs(this)) {}

FileDialogScript::~FileDialogScript() {
    setFileDialogs(m_previous);
}

void FileDialogScript::script(std::initializer_list<FileDialogChoice> choices) {
    m_choices.insert(m_choices.end(), choices);
}

FileDialogChoice FileDialogScript::next() {
    if (m_choices.empty()) return {};
    FileDialogChoice choice = m_choices.front();
    m_choices.pop_front();
    return choice;
}

FileDialogChoice FileDialogScript::openFile(const QString& title, const QStringList& filters,
                                            const QString& folder) {
    requests.append({title, filters, folder, false});
    return next();
}

FileDialogChoice FileDialogScript::saveFile(const QString& title, const QStringList& filters,
                                            const QString& folder) {
    requests.append({title, filters, folder, true});
    return next();
}

ScriptedProgress::ScriptedProgress(int cancelAt)
    : cancelAtStep(cancelAt), m_previous(setProgressView(this)) {}

ScriptedProgress::~ScriptedProgress() {
    setProgressView(m_previous);
}

void ScriptedProgress::showProgress() {
    ++shows;
    steps = 0;
    visible = true;
    m_cancelled = false;
}

void ScriptedProgress::advanceProgress() {
    ++steps;
    if (cancelAtStep > 0 && steps == cancelAtStep) {
        m_cancelled = true;
        visible = false;
    }
}

void ScriptedProgress::closeProgress() {
    ++closes;
    maxValue = 10;
    visible = false;
}

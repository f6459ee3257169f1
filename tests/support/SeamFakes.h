#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <deque>

#include "data/seams/FileDialogSeam.h"
#include "data/seams/MessageSeam.h"
#include "data/seams/ProgressSeam.h"
#include "data/seams/ShellSeam.h"
#include "data/uCommonScripts.h"

// Stand-ins for the seams through which the program meets the user. Each installs itself for its
// lifetime and puts back what was installed before.

// Records every message box and answers questions from a script. A question nobody scripted is
// answered "No" (so nothing is acted on) and marked, so that the test fails instead of hanging.
class MessageRecorder : public MessageBoxHandler {
public:
    struct Box {
        QString caption;
        QString text;
        MessageStyle style = MessageStyle::Ok;
    };

    MessageRecorder();
    ~MessageRecorder() override;

    // The answers to the next questions (boxes with Yes/No or Cancel), in order.
    void script(std::initializer_list<MessageAnswer> answers);

    MessageAnswer showMessageBox(const QString& caption, const QString& text,
                                 MessageStyle style) override;

    QList<Box> boxes;
    int unscriptedQuestions = 0;

private:
    std::deque<MessageAnswer> m_answers;
    MessageBoxHandler* m_previous = nullptr;
};

// Records what was to be opened with the desktop's default application.
class ShellRecorder : public ShellOpener {
public:
    ShellRecorder();
    ~ShellRecorder() override;
    bool openUrl(const QUrl& url) override;

    QList<QUrl> opened;

private:
    ShellOpener* m_previous = nullptr;
};

// Hands out the scripted choices of the open and save dialogs; "cancelled" when none is left.
class FileDialogScript : public FileDialogs {
public:
    struct Request {
        QString title;
        QStringList filters;
        QString folder;
        bool save = false;
    };

    FileDialogScript();
    ~FileDialogScript() override;
    void script(std::initializer_list<FileDialogChoice> choices);
    FileDialogChoice openFile(const QString& title, const QStringList& filters,
                              const QString& folder) override;
    FileDialogChoice saveFile(const QString& title, const QStringList& filters,
                              const QString& folder) override;

    QList<Request> requests;

private:
    FileDialogChoice next();
    std::deque<FileDialogChoice> m_choices;
    FileDialogs* m_previous = nullptr;
};

// A progress dialog without a window: counts the steps and cancels when the step numbered
// `cancelAtStep` (counted from 1 since the last show) has been made; 0 never cancels.
class ScriptedProgress : public ProgressView {
public:
    explicit ScriptedProgress(int cancelAtStep = 0);
    ~ScriptedProgress() override;

    void showProgress() override;
    void setProgressMax(int steps) override { maxValue = steps; }
    void advanceProgress() override;
    void processPendingEvents() override { ++eventRuns; }
    bool cancelled() const override { return m_cancelled; }
    void closeProgress() override;

    int cancelAtStep = 0;
    int shows = 0;
    int closes = 0;
    int steps = 0;
    int eventRuns = 0;
    int maxValue = 10;
    bool visible = false;

private:
    bool m_cancelled = false;
    ProgressView* m_previous = nullptr;
};

// The main window as the core sees it while Save is switched: records each switch.
class SaveRecorder : public FileSlotView {
public:
    QList<bool> saves;
    void clearFileField(FileSlot) override {}
    void DisableFileCommands(CommandGroup) override {}
    void setSaveEnabled(bool enabled) override { saves << enabled; }
};

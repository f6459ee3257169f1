#pragma once

#include <QApplication>
#include <QTest>

#include "app/ApplicationWindows.h"
#include "app/ufrmMain.h"
#include "data/SlotLoading.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "support/SeamFakes.h"
#include "support/TestFiles.h"

// The program's windows on screen with a public workbook loaded as File 1, as after opening it,
// and every message recorded.
struct LoadedWindow {
    std::unique_ptr<ApplicationWindows> windows;
    std::unique_ptr<MessageRecorder> messages;
    TfrmMain* w = nullptr;

    bool open(const QString& publicFile) {
        QApplication::setQuitOnLastWindowClosed(false);
        windows = std::make_unique<ApplicationWindows>();
        messages = std::make_unique<MessageRecorder>();
        w = windows->frmMain();
        w->show();
        if (!QTest::qWaitForWindowExposed(w)) return false;
        const QString path = TestFiles::publicFile(publicFile);
        if (LoadSlotFromFile(File1, path, {}, false, nullptr).status != SlotLoad::Loaded) {
            return false;
        }
        File1.FileName = FileNameOnly(path);
        // The field shows a path as a user's would look, for the pictures these tests take (the
        // README's and the manual's); the file itself is read from the test data.
        w->showFilePath(FileSlot::File1, QStringLiteral("/home/ann/reports/") + publicFile);
        w->EnableFileCommands(CommandGroup::NeedsFile1);
        return true;
    }
    void close() {
        UnloadFile(File1);
        messages.reset();
        windows.reset();
    }
};

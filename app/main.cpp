#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <cstdio>
#include <cstring>

#include "app/ApplicationWindows.h"
#include "app/SingleInstance.h"
#include "app/ufrmMain.h"
#include "app/widgets/WindowPlacement.h"
#include "data/uGlobalData.h"

namespace {

const char kHelp[] =
    "usage: quarix [FILE]\n"
    "\n"
    "Opens Quarix, the tool for tables kept in spreadsheet workbooks. FILE (a .xls, .xlsx,\n"
    ".xlsm or .ods workbook or a .dbf table) opens as File 1, as if chosen in the open dialog.\n"
    "When Quarix already runs, its window comes to the front and opens FILE there.\n"
    "\n"
    "  -h, --help     print this text and end\n"
    "  -v, --version  print the version and end\n"
    "\n"
    "Qt's own options (such as -platform or -style) are accepted as by every Qt program.\n";

// With QUARIX_REPORT_INSTANCE set, the first instance says on standard output when it listens,
// when a later start asked it to come to the front, which path File 1's field shows, and how each
// file it was given ended: "loaded", "not loaded" or "busy" and the path (the tests of the
// hand-over read this).
void report(const QByteArray& line) {
    if (!qEnvironmentVariableIsSet("QUARIX_REPORT_INSTANCE")) return;
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

// --help and --version are answered before Qt starts, so they work without a display.
bool answeredAlone(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (!std::strcmp(argv[i], "-v") || !std::strcmp(argv[i], "--version")) {
            std::printf("Quarix %s\n", QUARIX_VERSION);
            return true;
        }
    }
    return false;
}

// The first argument that is not an option, made absolute here: a running instance may stand in
// another folder. Anything else on the line (Qt took its own options) is ignored.
QString fileArgument(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument.isEmpty() || argument.startsWith(QLatin1Char('-'))) continue;
        return QFileInfo(argument).absoluteFilePath();
    }
    return {};
}

}  // namespace

int main(int argc, char* argv[]) {
    if (answeredAlone(argc, argv)) return 0;
    QApplication app(argc, argv);
    const QString file = fileArgument(QApplication::arguments());

    SingleInstance instance(SingleInstance::DefaultKey());
    if (!instance.claim(file)) return 0;  // the running instance comes to the front instead
    report("listening");

    QApplication::setApplicationName(QStringLiteral("Quarix"));
    QApplication::setApplicationVersion(QStringLiteral(QUARIX_VERSION));
    ApplicationWindows windows;
    TfrmMain* main = windows.frmMain();
    QObject::connect(&instance, &SingleInstance::raiseRequested, main, [main] {
        BringToFront(main);
        report("raised");
    });
    // A file, named on this start's command line or handed over by a later one, opens once the
    // window is on screen, from the event loop, as the open dialog's choice does. A hand-over
    // while the window is busy only brings it to the front, and what the user is doing goes on.
    const auto openWhenOnScreen = [main](const QString& path) {
        RunWhenOnScreen(main, [main, path] {
            if (!main->OpenNamedFileIfIdle(FileSlot::File1, path)) {
                report("busy " + path.toUtf8());
            } else if (File1.isLoaded() && File1.FilePath == path) {
                report("loaded " + path.toUtf8());
            } else {
                report("not loaded " + path.toUtf8());
            }
        });
    };
    QObject::connect(&instance, &SingleInstance::openRequested, main,
                     [main, openWhenOnScreen](const QString& path) {
                         BringToFront(main);
                         report("raised");
                         openWhenOnScreen(path);
                     });
    QObject::connect(main->fldFile1, &QLineEdit::textChanged, [](const QString& text) {
        if (!text.isEmpty()) report("file1 " + text.toUtf8());
    });
    QObject::connect(main->fldFile2, &QLineEdit::textChanged, [](const QString& text) {
        if (!text.isEmpty()) report("file2 " + text.toUtf8());
    });
    main->show();
    RunWhenOnScreen(main, [main] {
        const QPoint field2 = main->fldFile2->mapToGlobal(main->fldFile2->rect().center());
        report(QByteArray("file2 field at ") + QByteArray::number(field2.x()) + ' ' +
               QByteArray::number(field2.y()));
    });
    if (!file.isEmpty()) openWhenOnScreen(file);
    return QApplication::exec();
}

#include <QApplication>
#include <cstdio>

#include "app/ApplicationWindows.h"
#include "app/SingleInstance.h"
#include "app/ufrmMain.h"
#include "app/widgets/WindowPlacement.h"

namespace {

// With QUARIX_REPORT_INSTANCE set, the first instance says on standard output when it listens and
// when a later start asked it to come to the front (the tests of the hand-over read this).
void report(const char* line) {
    if (!qEnvironmentVariableIsSet("QUARIX_REPORT_INSTANCE")) return;
    std::printf("%s\n", line);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    SingleInstance instance(SingleInstance::DefaultKey());
    if (!instance.claim()) return 0;  // the running instance comes to the front instead
    report("listening");

    QApplication::setApplicationName(QStringLiteral("Quarix"));
    ApplicationWindows windows;
    TfrmMain* main = windows.frmMain();
    QObject::connect(&instance, &SingleInstance::raiseRequested, main, [main] {
        BringToFront(main);
        report("raised");
    });
    main->show();
    return QApplication::exec();
}

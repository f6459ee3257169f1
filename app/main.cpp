#include <QApplication>

#include "app/ufrmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarix"));
    TfrmMain frmMain;
    frmMain.show();
    return app.exec();
}

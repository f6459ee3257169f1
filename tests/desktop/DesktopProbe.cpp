// What the real-window tests need of the desktop beside xdotool and xclip:
//   desktop-probe drag FILE    a small window from which a press drags FILE as a file manager
//                              does (a text/uri-list); prints "dropped" or "refused" and ends
//   desktop-probe shot OUT.png [X Y W H]
//                              the screen as the user sees it, or only that area of it
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QRect>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(const QString& path) : m_path(path) {
        setWindowTitle(QStringLiteral("Quarix drag source"));
        resize(160, 80);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(m_path)});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        hide();  // one drag a start
        std::puts(action == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
        // The drop's target asks this program for the data after the drop: stay a while.
        QTimer::singleShot(5000, qApp, &QApplication::quit);
    }

private:
    QString m_path;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("drag")) {
        DragSource source(args[2]);
        source.show();
        return QApplication::exec();
    }
    if ((args.size() == 3 || args.size() == 7) && args[1] == QLatin1String("shot")) {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return 1;
        QRect area(0, 0, -1, -1);  // -1: the whole screen
        if (args.size() == 7) {
            area = QRect(args[3].toInt(), args[4].toInt(), args[5].toInt(), args[6].toInt())
                       .intersected(screen->geometry());
        }
        return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(args[2])
                   ? 0
                   : 1;
    }
    std::fputs("usage: desktop-probe drag FILE | shot OUT.png [X Y W H]\n", stderr);
    return 64;
}

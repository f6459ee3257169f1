#include "app/widgets/WindowPlacement.h"

#include <QBoxLayout>
#include <QGridLayout>

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

void CentreOn(QWidget* window, const QWidget* owner) {
    QRect area;
    if (owner) {
        area = owner->window()->frameGeometry();
    } else if (const QScreen* screen = window->screen()) {
        area = screen->availableGeometry();
    }
    if (!area.isValid()) return;
    const QRect frame = window->frameGeometry();
    // frameGeometry() and move() both refer to the outer frame of a top-level window.
    window->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void KeepAbove(QWidget* window, const QWidget* owner) {
    if (!owner) return;
    QWindow* handle = window->windowHandle();
    QWindow* ownerHandle = owner->window()->windowHandle();
    if (handle && ownerHandle && handle->transientParent() != ownerHandle) {
        handle->setTransientParent(ownerHandle);
    }
}

void BringToFront(QWidget* window) {
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

namespace {

// Waits for the first expose of one window, then queues the action and goes.
class OnScreenWatcher : public QObject {
public:
    OnScreenWatcher(QWindow* handle, std::function<void()> action)
        : QObject(handle), m_handle(handle), m_action(std::move(action)) {
        handle->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_handle && event->type() == QEvent::Expose && m_handle->isExposed()) {
            m_handle->removeEventFilter(this);
            QMetaObject::invokeMethod(m_handle, std::move(m_action), Qt::QueuedConnection);
            deleteLater();
        }
        return false;
    }

private:
    QWindow* m_handle;
    std::function<void()> m_action;
};

}  // namespace

void RunWhenOnScreen(QWidget* window, std::function<void()> action) {
    QWindow* handle = window->windowHandle();
    if (!handle || handle->isExposed()) {
        QMetaObject::invokeMethod(window, std::move(action), Qt::QueuedConnection);
        return;
    }
    new OnScreenWatcher(handle, std::move(action));
}

void KeepWideEnoughForCaption(QWidget* window) {
    QLayout* layout = window->layout();
    if (!layout) return;
    const QFontMetrics metrics(window->font());
    // The title bar's icon and its three buttons take about six text lines' height.
    const int wanted = metrics.horizontalAdvance(window->windowTitle()) + 6 * metrics.height() + 24;
    auto* strut =
        window->findChild<QWidget*>(QStringLiteral("captionStrut"), Qt::FindDirectChildrenOnly);
    if (!strut) {
        strut = new QWidget(window);
        strut->setObjectName(QStringLiteral("captionStrut"));
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            grid->addWidget(strut, grid->rowCount(), 0, 1, grid->columnCount());
        } else if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
            box->addWidget(strut);
        } else {
            layout->addWidget(strut);
        }
    }
    strut->setFixedSize(wanted, 0);
}

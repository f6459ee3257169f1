#include "app/widgets/WindowPlacement.h"

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

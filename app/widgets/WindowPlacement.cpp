#include "app/widgets/WindowPlacement.h"

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

#pragma once

#include <functional>

class QWidget;

// Centres a top-level window on `owner`'s window, or on its screen when there is no owner.
void CentreOn(QWidget* window, const QWidget* owner);

// Keeps a top-level window above `owner`'s window without making it a child of it (a child
// would be disabled together with the owner). Call after the window has been created or shown.
void KeepAbove(QWidget* window, const QWidget* owner);

// Keeps a dialog laid out by a layout at least as wide as its caption needs in the title bar
// (with room for the window manager's buttons), so that a short window does not cut its own
// caption. Call again after the caption changes.
void KeepWideEnoughForCaption(QWidget* window);

// Brings a top-level window to the front: restored if minimised, raised and activated.
void BringToFront(QWidget* window);

// Runs `action` once from the event loop as soon as `window` (a shown top-level window) is on
// screen, so that the dialogs it opens stand above a window the user can see. On a desktop with a
// window manager that is after the window has been mapped, not when show() returns.
void RunWhenOnScreen(QWidget* window, std::function<void()> action);

#pragma once

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QWidget>

// With QUARIX_SCREENSHOT_DIR set, the window tests save what they show there as NAME.png
// (scripts/screenshots runs them so under a virtual display).
inline void SaveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("QUARIX_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// What the screen shows in `area` (screen pixels): windows above one another, as the user sees
// them. Only a real display has such a picture.
inline void SaveScreenArea(const QRect& area, const QString& name) {
    const QString folder = qEnvironmentVariable("QUARIX_SCREENSHOT_DIR");
    if (folder.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    QDir().mkpath(folder);
    QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

#pragma once

#include <QDir>
#include <QPixmap>
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

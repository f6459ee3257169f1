#pragma once

#include <QString>
#include <QUrl>

// Opening a document or a web address with the desktop's default application (the manual in the
// browser, the home page). The forms layer installs the desktop's opener; tests install a
// recorder. Without an opener nothing happens.

// The web page behind "Quarix Home Page".
inline const QString QuarixHomePageAddress = QStringLiteral("https://quarix.example.org/");

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Returns whether the desktop accepted the request; callers do not act on a failure.
    virtual bool openUrl(const QUrl& url) = 0;
};

// Installs the opener (not owned; nullptr removes it) and returns the one it replaces.
ShellOpener* setShellOpener(ShellOpener* opener);
ShellOpener* shellOpener();

bool ShellOpen(const QUrl& url);

// The start page of the HTML manual for a program in `programFolder`: "manual/index.html" beside
// the program (the build tree), else "../share/doc/quarix/manual/index.html" (the installed tree).
// Empty when neither exists.
QString ManualIndexPath(const QString& programFolder);

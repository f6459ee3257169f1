#pragma once

#include <QString>
#include <QUrl>

// Opening a document or a web address with the desktop's default application (a web link in
// the manual). The forms layer installs the desktop's opener; tests install a recorder. Without
// an opener nothing happens.

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

#include "data/seams/ShellSeam.h"

namespace {

ShellOpener* g_opener = nullptr;

}  // namespace

ShellOpener* setShellOpener(ShellOpener* opener) {
    ShellOpener* previous = g_opener;
    g_opener = opener;
    return previous;
}

ShellOpener* shellOpener() {
    return g_opener;
}

bool ShellOpen(const QUrl& url) {
    return g_opener && g_opener->openUrl(url);
}

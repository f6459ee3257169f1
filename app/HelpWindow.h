#pragma once

#include <QUrl>
#include <QWidget>

class QAction;
class QTextBrowser;

// The manual in a window of the program's own: the HTML pages built into the program, shown by
// a text browser with their pictures and links, so Help needs neither a web browser nor a file
// beside the program. It stays open beside the main window until closed.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // The manual's start page among the program's resources.
    static const QUrl StartPage;

    // `parent` is the main window: the help window closes with it.
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the start page and brings the window to the front.
    void showContents();

    QTextBrowser* Browser = nullptr;
    QAction* actBack = nullptr;
    QAction* actForward = nullptr;
    QAction* actContents = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followLink(const QUrl& link);
};

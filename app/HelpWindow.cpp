#include "app/HelpWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/widgets/Pictures.h"
#include "data/seams/ShellSeam.h"

const QUrl HelpWindow::StartPage(QStringLiteral("qrc:/manual/index.html"));

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quarix Help"));
    setWindowIcon(ProgramIcon());

    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("HelpToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    actBack = tools->addAction(QStringLiteral("Back"));
    actBack->setObjectName(QStringLiteral("actBack"));
    actBack->setShortcut(QKeySequence::Back);
    actForward = tools->addAction(QStringLiteral("Forward"));
    actForward->setObjectName(QStringLiteral("actForward"));
    actForward->setShortcut(QKeySequence::Forward);
    actContents = tools->addAction(QStringLiteral("Contents"));
    actContents->setObjectName(QStringLiteral("actContents"));

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    // Links are followed here: the manual's own pages in this window, anything else (a web
    // address) by the desktop.
    Browser->setOpenLinks(false);
    Browser->setOpenExternalLinks(false);
    connect(Browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(Browser, &QTextBrowser::backwardAvailable, actBack, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, actForward, &QAction::setEnabled);
    connect(actBack, &QAction::triggered, Browser, &QTextBrowser::backward);
    connect(actForward, &QAction::triggered, Browser, &QTextBrowser::forward);
    connect(actContents, &QAction::triggered, this, [this] { Browser->setSource(StartPage); });
    actBack->setEnabled(false);
    actForward->setEnabled(false);
    // The manual's style sheet sets dark texts, as for a web page: the page is white as a
    // browser's is, whatever the desktop's colours.
    QPalette page = Browser->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    Browser->setPalette(page);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(Browser);

    // Wide enough for the manual's pictures of the main window, tall as the screen allows.
    QSize size(880, 760);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    }
    resize(size);
}

void HelpWindow::showContents() {
    if (Browser->source() != StartPage) Browser->setSource(StartPage);
    Browser->verticalScrollBar()->setValue(0);
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void HelpWindow::followLink(const QUrl& link) {
    const QUrl target = Browser->source().resolved(link);
    if (target.scheme() == QLatin1String("qrc")) {
        Browser->setSource(target);
    } else {
        ShellOpen(target);
    }
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

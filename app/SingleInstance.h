#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One running Quarix per user. The first start listens on a local socket named after the user;
// a later start finds it, asks it to raise its main window (and to open the file the later start
// was given) and ends. A socket file left behind by
// a crashed instance does not block the next start. A short lock file keeps two starts at the
// same moment from both becoming the first.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key`: the socket's name; see DefaultKey().
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "quarix-" and the user's id; QUARIX_INSTANCE_KEY replaces it (tests run their own pairs).
    static QString DefaultKey();

    // True when this process is the first and now listens; false when another instance runs and
    // has been asked to come to the front and, with `fileToOpen` (an absolute path), to open it.
    bool claim(const QString& fileToOpen = {});

signals:
    // Both are emitted from the event loop, never inside the socket's handler, so a receiver may
    // show dialogs.
    // A later start asked this instance to bring its main window to the front.
    void raiseRequested();
    // A later start was given this file: this instance should open it (and come to the front).
    void openRequested(const QString& path);

private:
    bool askRunningInstance(const QString& fileToOpen);
    void acceptRequests();
    void readRequest(QLocalSocket* socket);

    QString m_key;
    QLocalServer* m_server = nullptr;  // owned through the QObject tree
};

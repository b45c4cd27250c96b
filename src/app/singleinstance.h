#pragma once
// CSingleInstance: one reader per profile folder. The first reader listens
// on a local socket named from the profile folder; a reader started after
// it hands its document path over and ends at once, and the first one opens
// it and comes to the front. Readers of different profile folders
// (PAGORA_PROFILE_DIR, separate copies) never meet.
#include <QObject>
#include <QString>

class QLocalServer;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(const QString& profileFolder, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The socket's name for a profile folder (user and folder hashed).
    static QString ServerName(const QString& profileFolder);
    // Gives `path` (empty: only come to the front) to a reader already
    // running; true when one took it.
    bool HandOver(const QString& path);
    // Becomes the reader that others hand over to; false when another took
    // the name first (then HandOver to it).
    bool Listen();

Q_SIGNALS:
    // A later reader's request: open `path` (when not empty) and come to the front.
    void Requested(const QString& path);

private:
    void OnConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
};

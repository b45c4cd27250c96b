#include "app/singleinstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// One line: "OPEN <path>" or "RAISE", then an "OK" line back.
constexpr int kWaitMs = 3000;

}  // namespace

CSingleInstance::CSingleInstance(const QString& profileFolder, QObject* parent)
    : QObject(parent), m_name(ServerName(profileFolder)) {}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::ServerName(const QString& profileFolder) {
    QString folder = QDir::cleanPath(QDir(profileFolder).absolutePath());
    QByteArray key = QByteArray::number(static_cast<qulonglong>(getuid())) + '\n' + folder.toUtf8();
    QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    return QStringLiteral("pagora-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool CSingleInstance::HandOver(const QString& path) {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kWaitMs)) return false;
    QByteArray line = path.isEmpty() ? QByteArray("RAISE\n") : "OPEN " + path.toUtf8() + '\n';
    socket.write(line);
    if (!socket.waitForBytesWritten(kWaitMs)) return false;
    // The reader answers once it has the request; without an answer the
    // path may be lost, and this process had better open it itself.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kWaitMs)) return false;
    }
    return socket.readLine().trimmed() == "OK";
}

bool CSingleInstance::Listen() {
    m_server = new QLocalServer(this);
    // The abstract name goes with the process: a crashed reader leaves no
    // socket file behind that would block the next one.
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!m_server->listen(m_name)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    return true;
}

void CSingleInstance::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                // A line longer than any path is no request.
                if (socket->bytesAvailable() > 65536) socket->abort();
                return;
            }
            QByteArray line = socket->readLine();
            if (line.endsWith('\n')) line.chop(1);
            QString path;
            if (line.startsWith("OPEN ")) path = QString::fromUtf8(line.mid(5));
            else if (line != "RAISE") {
                socket->abort();
                return;
            }
            socket->write("OK\n");
            socket->flush();
            socket->disconnectFromServer();
            Q_EMIT Requested(path);
        });
    }
}

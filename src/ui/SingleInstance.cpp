#include "ui/SingleInstance.h"

#include <unistd.h>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#include "app/RuntimeFolder.h"

namespace typix {

namespace {

constexpr quint32 kLongestPath = 64 * 1024;
constexpr quint32 kCloseRequest = 0xFFFFFFFFu;
constexpr quint32 kCommandRequest = 0xFFFFFFFEu;
constexpr int kLongestCommand = 64;
constexpr char kAcknowledge = 'k';
constexpr char kUnknownCommand = '?';

QByteArray encodeRequest(const std::string& path) {
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(path.size()), message.data());
    return message + QByteArray(path.data(), qsizetype(path.size()));
}

}  // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName() {
    const QString name = QStringLiteral("korvel-typix-%1").arg(static_cast<qulonglong>(::getuid()));
    return QFile::decodeName(QByteArray::fromStdString(runtimeFolder())) + name;
}

bool SingleInstance::handOver(const std::string& path, int timeoutMs) {
    return send(encodeRequest(path), timeoutMs);
}

bool SingleInstance::requestClose(int timeoutMs) {
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(kCloseRequest, message.data());
    return send(message, timeoutMs);
}

SingleInstance::CommandResult SingleInstance::sendCommand(const QString& name, int timeoutMs) {
    const QByteArray ascii = name.toLatin1();
    if (ascii.isEmpty() || ascii.size() > kLongestCommand) return CommandResult::Unknown;
    QByteArray message(5, '\0');
    qToBigEndian<quint32>(kCommandRequest, message.data());
    message[4] = static_cast<char>(ascii.size());
    message += ascii;
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs)) return CommandResult::NotRunning;
    socket.write(message);
    socket.waitForBytesWritten(timeoutMs);
    // A command must be seen to arrive: an instance that does not answer
    // (or one too old to know commands, which drops the connection) counts
    // as none, and the caller's shortcut reports the failure.
    if (!socket.waitForReadyRead(timeoutMs)) return CommandResult::NotRunning;
    char answer = 0;
    socket.read(&answer, 1);
    socket.disconnectFromServer();
    if (answer == kAcknowledge) return CommandResult::Ran;
    return answer == kUnknownCommand ? CommandResult::Unknown : CommandResult::NotRunning;
}

bool SingleInstance::send(const QByteArray& message, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(message);
    socket.waitForBytesWritten(timeoutMs);
    // A running instance that is too busy to answer in time still counts as
    // running: starting a second one would be worse than a late import.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

SingleInstance::ListenResult SingleInstance::listen() {
    if (server_->listen(serverName())) return ListenResult::Listening;
    if (server_->serverError() != QAbstractSocket::AddressInUseError) return ListenResult::Failed;
    // The name is taken: by a live instance that started meanwhile, or by the
    // socket file of one that died.  Only the latter may be removed.
    QLocalSocket probe;
    probe.connectToServer(serverName());
    if (probe.waitForConnected(500)) return ListenResult::AnotherInstanceRuns;
    QLocalServer::removeServer(serverName());
    return server_->listen(serverName()) ? ListenResult::Listening : ListenResult::Failed;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    if (socket->bytesAvailable() < 4) return;
    QByteArray header = socket->peek(4);
    const quint32 length = qFromBigEndian<quint32>(header.constData());
    if (length == kCloseRequest) {
        socket->read(4);
        socket->write(&kAcknowledge, 1);
        socket->flush();
        emit closeRequested();
        return;
    }
    if (length == kCommandRequest) {
        readCommand(socket);
        return;
    }
    if (length > kLongestPath) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(length)) return;
    socket->read(4);
    const QByteArray path = socket->read(length);
    socket->write(&kAcknowledge, 1);
    socket->flush();
    emit requested(path);
}

bool SingleInstance::readCommand(QLocalSocket* socket) {
    if (socket->bytesAvailable() < 5) return false;
    const int size = static_cast<unsigned char>(socket->peek(5).at(4));
    if (size < 1 || size > kLongestCommand) {
        socket->abort();
        return false;
    }
    if (socket->bytesAvailable() < 5 + size) return false;
    socket->read(5);
    const QString name = QString::fromLatin1(socket->read(size));
    const bool known = commandHandler_ && commandHandler_(name);
    socket->write(known ? &kAcknowledge : &kUnknownCommand, 1);
    socket->flush();
    return known;
}

}  // namespace typix

// Keeps one desktop program per user: a later start hands its arguments to the running one.

#include "gui/desktop/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {
// What a later start sends: the number the running window answers to, and after a blank the
// start's argument, percent-encoded so that the message stays one line.
constexpr char ActivationMessage[] = "1052";
constexpr int HandOverTimeoutMs = 2000;
} // namespace

CSingleInstance::CSingleInstance(QObject* parent) : QObject(parent) {}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::ServerName() {
    // In the user's runtime folder when there is one, so that only the user's own processes
    // reach it; the user id keeps users apart in the shared temporary folder otherwise.
    const QString name = QStringLiteral("Quillpost-%1.socket").arg(getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? name : runtime + u'/' + name;
}

bool CSingleInstance::HandOverToRunningInstance(const QString& argument) {
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(HandOverTimeoutMs))
        return false;
    QByteArray message = ActivationMessage;
    if (!argument.isEmpty())
        message += ' ' + argument.toUtf8().toPercentEncoding();
    socket.write(message + '\n');
    // The running process reads the message and answers; without an answer it is gone or hung,
    // and this start goes on as the only one.
    if (!socket.waitForBytesWritten(HandOverTimeoutMs) ||
        !socket.waitForReadyRead(HandOverTimeoutMs))
        return false;
    return socket.readAll().startsWith("ok");
}

bool CSingleInstance::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left behind by a process that died is removed; a live one answered above.
    QLocalServer::removeServer(ServerName());
    if (!server_->listen(ServerName()))
        return false;
    connect(server_, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    return true;
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray message = socket->readLine().chopped(1);
            const qsizetype blank = message.indexOf(' ');
            if ((blank < 0 ? message : message.left(blank)) != ActivationMessage) {
                socket->disconnectFromServer();
                return;
            }
            const QString argument =
                blank < 0
                    ? QString()
                    : QString::fromUtf8(QByteArray::fromPercentEncoding(message.mid(blank + 1)));
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
            // Answered first, so that the later start ends at once even while a dialog is open
            // here.
            emit activationRequested(argument);
        });
    }
}

#include "platform/linux/LocalInstanceChannel.h"

#include <QLocalSocket>
#include <QRegularExpression>

#include <unistd.h>

namespace qm {

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
}

LocalInstanceChannel::LocalInstanceChannel(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

QString LocalInstanceChannel::DefaultName() {
    // One copy per user and desktop: each X display is a desktop of its own.
    QString display = QString::fromLocal8Bit(qgetenv("DISPLAY"));
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.]")), QStringLiteral("_"));
    return QStringLiteral("quillmor-instance-") + QString::number(::getuid()) +
           QStringLiteral("-") + display;
}

bool LocalInstanceChannel::AnotherCopyRunning(std::function<void()> onActivate) {
    {
        QLocalSocket probe;
        probe.connectToServer(name_);
        if (probe.waitForConnected(500)) return true;
    }
    onActivate_ = std::move(onActivate);
    // Nobody answered: a socket file left by a crashed copy may still be there.
    QLocalServer::removeServer(name_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(name_)) return false;
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("activate") && onActivate_) onActivate_();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return false;
}

void LocalInstanceChannel::ActivateOtherCopy() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(1000)) return;
    socket.write(kActivate);
    socket.waitForBytesWritten(1000);
    socket.waitForDisconnected(1000);
}

}  // namespace qm

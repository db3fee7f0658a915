#include "platform/linux/LocalInstanceChannel.h"

#include <QDir>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr char kActivate[] = "activate\n";

// A socket address for `path`; false when the path is too long for one.
bool Address(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A connection to the copy listening at `path`, or -1.
int Connect(const std::string& path) {
    sockaddr_un address;
    if (!Address(path, address)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

LocalInstanceChannel::LocalInstanceChannel(QString name, QObject* parent)
    : QObject(parent),
      // Where Qt's local sockets put a plain name, so copies of older builds meet too.
      path_(QDir(QDir::tempPath()).filePath(name).toStdString()) {}

LocalInstanceChannel::~LocalInstanceChannel() {
    if (listener_ < 0) return;
    delete notifier_;
    ::close(listener_);
    ::unlink(path_.c_str());
}

QString LocalInstanceChannel::DefaultName() {
    // One copy per user and desktop: each X display is a desktop of its own.
    QString display = QString::fromLocal8Bit(qgetenv("DISPLAY"));
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.]")), QStringLiteral("_"));
    return QStringLiteral("quillmor-instance-") + QString::number(::getuid()) +
           QStringLiteral("-") + display;
}

bool LocalInstanceChannel::AnotherCopyRunning(std::function<void()> onActivate) {
    if (const int fd = Connect(path_); fd >= 0) {
        ::close(fd);
        return true;
    }
    onActivate_ = std::move(onActivate);
    sockaddr_un address;
    if (!Address(path_, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // Nobody answered: a socket file left by a crashed copy may still be there. The new
    // one is made for this user alone.
    ::unlink(path_.c_str());
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd, 8) != 0) {
        ::close(fd);
        return false;
    }
    listener_ = fd;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { AcceptCopies(); });
    return false;
}

void LocalInstanceChannel::AcceptCopies() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        // The later copy writes its request at once; it is read as it comes.
        auto* reader = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(reader, &QSocketNotifier::activated, this, [this, reader, fd] {
            char buffer[64];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
            const bool activate =
                n > 0 &&
                std::string_view(buffer, std::size_t(n)).find("activate") != std::string_view::npos;
            reader->setEnabled(false);
            reader->deleteLater();
            ::close(fd);
            if (activate && onActivate_) onActivate_();
        });
    }
}

void LocalInstanceChannel::ActivateOtherCopy() {
    const int fd = Connect(path_);
    if (fd < 0) return;
    // The request waits in the socket until the other copy reads it.
    static_cast<void>(::send(fd, kActivate, sizeof kActivate - 1, MSG_NOSIGNAL));
    ::close(fd);
}

}  // namespace qm

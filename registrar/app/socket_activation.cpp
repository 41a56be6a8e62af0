#include "app/socket_activation.h"

#include <QByteArray>

#include <cstdlib>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varnex::registrar {

namespace {

constexpr int kFirstPassedFd = 3; // SD_LISTEN_FDS_START

} // namespace

QList<int> takePassedSockets()
{
    bool pidOk = false;
    bool countOk = false;
    const qint64 pid = qEnvironmentVariable("LISTEN_PID").toLongLong(&pidOk);
    const int count = qEnvironmentVariable("LISTEN_FDS").toInt(&countOk);
    // Variables meant for another process (a parent that did not clear them)
    // name another pid.
    const bool forUs = pidOk && countOk && pid == qint64(::getpid()) && count > 0;
    ::unsetenv("LISTEN_PID");
    ::unsetenv("LISTEN_FDS");
    ::unsetenv("LISTEN_FDNAMES");

    QList<int> fds;
    if (!forUs)
        return fds;
    for (int fd = kFirstPassedFd; fd < kFirstPassedFd + count; ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags < 0)
            continue;
        ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
        fds.append(fd);
    }
    return fds;
}

bool isListeningStreamSocket(int fd)
{
    int type = 0;
    int listening = 0;
    socklen_t length = sizeof type;
    if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM)
        return false;
    length = sizeof listening;
    return ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) == 0 && listening != 0;
}

} // namespace varnex::registrar

#include "lookup/host_lookup_limit.h"

#include <QAbstractSocket>
#include <QTimer>

namespace varnex::registrar {

void limitHostLookup(QAbstractSocket *socket, std::chrono::milliseconds budget, std::function<void()> overrun)
{
    // The socket is the timer's context: a connection gone before the budget ends takes it along.
    QTimer::singleShot(budget, socket, [socket, overrun = std::move(overrun)] {
        if (socket->state() == QAbstractSocket::HostLookupState)
            overrun();
    });
}

} // namespace varnex::registrar

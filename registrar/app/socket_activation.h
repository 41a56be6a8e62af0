#pragma once

#include <QList>

namespace varnex::registrar {

// The listening sockets a service manager passed to this process on start
// (systemd's LISTEN_PID and LISTEN_FDS, descriptors from 3 up), marked
// close-on-exec. The variables are removed, so a child does not take them for
// its own. Empty when nothing was passed to this very process.
QList<int> takePassedSockets();

// Whether a descriptor is a stream socket that listens.
bool isListeningStreamSocket(int fd);

} // namespace varnex::registrar

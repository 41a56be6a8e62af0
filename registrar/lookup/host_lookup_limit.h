#pragma once

#include <chrono>
#include <functional>

class QAbstractSocket;

namespace varnex::registrar {

// Calls `overrun` when `socket` is still looking up its host's address after
// `budget`. The system's resolver may take ten seconds to give up when it is
// silent (offline, or a resolver that drops questions), and a page must not
// wait that long to say that no registry could be reached. The lookup itself
// runs on and fills Qt's host cache, so the next page has its answer at once.
void limitHostLookup(QAbstractSocket *socket, std::chrono::milliseconds budget, std::function<void()> overrun);

} // namespace varnex::registrar

#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace varnex::registrar {

// Asks DNS whether a name has name servers, through c-ares on this thread's
// event loop. A name that has them is registered, so its registry need not be
// asked; only a registry can say "not registered", so every other outcome
// (no such name, no name servers, no answer) sends the name on to RDAP.
class DnsScreen final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        QString resolver; // "HOST[:PORT]"; empty: the system's resolver
        std::chrono::milliseconds timeout = std::chrono::milliseconds(1000); // a try
        int tries = 2;
        int maxInFlight = 32; // questions out at once; a burst of a page's names waits its turn
    };
    enum class Verdict { HasNameServers, NoNameServers, NoAnswer };
    using Done = std::function<void(Verdict)>;

    explicit DnsScreen(const Settings &settings, QObject *parent = nullptr);
    ~DnsScreen() override;

    // Empty when the resolver is ready; otherwise why not.
    const QString &error() const { return m_error; }
    // Calls `done` once, later (never from inside this call).
    void screen(const QString &domain, Done done);

private:
    struct Channel;
    struct Query;
    static void onSocketState(void *data, int fd, int readable, int writable);
    static void onReply(void *data, int status, int timeouts, unsigned char *answer, int length);
    void process(int readFd, int writeFd);
    void armTimer();
    void send(const QString &domain, Done done);

    std::unique_ptr<Channel> m_channel;
    QString m_error;
    QHash<int, std::pair<QSocketNotifier *, QSocketNotifier *>> m_notifiers; // read, write
    QTimer m_timer;
    int m_maxInFlight;
    int m_inFlight = 0;
    std::deque<std::pair<QString, Done>> m_waiting;
};

} // namespace varnex::registrar

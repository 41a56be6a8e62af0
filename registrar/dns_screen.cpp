#include "dns_screen.h"

#include <QHostAddress>
#include <QSocketNotifier>

#include <ares.h>
#include <arpa/nameser.h>
#include <netdb.h>

namespace varnex::registrar {

struct DnsScreen::Channel {
    ares_channel channel = nullptr;
    ~Channel()
    {
        if (channel)
            ares_destroy(channel); // answers every query still out with ARES_EDESTRUCTION
    }
};

struct DnsScreen::Query {
    DnsScreen *owner;
    Done done;
};

namespace {

// "HOST[:PORT]" in the form c-ares takes: an IPv6 address in brackets when a port follows.
QByteArray serverList(const QString &resolver)
{
    QString host = resolver;
    QString port;
    if (resolver.startsWith(QLatin1Char('['))) {
        host = resolver.section(QLatin1Char(']'), 0, 0).mid(1);
        port = resolver.section(QLatin1Char(']'), 1).mid(1);
    } else if (resolver.count(QLatin1Char(':')) == 1) {
        host = resolver.section(QLatin1Char(':'), 0, 0);
        port = resolver.section(QLatin1Char(':'), 1);
    }
    const QHostAddress address(host);
    if (address.isNull())
        return {};
    const QString shown = address.protocol() == QAbstractSocket::IPv6Protocol && !port.isEmpty()
                              ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                              : address.toString();
    return (port.isEmpty() ? shown : shown + QLatin1Char(':') + port).toLatin1();
}

} // namespace

DnsScreen::DnsScreen(const Settings &settings, QObject *parent)
    : QObject(parent), m_channel(std::make_unique<Channel>()), m_maxInFlight(std::max(1, settings.maxInFlight))
{
    static const int initialised = ares_library_init(ARES_LIB_INIT_ALL);
    if (initialised != ARES_SUCCESS) {
        m_error = QString::fromLatin1(ares_strerror(initialised));
        return;
    }
    ares_options options{};
    options.flags = ARES_FLAG_NOSEARCH | ARES_FLAG_NOALIASES;
    options.timeout = int(settings.timeout.count());
    options.tries = settings.tries;
    options.sock_state_cb = &DnsScreen::onSocketState;
    options.sock_state_cb_data = this;
    const int mask = ARES_OPT_FLAGS | ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_SOCK_STATE_CB;
    if (const int status = ares_init_options(&m_channel->channel, &options, mask); status != ARES_SUCCESS) {
        m_error = QString::fromLatin1(ares_strerror(status));
        m_channel->channel = nullptr;
        return;
    }
    if (!settings.resolver.isEmpty()) {
        const QByteArray servers = serverList(settings.resolver);
        if (servers.isEmpty() || ares_set_servers_ports_csv(m_channel->channel, servers.constData()) != ARES_SUCCESS)
            m_error = QStringLiteral("not a resolver address: %1").arg(settings.resolver);
    }
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { process(ARES_SOCKET_BAD, ARES_SOCKET_BAD); });
}

DnsScreen::~DnsScreen()
{
    m_channel.reset();
    for (const auto &[read, write] : std::as_const(m_notifiers)) {
        delete read;
        delete write;
    }
}

void DnsScreen::screen(const QString &domain, Done done)
{
    if (!m_error.isEmpty() || !m_channel->channel) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(Verdict::NoAnswer); });
        return;
    }
    if (m_inFlight >= m_maxInFlight) {
        m_waiting.emplace_back(domain, std::move(done));
        return;
    }
    send(domain, std::move(done));
}

void DnsScreen::send(const QString &domain, Done done)
{
    ++m_inFlight;
    // Each answer makes room for the next question waiting.
    auto *query = new Query{this, [this, done = std::move(done)](Verdict verdict) {
                                --m_inFlight;
                                if (!m_waiting.empty()) {
                                    auto [next, nextDone] = std::move(m_waiting.front());
                                    m_waiting.pop_front();
                                    send(next, std::move(nextDone));
                                }
                                done(verdict);
                            }};
    ares_query(m_channel->channel, domain.toLatin1().constData(), ns_c_in, ns_t_ns, &DnsScreen::onReply, query);
    armTimer();
}

void DnsScreen::onReply(void *data, int status, int, unsigned char *answer, int length)
{
    std::unique_ptr<Query> query(static_cast<Query *>(data));
    Verdict verdict = Verdict::NoAnswer;
    if (status == ARES_SUCCESS) {
        hostent *host = nullptr;
        if (ares_parse_ns_reply(answer, length, &host) == ARES_SUCCESS && host) {
            verdict = host->h_aliases && host->h_aliases[0] ? Verdict::HasNameServers : Verdict::NoNameServers;
            ares_free_hostent(host);
        } else {
            verdict = Verdict::NoNameServers;
        }
    } else if (status == ARES_ENOTFOUND || status == ARES_ENODATA) {
        verdict = Verdict::NoNameServers;
    }
    if (status == ARES_EDESTRUCTION)
        return; // the screen itself is going away
    // Never from inside ares_process: the caller may start the next query at once.
    QTimer::singleShot(0, query->owner, [done = std::move(query->done), verdict] { done(verdict); });
}

void DnsScreen::onSocketState(void *data, int fd, int readable, int writable)
{
    auto *self = static_cast<DnsScreen *>(data);
    auto &[read, write] = self->m_notifiers[fd];
    if (!readable && !writable) {
        // Called from inside a notifier's own signal at times: it goes later.
        for (QSocketNotifier *notifier : {read, write}) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
        self->m_notifiers.remove(fd);
        return;
    }
    if (!read) {
        read = new QSocketNotifier(fd, QSocketNotifier::Read);
        connect(read, &QSocketNotifier::activated, self, [self, fd] { self->process(fd, ARES_SOCKET_BAD); });
        write = new QSocketNotifier(fd, QSocketNotifier::Write);
        connect(write, &QSocketNotifier::activated, self, [self, fd] { self->process(ARES_SOCKET_BAD, fd); });
    }
    read->setEnabled(readable);
    write->setEnabled(writable);
}

void DnsScreen::process(int readFd, int writeFd)
{
    ares_process_fd(m_channel->channel, readFd, writeFd);
    armTimer();
}

void DnsScreen::armTimer()
{
    timeval longest{3600, 0};
    timeval next{};
    if (const timeval *wait = ares_timeout(m_channel->channel, &longest, &next); wait && wait != &longest)
        m_timer.start(std::chrono::milliseconds(qint64(wait->tv_sec) * 1000 + wait->tv_usec / 1000 + 1));
    else
        m_timer.stop();
}

} // namespace varnex::registrar

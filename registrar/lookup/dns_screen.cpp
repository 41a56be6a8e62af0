#include "lookup/dns_screen.h"

#include <QHostAddress>
#include <QSocketNotifier>

#include <ares.h>
#include <arpa/nameser.h>

namespace varnex::registrar {

struct DnsScreen::Channel {
    ares_channel channel = nullptr;
    ~Channel()
    {
        if (channel)
            ares_destroy(channel); // answers every query still out with ARES_EDESTRUCTION
    }
};

// What c-ares carries for a question until it is done with it, wanted or not.
struct DnsScreen::Query {
    DnsScreen *owner;
    Ticket ticket;
    QByteArray domain;
};

namespace {

// "HOST[:PORT]" in the form c-ares takes: an IPv6 address in brackets when a port follows.
QByteArray serverList(const QString &resolver)
{
    QString host = resolver;
    QString port;
    bool portGiven = false;
    if (resolver.startsWith(QLatin1Char('['))) {
        host = resolver.section(QLatin1Char(']'), 0, 0).mid(1);
        const QString rest = resolver.section(QLatin1Char(']'), 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return {};
        portGiven = !rest.isEmpty();
        port = rest.mid(1);
    } else if (resolver.count(QLatin1Char(':')) == 1) {
        host = resolver.section(QLatin1Char(':'), 0, 0);
        port = resolver.section(QLatin1Char(':'), 1);
        portGiven = true;
    }
    // A colon says a port follows: "127.0.0.1:" is a slip, not the default port.
    bool isNumber = false;
    const uint number = port.toUInt(&isNumber);
    const QHostAddress address(host);
    if (address.isNull() || (portGiven && (!isNumber || number == 0 || number > 65535)))
        return {};
    const QString shown = address.protocol() == QAbstractSocket::IPv6Protocol && !port.isEmpty()
                              ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                              : address.toString();
    return (port.isEmpty() ? shown : shown + QLatin1Char(':') + port).toLatin1();
}

} // namespace

DnsScreen::DnsScreen(const Settings &settings, QObject *parent)
    : QObject(parent),
      m_channel(std::make_unique<Channel>()),
      m_maxInFlight(std::max(1, settings.maxInFlight)),
      m_maxOutstanding(std::max(m_maxInFlight, settings.maxOutstanding)),
      m_maxWaiting(std::max(0, settings.maxWaiting))
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

void DnsScreen::screen(Ticket ticket, const QString &domain, Done done, quint64 asker)
{
    Question &question = m_questions[ticket];
    question.domain = domain;
    question.done = std::move(done);
    if (!m_error.isEmpty() || !m_channel->channel) {
        answerLater(ticket, question, Verdict::NoAnswer);
        return;
    }
    question.place = {asker, m_nextOrder++};
    m_waiting.emplace(question.place, ticket);
    sendWaiting();
    if (qsizetype(m_waiting.size()) > m_maxWaiting) {
        // Full: the question that would go last gives way; its name goes to its registry.
        const auto last = std::prev(m_waiting.end());
        const Ticket dropped = last->second;
        m_waiting.erase(last);
        answerLater(dropped, m_questions.at(dropped), Verdict::NoAnswer);
    }
}

void DnsScreen::share(Ticket ticket, quint64 asker)
{
    const auto found = m_questions.find(ticket);
    if (found == m_questions.end() || found->second.state != Question::State::Waiting
        || found->second.place.asker >= asker)
        return;
    m_waiting.erase(found->second.place);
    found->second.place = {asker, m_nextOrder++};
    m_waiting.emplace(found->second.place, ticket);
}

void DnsScreen::cancel(Ticket ticket)
{
    const auto found = m_questions.find(ticket);
    if (found == m_questions.end())
        return;
    const Question::State state = found->second.state;
    if (state == Question::State::Waiting)
        m_waiting.erase(found->second.place);
    const bool heldPlace = state == Question::State::Out && !found->second.late;
    m_questions.erase(found);
    if (heldPlace) {
        // Still out as far as c-ares knows (m_outstanding), but its place goes to a question someone waits for.
        --m_inFlight;
        sendWaiting();
    }
}

bool DnsScreen::endWait(Ticket ticket)
{
    const auto found = m_questions.find(ticket);
    if (found == m_questions.end())
        return false;
    Question &question = found->second;
    switch (question.state) {
    case Question::State::Waiting:
        m_waiting.erase(question.place);
        m_questions.erase(found);
        return false;
    case Question::State::Out:
        if (!question.late) {
            question.late = true;
            --m_inFlight;
            sendWaiting();
        }
        return true;
    case Question::State::Answered:
        return true; // its answer is on its way
    }
    return true;
}

void DnsScreen::sendWaiting()
{
    bool sent = false;
    while (!m_waiting.empty() && m_inFlight < m_maxInFlight && m_outstanding < m_maxOutstanding) {
        const auto next = m_waiting.begin();
        const Ticket ticket = next->second;
        m_waiting.erase(next);
        send(ticket, m_questions.at(ticket));
        sent = true;
    }
    if (sent)
        armTimer();
}

void DnsScreen::send(Ticket ticket, Question &question)
{
    question.state = Question::State::Out;
    ++m_inFlight;
    ++m_outstanding;
    auto *query = new Query{this, ticket, question.domain.toLatin1()};
    // May answer at once (a name c-ares refuses): onReply neither sends nor answers from inside.
#if ARES_VERSION >= 0x011c00
    // c-ares 1.28 on hands answers over as records (the byte form is deprecated there):
    // written back to wire form they are judged as before, as c-ares itself did for ares_query.
    const auto replied = [](void *data, ares_status_t status, size_t, const ares_dns_record_t *record) {
        unsigned char *bytes = nullptr;
        size_t length = 0;
        if (record && ares_dns_write(record, &bytes, &length) != ARES_SUCCESS) {
            bytes = nullptr;
            length = 0;
        }
        onReply(data, status, bytes, length);
        if (bytes)
            ares_free_string(bytes);
    };
    // Its status needs no look: every failure is also told to `replied`, as for ares_query.
    ares_query_dnsrec(m_channel->channel, query->domain.constData(), ARES_CLASS_IN, ARES_REC_TYPE_NS, replied, query,
                      nullptr);
#else
    const auto replied = [](void *data, int status, int, unsigned char *answer, int length) {
        onReply(data, status, answer, length > 0 ? size_t(length) : 0);
    };
    ares_query(m_channel->channel, query->domain.constData(), ns_c_in, ns_t_ns, replied, query);
#endif
}

void DnsScreen::answerLater(Ticket ticket, Question &question, Verdict verdict)
{
    question.state = Question::State::Answered;
    // Never from inside ares_process or screen(): the caller may ask or withdraw at once.
    QTimer::singleShot(0, this, [this, ticket, verdict] {
        const auto found = m_questions.find(ticket);
        if (found == m_questions.end())
            return; // withdrawn meanwhile
        const Done done = std::move(found->second.done);
        m_questions.erase(found);
        done(verdict);
    });
}

void DnsScreen::onReply(void *data, int status, const unsigned char *answer, size_t length)
{
    const std::unique_ptr<Query> query(static_cast<Query *>(data));
    DnsScreen *self = query->owner;
    --self->m_outstanding;
    if (status == ARES_EDESTRUCTION)
        return; // the screen itself is going away
    const auto found = self->m_questions.find(query->ticket);
    if (found == self->m_questions.end())
        return; // withdrawn: it only held a place among those out
    if (!found->second.late)
        --self->m_inFlight;
    // c-ares hands over the bytes for every answer it took, whatever their RCODE;
    // what they say is judged here alone. No bytes: a time-out or a refusal.
    const Verdict verdict = answer && length > 0
                                ? dnsVerdictOf(QByteArrayView(answer, qsizetype(length)), query->domain)
                                : Verdict::NoAnswer;
    self->answerLater(query->ticket, found->second, verdict);
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
    // Places freed by answers and given-up questions go to those waiting, outside ares_process.
    sendWaiting();
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

// varnex-registrar: the registrar's WHOIS page that Varnex asks, answered from
// the registries over RDAP. Listens on loopback unless told otherwise, or on
// the socket a service manager passes it (socket activation).
//
// Exit status: 0 after --help or --version, 2 on a usage error, 1 when the
// service cannot start (bootstrap file unreadable, port taken).

#include "lookup/bootstrap.h"
#include "lookup/bootstrap_refresh.h"
#include "app/cache_folder.h"
#include "service/guarded_tcp_server.h"
#include "service/registrar_server.h"
#include "app/socket_activation.h"
#include "shared/registrar_host.h"
#include "varnex_version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QSslCertificate>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int kRunFailure = 1;
constexpr int kUsageError = 2;

// The address of the program's own default registrar, on loopback.
QString defaultListen()
{
    const QString host = QString::fromLatin1(varnex::kRegistrarHost);
    const QString port = host.contains(QLatin1Char(':')) ? host.section(QLatin1Char(':'), -1) : QStringLiteral("80");
    return QStringLiteral("127.0.0.1:") + port;
}

struct ListenAddress {
    QHostAddress host;
    quint16 port = 0;
};

// HOST:PORT, with an IPv6 host in brackets.
std::optional<ListenAddress> parseListen(const QString &address)
{
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    bool portOk = false;
    const uint port = address.mid(colon + 1).toUInt(&portOk);
    QString host = address.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const QHostAddress hostAddress(host);
    if (!portOk || port > 65535 || hostAddress.isNull())
        return std::nullopt;
    return ListenAddress{hostAddress, quint16(port)};
}

QString hostAndPort(const QHostAddress &host, quint16 port)
{
    const QString text = host.toString();
    return (host.protocol() == QAbstractSocket::IPv6Protocol ? QLatin1Char('[') + text + QLatin1Char(']') : text)
           + QLatin1Char(':') + QString::number(port);
}

// Off loopback the service looks names up for anyone who can reach it.
void warnUnlessLoopback(const QHostAddress &host)
{
    if (host.isLoopback())
        return;
    std::fprintf(stderr,
                 "varnex-registrar: warning: %s is not a loopback address: anyone who can reach it can have "
                 "this service look names up\n",
                 qPrintable(host.toString()));
}

void printListening(const QTcpServer &listener, const char *how)
{
    std::fprintf(stderr, "varnex-registrar: listening on http://%s/whois.cgi?vhost_name=NAME%s\n",
                 qPrintable(hostAndPort(listener.serverAddress(), listener.serverPort())), how);
}

// Logs what the refresh does and hands each fetched file to the lookups that follow.
void runRefresh(varnex::registrar::BootstrapRefresh &refresh, varnex::registrar::RegistrarServer &server, bool fetching)
{
    using varnex::registrar::Bootstrap;
    using varnex::registrar::BootstrapRefresh;

    const QString url = refresh.settings().url.toString();
    std::fprintf(stderr, "varnex-registrar: RDAP bootstrap: %s; %s\n", qPrintable(refresh.source()),
                 qPrintable(fetching ? QStringLiteral("fetching ") + url : QStringLiteral("not fetched (--bootstrap-url off)")));
    if (!fetching)
        return;
    // Without a folder to keep it in, a fetched file still serves until the service stops.
    const QString &folder = refresh.settings().cacheFolder;
    const QString why = folder.isEmpty() ? QStringLiteral("there is no cache folder ($CACHE_DIRECTORY or a home folder)")
                                         : varnex::registrar::prepareCacheFolder(folder);
    if (!why.isEmpty())
        std::fprintf(stderr, "varnex-registrar: warning: %s; a fetched RDAP bootstrap is not kept for the next start\n",
                     qPrintable(why));
    QObject::connect(&refresh, &BootstrapRefresh::updated, &server, [&refresh, &server](const Bootstrap &bootstrap) {
        server.setBootstrap(bootstrap);
        std::fprintf(stderr, "varnex-registrar: RDAP bootstrap: taken into use: %s, %lld endings\n",
                     qPrintable(refresh.source()), static_cast<long long>(bootstrap.endingCount()));
    });
    QObject::connect(&refresh, &BootstrapRefresh::fetchFailed, &server, [&refresh, url](const QString &reason) {
        const auto retry = std::min(refresh.settings().retryInterval, refresh.settings().interval);
        std::fprintf(stderr, "varnex-registrar: RDAP bootstrap: cannot fetch %s: %s; keeping %s; trying again in %lld min\n",
                     qPrintable(url), qPrintable(reason), qPrintable(refresh.source()),
                     static_cast<long long>(std::chrono::duration_cast<std::chrono::minutes>(retry).count()));
    });
    QObject::connect(&refresh, &BootstrapRefresh::notKept, &server, [](const QString &reason) {
        std::fprintf(stderr, "varnex-registrar: warning: the fetched RDAP bootstrap is not kept for the next start: %s\n",
                     qPrintable(reason));
    });
    refresh.start();
}

int usageError(const QString &reason)
{
    std::fprintf(stderr, "varnex-registrar: %s\nTry 'varnex-registrar --help' for more information.\n",
                 qPrintable(reason));
    return kUsageError;
}

} // namespace

int main(int argc, char *argv[])
{
    using varnex::registrar::GuardedTcpServer;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnex-registrar"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(varnex::kVersion));

    // Taken first, so the variables are gone whatever happens next.
    const QList<int> passed = varnex::registrar::takePassedSockets();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Answers the registrar WHOIS page that Varnex asks (/whois.cgi?vhost_name=NAME) from the registries over RDAP.\n"
        "Started by systemd's varnex-registrar.socket, it answers on the socket passed to it."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Listen on HOST:PORT (default %1, loopback only; port 0: any free "
                                                   "port). Not used when a socket is passed.")
                                        .arg(defaultListen()),
                                    QStringLiteral("HOST:PORT"), defaultListen());
    const QCommandLineOption bootstrapFile(QStringLiteral("bootstrap"),
                                           QStringLiteral("RDAP bootstrap file in IANA's dns.json form, instead of the built-in "
                                                          "one; nothing is fetched or kept."),
                                           QStringLiteral("FILE"));
    const QCommandLineOption bootstrapUrl(
        QStringLiteral("bootstrap-url"),
        QStringLiteral("Fetch the RDAP bootstrap file from URL (default %1) at start and then daily, keep the last good "
                       "one in the cache folder ($CACHE_DIRECTORY, else ~/.cache/varnex-registrar) and use it, with the "
                       "built-in entries for the endings it lacks. 'off': never fetch; use the kept copy, else the "
                       "built-in file. Not used with --bootstrap.")
            .arg(varnex::registrar::BootstrapRefresh::defaultUrl().toString()),
        QStringLiteral("URL|off"), varnex::registrar::BootstrapRefresh::defaultUrl().toString());
    const QCommandLineOption cleartextHttp2(
        QStringLiteral("cleartext-http2"),
        QStringLiteral("Ask http:// registries over HTTP/2 with prior knowledge (for stand-in registries; "
                       "https ones are offered HTTP/2 anyway)."));
    const QCommandLineOption resolver(
        QStringLiteral("resolver"),
        QStringLiteral("Ask DNS first, of the resolver at HOST[:PORT] (default: the system's): a name with name servers "
                       "is registered without a registry lookup. 'off' asks every name of its registry."),
        QStringLiteral("HOST[:PORT]|off"));
    parser.addOption(listen);
    parser.addOption(bootstrapFile);
    parser.addOption(bootstrapUrl);
    parser.addOption(cleartextHttp2);
    const QCommandLineOption suggestions(
        QStringLiteral("suggestions"),
        QStringLiteral("'words' (default): suggestions from the word list and WordNet; 'fixed': the name with a few "
                       "fixed prefixes and suffixes only."),
        QStringLiteral("words|fixed"), QStringLiteral("words"));
    const QCommandLineOption caFile(
        QStringLiteral("ca-file"),
        QStringLiteral("Also trust the certificate authorities in FILE (PEM) for https registries, beside the "
                       "system's (for stand-in registries)."),
        QStringLiteral("FILE"));
    parser.addOption(resolver);
    parser.addOption(suggestions);
    parser.addOption(caFile);
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst()));
    const std::optional<ListenAddress> address = parseListen(parser.value(listen));
    if (!address)
        return usageError(QStringLiteral("--listen takes an address and a port, e.g. %1, not '%2'")
                              .arg(defaultListen(), parser.value(listen)));

    const bool fetching = !parser.isSet(bootstrapFile) && parser.value(bootstrapUrl) != QLatin1String("off");
    const QUrl url(parser.value(bootstrapUrl), QUrl::StrictMode);
    if (fetching && (!url.isValid() || url.host().isEmpty()
                     || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))))
        return usageError(QStringLiteral("--bootstrap-url takes an https or http URL, or off, not '%1'")
                              .arg(parser.value(bootstrapUrl)));

    std::optional<varnex::registrar::Bootstrap> bootstrap = varnex::registrar::Bootstrap::bundled();
    std::unique_ptr<varnex::registrar::BootstrapRefresh> refresh;
    if (parser.isSet(bootstrapFile)) {
        QString error;
        QStringList warnings;
        bootstrap = varnex::registrar::Bootstrap::fromFile(parser.value(bootstrapFile), &error, &warnings);
        for (const QString &warning : warnings)
            std::fprintf(stderr, "varnex-registrar: %s: %s\n", qPrintable(parser.value(bootstrapFile)), qPrintable(warning));
        if (!bootstrap) {
            std::fprintf(stderr, "varnex-registrar: %s: %s\n", qPrintable(parser.value(bootstrapFile)), qPrintable(error));
            return kRunFailure;
        }
    } else {
        varnex::registrar::BootstrapRefresh::Settings refreshSettings;
        refreshSettings.url = url;
        refreshSettings.cacheFolder = varnex::registrar::cacheFolder();
        refresh = std::make_unique<varnex::registrar::BootstrapRefresh>(*bootstrap, refreshSettings);
        bootstrap = refresh->current();
    }

    varnex::registrar::RegistrarServer::Settings settings;
    settings.rdap.cleartextHttp2 = parser.isSet(cleartextHttp2);
    if (parser.isSet(caFile)) {
        settings.rdap.extraCertificates = QSslCertificate::fromPath(parser.value(caFile), QSsl::Pem);
        if (settings.rdap.extraCertificates.isEmpty()) {
            std::fprintf(stderr, "varnex-registrar: %s: no PEM certificate could be read\n", qPrintable(parser.value(caFile)));
            return kRunFailure;
        }
    }
    if (parser.value(resolver) != QLatin1String("off"))
        settings.dns = varnex::registrar::DnsScreen::Settings{.resolver = parser.value(resolver)};
    if (parser.value(suggestions) != QLatin1String("words") && parser.value(suggestions) != QLatin1String("fixed"))
        return usageError(QStringLiteral("--suggestions takes words or fixed, not '%1'").arg(parser.value(suggestions)));
    if (parser.value(suggestions) == QLatin1String("words")) {
        QString wordsError;
        if (std::optional<varnex::registrar::WordKnowledge> words = varnex::registrar::WordKnowledge::load(
                varnex::registrar::WordKnowledge::defaultWordList(),
                varnex::registrar::WordKnowledge::defaultWordnetFolder(), &wordsError))
            settings.words = std::make_shared<const varnex::registrar::WordKnowledge>(std::move(*words));
        else
            std::fprintf(stderr, "varnex-registrar: no word knowledge (%s): only fixed suggestions\n",
                         qPrintable(wordsError));
    }
    varnex::registrar::RegistrarServer server(std::move(*bootstrap), settings);
    if (const QString error = server.dnsError(); !error.isEmpty())
        return usageError(QStringLiteral("--resolver: %1").arg(error));
    if (!passed.isEmpty()) {
        if (parser.isSet(listen))
            std::fprintf(stderr, "varnex-registrar: a socket was passed to it; --listen is not used\n");
        for (const int fd : passed) {
            auto *listener = new GuardedTcpServer({}, &server);
            if (!varnex::registrar::isListeningStreamSocket(fd) || !listener->setSocketDescriptor(fd)) {
                std::fprintf(stderr, "varnex-registrar: the passed descriptor %d is not a listening TCP socket\n", fd);
                return kRunFailure;
            }
            warnUnlessLoopback(listener->serverAddress());
            server.bind(listener);
            printListening(*listener, " (socket passed by the service manager)");
        }
        if (refresh)
            runRefresh(*refresh, server, fetching);
        return QCoreApplication::exec();
    }

    warnUnlessLoopback(address->host);
    auto *listener = new GuardedTcpServer({}, &server);
    if (!listener->listen(address->host, address->port)) {
        const QString where = hostAndPort(address->host, address->port);
        std::fprintf(stderr, "varnex-registrar: cannot listen on %s: %s\n", qPrintable(where),
                     qPrintable(listener->errorString()));
        if (listener->serverError() == QAbstractSocket::AddressInUseError)
            std::fprintf(stderr,
                         "varnex-registrar: another program holds port %u; if it is the installed service, see "
                         "'systemctl --user status varnex-registrar.socket'\n",
                         unsigned(address->port));
        return kRunFailure;
    }
    server.bind(listener);
    printListening(*listener, "");
    if (refresh)
        runRefresh(*refresh, server, fetching);
    return QCoreApplication::exec();
}

// varnex-registrar: the registrar's WHOIS page that Varnex asks, answered from
// the registries over RDAP. Listens on loopback unless told otherwise, or on
// the socket a service manager passes it (socket activation).
//
// Exit status: 0 after --help or --version, 2 on a usage error, 1 when the
// service cannot start (bootstrap file unreadable, port taken).

#include "app/cache_folder.h"
#include "app/options.h"
#include "app/socket_activation.h"
#include "lookup/bootstrap.h"
#include "lookup/bootstrap_refresh.h"
#include "service/guarded_tcp_server.h"
#include "service/registrar_server.h"
#include "varnex_version.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSslCertificate>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <variant>

namespace {

using namespace varnex::registrar;

constexpr int kRunFailure = 1;
constexpr int kUsageError = 2;

// Logs what the refresh does and hands each fetched file to the lookups that follow.
void runRefresh(BootstrapRefresh &refresh, RegistrarServer &server, bool fetching)
{
    const QString url = refresh.settings().url.toString();
    std::fprintf(
        stderr, "varnex-registrar: RDAP bootstrap: %s; %s\n", qPrintable(refresh.source()),
        qPrintable(fetching ? QStringLiteral("fetching ") + url : QStringLiteral("not fetched (--bootstrap-url off)")));
    if (!fetching)
        return;
    // Without a folder to keep it in, a fetched file still serves until the service stops.
    const QString &folder = refresh.settings().cacheFolder;
    const QString why = folder.isEmpty()
                            ? QStringLiteral("there is no cache folder ($CACHE_DIRECTORY or a home folder)")
                            : prepareCacheFolder(folder);
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
        std::fprintf(stderr,
                     "varnex-registrar: RDAP bootstrap: cannot fetch %s: %s; keeping %s; trying again in %lld min\n",
                     qPrintable(url), qPrintable(reason), qPrintable(refresh.source()),
                     static_cast<long long>(std::chrono::duration_cast<std::chrono::minutes>(retry).count()));
    });
    QObject::connect(&refresh, &BootstrapRefresh::notKept, &server, [](const QString &reason) {
        std::fprintf(stderr,
                     "varnex-registrar: warning: the fetched RDAP bootstrap is not kept for the next start: %s\n",
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

// The bootstrap file lookups start from, and the refresh that keeps it current
// unless --bootstrap names a file.
struct BootstrapSource {
    Bootstrap bootstrap;
    std::unique_ptr<BootstrapRefresh> refresh;
};

std::optional<BootstrapSource> bootstrapSource(const RegistrarOptions &options)
{
    if (!options.bootstrapFile) {
        BootstrapRefresh::Settings settings;
        settings.url = options.bootstrapUrl;
        settings.cacheFolder = cacheFolder();
        auto refresh = std::make_unique<BootstrapRefresh>(Bootstrap::bundled(), settings);
        return BootstrapSource{refresh->current(), std::move(refresh)};
    }
    const QString &file = *options.bootstrapFile;
    QString error;
    QStringList warnings;
    std::optional<Bootstrap> bootstrap = Bootstrap::fromFile(file, &error, &warnings);
    for (const QString &warning : warnings)
        std::fprintf(stderr, "varnex-registrar: %s: %s\n", qPrintable(file), qPrintable(warning));
    if (!bootstrap) {
        std::fprintf(stderr, "varnex-registrar: %s: %s\n", qPrintable(file), qPrintable(error));
        return std::nullopt;
    }
    return BootstrapSource{std::move(*bootstrap), nullptr};
}

// The word list and WordNet, when suggestions are to come from them and they can be read.
std::shared_ptr<const WordKnowledge> wordKnowledge(const RegistrarOptions &options)
{
    if (!options.wordSuggestions)
        return nullptr;
    QString error;
    std::optional<WordKnowledge> words =
        WordKnowledge::load(WordKnowledge::defaultWordList(), WordKnowledge::defaultWordnetFolder(), &error);
    if (!words) {
        std::fprintf(stderr, "varnex-registrar: no word knowledge (%s): only fixed suggestions\n", qPrintable(error));
        return nullptr;
    }
    return std::make_shared<const WordKnowledge>(std::move(*words));
}

std::optional<RegistrarServer::Settings> serverSettings(const RegistrarOptions &options)
{
    RegistrarServer::Settings settings;
    settings.rdap.cleartextHttp2 = options.cleartextHttp2;
    if (options.caFile) {
        settings.rdap.extraCertificates = QSslCertificate::fromPath(*options.caFile, QSsl::Pem);
        if (settings.rdap.extraCertificates.isEmpty()) {
            std::fprintf(stderr, "varnex-registrar: %s: no PEM certificate could be read\n",
                         qPrintable(*options.caFile));
            return std::nullopt;
        }
    }
    if (options.resolver)
        settings.dns = DnsScreen::Settings{.resolver = *options.resolver};
    settings.words = wordKnowledge(options);
    return settings;
}

// Where the page service listens: the sockets a service manager passed, else --listen.

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

// Listens on the sockets a service manager passed.
bool listenOnPassed(const RegistrarOptions &options, const QList<int> &passed, RegistrarServer &server)
{
    if (options.listenGiven)
        std::fprintf(stderr, "varnex-registrar: a socket was passed to it; --listen is not used\n");
    for (const int fd : passed) {
        auto *listener = new GuardedTcpServer({}, &server);
        if (!isListeningStreamSocket(fd) || !listener->setSocketDescriptor(fd)) {
            std::fprintf(stderr, "varnex-registrar: the passed descriptor %d is not a listening TCP socket\n", fd);
            return false;
        }
        warnUnlessLoopback(listener->serverAddress());
        server.bind(listener);
        printListening(*listener, " (socket passed by the service manager)");
    }
    return true;
}

// Listens where --listen says.
bool listenOn(const ListenAddress &address, RegistrarServer &server)
{
    warnUnlessLoopback(address.host);
    auto *listener = new GuardedTcpServer({}, &server);
    if (!listener->listen(address.host, address.port)) {
        std::fprintf(stderr, "varnex-registrar: cannot listen on %s: %s\n",
                     qPrintable(hostAndPort(address.host, address.port)), qPrintable(listener->errorString()));
        if (listener->serverError() == QAbstractSocket::AddressInUseError)
            std::fprintf(stderr,
                         "varnex-registrar: another program holds port %u; if it is the installed service, see "
                         "'systemctl status varnex-registrar.socket', and stop it with "
                         "'sudo systemctl stop varnex-registrar.socket'\n",
                         unsigned(address.port));
        return false;
    }
    server.bind(listener);
    printListening(*listener, "");
    return true;
}

// The page service, listening on the passed sockets, else where --listen says;
// the exit status when it cannot start.
std::variant<std::unique_ptr<RegistrarServer>, int> startService(const RegistrarOptions &options,
                                                                 const QList<int> &passed, Bootstrap bootstrap,
                                                                 const RegistrarServer::Settings &settings)
{
    auto server = std::make_unique<RegistrarServer>(std::move(bootstrap), settings);
    if (const QString error = server->dnsError(); !error.isEmpty())
        return usageError(QStringLiteral("--resolver: %1").arg(error));
    const bool listening =
        passed.isEmpty() ? listenOn(options.listen, *server) : listenOnPassed(options, passed, *server);
    if (!listening)
        return kRunFailure;
    return server;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnex-registrar"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(varnex::kVersion));
    // Taken first, so the variables are gone whatever happens next.
    const QList<int> passed = varnex::registrar::takePassedSockets();

    const ParsedOptions parsed = parseOptions(QCoreApplication::arguments());
    if (!parsed.options)
        return usageError(parsed.error);
    const RegistrarOptions &options = *parsed.options;
    std::optional<BootstrapSource> source = bootstrapSource(options);
    const std::optional<RegistrarServer::Settings> settings = source ? serverSettings(options) : std::nullopt;
    if (!settings)
        return kRunFailure;
    auto service = startService(options, passed, std::move(source->bootstrap), *settings);
    if (const int *status = std::get_if<int>(&service))
        return *status;
    if (source->refresh)
        runRefresh(*source->refresh, *std::get<std::unique_ptr<RegistrarServer>>(service), options.fetching);
    return QCoreApplication::exec();
}

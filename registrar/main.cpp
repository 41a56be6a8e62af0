// varnex-registrar: the registrar's WHOIS page that Varnex asks, answered from
// the registries over RDAP. Listens on loopback unless told otherwise.

#include "bootstrap.h"
#include "registrar_server.h"
#include "search/registrar_host.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

namespace {

// The address of the program's own default registrar, on loopback.
QString defaultListen()
{
    const QString host = QString::fromLatin1(varnex::kRegistrarHost);
    const QString port = host.contains(QLatin1Char(':')) ? host.section(QLatin1Char(':'), -1) : QStringLiteral("80");
    return QStringLiteral("127.0.0.1:") + port;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnex-registrar"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Answers the registrar WHOIS page that Varnex asks (/whois.cgi?vhost_name=NAME) from the registries over RDAP."));
    parser.addHelpOption();
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Listen on HOST:PORT (default %1, loopback only).").arg(defaultListen()),
                                    QStringLiteral("HOST:PORT"), defaultListen());
    const QCommandLineOption bootstrapFile(QStringLiteral("bootstrap"),
                                           QStringLiteral("RDAP bootstrap file in IANA's dns.json form, instead of the built-in one."),
                                           QStringLiteral("FILE"));
    parser.addOption(listen);
    parser.addOption(bootstrapFile);
    parser.process(app);

    std::optional<varnex::registrar::Bootstrap> bootstrap = varnex::registrar::Bootstrap::bundled();
    if (parser.isSet(bootstrapFile)) {
        QString error;
        bootstrap = varnex::registrar::Bootstrap::fromFile(parser.value(bootstrapFile), &error);
        if (!bootstrap) {
            std::fprintf(stderr, "varnex-registrar: %s: %s\n", qPrintable(parser.value(bootstrapFile)), qPrintable(error));
            return 2;
        }
    }

    const QString address = parser.value(listen);
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    bool portOk = false;
    const uint port = address.mid(colon + 1).toUInt(&portOk);
    QString host = address.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const QHostAddress hostAddress(host);
    if (colon < 0 || !portOk || port > 65535 || hostAddress.isNull()) {
        std::fprintf(stderr, "varnex-registrar: --listen takes an address and a port, e.g. 127.0.0.1:8537\n");
        return 2;
    }

    varnex::registrar::RegistrarServer server(std::move(*bootstrap), {});
    if (server.listenGuarded(hostAddress, quint16(port)) == 0) {
        std::fprintf(stderr, "varnex-registrar: cannot listen on %s\n", qPrintable(address));
        return 1;
    }
    std::fprintf(stderr, "varnex-registrar: listening on http://%s/whois.cgi?vhost_name=NAME\n", qPrintable(address));
    return QCoreApplication::exec();
}

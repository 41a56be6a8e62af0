#include "app/options.h"

#include "lookup/bootstrap_refresh.h"
#include "shared/registrar_host.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace varnex::registrar {

namespace {

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

// Where the service listens and which bootstrap file it reads, in --help's order.
QList<QCommandLineOption> serviceOptions()
{
    const QString bootstrapUrl = BootstrapRefresh::defaultUrl().toString();
    return {
        {QStringLiteral("listen"),
         QStringLiteral(
             "Listen on HOST:PORT (default %1, loopback only; port 0: any free port). Not used when a socket "
             "is passed.")
             .arg(defaultListen()),
         QStringLiteral("HOST:PORT"), defaultListen()},
        {QStringLiteral("bootstrap"),
         QStringLiteral("RDAP bootstrap file in IANA's dns.json form, instead of the built-in one; nothing is fetched "
                        "or kept."),
         QStringLiteral("FILE")},
        {QStringLiteral("bootstrap-url"),
         QStringLiteral(
             "Fetch the RDAP bootstrap file from URL (default %1) at start and then daily, keep the last good "
             "one in the cache folder ($CACHE_DIRECTORY, else ~/.cache/varnex-registrar) and use it, with the "
             "built-in entries for the endings it lacks. 'off': never fetch; use the kept copy, else the "
             "built-in file. Not used with --bootstrap.")
             .arg(bootstrapUrl),
         QStringLiteral("URL|off"), bootstrapUrl},
    };
}

// How the registries are asked and what is suggested, in --help's order.
QList<QCommandLineOption> lookupOptions()
{
    return {
        {QStringLiteral("cleartext-http2"),
         QStringLiteral("Ask http:// registries over HTTP/2 with prior knowledge (for stand-in registries; https ones "
                        "are offered HTTP/2 anyway).")},
        {QStringLiteral("resolver"),
         QStringLiteral(
             "Ask DNS first, of the resolver at HOST[:PORT] (default: the system's): a name with name servers "
             "is registered without a registry lookup. 'off' asks every name of its registry."),
         QStringLiteral("HOST[:PORT]|off")},
        {QStringLiteral("suggestions"),
         QStringLiteral("'words' (default): suggestions from the word list and WordNet; 'fixed': the name with a few "
                        "fixed prefixes and suffixes only."),
         QStringLiteral("words|fixed"), QStringLiteral("words")},
        {QStringLiteral("ca-file"),
         QStringLiteral("Also trust the certificate authorities in FILE (PEM) for https registries and the "
                        "bootstrap fetch, beside the system's (for stand-ins)."),
         QStringLiteral("FILE")},
    };
}

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Answers the registrar WHOIS page that Varnex asks (/whois.cgi?vhost_name=NAME) from the "
                       "registries over RDAP.\n"
                       "Started by systemd's varnex-registrar.socket, it answers on the socket passed to it."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(serviceOptions());
    parser.addOptions(lookupOptions());
}

std::optional<QString> valueIfSet(const QCommandLineParser &parser, const QString &name)
{
    return parser.isSet(name) ? std::optional(parser.value(name)) : std::nullopt;
}

// The options whose values need no more checking than the parser's.
RegistrarOptions plainOptions(const QCommandLineParser &parser)
{
    RegistrarOptions options;
    options.listenGiven = parser.isSet(QStringLiteral("listen"));
    options.bootstrapFile = valueIfSet(parser, QStringLiteral("bootstrap"));
    options.bootstrapUrl = QUrl(parser.value(QStringLiteral("bootstrap-url")), QUrl::StrictMode);
    options.fetching = !options.bootstrapFile && parser.value(QStringLiteral("bootstrap-url")) != QLatin1String("off");
    options.cleartextHttp2 = parser.isSet(QStringLiteral("cleartext-http2"));
    if (parser.value(QStringLiteral("resolver")) != QLatin1String("off"))
        options.resolver = parser.value(QStringLiteral("resolver"));
    options.wordSuggestions = parser.value(QStringLiteral("suggestions")) == QLatin1String("words");
    options.caFile = valueIfSet(parser, QStringLiteral("ca-file"));
    return options;
}

bool isFetchableUrl(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty()
           && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

// The usage error in the values the parser takes as they come; empty when there is none.
QString valueError(const QCommandLineParser &parser, const RegistrarOptions &options)
{
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst());
    const QString listen = parser.value(QStringLiteral("listen"));
    if (!parseListen(listen))
        return QStringLiteral("--listen takes an address and a port, e.g. %1, not '%2'").arg(defaultListen(), listen);
    if (options.fetching && !isFetchableUrl(options.bootstrapUrl))
        return QStringLiteral("--bootstrap-url takes an https or http URL, or off, not '%1'")
            .arg(parser.value(QStringLiteral("bootstrap-url")));
    const QString suggestions = parser.value(QStringLiteral("suggestions"));
    if (suggestions != QLatin1String("words") && suggestions != QLatin1String("fixed"))
        return QStringLiteral("--suggestions takes words or fixed, not '%1'").arg(suggestions);
    return {};
}

} // namespace

QString defaultListen()
{
    const QString host = QString::fromLatin1(varnex::kRegistrarHost);
    const QString port = host.contains(QLatin1Char(':')) ? host.section(QLatin1Char(':'), -1) : QStringLiteral("80");
    return QStringLiteral("127.0.0.1:") + port;
}

ParsedOptions parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments))
        return {std::nullopt, parser.errorText()};
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    RegistrarOptions options = plainOptions(parser);
    if (QString error = valueError(parser, options); !error.isEmpty())
        return {std::nullopt, error};
    options.listen = *parseListen(parser.value(QStringLiteral("listen")));
    return {std::move(options), {}};
}

} // namespace varnex::registrar

// Fuzzes what the registrar makes of an RDAP bootstrap file fetched from the
// network: whether it is taken, and the registry each ending then goes to.
//
// Input: the file's bytes, as they came.

#include "lookup/bootstrap.h"
#include "lookup/bootstrap_refresh.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace {

using varnex::registrar::Bootstrap;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "bootstrap_fuzzer: check failed: %s\n", what);
        __builtin_trap();
    }
}

// Where a lookup for `domain` goes, checked: a registry of the file's own
// choosing, but only over http or https, on the base URL's own host and port.
void checkLookup(const Bootstrap &bootstrap, const QString &domain)
{
    const std::optional<QUrl> base = bootstrap.baseFor(domain);
    check(base.has_value(), "every ending the built-in file has keeps a registry");
    check(base->isValid() && !base->host().isEmpty(), "a base URL with a host");
    check(base->scheme() == QLatin1String("https") || base->scheme() == QLatin1String("http"), "http or https only");
    check(base->path().endsWith(QLatin1Char('/')), "a base URL ends in a slash");
    const QUrl lookup = base->resolved(QUrl(QStringLiteral("domain/") + domain));
    check(lookup.scheme() == base->scheme() && lookup.host() == base->host() && lookup.port() == base->port(),
          "a lookup stays on its registry's host");
    check(lookup.path().endsWith(QStringLiteral("/domain/") + domain), "a lookup asks for the name");
    // Where a redirect may lead: the lookup's own base first, and plain http
    // only when the ending has no https base at all.
    const QList<QUrl> bases = bootstrap.basesFor(domain);
    check(!bases.isEmpty() && bases.constFirst() == *base, "the lookup's base is the first of the ending's");
    for (const QUrl &other : bases) {
        check(other.isValid() && !other.host().isEmpty() && other.path().endsWith(QLatin1Char('/')),
              "every base URL has a host and ends in a slash");
        check(other.scheme() == base->scheme(), "https and plain http bases never mix");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Bootstrap builtIn = Bootstrap::bundled();
    static const QStringList kEndings{QStringLiteral("com"), QStringLiteral("net"),  QStringLiteral("org"),
                                      QStringLiteral("biz"), QStringLiteral("info"), QStringLiteral("us")};

    const QByteArray json(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<Bootstrap> fetched = varnex::registrar::BootstrapRefresh::usable(json, builtIn, &error);
    if (!fetched) {
        check(!error.isEmpty(), "a refused file says why");
        return 0;
    }
    check(fetched->endingCount() >= builtIn.endingCount(), "the built-in endings stay");
    for (const QString &ending : kEndings)
        checkLookup(*fetched, QStringLiteral("example.") + ending);
    return 0;
}

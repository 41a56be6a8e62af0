#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace varnex::registrar {

// Which RDAP service answers for which ending, from a file in IANA's dns.json
// form: {"version", "publication", "services": [[["com", "net"], ["https://…/"]], …]}.
class Bootstrap final {
public:
    // Reads the bootstrap file; an empty optional and `error` set when it is not
    // one. An ending's http:// base URLs are kept only when its entry gives no
    // https:// one; a missing final slash is added; an entry that cannot be used
    // is skipped, and an ending listed again keeps its first entry, each with a
    // line in `warnings`, so one odd entry does not cost the others.
    static std::optional<Bootstrap> fromJson(const QByteArray &json, QString *error = nullptr,
                                             QStringList *warnings = nullptr);
    static std::optional<Bootstrap> fromFile(const QString &path, QString *error = nullptr,
                                             QStringList *warnings = nullptr);
    // The file built into the program, for the six endings.
    static Bootstrap bundled();

    // The base URL (ending in "/") lookups for a name's ending go to, if any: the first the file gives.
    std::optional<QUrl> baseFor(const QString &domain) const;
    // Every base URL the file gives for a name's ending: where a redirect may lead.
    QList<QUrl> basesFor(const QString &domain) const;
    // How many endings it names a service for.
    qsizetype endingCount() const { return m_bases.size(); }
    // When the file says it was published; invalid when it does not say or cannot be read.
    const QDateTime &publication() const { return m_publication; }
    // Takes `fallback`'s service for each ending this one has none for.
    void addMissing(const Bootstrap &fallback);

private:
    QHash<QString, QList<QUrl>> m_bases;
    QDateTime m_publication;
};

} // namespace varnex::registrar

#pragma once

#include "lookup/bootstrap.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <optional>

class QNetworkReply;

namespace varnex::registrar {

// Keeps the RDAP bootstrap current. Registries move their RDAP services, and a
// moved base URL whose web server answers 404 would make every name look free,
// so the published file is fetched at start and then every day, checked, kept
// in the cache folder and handed out. The built-in entries stay for the
// endings the published file lacks (IANA's has no .us).
class BootstrapRefresh final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        QUrl url = defaultUrl();
        QString cacheFolder; // empty: nothing is read or kept
        std::chrono::milliseconds interval = std::chrono::hours(24);
        std::chrono::milliseconds retryInterval = std::chrono::hours(1); // after a failed fetch
        std::chrono::milliseconds timeout = std::chrono::seconds(60);    // for the whole fetch
        qint64 maxBytes = 1024 * 1024;
        QList<QSslCertificate> extraCertificates; // trusted beside the system's, as for the registries
    };

    static QUrl defaultUrl();
    // The fetched file's bytes over `builtIn`, if they are a bootstrap file with services to use.
    static std::optional<Bootstrap> usable(const QByteArray &json, const Bootstrap &builtIn, QString *error,
                                           QStringList *warnings = nullptr);

    // Starts from the copy kept in the cache folder if it is good, else from `builtIn`.
    BootstrapRefresh(Bootstrap builtIn, Settings settings, QObject *parent = nullptr);
    ~BootstrapRefresh() override;

    const Bootstrap &current() const { return m_current; }
    // What current() came from, for the log: the built-in file, or the kept copy.
    QString source() const;
    QString keptPath() const;
    // What the file in use skipped or kept of its odd entries, for the log.
    const QStringList &warnings() const { return m_warnings; }
    const Settings &settings() const { return m_settings; }

    // Fetches now, then every interval, or after the retry interval when a fetch failed.
    void start();

signals:
    // A fetched file is in use; current() is `bootstrap`.
    void updated(const varnex::registrar::Bootstrap &bootstrap);
    // Nothing changed; the next fetch comes after the retry interval.
    void fetchFailed(const QString &reason);
    // The fetched file is in use, but could not be kept for the next start.
    void notKept(const QString &reason);

private:
    void fetch();
    void finished();
    void fail(const QString &reason);
    void keep(const QByteArray &json);
    std::optional<QString> olderThanInUse(const Bootstrap &fetched) const;

    Bootstrap m_builtIn;
    Settings m_settings;
    Bootstrap m_current;
    QString m_source;
    QStringList m_warnings;
    bool m_fromFile = false; // current() came from the kept copy or a fetch, not the built-in file
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    bool m_tooLarge = false;
    bool m_timedOut = false;
    QTimer m_deadline;
    QTimer m_next;
};

} // namespace varnex::registrar

#pragma once

#include "lookup/answer_verdict.h"
#include "lookup/http_response_reader.h"

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QUrl>

#include <chrono>
#include <memory>

class QTcpSocket;

namespace varnex::registrar {

// One connection to a registry host, carrying one request at a time. Whatever
// arrives that was not asked for (a second answer, bytes while idle) closes it,
// so an answer can never be read as the answer to a later question.
class RegistryConnection final : public QObject {
    Q_OBJECT

public:
    struct Outcome {
        bool transportError = false; // never reached the host (no address, refused, TLS)
        bool unreachable = false;    // the host name did not resolve or the host refused
        QString error;               // set when there is no usable answer
        std::shared_ptr<const HttpResponseReader> response;
        bool firstOnConnection = false; // nothing was asked on this connection before
        // with transportError: the registry's certificate could not be verified
        bool certificateRefused = false;
    };

    // `base` gives the scheme, host and port; `extraCertificates` are trusted
    // beside the system's; a host whose address takes longer than
    // `hostLookupBudget` to look up is unreachable.
    explicit RegistryConnection(const QUrl &base, const QList<QSslCertificate> &extraCertificates = {},
                                std::chrono::milliseconds hostLookupBudget = std::chrono::seconds(10),
                                QObject *parent = nullptr);
    ~RegistryConnection() override;

    // Sends GET for the URL's path and query; `answered` follows once.
    void get(const QUrl &url);
    // Open and asking nothing: can take the next request.
    bool isIdle() const;
    bool isBusy() const { return m_reader != nullptr; }

signals:
    void answered(const varnex::registrar::RegistryConnection::Outcome &outcome);
    // The connection closed or was dropped while idle: it can be forgotten.
    void closedWhileIdle();

private:
    void onReadyRead();
    void onPeerClosed();
    void onError();
    void finish(Outcome outcome);
    void drop();

    QUrl m_base;
    QTcpSocket *m_socket = nullptr;
    std::unique_ptr<HttpResponseReader> m_reader;
    QByteArray m_pendingRequest; // sent once connected
    std::chrono::milliseconds m_hostLookupBudget;
    int m_requests = 0;
    bool m_usable = true;
};

// What an HTTP/1.1 answer says, in the form the verdict reads.
RegistryAnswer registryAnswerOf(const HttpResponseReader &response, bool firstOnConnection);

} // namespace varnex::registrar

#pragma once

#include "search/byte_buffer.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;

namespace varnex {

// The page fetch of a search: fetch a whole document, then read what is still
// pending in pieces. Errors are thrown as SearchError.
//
// fetchDocument() waits in a local event loop that runs every event. What the
// user may do meanwhile is the window's to decide: a loop that left user input
// queued would also hold back the window manager's close request, which Qt
// counts as user input.
class HttpTransfer final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kTimeout = std::chrono::seconds(60);
    // A registrar's page is a few kilobytes; anything near this is not one.
    static constexpr qint64 kMaxBodySize = qint64(64) << 20;
    static constexpr qsizetype kPieceSize = 2048;

    explicit HttpTransfer(QNetworkAccessManager &network, QObject *parent = nullptr,
                          std::chrono::milliseconds timeout = kTimeout);
    ~HttpTransfer() override;

    // The whole response body, byte for byte. Throws SearchError on a network
    // error, a time-out, an HTTP status that is not 2xx or a body over
    // kMaxBodySize, and when the wait was ended from outside (abort(), or the
    // program quits).
    // The body is taken from the reply as it arrives, so it is held once, in a
    // buffer that a big page fills with a few page faults.
    ByteBuffer fetchDocument(const QUrl &url);

    // The next piece of the last response that fetchDocument() left unread, at
    // most `maxSize` bytes; empty when nothing is left. fetchDocument() takes the
    // whole body, so after it the pending response is empty.
    QByteArray nextPiece(qsizetype maxSize = kPieceSize);

    // Stops a fetch under way at once, from inside its wait (the window was
    // closed): the transfer is dropped and fetchDocument() throws "cancelled".
    void abort();

private:
    void releaseReply();

    QNetworkAccessManager &m_network;
    std::chrono::milliseconds m_timeout;
    // The last response, kept for nextPiece(). The manager owns it and may go first.
    QPointer<QNetworkReply> m_reply;
    bool m_aborted = false;
};

} // namespace varnex

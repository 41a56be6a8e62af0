#include "ui/main_window/error_message.h"

#include "shared/registrar_host.h"
#include "search/search_error.h"

#include <QHostAddress>
#include <QNetworkReply>
#include <QUrl>

namespace varnex {

namespace {

bool isOwnLoopbackService(const QString &registrarHost)
{
    if (registrarHost != QLatin1String(kRegistrarHost))
        return false;
    const QString host = QUrl(QStringLiteral("http://") + registrarHost).host();
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

} // namespace

QString searchErrorMessage(const SearchError &error, const QString &registrarHost)
{
    QString text = QStringLiteral("Error %1: %2").arg(error.number()).arg(QString::fromStdString(error.what()));
    if (error.number() == QNetworkReply::ConnectionRefusedError && isOwnLoopbackService(registrarHost)) {
        text +=
            QStringLiteral("\n\nVarnex asks its own registrar service, varnex-registrar, at %1, and nothing "
                           "is listening there. Start it from Varnex's source folder with\n    bash tools/start.sh\n"
                           "(which starts the service and Varnex together), or, where Varnex is installed as a "
                           "package, with\n    sudo systemctl start varnex-registrar.socket\nand see its state with\n"
                           "    systemctl status varnex-registrar.socket")
                .arg(registrarHost);
    }
    // An HTTP answer without the service's mark comes from another program on its port.
    const bool httpAnswer = error.number() >= 100 && error.number() <= 599;
    if (httpAnswer && isOwnLoopbackService(registrarHost) && !error.server().starts_with("varnex-registrar")) {
        const QString port = registrarHost.section(QLatin1Char(':'), -1);
        text += QStringLiteral("\n\nWhat answers at %1 is not Varnex's registrar service: another program holds "
                               "port %2. To see which, run\n    ss -ltnp 'sport = :%2'")
                    .arg(registrarHost, port);
    }
    return text;
}

} // namespace varnex

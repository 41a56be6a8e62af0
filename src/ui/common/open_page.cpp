#include "ui/common/open_page.h"

#include "ui/common/maker_site.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

namespace varnex {

namespace {

// The desktop opens an address without a scheme as a web page.
void openInBrowser(QWidget *, const QString &address)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

PageOpener &currentOpener()
{
    static PageOpener opener = openInBrowser;
    return opener;
}

} // namespace

QString makerPage(const char *path)
{
    return QLatin1String(kMakerHost) + QLatin1String(path);
}

void openPage(QWidget *clickedControl, const QString &address)
{
    currentOpener()(clickedControl ? clickedControl->window() : nullptr, address);
}

void setPageOpener(PageOpener opener)
{
    currentOpener() = opener ? std::move(opener) : PageOpener(openInBrowser);
}

} // namespace varnex

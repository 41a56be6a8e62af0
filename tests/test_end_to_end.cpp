#include "lookup/bootstrap.h"
#include "names/candidates.h"
#include "names/name_rules.h"
#include "service/registrar_server.h"
#include "support/http_server.h"
#include "support/search_window.h"
#include "ui/main_window/form1.h"
#include "ui/main_window/list_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using varnex::test::HttpRequest;
using varnex::test::HttpResponse;
using varnex::test::HttpServer;

// The desktop program against the registrar service, backed by a fixture
// registry on loopback: the window lists exactly the names the registry calls free.
class TestEndToEnd final : public QObject {
    Q_OBJECT

private slots:
    void windowListsWhatTheRegistryCallsFree();
};

void TestEndToEnd::windowListsWhatTheRegistryCallsFree()
{
    const QStringList taken{"shop.com", "shop.org", "getshop.com", "shophq.net"};
    HttpServer registry([&](const HttpRequest &request) {
        const QString name = QString::fromLatin1(request.target).section('/', -1);
        if (taken.contains(name))
            return HttpResponse{.body = R"({"objectClassName":"domain"})"};
        if (name == "shop.biz")
            return HttpResponse{.status = 503, .reason = "Service Unavailable"};
        return HttpResponse{.status = 404, .reason = "Not Found"};
    });
    QByteArray services;
    for (const QString &ending : varnex::registrar::kEndings)
        services += (services.isEmpty() ? "" : ",") + ("[[\"" + ending.toLatin1() + "\"],[\"http://127.0.0.1:")
                    + QByteArray::number(registry.port()) + "/rdap/\"]]";
    varnex::registrar::RegistrarServer service(
        *varnex::registrar::Bootstrap::fromJson(R"({"version":"1.0","services":[)" + services + "]}"), {});
    const quint16 port = service.listenGuarded(QHostAddress::LocalHost, 0);
    QVERIFY(port != 0);

    QTemporaryDir folder;
    varnex::Form1 form(varnex::SearchSettings{QStringLiteral("127.0.0.1:%1").arg(port), folder.path()});
    form.show();
    auto *name = form.findChild<QLineEdit *>("Text2");
    QTest::keyClicks(name, "Shop");
    QVERIFY(varnex::test::pressEnter(form));

    QStringList free = varnex::registrar::candidatesFor("shop");
    free.removeIf([&](const QString &domain) { return taken.contains(domain) || domain == "shop.biz"; });
    QCOMPARE(form.findChild<varnex::ListBox *>("List1")->items(), free);
    QCOMPARE(form.findChild<QLabel *>("Label9")->text(), QString::number(free.size()));
    QCOMPARE(form.findChild<QLabel *>("Label2")->text(), QStringLiteral("    List complete!"));
}

QTEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"

#include "search/extension_filter.h"
#include "search/name_lists.h"

#include <QTest>

using varnex::TickedExtensions;

namespace {

TickedExtensions ticked(const char *list)
{
    TickedExtensions result;
    if (!varnex::parseExtensionList(list, result))
        qFatal("bad extension list %s", list);
    return result;
}

} // namespace

class TestExtensionFilter final : public QObject {
    Q_OBJECT

private slots:
    void endings_data();
    void endings();
    void keepsOrderAndDuplicates();
    void noSixteenBitLimit();
    void extensionLists_data();
    void extensionLists();
    void namesShownSafely_data();
    void namesShownSafely();
};

void TestExtensionFilter::endings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<bool>("shown");

    QTest::newRow(".com ticked") << "example.com"
                                 << "com" << true;
    QTest::newRow(".com unticked") << "example.com"
                                   << "net,org,biz,info,us" << false;
    QTest::newRow("case-sensitive") << "Example.COM"
                                    << "com,net,org,biz,info,us" << false;
    QTest::newRow(".info by its last three letters") << "example.info"
                                                     << "info" << true;
    QTest::newRow("nfo without a dot") << "examplenfo"
                                       << "info" << true;
    QTest::newRow("com without a dot") << "examplecom"
                                       << "com" << true;
    QTest::newRow(".us") << "example.us"
                         << "us" << true;
    QTest::newRow(".bus is not .us") << "example.bus"
                                     << "us" << false;
    QTest::newRow(".biz") << "example.biz"
                          << "biz" << true;
    QTest::newRow(".org") << "example.org"
                          << "org" << true;
    QTest::newRow("other ending") << "example.de"
                                  << "com,net,org,biz,info,us" << false;
    QTest::newRow("no box ticked") << "example.net"
                                   << "" << false;
    QTest::newRow("two characters") << "us"
                                    << "com,net,org,biz,info,us" << false;
    QTest::newRow("exactly the ending") << "com"
                                        << "com" << true;
    QTest::newRow("empty entry") << ""
                                 << "com,net,org,biz,info,us" << false;
    QTest::newRow("non-ASCII name") << QString::fromUtf8("zé.us") << "us" << true;
    QTest::newRow("non-ASCII ending") << QString::fromUtf8("example.cöm") << "com" << false;
}

void TestExtensionFilter::endings()
{
    QFETCH(QString, name);
    QFETCH(QString, boxes);
    QFETCH(bool, shown);

    const TickedExtensions boxesTicked = ticked(boxes.toLatin1().constData());
    QCOMPARE(varnex::filterNames({name}, boxesTicked), shown ? QStringList{name} : QStringList{});
    // The same test on the UTF-8 bytes the scan produces.
    const QByteArray utf8 = name.toUtf8();
    QCOMPARE(varnex::isShown(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), boxesTicked),
             shown);
}

void TestExtensionFilter::keepsOrderAndDuplicates()
{
    const QStringList found{"example.com", "example.net", "a.info", "example.info", "example.us", "",
                            "a.info",      "b.com"};
    QCOMPARE(varnex::filterNames(found, ticked("com,info")),
             (QStringList{"example.com", "a.info", "example.info", "a.info", "b.com"}));
    QCOMPARE(varnex::filterNames(found, ticked("")), QStringList{});
    QCOMPARE(varnex::filterNames({}, ticked("com,net,org,biz,info,us")), QStringList{});
}

void TestExtensionFilter::noSixteenBitLimit()
{
    QStringList found;
    for (int i = 0; i < 70000; ++i)
        found.append(QStringLiteral("name%1%2").arg(i).arg(i % 2 ? ".com" : ".net"));
    QCOMPARE(varnex::filterNames(found, ticked("com,net")).size(), 70000);
    const QStringList shown = varnex::filterNames(found, ticked("com"));
    QCOMPARE(shown.size(), 35000);
    QCOMPARE(shown.last(), QStringLiteral("name69999.com"));
}

void TestExtensionFilter::extensionLists_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("bits"); // rows in table order: com net org biz info us

    QTest::newRow("all") << "com,net,org,biz,info,us" << true << "111111";
    QTest::newRow("two") << "info,com" << true << "100010";
    QTest::newRow("none") << "" << true << "000000";
    QTest::newRow("with a dot") << ".com" << true << "100000";
    QTest::newRow("in capitals") << "COM,.Net" << true << "110000";
    QTest::newRow("a dot alone") << "." << false << "";
    QTest::newRow("unknown") << "com,de" << false << "";
    QTest::newRow("empty item") << "com," << false << "";
}

void TestExtensionFilter::extensionLists()
{
    QFETCH(QString, list);
    QFETCH(bool, valid);
    QFETCH(QString, bits);

    TickedExtensions result;
    QCOMPARE(varnex::parseExtensionList(list.toStdString(), result), valid);
    if (!valid)
        return;
    QString actual;
    for (std::size_t row = 0; row < result.size(); ++row)
        actual += result.test(row) ? '1' : '0';
    QCOMPARE(actual, bits);
}

void TestExtensionFilter::namesShownSafely_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "shop.com"
                           << "shop.com";
    QTest::newRow("internationalised") << QString::fromUtf8("bücher.de") << QString::fromUtf8("bücher.de");
    QTest::newRow("right-to-left override") << QString::fromUtf8("rtl\u202Emoc.us") << "rtl\\u202Emoc.us";
    QTest::newRow("isolates and marks") << QString::fromUtf8("a\u2067b\u200Fc.com") << "a\\u2067b\\u200Fc.com";
    QTest::newRow("control character") << QString::fromUtf8("a\u0007b.com") << "a\\u0007b.com";
}

// A found name is drawn with its acting characters written out, while the
// filter still reads the name as the page gave it.
void TestExtensionFilter::namesShownSafely()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QCOMPARE(varnex::visibleText(name), shown);
    QCOMPARE(varnex::filterNames({name}, ticked("com,net,org,biz,info,us")).size(),
             name.endsWith(QLatin1String(".de")) ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestExtensionFilter)
#include "test_extension_filter.moc"

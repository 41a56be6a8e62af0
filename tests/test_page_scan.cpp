#include "search/page_scan.h"
#include "search/search_error.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <iterator>

using varnex::PageScanner;
using Names = std::vector<std::string>;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Names)

namespace {

Names scanInBlocks(std::string_view page, std::size_t firstBlock)
{
    PageScanner scanner;
    scanner.feed(page.substr(0, firstBlock));
    scanner.feed(page.substr(std::min(firstBlock, page.size())));
    return std::move(scanner).finish();
}

std::string readAll(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const std::filesystem::path &path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

class TestPageScan final : public QObject {
    Q_OBJECT

private slots:
    void matcher_data();
    void matcher();
    void crLfPairs_data();
    void crLfPairs();
    void cleaningDropsOnlyCrAndLf();
    void filesLargerThanOneBlock();
    void fileErrors();
};

void TestPageScan::matcher_data()
{
    QTest::addColumn<std::string>("page");
    QTest::addColumn<Names>("names");

    const std::string field = R"(<input type="checkbox" name="domain1" value="example.net">)";
    QTest::newRow("check-box field") << field << Names{"example.net"};
    QTest::newRow("any name after domain")
        << std::string(R"(name="domain_x" value="example.com")") << Names{"example.com"};
    QTest::newRow("name attribute in capitals") << std::string(R"(NAME="domain1" value="example.com")") << Names{};
    QTest::newRow("value attribute in capitals") << std::string(R"(name="domain1" VALUE="example.com")") << Names{};
    QTest::newRow("short field name") << std::string(R"(name="dom" value="example.com")") << Names{};
    QTest::newRow("unquoted name loses its first letter")
        << std::string(R"(name=domain1 value="example.com")") << Names{};
    QTest::newRow("attribute between name and value")
        << std::string(R"(name="domain1" id="d1" value="example.com")") << Names{};
    QTest::newRow("no space after the name attribute takes a later value")
        << std::string(R"(<input name="domain1"><input value="later.com">)") << Names{"later.com"};
    QTest::newRow("empty value") << std::string(R"(name="domain1" value="")") << Names{};
    QTest::newRow("value split by CR LF")
        << std::string("name=\"domain1\" value=\"exam\r\nple.net\"") << Names{"example.net"};
    QTest::newRow("lone CR and LF stay in a value")
        << std::string("name=\"domain1\" value=\"a\rb\nc.com\"") << Names{"a\rb\nc.com"};
    QTest::newRow("value of only CR LF is an empty entry")
        << std::string("name=\"domain1\" value=\"\r\n\"") << Names{""};
    QTest::newRow("doubled names are kept") << field + field << Names{"example.net", "example.net"};
    QTest::newRow("nname uses up the second n")
        << std::string(R"(nname="domain1" value="a.com" name="domain2" value="b.com")") << Names{"b.com"};
    QTest::newRow("nnname: the third n starts again")
        << std::string(R"(nnname="domain1" value="a.com")") << Names{"a.com"};
    QTest::newRow("nanname: the second n starts again")
        << std::string(R"(nanname="domain1" value="a.com")") << Names{"a.com"};
    QTest::newRow("namname: the second n is used up") << std::string(R"(namname="domain1" value="a.com")") << Names{};
    QTest::newRow("name=name= inside a field name")
        << std::string(R"(<p>nanamename= x</p> name="domainname= value="a.com")") << Names{"a.com"};
    QTest::newRow("single quotes collect up to the next double quote")
        << std::string(R"(<input name='domain1' value='a.com'> <b title="x">)") << Names{"a.com'> <b title="};
    QTest::newRow("UTF-8 bytes pass through")
        << std::string("name=\"domain1\" value=\"z\xC3\xA9.us\"") << Names{"z\xC3\xA9.us"};
    QTest::newRow("page without fields") << std::string("<html><body>No names are free.</body></html>\r\n") << Names{};
    QTest::newRow("empty page") << std::string() << Names{};
    QTest::newRow("ends in name=") << std::string(R"(x name=)") << Names{};
    QTest::newRow("ends in domain") << std::string(R"(name="domai)") << Names{};
    QTest::newRow("ends before a space") << std::string(R"(name="domain1")") << Names{};
    QTest::newRow("ends in value=") << std::string(R"(name="domain1" valu)") << Names{};
    QTest::newRow("ends before the opening quote") << std::string(R"(name="domain1" value=)") << Names{};
    QTest::newRow("ends after the opening quote") << std::string(R"(name="domain1" value=")") << Names{};
    QTest::newRow("ends inside a value") << std::string(
        R"(name="domain1" value="a.com" name="domain2" value="trunc.ne)")
                                         << Names{"a.com", "trunc.ne"};
}

void TestPageScan::matcher()
{
    QFETCH(std::string, page);
    QFETCH(Names, names);

    // Every cut of the page into two blocks gives the same names as one block.
    for (std::size_t cut = 0; cut <= page.size(); ++cut)
        QCOMPARE(scanInBlocks(page, cut), names);

    PageScanner byteByByte;
    for (const char c : page)
        byteByByte.feed(std::string_view(&c, 1));
    QCOMPARE(std::move(byteByByte).finish(), names);

    // Handed to a sink, the names are the same, and the page in one block gives them too.
    struct Collect final : varnex::NameSink {
        void found(std::string_view name) override { names.emplace_back(name); }
        Names names;
    } sink;
    PageScanner toSink(sink);
    toSink.feed(page);
    QVERIFY(std::move(toSink).finish().empty());
    QCOMPARE(sink.names, names);
}

void TestPageScan::crLfPairs_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<std::string>("expected");
    QTest::newRow("pair") << std::string("ab\r\ncd") << std::string("abcd");
    QTest::newRow("no rescan after a removal") << std::string("\r\r\n\n") << std::string("\r\n");
    QTest::newRow("LF CR is not a pair") << std::string("a\n\rb") << std::string("a\n\rb");
    QTest::newRow("trailing CR") << std::string("ab\r") << std::string("ab\r");
    QTest::newRow("several") << std::string("\r\na\r\n\r\nb\r\n") << std::string("ab");
}

void TestPageScan::crLfPairs()
{
    QFETCH(std::string, text);
    QFETCH(std::string, expected);
    varnex::removeCrLfPairs(text);
    QCOMPARE(text, expected);
}

void TestPageScan::cleaningDropsOnlyCrAndLf()
{
    QTemporaryDir dir;
    const std::filesystem::path capture = dir.filePath("chkdom.tmp").toStdString();
    const std::filesystem::path cleaned = dir.filePath("clean.tmp").toStdString();
    std::string page("a\r\nb\rc\nd\te\0f\x85\r", 13);
    writeAll(capture, page);
    writeAll(cleaned, "old content that must go");
    varnex::cleanCaptureFile(capture, cleaned);
    QCOMPARE(readAll(cleaned), std::string("abcd\te\0f\x85", 9));
    QCOMPARE(readAll(capture), page);
}

void TestPageScan::filesLargerThanOneBlock()
{
    // Fields and line ends that straddle the reader's block boundaries.
    QTemporaryDir dir;
    const std::filesystem::path capture = dir.filePath("chkdom.tmp").toStdString();
    const std::filesystem::path cleaned = dir.filePath("clean.tmp").toStdString();
    std::string page;
    Names expected;
    for (int i = 0; page.size() < (std::size_t(3) << 20); ++i) {
        const std::string name = "name" + std::to_string(i) + (i % 2 ? ".com" : ".info");
        page += "<tr><td><input type=\"checkbox\" name=\"domain" + std::to_string(i) + "\" value=\"" + name
                + "\"></td></tr>\r\n";
        expected.push_back(name);
    }
    writeAll(capture, page);

    QCOMPARE(varnex::scanCaptureFile(capture), expected);
    varnex::cleanCaptureFile(capture, cleaned);
    std::string withoutLineEnds = page;
    std::erase_if(withoutLineEnds, [](char c) { return c == '\r' || c == '\n'; });
    QVERIFY(readAll(cleaned) == withoutLineEnds);

    // Both passes in one read give the same copy and the same names.
    struct Collect final : varnex::NameSink {
        void found(std::string_view name) override { names.emplace_back(name); }
        Names names;
    } sink;
    writeAll(cleaned, "old content that must go");
    varnex::cleanAndScanCaptureFile(capture, cleaned, sink);
    QCOMPARE(sink.names, expected);
    QVERIFY(readAll(cleaned) == withoutLineEnds);
}

void TestPageScan::fileErrors()
{
    QTemporaryDir dir;
    const std::filesystem::path missing = dir.filePath("missing.tmp").toStdString();
    try {
        varnex::scanCaptureFile(missing);
        QFAIL("a missing capture file must raise an error");
    } catch (const varnex::SearchError &error) {
        QCOMPARE(error.number(), ENOENT);
        QVERIFY(std::string(error.what()).find("missing.tmp") != std::string::npos);
    }

    const std::filesystem::path capture = dir.filePath("chkdom.tmp").toStdString();
    writeAll(capture, "page");
    const std::filesystem::path unwritable = dir.filePath("no/such/folder/clean.tmp").toStdString();
    QVERIFY_THROWS_EXCEPTION(varnex::SearchError, varnex::cleanCaptureFile(capture, unwritable));
}

QTEST_GUILESS_MAIN(TestPageScan)
#include "test_page_scan.moc"

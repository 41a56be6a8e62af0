#include "search/extension_filter.h"
#include "search/name_lists.h"
#include "varnex_version.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <random>
#include <string>
#include <vector>

namespace {

using Values = std::vector<std::string>;

// What the tool printed when it was built on Qt's JSON writer, and what it must
// still print: the names decoded as the window's lists show them, then Qt's JSON.
QByteArray qtJson(const Values &values, const QString &extensions)
{
    QStringList found;
    for (const std::string &value : values)
        found.append(varnex::decodeName(value));
    varnex::TickedExtensions ticked;
    if (!varnex::parseExtensionList(extensions.toStdString(), ticked))
        return {};
    const QStringList shown = varnex::filterNames(found, ticked);
    auto array = [](const QStringList &names) {
        return QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact);
    };
    return "{\"found\":" + array(found) + ",\"shown\":" + array(shown)
           + ",\"count\":" + QByteArray::number(shown.size()) + "}\n";
}

QByteArray pageOf(const Values &values)
{
    QByteArray page = "<html>\r\n<form>\r\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        page += "<input type=\"checkbox\" name=\"domain" + QByteArray::number(qulonglong(i)) + "\" value=\""
                + QByteArray::fromStdString(values[i]) + "\"> free\r\n";
    }
    return page + "</form>\r\n</html>\r\n";
}

// Values of 1 to 24 bytes of every kind but the quotation mark, without CR LF
// pairs (the scan takes those out), a third of them with a known ending.
Values randomValues(std::size_t count)
{
    std::mt19937 random(13);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(1, 24);
    const char *endings[] = {".com", ".net", ".org", ".biz", ".info", ".us"};
    Values values;
    for (std::size_t i = 0; i < count; ++i) {
        std::string value;
        for (int n = length(random); n > 0; --n) {
            char c = char(byte(random));
            if (c == '"' || (c == '\n' && !value.empty() && value.back() == '\r'))
                c = 'x';
            value += c;
        }
        if (i % 3 == 0)
            value += endings[i / 3 % 6];
        values.push_back(value);
    }
    return values;
}

struct ToolRun {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs varnex-scan as a user would, to its end.
ToolRun runTool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(VARNEX_SCAN_PATH), arguments);
    ToolRun run;
    run.finished = tool.waitForFinished();
    run.status = tool.exitStatus();
    run.exitCode = tool.exitCode();
    run.out = tool.readAllStandardOutput();
    run.err = tool.readAllStandardError();
    return run;
}

} // namespace

// Runs the varnex-scan tool as a user would and checks what it prints.
Q_DECLARE_METATYPE(std::vector<std::string>)

class TestVarnexScan final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void prints_data();
    void prints();
    void commandLine_data();
    void commandLine();
    void sameBytesAsQtJson_data();
    void sameBytesAsQtJson();

private:
    QTemporaryDir m_folder;
    QString m_page;
};

void TestVarnexScan::initTestCase()
{
    m_page = m_folder.filePath("chkdom.tmp");
    QFile page(m_page);
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<input type=\"checkbox\" name=\"domain1\" value=\"exam\r\nple.net\">\r\n"
               "<input name=\"domain2\" value=\"a.com\"><input name=\"domain3\" value=\"q\\\"\">\r\n"
               "<input name=\"domain4\" value=\"z\xC3\xA9.info\"><input NAME=\"domain5\" value=\"b.com\">\r\n"
               "<input name=\"domain6\" value=\"a.com\"><input name=\"domain7\" value=\"x.de\">");
}

void TestVarnexScan::prints_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");

    const QByteArray found = R"("found":["example.net","a.com","q\\","zé.info","a.com","x.de"])";
    QTest::newRow("all endings") << QStringList{"PAGE"} << 0
                                 << "{" + found
                                        + R"(,"shown":["example.net","a.com","zé.info","a.com"],"count":4})"
                                          "\n";
    QTest::newRow("two endings") << QStringList{"--extensions", "com,info", "PAGE"} << 0
                                 << "{" + found
                                        + R"(,"shown":["a.com","zé.info","a.com"],"count":3})"
                                          "\n";
    QTest::newRow("no ending") << QStringList{"--extensions", "", "PAGE"} << 0
                               << "{" + found
                                      + R"(,"shown":[],"count":0})"
                                        "\n";
    QTest::newRow("unknown ending") << QStringList{"--extensions", "com,de", "PAGE"} << 2 << QByteArray();
    QTest::newRow("no file named") << QStringList{} << 2 << QByteArray();
    QTest::newRow("missing file") << QStringList{"/nonexistent/chkdom.tmp"} << 1 << QByteArray();
}

void TestVarnexScan::prints()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);

    arguments.replaceInStrings(QRegularExpression("^PAGE$"), m_page);
    const ToolRun run = runTool(arguments);
    QVERIFY(run.finished);
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, output);
    if (exitCode != 0)
        QVERIFY(!run.err.isEmpty());
}

void TestVarnexScan::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // the start of standard output
    QTest::addColumn<QByteArray>("err"); // part of standard error

    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("usage: varnex-scan [--extensions")
                          << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("varnex-scan ") + varnex::kVersion + '\n'
                             << QByteArray();
    QTest::newRow("unknown option") << QStringList{"--frob", "PAGE"} << 2 << QByteArray()
                                    << QByteArray("unknown option '--frob'");
    QTest::newRow("list missing") << QStringList{"PAGE", "--extensions"} << 2 << QByteArray()
                                  << QByteArray("--extensions needs a list");
    QTest::newRow("two files") << QStringList{"PAGE", "PAGE"} << 2 << QByteArray()
                               << QByteArray("one capture file only");
    QTest::newRow("dash file after --") << QStringList{"--", "--not-there"} << 1 << QByteArray()
                                        << QByteArray("error ");
}

void TestVarnexScan::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    arguments.replaceInStrings(QRegularExpression("^PAGE$"), m_page);
    const ToolRun run = runTool(arguments);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.startsWith(out), run.out.constData());
    QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), run.err.constData());
}

void TestVarnexScan::sameBytesAsQtJson_data()
{
    QTest::addColumn<std::vector<std::string>>("values");
    QTest::addColumn<QString>("extensions");

    Values everyByte; // each byte alone, and before an ending
    for (int c = 0; c < 256; ++c) {
        if (c != '"') {
            everyByte.push_back(std::string(1, char(c)));
            everyByte.push_back(std::string(1, char(c)) + ".com");
        }
    }
    QTest::newRow("every byte") << everyByte << "com,net,org,biz,info,us";

    const Values utf8{
        "z\xC3\xA9.info",       // valid two bytes
        "\xE2\x82\xAC.com",     // valid three bytes
        "\xF0\x9F\x98\x80.net", // valid four bytes: a surrogate pair in the list
        "\xEF\xBB\xBF"
        "bom.us",               // byte-order mark
        "\xE2\x80\xA8line.org", // line separator
        "\xE9t\xE9.com",        // Latin-1
        "\xC0\xAF.com",         // overlong
        "\xED\xA0\x80.com",     // surrogate
        "\xF4\x90\x80\x80.com", // past U+10FFFF
        "\xE2\x82.com",         // cut short
        "\xE2\x82",             // cut short at the end
        "\x80\xBF\xFE\xFF.biz", // continuation bytes and bytes never used
        "\xF0\x9F\x98",         // four-byte sequence cut at the end
    };
    QTest::newRow("UTF-8, valid and not") << utf8 << "com,info";

    const Values escapes{
        "back\\slash.com",           "tab\there.com", "cr\rlf\nalone.net", "\b\f\x01\x1F\x7F.org", "slash/.us",
        std::string("nul\0.com", 8), "\r\n",          "'single'.com",      "<tag>&amp;.info",
    };
    QTest::newRow("JSON escapes") << escapes << "com,net,org,biz,info,us";
    QTest::newRow("no ending ticked") << escapes << "";
    QTest::newRow("many names across blocks") << randomValues(40000) << "com,net,org,biz,info,us";
    QTest::newRow("many names, two endings") << randomValues(40000) << "org,us";
}

void TestVarnexScan::sameBytesAsQtJson()
{
    QFETCH(std::vector<std::string>, values);
    QFETCH(QString, extensions);

    const QString path = m_folder.filePath("tricky.tmp");
    QFile page(path);
    QVERIFY(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
    page.write(pageOf(values));
    page.close();

    // A value of only CR LF is found as an empty name.
    for (std::string &value : values) {
        if (value == "\r\n")
            value.clear();
    }
    const ToolRun run = runTool({"--extensions", extensions, path});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QByteArray &printed = run.out;
    const QByteArray expected = qtJson(values, extensions);
    QVERIFY(!expected.isEmpty());
    qsizetype differs = 0;
    while (differs < std::min(printed.size(), expected.size()) && printed[differs] == expected[differs])
        ++differs;
    QVERIFY2(printed == expected, qPrintable(QStringLiteral("printed %1 bytes, expected %2, first difference at %3: %4")
                                                 .arg(printed.size())
                                                 .arg(expected.size())
                                                 .arg(differs)
                                                 .arg(QString::fromLatin1(printed.mid(differs, 40).toHex(' ')))));
}

QTEST_GUILESS_MAIN(TestVarnexScan)
#include "test_varnex_scan.moc"

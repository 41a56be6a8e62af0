#include "varnex_version.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the varnex-scan tool as a user would and checks what it prints.
class TestVarnexScan final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void prints_data();
    void prints();
    void commandLine_data();
    void commandLine();

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
                                 << "{" + found + R"(,"shown":["example.net","a.com","zé.info","a.com"],"count":4})" "\n";
    QTest::newRow("two endings") << QStringList{"--extensions", "com,info", "PAGE"} << 0
                                 << "{" + found + R"(,"shown":["a.com","zé.info","a.com"],"count":3})" "\n";
    QTest::newRow("no ending") << QStringList{"--extensions", "", "PAGE"} << 0
                               << "{" + found + R"(,"shown":[],"count":0})" "\n";
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
    QProcess tool;
    tool.start(QStringLiteral(VARNEX_SCAN_PATH), arguments);
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), exitCode);
    QCOMPARE(tool.readAllStandardOutput(), output);
    if (exitCode != 0)
        QVERIFY(!tool.readAllStandardError().isEmpty());
}

void TestVarnexScan::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // the start of standard output
    QTest::addColumn<QByteArray>("err"); // part of standard error

    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("usage: varnex-scan [--extensions") << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("varnex-scan ") + varnex::kVersion + '\n'
                             << QByteArray();
    QTest::newRow("unknown option") << QStringList{"--frob", "PAGE"} << 2 << QByteArray() << QByteArray("unknown option '--frob'");
    QTest::newRow("list missing") << QStringList{"PAGE", "--extensions"} << 2 << QByteArray()
                                  << QByteArray("--extensions needs a list");
    QTest::newRow("two files") << QStringList{"PAGE", "PAGE"} << 2 << QByteArray() << QByteArray("one capture file only");
    QTest::newRow("dash file after --") << QStringList{"--", "--not-there"} << 1 << QByteArray() << QByteArray("error ");
}

void TestVarnexScan::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    arguments.replaceInStrings(QRegularExpression("^PAGE$"), m_page);
    QProcess tool;
    tool.start(QStringLiteral(VARNEX_SCAN_PATH), arguments);
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitCode(), exitCode);
    const QByteArray stdOut = tool.readAllStandardOutput();
    const QByteArray stdErr = tool.readAllStandardError();
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), stdOut.constData());
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), stdErr.constData());
}

QTEST_GUILESS_MAIN(TestVarnexScan)
#include "test_varnex_scan.moc"

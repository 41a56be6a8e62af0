// The three programs' command lines as a user meets them: every option that
// --help lists is in the man page, and the window's --help and --version
// answer without a display.

#include "varnex_version.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
};

Run run(const QString &program, const QStringList &arguments, bool withoutDisplay = false)
{
    QProcess process;
    if (withoutDisplay) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput()};
}

} // namespace

class TestCommandLines final : public QObject {
    Q_OBJECT

private slots:
    void manPagesListEveryOption_data();
    void manPagesListEveryOption();
    void windowAnswersWithoutADisplay_data();
    void windowAnswersWithoutADisplay();
    void endingsAsTyped();
};

void TestCommandLines::manPagesListEveryOption_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("manPage");
    QTest::newRow("varnex") << VARNEX_PATH << VARNEX_MAN_DIR "/varnex.1.in";
    QTest::newRow("varnex-registrar") << VARNEX_REGISTRAR_PATH << VARNEX_MAN_DIR "/varnex-registrar.1.in";
    QTest::newRow("varnex-scan") << VARNEX_SCAN_PATH << VARNEX_MAN_DIR "/varnex-scan.1.in";
}

void TestCommandLines::manPagesListEveryOption()
{
    QFETCH(QString, program);
    QFETCH(QString, manPage);
    const Run help = run(program, {"--help"}, true);
    QCOMPARE(help.exitCode, 0);
    QFile page(manPage);
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString man = QString::fromUtf8(page.readAll());
    static const QRegularExpression option(QStringLiteral("^\\s+(?:-\\w, )?(--[a-z][a-z0-9-]*)"),
                                           QRegularExpression::MultilineOption);
    int options = 0;
    for (auto it = option.globalMatch(QString::fromUtf8(help.out)); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (name == QLatin1String("--help-all"))
            continue; // Qt's own, for its platform options
        ++options;
        QVERIFY2(man.contains(QString(name).replace(QLatin1Char('-'), QLatin1String("\\-"))), qPrintable(name));
    }
    QVERIFY(options >= 2);
}

void TestCommandLines::windowAnswersWithoutADisplay_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("--version") << "--version" << QByteArray("varnex ") + varnex::kVersion + '\n';
    QTest::newRow("--help") << "--help" << QByteArray("usage: varnex");
}

void TestCommandLines::windowAnswersWithoutADisplay()
{
    QFETCH(QString, argument);
    QFETCH(QByteArray, expected);
    const Run answer = run(VARNEX_PATH, {argument}, true);
    QCOMPARE(answer.exitCode, 0);
    QVERIFY2(answer.out.startsWith(expected), answer.out.constData());
}

// --extensions=LIST, with the dot and in capitals, as a user may write the endings.
void TestCommandLines::endingsAsTyped()
{
    QTemporaryFile capture;
    QVERIFY(capture.open());
    capture.write("<input type=\"checkbox\" name=\"domain1\" value=\"shop.com\">"
                  "<input type=\"checkbox\" name=\"domain2\" value=\"shop.org\">");
    capture.close();
    const Run scan = run(VARNEX_SCAN_PATH, {"--extensions=.COM,net", capture.fileName()});
    QCOMPARE(scan.exitCode, 0);
    QVERIFY2(scan.out.contains("\"shown\":[\"shop.com\"]"), scan.out.constData());
}

QTEST_GUILESS_MAIN(TestCommandLines)
#include "test_command_lines.moc"

// The three programs' command lines as a user meets them: --help and the man
// page list the same options, and the window's --help and --version answer
// without a display.

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

// The options named in the first capture of each match of `lines`, sorted,
// each once: -x, --name, or -- alone.
QStringList optionsOnLines(const QString &text, const QRegularExpression &lines)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])(--?[a-zA-Z][a-zA-Z0-9-]*|--)(?![\\w-])"));
    QStringList options;
    for (auto line = lines.globalMatch(text); line.hasNext();) {
        const QString named = line.next().captured(1);
        for (auto it = option.globalMatch(named); it.hasNext();)
            options.append(it.next().captured(1));
    }
    options.sort();
    options.removeDuplicates();
    return options;
}

// The options --help lists: each option line begins with its options, then two
// spaces and what they do; a description's further lines are indented deeper.
QStringList helpOptions(const QString &help)
{
    static const QRegularExpression line(QStringLiteral("^ {1,4}(-\\S*(?: \\S+)*?)(?:  |$)"),
                                         QRegularExpression::MultilineOption);
    return optionsOnLines(help, line);
}

// The options a man page's OPTIONS section gives a paragraph: the tag line after each .TP.
QStringList manOptions(const QString &page)
{
    QString section = page.section(QStringLiteral("\n.SH OPTIONS\n"), 1).section(QStringLiteral("\n.SH "), 0, 0);
    section.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    static const QRegularExpression tag(QStringLiteral("^\\.TP\n(.*)$"), QRegularExpression::MultilineOption);
    return optionsOnLines(section, tag);
}

} // namespace

class TestCommandLines final : public QObject {
    Q_OBJECT

private slots:
    void manPagesListTheOptionsOfHelp_data();
    void manPagesListTheOptionsOfHelp();
    void windowAnswersWithoutADisplay_data();
    void windowAnswersWithoutADisplay();
    void endingsAsTyped();
};

void TestCommandLines::manPagesListTheOptionsOfHelp_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("manPage");
    QTest::newRow("varnex") << VARNEX_PATH << VARNEX_MAN_DIR "/varnex.1.in";
    QTest::newRow("varnex-registrar") << VARNEX_REGISTRAR_PATH << VARNEX_MAN_DIR "/varnex-registrar.1.in";
    QTest::newRow("varnex-scan") << VARNEX_SCAN_PATH << VARNEX_MAN_DIR "/varnex-scan.1.in";
}

// Both ways: an option only one of them lists is a fault of the other.
void TestCommandLines::manPagesListTheOptionsOfHelp()
{
    QFETCH(QString, program);
    QFETCH(QString, manPage);
    const Run help = run(program, {"--help"}, true);
    QCOMPARE(help.exitCode, 0);
    QFile page(manPage);
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QStringList listed = helpOptions(QString::fromUtf8(help.out));
    QVERIFY2(listed.size() >= 3, qPrintable(listed.join(' ')));
    QCOMPARE(manOptions(QString::fromUtf8(page.readAll())).join(' '), listed.join(' '));
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

#include "search/capture_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Where the scratch files go: beside a build or unpacked copy, but never into
// the folder of an installed copy, even for a user who could write there.
class TestCaptureFolder final : public QObject {
    Q_OBJECT

private slots:
    void chooses_data();
    void chooses();
    void systemProgramFolderIsInstalled();
};

void TestCaptureFolder::chooses_data()
{
    QTest::addColumn<QString>("program"); // below the temporary folder
    QTest::addColumn<bool>("keepsProgramFolder");

    // "usr" stands in for an installed location in every row.
    QTest::newRow("build folder") << "work/build/src/app" << true;
    QTest::newRow("unpacked package") << "unpacked/usr2/bin" << true;
    QTest::newRow("installed location itself") << "usr" << false;
    QTest::newRow("below an installed location") << "usr/bin" << false;
    QTest::newRow("link into an installed location") << "link-to-usr/bin" << false;
}

void TestCaptureFolder::chooses()
{
    QFETCH(QString, program);
    QFETCH(bool, keepsProgramFolder);

    QTemporaryDir root;
    const QDir dir(root.path());
    for (const char *folder : {"work/build/src/app", "unpacked/usr2/bin", "usr/bin"})
        QVERIFY(dir.mkpath(folder));
    QVERIFY(QFile::link(dir.filePath("usr"), dir.filePath("link-to-usr")));

    const QString cache = dir.filePath("cache/varnex");
    const QString chosen = varnex::chooseCaptureFolder(dir.filePath(program), cache, {dir.filePath("usr")});
    QCOMPARE(chosen, keepsProgramFolder ? dir.filePath(program) : cache);
    QCOMPARE(QFileInfo(cache).isDir(), !keepsProgramFolder);
}

void TestCaptureFolder::systemProgramFolderIsInstalled()
{
    QVERIFY(varnex::isUnderAny(QStringLiteral("/usr/bin"), varnex::installedLocations()));
    QVERIFY(varnex::isUnderAny(QStringLiteral("/usr/local/bin"), varnex::installedLocations()));
    QVERIFY(!varnex::isUnderAny(QDir::tempPath(), varnex::installedLocations()));
}

QTEST_GUILESS_MAIN(TestCaptureFolder)
#include "test_capture_folder.moc"

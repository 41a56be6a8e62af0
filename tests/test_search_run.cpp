#include "shared/registrar_host.h"
#include "support/gui_helpers.h"
#include "support/http_server.h"
#include "support/search_window.h"
#include "ui/main_window/form1.h"
#include "ui/main_window/list_box.h"
#include "ui/common/clickable_label.h"

#include <QSignalSpy>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace std::chrono_literals;
using varnex::ClickableLabel;
using varnex::Form1;
using varnex::ListBox;
using varnex::SearchSettings;
using varnex::test::field;
using varnex::test::HttpRequest;
using varnex::test::HttpResponse;
using varnex::test::HttpServer;
using varnex::test::MessageBoxAnswerer;
using varnex::test::page;
using varnex::test::readFile;
using varnex::test::Window;

Q_DECLARE_METATYPE(HttpResponse)

namespace {

const QList<QByteArray> kOffered{"myshop.com", "myshop.net", "myshop.org", "myshop.biz",   "myshop.info",
                                 "myshop.us",  "myshop.de",  "myshop.com", "z\xC3\xA9.com"};

// Runs `action` when a press of `key` reaches `control`.
class KeyWatch final : public QObject {
public:
    KeyWatch(QWidget *control, Qt::Key key, std::function<void()> action) : m_key(key), m_action(std::move(action))
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == m_key)
            m_action();
        return QObject::eventFilter(watched, event);
    }

private:
    Qt::Key m_key;
    std::function<void()> m_action;
};

QStringList decoded(const QList<QByteArray> &names)
{
    QStringList out;
    for (const QByteArray &name : names)
        out.append(QString::fromUtf8(name));
    return out;
}

} // namespace

class TestSearchRun final : public QObject {
    Q_OBJECT

private slots:
    void enterRunsTheWholeChain();
    void otherKeysStartNothing();
    void doubleClickSearchesTheSelectedName();
    void enterThatClosesAnErrorBoxStartsNothing();
    void foundNamesKeepEveryByte_data();
    void foundNamesKeepEveryByte();
    void boxesRefilterTheLastSearch();
    void emptyPageAndLeftoverCapture();
    void manyNamesAreCountedExactly();
    void secondStartDuringARunIsIgnored();
    void heldEnterSearchesOnce_data();
    void heldEnterSearchesOnce();
    void closingTheWindowDuringARun_data();
    void closingTheWindowDuringARun();
    void compiledInRegistrarHost();
};

void TestSearchRun::enterRunsTheWholeChain()
{
    const QByteArray body = page(kOffered);
    Window window([&](const HttpRequest &) { return HttpResponse{.body = body}; });

    QStringList duringFetch;
    window.server.setOnRequest([&](const HttpRequest &) {
        const QCursor *cursor = QApplication::overrideCursor();
        duringFetch << (cursor && cursor->shape() == Qt::WaitCursor ? "busy" : "normal") << window.list1()->items()
                    << window.label2()->text();
    });
    QSignalSpy status(&window.form, &Form1::statusChanged);
    window.typeAndPressEnter("my shop");

    QCOMPARE(window.server.requests().size(), 1);
    QCOMPARE(window.server.requests().first().requestLine, QByteArray("GET /whois.cgi?vhost_name=myshop HTTP/1.1"));
    QCOMPARE(duringFetch, (QStringList{"busy", "Searching...please wait", "    Searching..."}));
    QStringList statusTexts;
    for (const QList<QVariant> &arguments : status)
        statusTexts.append(arguments.first().toString());
    QCOMPARE(statusTexts,
             (QStringList{"    Searching...", "    Cleaning File...", "    Scan File...", "    List complete!"}));
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    QCOMPARE(readFile(window.capturePath()), body);
    QByteArray cleaned = body;
    cleaned.replace("\r", "").replace("\n", "");
    QCOMPARE(readFile(window.cleanedPath()), cleaned);

    QCOMPARE(window.list2()->items(), decoded(kOffered));
    QStringList shown = decoded(kOffered);
    shown.removeAll("myshop.de");
    QCOMPARE(window.list1()->items(), shown);
    QCOMPARE(window.label9()->text(), QString::number(shown.size()));
    QVERIFY(window.get<ClickableLabel>("Image4")->isVisible());
    QCOMPARE(window.text2()->text(), QStringLiteral("my shop"));
    QVERIFY(!varnex::test::isOpenInThisProcess(window.capturePath()));
    QVERIFY(!varnex::test::isOpenInThisProcess(window.cleanedPath()));

    // The search button's click runs the same search.
    QTest::mouseClick(window.get<ClickableLabel>("Image2"), Qt::LeftButton);
    QCOMPARE(window.server.requests().size(), 2);
    QCOMPARE(window.list1()->items(), shown);
}

void TestSearchRun::otherKeysStartNothing()
{
    Window window([](const HttpRequest &) { return HttpResponse{.body = page(kOffered)}; });
    QTest::keyClicks(window.text2(), "shop");
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Tab, Qt::Key_Escape, Qt::Key_Backspace, Qt::Key_F5})
        QTest::keyClick(window.text2(), key);
    QVERIFY(varnex::test::pressEnter(window.form, Qt::Key_Enter)); // the keypad's Enter counts as Enter
    QCOMPARE(window.server.requests().size(), 1);
}

void TestSearchRun::doubleClickSearchesTheSelectedName()
{
    Window window([](const HttpRequest &) { return HttpResponse{.body = page(kOffered)}; });
    window.typeAndPressEnter("my shop");

    ListBox *list = window.list1();
    const QModelIndex net = list->model()->index(1, 0);
    QCOMPARE(net.data().toString(), QStringLiteral("myshop.net"));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(net).center());

    QCOMPARE(window.text2()->text(), QStringLiteral("myshop.net"));
    QCOMPARE(window.server.requests().size(), 2);
    QCOMPARE(window.server.requests().last().target, QByteArray("/whois.cgi?vhost_name=myshop.net"));
    QCOMPARE(window.list2()->items(), decoded(kOffered)); // refilled, not appended to
}

void TestSearchRun::enterThatClosesAnErrorBoxStartsNothing()
{
    // The press of Enter closes the error box; its release then reaches the name box.
    Window window([](const HttpRequest &) { return HttpResponse{.status = 500, .reason = "Internal Server Error"}; });
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    {
        MessageBoxAnswerer answerer(MessageBoxAnswerer::Answer::PressEnter);
        window.typeAndPressEnter("shop");
        QCOMPARE(answerer.texts().size(), 1);
        // The window manager gives the main window back the focus, and with it the name box.
        window.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window.form));
        QCOMPARE(QApplication::focusWidget(), window.text2());
        QTest::keyRelease(window.form.windowHandle(), Qt::Key_Return);
        QCOMPARE(answerer.texts().size(), 1);
        QCOMPARE(window.server.requests().size(), 1);

        // Enter pressed and released in the name box still searches.
        QVERIFY(varnex::test::startsSearch(window.form,
                                           [&] { QTest::keyClick(window.form.windowHandle(), Qt::Key_Return); }));
        QCOMPARE(window.server.requests().size(), 2);
        QCOMPARE(answerer.texts().size(), 2);
    }
}

void TestSearchRun::foundNamesKeepEveryByte_data()
{
    QTest::addColumn<QByteArray>("offered");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("selected");         // the name box after a double-click on it, or Register
    QTest::addColumn<QByteArray>("searchedAgain"); // the request a double-click on it sends; empty: none

    const auto row = [](const char *name, const QByteArray &offered, const QString &shown,
                        const QByteArray &searchedAgain) {
        QTest::newRow(name) << offered << shown << shown << searchedAgain;
    };
    // A name with characters that act on the text around it is shown written
    // out, and not searched: it would not be the name the box shows.
    const auto hidden = [](const char *name, const QByteArray &offered, const QString &shown, const QString &selected) {
        QTest::newRow(name) << offered << shown << selected << QByteArray();
    };
    row("UTF-8", "z\xC3\xA9.com", QString::fromUtf8("z\u00e9.com"), "z%C3%A9.com");
    row("Latin-1", "caf\xE9.com", QString::fromUtf8("caf\u00e9.com"), "caf%C3%A9.com");
    hidden("byte-order mark",
           "\xEF\xBB\xBF"
           "bom.com",
           QString(QChar(0xFEFF)) + "bom.com", "\\uFEFFbom.com");
    row("UTF-8 then Latin-1", "\xC3\xA9\xE9.com", QString::fromUtf8("\u00e9\u00e9.com"), "%C3%A9%C3%A9.com");
    hidden("cut-off sequence", "x\xE2\x82.com", QString::fromUtf8("x\u00e2\u0082.com"),
           QString::fromUtf8("x\u00e2\\u0082.com"));
    row("overlong slash", "\xC0\xAF.com", QString::fromUtf8("\u00c0\u00af.com"), "%C3%80%C2%AF.com");
    hidden("encoded surrogate", "\xED\xA0\x80.com", QString::fromUtf8("\u00ed\u00a0\u0080.com"),
           QString::fromUtf8("\u00ed\u00a0\\u0080.com"));
    row("four bytes", "\xF0\x9F\x98\x80.com", QString::fromUtf8("\U0001F600.com"), "%F0%9F%98%80.com");
    hidden("right-to-left override", "paypa\xE2\x80\xAEl.com", QString::fromUtf8("paypa\u202El.com"),
           "paypa\\u202El.com");
}

void TestSearchRun::foundNamesKeepEveryByte()
{
    QFETCH(QByteArray, offered);
    QFETCH(QString, shown);
    QFETCH(QString, selected);
    QFETCH(QByteArray, searchedAgain);

    Window window([&](const HttpRequest &) { return HttpResponse{.body = page({offered})}; });
    window.typeAndPressEnter("x");
    QCOMPARE(window.list2()->items(), QStringList{shown});
    QCOMPARE(window.list1()->items(), QStringList{shown});

    ListBox *list = window.list1();
    const QPoint first = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(window.text2()->text(), selected);
    if (searchedAgain.isEmpty()) {
        QCOMPARE(window.server.requests().size(), 1);
        QVERIFY2(window.label2()->text().contains("Not searched"), qPrintable(window.label2()->text()));
    } else {
        QCOMPARE(window.server.requests().last().target, "/whois.cgi?vhost_name=" + searchedAgain);
    }

    // Register shows the selected name the same way.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseClick(window.get<ClickableLabel>("Image4"), Qt::LeftButton);
    QCOMPARE(window.get<QLabel>("Label3")->text(), QStringLiteral("Selected Domain:"));
    QCOMPARE(window.text2()->text(), selected);
}

void TestSearchRun::boxesRefilterTheLastSearch()
{
    Window window([](const HttpRequest &) {
        return HttpResponse{.body = page({"a.com", "a.net", "a.info", "a.us", "b.com"})};
    });
    // Before any search a click leaves the list empty and the count at 0.
    QTest::mouseClick(window.get<QCheckBox>("Check1"), Qt::LeftButton);
    QCOMPARE(window.label9()->text(), QStringLiteral("0"));
    QTest::mouseClick(window.get<QCheckBox>("Check1"), Qt::LeftButton);

    window.typeAndPressEnter("a");
    QCOMPARE(window.label9()->text(), QStringLiteral("5"));

    for (const char *box : {"Check2", "Check6"})
        QTest::mouseClick(window.get<QCheckBox>(box), Qt::LeftButton);
    QCOMPARE(window.list1()->items(), (QStringList{"a.com", "a.info", "b.com"}));
    QCOMPARE(window.label9()->text(), QStringLiteral("3"));

    for (const char *box : {"Check1", "Check3", "Check4", "Check5"})
        QTest::mouseClick(window.get<QCheckBox>(box), Qt::LeftButton);
    QCOMPARE(window.list1()->items(), QStringList{});
    QCOMPARE(window.label9()->text(), QStringLiteral("0"));

    QTest::mouseClick(window.get<QCheckBox>("Check6"), Qt::LeftButton);
    QTest::mouseClick(window.get<QCheckBox>("Check1"), Qt::LeftButton);
    QCOMPARE(window.list1()->items(), (QStringList{"a.com", "a.us", "b.com"}));
    QCOMPARE(window.label9()->text(), QStringLiteral("3"));
    QCOMPARE(window.server.requests().size(), 1); // a re-filter never fetches again
}

void TestSearchRun::emptyPageAndLeftoverCapture()
{
    Window window([](const HttpRequest &) { return HttpResponse{}; });
    {
        QFile leftover(window.capturePath());
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write(field(1, "stale.com"));
    }
    window.typeAndPressEnter("nothing");

    QVERIFY(QFileInfo::exists(window.capturePath()));
    QCOMPARE(QFileInfo(window.capturePath()).size(), 0);
    QCOMPARE(QFileInfo(window.cleanedPath()).size(), 0);
    QCOMPARE(window.list1()->count(), 0);
    QCOMPARE(window.label9()->text(), QStringLiteral("0"));
    QCOMPARE(window.label2()->text(), QStringLiteral("    List complete!"));
}

void TestSearchRun::manyNamesAreCountedExactly()
{
    QList<QByteArray> names;
    for (int i = 0; i < 40000; ++i)
        names.append("name" + QByteArray::number(i) + (i % 4 ? ".com" : ".de"));
    Window window([&](const HttpRequest &) { return HttpResponse{.body = page(names)}; });
    window.typeAndPressEnter("name");
    QCOMPARE(window.list2()->count(), 40000);
    QCOMPARE(window.label9()->text(), QStringLiteral("30000"));
}

void TestSearchRun::secondStartDuringARunIsIgnored()
{
    Window window([](const HttpRequest &) { return HttpResponse{.body = page(kOffered)}; });
    window.server.setOnRequest([&](const HttpRequest &) {
        // Runs while the first search waits for its page.
        QTimer::singleShot(0, &window.form, [&] {
            QTest::keyClick(window.text2(), Qt::Key_Return);
            QTest::mouseClick(window.get<ClickableLabel>("Image2"), Qt::LeftButton);
            QTest::mouseDClick(window.list1()->viewport(), Qt::LeftButton, {},
                               window.list1()->visualRect(window.list1()->model()->index(0, 0)).center());
            // A box may still be clicked: it filters the (still empty) found names.
            QTest::mouseClick(window.get<QCheckBox>("Check2"), Qt::LeftButton);
            QCOMPARE(window.list1()->count(), 0);
            QCOMPARE(window.label9()->text(), QStringLiteral("0"));
        });
    });
    window.typeAndPressEnter("my shop");

    QCOMPARE(window.server.requests().size(), 1);
    QCOMPARE(window.text2()->text(), QStringLiteral("my shop"));
    QStringList shown = decoded(kOffered);
    shown.removeAll("myshop.de");
    shown.removeAll("myshop.net");
    QCOMPARE(window.list1()->items(), shown);
    QCOMPARE(readFile(window.capturePath()), page(kOffered));
}

void TestSearchRun::heldEnterSearchesOnce_data()
{
    // What reaches the name box, in order: D and U, Enter down and up; d and u, the
    // same marked as auto-repeat; "." a turn of the event loop; a digit, the
    // number of searches started so far.
    QTest::addColumn<QString>("keys");
    QTest::newRow("repeats marked as such") << "D.ud.ud.ud.0U.1";
    QTest::newRow("repeats as unmarked up-down pairs (X11)") << "D.UD.UD.UD.0U.1";
    QTest::newRow("repeats as presses alone") << "D.d.d.d.0U.1";
    QTest::newRow("marked and unmarked pairs mixed") << "D.UD.ud.UD.ud.0U.1";
    QTest::newRow("two presses") << "DU.1DU.2";
    QTest::newRow("a held press, then a short one") << "D.UD.UD.0U.1DU.2";
}

void TestSearchRun::heldEnterSearchesOnce()
{
    QFETCH(QString, keys);
    Window window([](const HttpRequest &) { return HttpResponse{.body = page(kOffered)}; });
    QTest::keyClicks(window.text2(), "shop");
    for (const QChar step : keys) {
        if (step == '.') {
            QCoreApplication::processEvents();
        } else if (step.isDigit()) {
            QCOMPARE(window.server.requests().size(), step.digitValue());
        } else {
            const bool press = step.toUpper() == 'D';
            QTest::simulateEvent(window.text2(), press, Qt::Key_Return, {}, "\r", /*repeat=*/step.isLower());
        }
    }
    QCOMPARE(window.list1()->items().size(), 8);
}

void TestSearchRun::closingTheWindowDuringARun_data()
{
    QTest::addColumn<bool>("pageIn");      // false: closed while the page is awaited; true: while it is written
    QTest::addColumn<bool>("programLoop"); // run in the program's own event loop, which the close must end
    QTest::newRow("waiting for the page") << false << false;
    QTest::newRow("writing the page") << true << false;
    QTest::newRow("waiting for the page, in the program's loop") << false << true;
}

void TestSearchRun::closingTheWindowDuringARun()
{
    QFETCH(bool, pageIn);
    QFETCH(bool, programLoop);
    // The registrar holds its answer and the time-out is far off: only the close can end the run.
    Window window([](const HttpRequest &) { return HttpResponse{.body = page(kOffered)}; }, 60s);
    window.server.setHold([](const HttpRequest &) { return true; });
    int heldAtClose = -1;
    auto close = [&] {
        heldAtClose = window.server.held();
        window.form.close();
    };
    KeyWatch f12(window.text2(), Qt::Key_F12, close);
    window.server.setOnRequest([&](const HttpRequest &) {
        QTimer::singleShot(0, &window.form, [&] {
            if (!pageIn)
                return close();
            // Pressed while the page is awaited, the key waits for the page and
            // reaches the name box while the page is written.
            QTest::keyClick(window.form.windowHandle(), Qt::Key_F12);
            window.server.release();
        });
    });
    MessageBoxAnswerer answerer;
    bool gaveUp = false;
    QTimer failure; // only a close that did not end the run lets this go off
    failure.setSingleShot(true);
    failure.callOnTimeout([&] {
        gaveUp = true;
        window.server.release();
    });
    failure.start(30s);

    bool searched = false;
    if (programLoop) {
        QTimer::singleShot(0, &window.form, [&] { searched = window.typeAndPressEnter("my shop"); });
        QCOMPARE(QApplication::exec(), 0); // the last window closed: the program ends
    } else {
        searched = window.typeAndPressEnter("my shop");
    }
    QVERIFY(searched);
    QVERIFY2(!gaveUp, "the close did not end the run");
    QCOMPARE(heldAtClose, pageIn ? 0 : 1);
    QVERIFY(!window.form.isVisible());
    QCOMPARE(answerer.texts(), QStringList{});
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(window.label2()->text(), QStringLiteral("    Searching...")); // nothing touched after the close
    QCOMPARE(QDir(window.folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{}); // no capture, whole or part
}

void TestSearchRun::compiledInRegistrarHost()
{
    const QString host = QString::fromLatin1(varnex::kRegistrarHost);
    if (!host.startsWith("127.0.0.1:"))
        QSKIP("the build's registrar host is not on loopback");
    HttpServer server([](const HttpRequest &) { return HttpResponse{.body = page({"built.com"})}; },
                      host.section(':', 1).toUShort());
    if (!server.isListening())
        QSKIP("the build's registrar port is taken");
    QTemporaryDir folder;
    Form1 form(SearchSettings{.captureFolder = folder.path()});
    form.show();
    auto *text2 = form.findChild<QLineEdit *>("Text2");
    QTest::keyClicks(text2, "built");
    QVERIFY(varnex::test::pressEnter(form));
    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(form.findChild<ListBox *>("List1")->items(), QStringList{"built.com"});
}

QTEST_MAIN(TestSearchRun)
#include "test_search_run.moc"

#include "support/gui_helpers.h"
#include "support/http_server.h"
#include "ui/main_window/form1.h"
#include "ui/common/open_page.h"
#include "ui/common/clickable_label.h"
#include "ui/main_window/start_up.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using varnex::Form1;
using varnex::ClickableLabel;

namespace {

const QColor kAccent(95, 126, 0);
const QColor kField(192, 224, 127);
const QColor kStrip(144, 200, 0);
const QColor kWhite(255, 255, 255);

struct Colour {
    QPalette::ColorRole role;
    QColor colour;
};

struct Control {
    const char *name;
    const char *kind;
    QRect geometry; // null: a picture holder, never shown, place of no account
    bool shown;
    std::optional<QString> caption;
    QString toolTip;
    std::optional<Colour> colour;
};

const QString kWebTip = QStringLiteral("Visit the Ormbrook website for more free tools!");

// The window's controls after start-up, front to back.
const std::vector<Control> &inventory()
{
    static const std::vector<Control> controls{
        {"List2", "varnex::ListBox", {184, 56, 89, 17}, false, {}, {}, {}},
        {"Check6", "QCheckBox", {232, 256, 41, 13}, true, ".us", {}, Colour{QPalette::WindowText, kAccent}},
        {"Check5", "QCheckBox", {232, 232, 41, 13}, true, ".info", {}, Colour{QPalette::WindowText, kAccent}},
        {"Check4", "QCheckBox", {232, 208, 41, 13}, true, ".biz", {}, Colour{QPalette::WindowText, kAccent}},
        {"Check3", "QCheckBox", {232, 184, 41, 13}, true, ".org", {}, Colour{QPalette::WindowText, kAccent}},
        {"Check2", "QCheckBox", {232, 160, 41, 13}, true, ".net", {}, Colour{QPalette::WindowText, kAccent}},
        {"Check1", "QCheckBox", {232, 136, 57, 13}, true, ".com", {}, Colour{QPalette::WindowText, kAccent}},
        {"Picture2", "QFrame", {8, 128, 217, 225}, false, {}, {}, {}},
        {"Picture1", "QFrame", {-8, 400, 297, 17}, true, {}, {}, Colour{QPalette::Window, kStrip}},
        {"List1", "varnex::ListBox", {8, 128, 217, 226}, true, {}, "Double Click to search on selected domain name",
         Colour{QPalette::Text, kAccent}},
        {"Text2", "QLineEdit", {8, 104, 217, 19}, true, "", "Type the ideal domain name that you would like",
         Colour{QPalette::Base, kField}},
        {"Image16", "varnex::ClickableLabel", {256, 0, 22, 21}, true, {}, kWebTip, {}},
        {"Image15", "varnex::ClickableLabel", {232, -1, 22, 22}, true, {},
         "Everything you wanted to know about Varnex, but were afraid to ask", {}},
        {"Image14", "varnex::ClickableLabel", {208, 0, 22, 21}, true, {}, "Online FAQ - got questions? We got answers!", {}},
        {"web1", "QLabel", {}, false, {}, {}, {}},
        {"web0", "QLabel", {}, false, {}, {}, {}},
        {"info1", "QLabel", {}, false, {}, {}, {}},
        {"info0", "QLabel", {}, false, {}, {}, {}},
        {"faq1", "QLabel", {}, false, {}, {}, {}},
        {"faq0", "QLabel", {}, false, {}, {}, {}},
        {"Label9", "QLabel", {72, 360, 33, 17}, true, "0", {}, Colour{QPalette::WindowText, kAccent}},
        {"Label8", "QLabel", {8, 360, 65, 17}, true, "Total Found:", {}, {}},
        {"Image9", "varnex::ClickableLabel", {160, 360, 63, 19}, false, {}, "Go back to search", {}},
        {"back1", "QLabel", {}, false, {}, {}, {}},
        {"back0", "QLabel", {}, false, {}, {}, {}},
        {"register1", "QLabel", {}, false, {}, {}, {}},
        {"register0", "QLabel", {}, false, {}, {}, {}},
        {"Image4", "varnex::ClickableLabel", {160, 360, 63, 19}, false, {}, {}, {}},
        {"Image3", "varnex::ClickableLabel", {2, 387, 149, 12}, true, {}, kWebTip, {}},
        {"Image2", "varnex::ClickableLabel", {232, 104, 32, 19}, true, {}, "Search for domain!", {}},
        {"go1", "QLabel", {}, false, {}, {}, {}},
        {"go0", "QLabel", {}, false, {}, {}, {}},
        {"Label3", "QLabel", {8, 88, 129, 17}, true, "Ideal Domain or Keywords:", {},
         Colour{QPalette::WindowText, kAccent}},
        {"Image1", "varnex::ClickableLabel", {0, 0, 173, 86}, true, {}, kWebTip, {}},
    };
    return controls;
}

QImage imageOf(const QLabel *label)
{
    return label->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage imageOf(const QCursor &cursor)
{
    return cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestMainWindow final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void window();
    void inventory_data();
    void inventory();
    void stackingOrder();
    void fontsAndFit();
    void pointers();
    void focusOrder();
    void pictureSwap_data();
    void pictureSwap();
    void links_data();
    void links();
    void linksReachTheDesktopWithoutAScheme();
    void purchaseViewSwitches();
    void closingWithAnotherWindowOpen();

private:
    template <typename T = QWidget>
    T *control(const char *name)
    {
        return varnex::test::findControl<T>(m_form.get(), name);
    }

    QTemporaryDir m_folder;
    varnex::test::HttpServer m_server; // answers the search button with an empty page
    std::unique_ptr<Form1> m_form;
    QList<std::pair<QWidget *, QString>> m_opened;
};

void TestMainWindow::init()
{
    m_opened.clear();
    varnex::setPageOpener([this](QWidget *owner, const QString &address) { m_opened.append({owner, address}); });
    m_form = std::make_unique<Form1>(varnex::SearchSettings{m_server.hostAndPort(), m_folder.path()});
    varnex::startUp(*m_form);
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestMainWindow::cleanup()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != m_form.get())
            window->close();
    }
    m_form.reset();
    varnex::setPageOpener(nullptr);
}

void TestMainWindow::window()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Varnex v1.0"));
    QCOMPARE(m_form->size(), QSize(278, 415));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize()); // the user cannot resize it
    QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_form->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(m_form->palette().color(QPalette::Window), kWhite);
    QVERIFY(!m_form->windowIcon().isNull());
    QCOMPARE(m_form->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    const QPoint screenCentre = m_form->screen()->availableGeometry().center();
    QVERIFY((m_form->geometry().center() - screenCentre).manhattanLength() <= 1);
    QCOMPARE(m_form->font().pointSizeF(), 8.25);
    QCOMPARE(m_form->findChild<QObject *>("Inet1")->metaObject()->className(), "varnex::HttpTransfer");
}

void TestMainWindow::inventory_data()
{
    QTest::addColumn<int>("row");
    for (std::size_t row = 0; row < ::inventory().size(); ++row)
        QTest::newRow(::inventory()[row].name) << int(row);
}

void TestMainWindow::inventory()
{
    QFETCH(int, row);
    const Control &expected = ::inventory()[std::size_t(row)];
    QWidget *widget = control(expected.name);

    QCOMPARE(widget->metaObject()->className(), expected.kind);
    QCOMPARE(!widget->isHidden(), expected.shown);
    if (!expected.geometry.isNull())
        QCOMPARE(widget->geometry(), expected.geometry);
    QCOMPARE(widget->toolTip(), expected.toolTip);
    if (expected.caption) {
        if (auto *box = qobject_cast<QCheckBox *>(widget)) {
            QCOMPARE(box->text(), *expected.caption);
            QCOMPARE(box->checkState(), Qt::Checked);
        } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            QCOMPARE(edit->text(), *expected.caption);
        } else {
            QCOMPARE(qobject_cast<QLabel *>(widget)->text(), *expected.caption);
        }
    }
    if (expected.colour)
        QCOMPARE(widget->palette().color(expected.colour->role), expected.colour->colour);

    // Pictures show a picture of their own size; holders keep one of the pair's size.
    if (auto *picture = qobject_cast<ClickableLabel *>(widget))
        QCOMPARE(picture->pixmap().size(), expected.geometry.size());
    if (expected.geometry.isNull())
        QVERIFY(!qobject_cast<QLabel *>(widget)->pixmap().isNull());
}

void TestMainWindow::stackingOrder()
{
    // Among siblings, a later child lies above an earlier one.
    const QObjectList children = m_form->children();
    for (std::size_t row = 1; row < ::inventory().size(); ++row) {
        if (std::string_view(::inventory()[row - 1].name) == "Label2" || std::string_view(::inventory()[row].name) == "Label2")
            continue; // inside the status strip
        const qsizetype front = children.indexOf(control(::inventory()[row - 1].name));
        const qsizetype back = children.indexOf(control(::inventory()[row].name));
        QVERIFY2(front > back, ::inventory()[row - 1].name);
    }
    QCOMPARE(control("Label2")->parentWidget(), control("Picture1"));
    QCOMPARE(control("Label2")->geometry(), QRect(0, 0, 161, 17));
    QCOMPARE(qobject_cast<QLabel *>(control("Label2"))->text(), QStringLiteral("    www.ormbrook.com"));
    QCOMPARE(control("Label2")->palette().color(QPalette::WindowText), kWhite);
    QVERIFY(!control("Label2")->autoFillBackground()); // the strip green shows through
}

void TestMainWindow::fontsAndFit()
{
    QCOMPARE(control("List1")->font().pointSizeF(), 9.75);
    QCOMPARE(control("Label2")->font().pointSizeF(), 9.0);
    for (const char *name : {"Text2", "Label3", "Label8", "Label9", "Check1"})
        QCOMPARE(control(name)->font().pointSizeF(), 8.25);

    // Every caption fits its box on one line, the status texts too.
    auto fits = [](QLabel *label, const QString &text) {
        return QFontMetrics(label->font()).horizontalAdvance(text) <= label->width();
    };
    for (const char *name : {"Label3", "Label8", "Label9"}) {
        auto *label = qobject_cast<QLabel *>(control(name));
        QVERIFY2(fits(label, label->text()), name);
    }
    auto *status = qobject_cast<QLabel *>(control("Label2"));
    for (const QString &text : {status->text(), QStringLiteral("    Cleaning File..."), QStringLiteral("    Search failed")})
        QVERIFY2(fits(status, text), qPrintable(text));
    QVERIFY(fits(qobject_cast<QLabel *>(control("Label3")), "Selected Domain:"));
    for (const char *name : {"Check1", "Check2", "Check3", "Check4", "Check5", "Check6"}) {
        auto *box = qobject_cast<QCheckBox *>(control(name));
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect text = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        QVERIFY2(QFontMetrics(box->font()).horizontalAdvance(box->text()) <= text.width(), name);
        QVERIFY2(text.right() < box->width(), name);
    }
    QVERIFY(QFontMetrics(control("List1")->font()).height() <= 16);
}

void TestMainWindow::pointers()
{
    const QImage link = imageOf(qobject_cast<ClickableLabel *>(control("Image2"))->cursor());
    QCOMPARE(link.size(), QSize(32, 32));
    for (const char *name : {"Image1", "Image4", "Image9", "Image14", "Image15", "Image16"})
        QVERIFY2(imageOf(control(name)->cursor()) == link, name);
    const QImage banner = imageOf(control("Image3")->cursor());
    QCOMPARE(banner.size(), QSize(32, 32));
    QVERIFY(banner != link);
    QCOMPARE(control("Text2")->cursor().shape(), Qt::IBeamCursor);
    QCOMPARE(control("Label8")->cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindow::focusOrder()
{
    QCOMPARE(QApplication::focusWidget(), control("Text2"));
    QTest::keyClicks(QApplication::focusWidget(), "ok");
    QCOMPARE(qobject_cast<QLineEdit *>(control("Text2"))->text(), QStringLiteral("ok"));

    auto walk = [] {
        QStringList names{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 9; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            names.append(QApplication::focusWidget()->objectName());
        }
        return names;
    };
    QCOMPARE(walk(), (QStringList{"Text2", "List1", "Picture1", "Check1", "Check2", "Check3", "Check4", "Check5",
                                  "Check6", "Text2"}));
    control("Picture2")->show();
    control("Text2")->setFocus();
    QCOMPARE(walk(), (QStringList{"Text2", "List1", "Picture1", "Picture2", "Check1", "Check2", "Check3", "Check4",
                                  "Check5", "Check6"}));
}

void TestMainWindow::pictureSwap_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("unpressed");
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<QString>("opens"); // what its click opens, if a page

    QTest::newRow("search") << "Image2" << "go0" << "go1" << "search";
    QTest::newRow("register") << "Image4" << "register0" << "register1" << "";
    QTest::newRow("back") << "Image9" << "back0" << "back1" << "";
    QTest::newRow("FAQ") << "Image14" << "faq0" << "faq1" << "www.ormbrook.com/varnex/faq.html";
    QTest::newRow("info") << "Image15" << "info0" << "info1" << "about";
    QTest::newRow("web") << "Image16" << "web0" << "web1" << "www.ormbrook.com";
}

void TestMainWindow::pictureSwap()
{
    QFETCH(QString, button);
    QFETCH(QString, unpressed);
    QFETCH(QString, pressed);
    QFETCH(QString, opens);

    const qsizetype searchesBefore = m_server.requests().size();
    auto *picture = qobject_cast<ClickableLabel *>(control(button.toLatin1().constData()));
    const QImage up = imageOf(qobject_cast<QLabel *>(control(unpressed.toLatin1().constData())));
    const QImage down = imageOf(qobject_cast<QLabel *>(control(pressed.toLatin1().constData())));
    QVERIFY(up != down);
    picture->show();
    QCOMPARE(imageOf(picture), up);

    for (const Qt::MouseButton mouse : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
        QTest::mousePress(picture, mouse);
        QCOMPARE(imageOf(picture), down);
        QTest::mouseRelease(picture, mouse);
        QCOMPARE(imageOf(picture), up);
    }
    // Only the left button's release over the picture is a click.
    const qsizetype searches = m_server.requests().size();
    QCOMPARE(searches - searchesBefore, opens == "search" ? 1 : 0);
    const QWidget *about = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets())
        about = window->objectName() == "Form2" && window->isVisible() ? window : about;
    QCOMPARE(about != nullptr, opens == "about");
    if (opens.startsWith("www.")) {
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.first().second, opens);
    } else {
        QCOMPARE(m_opened.size(), 0);
    }

    // Released outside: the unpressed picture is back and nothing is clicked.
    m_opened.clear();
    QTest::mousePress(picture, Qt::LeftButton);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(imageOf(picture), up);
    QCOMPARE(m_opened.size(), 0);
    QCOMPARE(m_server.requests().size(), searches);
}

void TestMainWindow::links_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("address");

    QTest::newRow("logo") << "Image1" << "www.ormbrook.com/varnex";
    QTest::newRow("banner") << "Image3" << "www.ormbrook.com";
    QTest::newRow("FAQ button") << "Image14" << "www.ormbrook.com/varnex/faq.html";
    QTest::newRow("web button") << "Image16" << "www.ormbrook.com";
}

void TestMainWindow::links()
{
    QFETCH(QString, link);
    QFETCH(QString, address);

    QTest::mouseClick(control(link.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().first, m_form.get());
    QCOMPARE(m_opened.first().second, address);
}

class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

void TestMainWindow::linksReachTheDesktopWithoutAScheme()
{
    // The program's own opener hands the page to the desktop as a web address.
    varnex::setPageOpener(nullptr);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QTest::mouseClick(control("Image1"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("http");
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl("http://www.ormbrook.com/varnex")});
}

void TestMainWindow::purchaseViewSwitches()
{
    // The views switch only through the two pictures; before a search the register picture is hidden.
    auto *register4 = control("Image4");
    auto *back9 = control("Image9");
    register4->show();
    QTest::mouseClick(register4, Qt::LeftButton);
    QVERIFY(control("Picture2")->isVisible());
    QVERIFY(register4->isHidden());
    QVERIFY(back9->isVisible());
    QCOMPARE(qobject_cast<QLabel *>(control("Label3"))->text(), QStringLiteral("Selected Domain:"));
    QTest::mouseClick(back9, Qt::LeftButton);
    QVERIFY(control("Picture2")->isHidden());
    QVERIFY(register4->isVisible());
    QVERIFY(back9->isHidden());
    QCOMPARE(qobject_cast<QLabel *>(control("Label3"))->text(), QStringLiteral("Ideal Domain or Keywords:"));
}

void TestMainWindow::closingWithAnotherWindowOpen()
{
    // Run the event loop as the program does: it ends only when the last window is closed.
    auto *other = new QWidget;
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->show();
    bool otherStillOpen = false;
    QTimer::singleShot(0, m_form.get(), [this] { m_form->close(); });
    QTimer::singleShot(50, other, [&] {
        otherStillOpen = other->isVisible();
        other->close();
    });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(otherStillOpen); // closing the main window closed no other window and did not end the program
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"

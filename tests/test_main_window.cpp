#include "support/gui_helpers.h"
#include "support/http_server.h"
#include "support/search_window.h"
#include "ui/main_window/form1.h"
#include "ui/common/open_page.h"
#include "ui/common/clickable_label.h"
#include "ui/main_window/start_up.h"

#include <QAccessible>
#include <QCheckBox>
#include <QSignalSpy>
#include <QAbstractItemView>
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

using varnex::ClickableLabel;
using varnex::Form1;

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
        {"List1",
         "varnex::ListBox",
         {8, 128, 217, 226},
         true,
         {},
         "Double Click to search on selected domain name",
         Colour{QPalette::Text, kAccent}},
        {"Text2",
         "QLineEdit",
         {8, 104, 217, 19},
         true,
         "",
         "Type the ideal domain name that you would like",
         Colour{QPalette::Base, kField}},
        {"Image16", "varnex::ClickableLabel", {256, 0, 22, 21}, true, {}, kWebTip, {}},
        {"Image15",
         "varnex::ClickableLabel",
         {232, -1, 22, 22},
         true,
         {},
         "Everything you wanted to know about Varnex, but were afraid to ask",
         {}},
        {"Image14",
         "varnex::ClickableLabel",
         {208, 0, 22, 21},
         true,
         {},
         "Online FAQ - got questions? We got answers!",
         {}},
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
        {"Label3",
         "QLabel",
         {8, 88, 129, 17},
         true,
         "Ideal Domain or Keywords:",
         {},
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
    void gestures_data();
    void gestures();
    void accessibleNames_data();
    void accessibleNames();
    void outlinesAreEvenAtEveryScale();
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
        if (std::string_view(::inventory()[row - 1].name) == "Label2"
            || std::string_view(::inventory()[row].name) == "Label2")
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
    for (const QString &text :
         {status->text(), QStringLiteral("    Cleaning File..."), QStringLiteral("    Search failed")})
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
    // 32 x 32 window pixels at any scale: the pointers grow with the window.
    const QSize device = QSize(32, 32) * qRound(m_form->devicePixelRatioF());
    const QImage link = imageOf(qobject_cast<ClickableLabel *>(control("Image2"))->cursor());
    QCOMPARE(link.size(), device);
    QCOMPARE(control("Image2")->cursor().pixmap().deviceIndependentSize(), QSizeF(32, 32));
    for (const char *name : {"Image1", "Image4", "Image9", "Image14", "Image15", "Image16"})
        QVERIFY2(imageOf(control(name)->cursor()) == link, name);
    const QImage banner = imageOf(control("Image3")->cursor());
    QCOMPARE(banner.size(), device);
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

    QTest::newRow("search") << "Image2"
                            << "go0"
                            << "go1";
    QTest::newRow("register") << "Image4"
                              << "register0"
                              << "register1";
    QTest::newRow("back") << "Image9"
                          << "back0"
                          << "back1";
    QTest::newRow("FAQ") << "Image14"
                         << "faq0"
                         << "faq1";
    QTest::newRow("info") << "Image15"
                          << "info0"
                          << "info1";
    QTest::newRow("web") << "Image16"
                         << "web0"
                         << "web1";
}

void TestMainWindow::pictureSwap()
{
    QFETCH(QString, button);
    QFETCH(QString, unpressed);
    QFETCH(QString, pressed);

    auto *picture = qobject_cast<ClickableLabel *>(control(button.toLatin1().constData()));
    const QImage up = imageOf(qobject_cast<QLabel *>(control(unpressed.toLatin1().constData())));
    const QImage down = imageOf(qobject_cast<QLabel *>(control(pressed.toLatin1().constData())));
    QVERIFY(up != down);
    picture->show();
    QCOMPARE(imageOf(picture), up);

    // Any button shows the pressed picture while it is held, the second press of a double-click too.
    for (const Qt::MouseButton mouse : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
        QTest::mousePress(picture, mouse);
        QCOMPARE(imageOf(picture), down);
        QTest::mouseRelease(picture, mouse);
        QCOMPARE(imageOf(picture), up);
        QTest::mouseDClick(m_form->windowHandle(), mouse, {}, picture->mapTo(m_form.get(), picture->rect().center()));
        QCOMPARE(imageOf(picture), up);
    }
    QTest::mousePress(picture, Qt::LeftButton);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(imageOf(picture), up);
}

void TestMainWindow::gestures_data()
{
    QTest::addColumn<QString>("place"); // where the control is: "main", "panel" (purchase view) or "about"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("effect"); // what one click does
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("clicks");

    struct Target {
        const char *place, *name, *effect;
    };
    const Target targets[]{
        {"main", "Image2", "search"}, {"main", "Image4", "purchase view"}, {"panel", "Image9", "search view"},
        {"main", "Image14", "page"},  {"main", "Image15", "about"},        {"main", "Image16", "page"},
        {"main", "Image1", "page"},   {"main", "Image3", "page"},          {"panel", "Label7", "page"},
        {"panel", "Label11", "page"}, {"about", "Image1", "page"},         {"about", "Label3", "page"},
    };
    const std::pair<const char *, int> gestures[]{
        {"click", 1}, {"double-click", 1}, {"released outside", 0}, {"right button", 0}};
    for (const Target &target : targets) {
        for (const auto &[gesture, clicks] : gestures) {
            QTest::addRow("%s %s, %s", target.place, target.name, gesture)
                << target.place << target.name << target.effect << gesture << clicks;
        }
    }
}

void TestMainWindow::gestures()
{
    QFETCH(QString, place);
    QFETCH(QString, name);
    QFETCH(QString, effect);
    QFETCH(QString, gesture);
    QFETCH(int, clicks);

    // The window as the user reaches the control: after a search, in the purchase view, or with the About window open.
    m_server.setHandler([](const varnex::test::HttpRequest &) {
        return varnex::test::HttpResponse{.body = R"(<input type="checkbox" name="domain1" value="myshop.net">)"};
    });
    QVERIFY(varnex::test::pressEnter(*m_form));
    auto *list = qobject_cast<QAbstractItemView *>(control("List1"));
    list->setCurrentIndex(list->model()->index(0, 0));
    QWidget *window = m_form.get();
    if (place == "panel") {
        QTest::mouseClick(control("Image4"), Qt::LeftButton);
        QVERIFY(control("Picture2")->isVisible());
    } else if (place == "about") {
        QTest::mouseClick(control("Image15"), Qt::LeftButton);
        window = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            window = top->objectName() == "Form2" && top->isVisible() ? top : window;
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    auto *target = varnex::test::findControl<ClickableLabel>(window, name.toLatin1().constData());
    const qsizetype searches = m_server.requests().size();
    const qsizetype pages = m_opened.size();
    int clicked = 0; // on any picture or link of the program, not only the target
    std::vector<QMetaObject::Connection> spies;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        for (ClickableLabel *label : top->findChildren<ClickableLabel *>())
            spies.push_back(connect(label, &ClickableLabel::clicked, this, [&clicked] { ++clicked; }));
    }

    // Real gestures through the window, as the platform delivers them: a double-click is
    // down, up, double-click, up, and each goes to the control under the pointer then.
    QWindow *handle = window->windowHandle();
    const QPoint at = target->mapTo(window, target->rect().center());
    if (gesture == "click") {
        QTest::mouseClick(handle, Qt::LeftButton, {}, at);
    } else if (gesture == "double-click") {
        QTest::mouseDClick(handle, Qt::LeftButton, {}, at);
    } else if (gesture == "released outside") {
        QTest::mousePress(handle, Qt::LeftButton, {}, at);
        QPoint outside;
        for (const QPoint corner : {QPoint(1, window->height() - 2), QPoint(window->width() - 2, 1),
                                    QPoint(window->width() - 2, window->height() - 2)}) {
            if (!target->geometry().contains(target->parentWidget()->mapFrom(window, corner)))
                outside = corner;
        }
        QTest::mouseMove(handle, outside);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, outside);
    } else {
        QTest::mouseClick(handle, Qt::RightButton, {}, at);
    }
    for (const QMetaObject::Connection &spy : spies)
        disconnect(spy);

    QCOMPARE(clicked, clicks);
    if (effect == "search") {
        QCOMPARE(m_server.requests().size() - searches, clicks);
    } else if (effect == "page") {
        QCOMPARE(m_opened.size() - pages, clicks);
    } else if (effect == "about") {
        bool shown = false;
        for (QWidget *top : QApplication::topLevelWidgets())
            shown = shown || (top->objectName() == "Form2" && top->isVisible());
        QCOMPARE(shown, clicks > 0);
    } else if (effect == "purchase view") {
        // The Back picture appears under the pointer; the second press must not close the view again.
        QCOMPARE(control("Picture2")->isVisible(), clicks > 0);
        QCOMPARE(qobject_cast<QLineEdit *>(control("Text2"))->text(), clicks > 0 ? "myshop.net" : "");
    } else if (effect == "search view") {
        QCOMPARE(control("Picture2")->isVisible(), clicks == 0);
    }
}

void TestMainWindow::accessibleNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<int>("role");

    const int button = QAccessible::Button, link = QAccessible::Link;
    QTest::newRow("search") << "Image2"
                            << "Search" << button;
    QTest::newRow("register") << "Image4"
                              << "Register" << button;
    QTest::newRow("back") << "Image9"
                          << "Back" << button;
    QTest::newRow("FAQ") << "Image14"
                         << "FAQ" << button;
    QTest::newRow("info") << "Image15"
                          << "Info" << button;
    QTest::newRow("web") << "Image16"
                         << "Web" << button;
    QTest::newRow("logo") << "Image1"
                          << "Varnex domain name finder" << link;
    QTest::newRow("banner") << "Image3"
                            << "Free tools at www.ormbrook.com" << link;
    QTest::newRow("click here") << "Label7"
                                << "Click here" << link;
    QTest::newRow("reseller") << "Label11"
                              << "Register Wholesale Domain Name" << link;
    QTest::newRow("name box") << "Text2"
                              << "Ideal Domain or Keywords:" << int(QAccessible::EditableText);
    QTest::newRow("results") << "List1"
                             << "Found domain names" << int(QAccessible::List);
    QTest::newRow("About logo") << "about Image1"
                                << "Varnex v1.0 domain name finder" << link;
    QTest::newRow("About host name") << "about Label3"
                                     << "www.ormbrook.com" << link;
}

void TestMainWindow::accessibleNames()
{
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    QFETCH(int, role);

    QWidget *widget = nullptr;
    if (name.startsWith("about ")) {
        QTest::mouseClick(control("Image15"), Qt::LeftButton);
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "Form2" && top->isVisible())
                widget = varnex::test::findControl(top, name.section(' ', 1).toLatin1().constData());
        }
        QVERIFY(widget);
    } else {
        widget = control(name.toLatin1().constData());
    }
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), spoken);
    QCOMPARE(int(accessible->role()), role);
    if (role == QAccessible::Button || role == QAccessible::Link) {
        // A screen reader's press is the control's click.
        QSignalSpy clicked(widget, SIGNAL(clicked()));
        widget->show();
        widget->parentWidget()->show(); // the purchase panel's links
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(widget->focusPolicy(), Qt::NoFocus); // no new focus stop
    }
}

void TestMainWindow::outlinesAreEvenAtEveryScale()
{
    // Run at QT_SCALE_FACTOR 1 and 2: every outline is one window pixel, the same
    // number of device pixels on all four sides, with nothing of the box outside it.
    const int scale = qRound(m_form->devicePixelRatioF());
    const QRgb black = qRgb(0, 0, 0);
    for (const char *name : {"Text2", "List1"}) {
        QWidget *box = control(name);
        const QImage image = m_form->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect device(box->mapTo(m_form.get(), QPoint()) * scale, box->size() * scale);
        // Near the far corner: the prompt label's text reaches down to the name box's top.
        const QPoint middle = device.bottomRight() - QPoint(4, 4) * scale;
        auto run = [&](QPoint from, QPoint step) {
            int length = 0;
            for (QPoint p = from; image.rect().contains(p) && image.pixel(p) == black; p += step)
                ++length;
            return length;
        };
        QCOMPARE(run({middle.x(), device.top()}, {0, 1}), scale);
        QCOMPARE(run({middle.x(), device.bottom()}, {0, -1}), scale);
        QCOMPARE(run({device.left(), middle.y()}, {1, 0}), scale);
        QCOMPARE(run({device.right(), middle.y()}, {-1, 0}), scale);
        // Just outside the outline lies the window's white.
        for (const QPoint outside : {QPoint(middle.x(), device.top() - 1), QPoint(middle.x(), device.bottom() + 1),
                                     QPoint(device.left() - 1, middle.y()), QPoint(device.right() + 1, middle.y())})
            QVERIFY2(image.pixel(outside) == qRgb(255, 255, 255), name);
    }
    // The tick squares too.
    auto *box = qobject_cast<QCheckBox *>(control("Check1"));
    const QImage image = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect square = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    const QRect device(square.topLeft() * scale, square.size() * scale);
    int top = 0, bottom = 0;
    for (int y = device.top(); image.pixel(device.left() + 2 * scale, y) == black; ++y)
        ++top;
    for (int y = device.bottom(); image.pixel(device.right() - 2 * scale, y) == black; --y)
        ++bottom;
    QCOMPARE(top, scale);
    QCOMPARE(bottom, scale);
}

void TestMainWindow::links_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("address");

    QTest::newRow("logo") << "Image1"
                          << "www.ormbrook.com/varnex";
    QTest::newRow("banner") << "Image3"
                            << "www.ormbrook.com";
    QTest::newRow("FAQ button") << "Image14"
                                << "www.ormbrook.com/varnex/faq.html";
    QTest::newRow("web button") << "Image16"
                                << "www.ormbrook.com";
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

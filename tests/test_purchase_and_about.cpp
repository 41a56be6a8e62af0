#include "support/gui_helpers.h"
#include "support/http_server.h"
#include "support/search_window.h"
#include "ui/about/form2.h"
#include "ui/common/clickable_label.h"
#include "ui/common/open_page.h"
#include "ui/main_window/form1.h"
#include "ui/main_window/list_box.h"
#include "ui/main_window/start_up.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>

using varnex::ClickableLabel;
using varnex::Form1;
using varnex::Form2;
using varnex::ListBox;
using varnex::test::HttpRequest;
using varnex::test::HttpResponse;
using varnex::test::HttpServer;

namespace {

QByteArray resultPage()
{
    QByteArray page = "<html>\r\n<form>\r\n";
    int number = 1;
    for (const char *name : {"myshop.com", "myshop.net", "myshop.info"})
        page +=
            "<input type=\"checkbox\" name=\"domain" + QByteArray::number(number++) + "\" value=\"" + name + "\">\r\n";
    return page + "</form>\r\n</html>\r\n";
}

QList<Form2 *> aboutWindows()
{
    QList<Form2 *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *about = qobject_cast<Form2 *>(widget); about && about->isVisible())
            windows.append(about);
    }
    return windows;
}

} // namespace

class TestPurchaseAndAbout final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void panelControls_data();
    void panelControls();
    void purchaseViewTakesTheSelectedName();
    void purchaseViewWithoutASelection();
    void backEmptiesWhatWasTyped();
    void searchWhileThePanelIsShown();
    void panelLinks_data();
    void panelLinks();
    void aboutWindow();
    void aboutOpenedTwice();
    void infoBringsTheAboutWindowBack_data();
    void infoBringsTheAboutWindowBack();
    void aboutLinks_data();
    void aboutLinks();
    void aboutOutlivesTheMainWindow_data();
    void aboutOutlivesTheMainWindow();

private:
    template <typename T = QWidget>
    T *control(const char *name)
    {
        return varnex::test::findControl<T>(m_form.get(), name);
    }
    void search(const QString &name)
    {
        control<QLineEdit>("Text2")->setText(name);
        QVERIFY(varnex::test::pressEnter(*m_form));
    }

    std::unique_ptr<HttpServer> m_server;
    QTemporaryDir m_folder;
    std::unique_ptr<Form1> m_form;
    QList<std::pair<QWidget *, QString>> m_opened;
};

void TestPurchaseAndAbout::init()
{
    m_opened.clear();
    varnex::setPageOpener([this](QWidget *owner, const QString &address) { m_opened.append({owner, address}); });
    m_server = std::make_unique<HttpServer>([](const HttpRequest &) { return HttpResponse{.body = resultPage()}; });
    m_form = std::make_unique<Form1>(varnex::SearchSettings{m_server->hostAndPort(), m_folder.path()});
    varnex::startUp(*m_form);
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestPurchaseAndAbout::cleanup()
{
    for (Form2 *about : aboutWindows())
        delete about;
    m_form.reset();
    m_server.reset();
    varnex::setPageOpener(nullptr);
}

void TestPurchaseAndAbout::panelControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("font");  // points, then b (bold), i (italic), u (underlined)
    QTest::addColumn<QColor>("colour"); // invalid: the default label colour

    const QColor none;
    QTest::newRow("Label11") << "Label11" << QRect(24, 88, 185, 25) << "Register Wholesale Domain Name"
                             << "8.25 b u" << QColor(0, 0, 192);
    QTest::newRow("Image8") << "Image8" << QRect(8, 196, 8, 8) << ""
                            << "" << none;
    QTest::newRow("Image5") << "Image5" << QRect(8, 43, 8, 8) << ""
                            << "" << none;
    QTest::newRow("Label4")
        << "Label4" << QRect(24, 112, 185, 73)
        << "Note: We've purchased a domain reseller licence to offer you domains at wholesale prices "
           "(45 cents above cost price - gotta make up the cost of the licence somehow :) )"
        << "8.25" << none;
    QTest::newRow("Label7") << "Label7" << QRect(24, 192, 65, 17) << "Click here"
                            << "8.25 b u" << none;
    QTest::newRow("Label6") << "Label6" << QRect(24, 192, 185, 33)
                            << "                    to check out other free tools, tips and courses!"
                            << "8.25" << none;
    QTest::newRow("Label5") << "Label5" << QRect(24, 40, 185, 49)
                            << "Simply click on the link below, then type your domain  name and click \"Check\""
                            << "8.25 b" << none;
    QTest::newRow("Label1") << "Label1" << QRect(8, 8, 201, 33)
                            << "Congratulations! To register, follow these easy steps!"
                            << "9 i" << QColor(0, 0, 0);
}

void TestPurchaseAndAbout::panelControls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, font);
    QFETCH(QColor, colour);

    auto *label = control<QLabel>(name.toLatin1().constData());
    QCOMPARE(label->parentWidget(), control("Picture2"));
    QCOMPARE(label->geometry(), geometry);
    if (caption.isEmpty()) {
        QCOMPARE(label->pixmap().size(), QSize(8, 8)); // the bullet
        return;
    }
    QCOMPARE(label->text(), caption);
    const QStringList parts = font.split(' ');
    QCOMPARE(label->font().pointSizeF(), parts.first().toDouble());
    QCOMPARE(label->font().bold(), parts.contains("b"));
    QCOMPARE(label->font().italic(), parts.contains("i"));
    QCOMPARE(label->font().underline(), parts.contains("u"));
    if (colour.isValid())
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    QVERIFY(!label->autoFillBackground());
    // The text stays inside its box: the wrapped height fits the label.
    QVERIFY2(label->heightForWidth(label->width()) <= label->height() + 2, qPrintable(name));
}

void TestPurchaseAndAbout::purchaseViewTakesTheSelectedName()
{
    search("my shop");
    auto *list = control<ListBox>("List1");
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::mouseClick(control("Image4"), Qt::LeftButton);

    QVERIFY(control("Picture2")->isVisible());
    QCOMPARE(control<QLineEdit>("Text2")->text(), QStringLiteral("myshop.net"));
    QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("Selected Domain:"));
    QVERIFY(control("Image4")->isHidden());
    QVERIFY(control("Image9")->isVisible());
    QCOMPARE(list->items(), (QStringList{"myshop.com", "myshop.net", "myshop.info"}));
    QCOMPARE(list->selectedText(), QStringLiteral("myshop.net"));
    // The panel covers the results list.
    QCOMPARE(m_form->childAt(100, 200)->window(), m_form.get());
    QVERIFY(m_form->childAt(100, 200) == control("Picture2")
            || control("Picture2")->isAncestorOf(m_form->childAt(100, 200)));
}

void TestPurchaseAndAbout::purchaseViewWithoutASelection()
{
    search("my shop");
    QTest::mouseClick(control("Image4"), Qt::LeftButton);
    QVERIFY(control("Picture2")->isVisible());
    QCOMPARE(control<QLineEdit>("Text2")->text(), QString());
}

void TestPurchaseAndAbout::backEmptiesWhatWasTyped()
{
    search("my shop");
    QTest::mouseClick(control("Image4"), Qt::LeftButton);
    QTest::keyClicks(control("Text2"), "typed");
    QTest::mouseClick(control("Image9"), Qt::LeftButton);

    QVERIFY(control("Picture2")->isHidden());
    QCOMPARE(control<QLineEdit>("Text2")->text(), QString());
    QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("Ideal Domain or Keywords:"));
    QVERIFY(control("Image4")->isVisible());
    QVERIFY(control("Image9")->isHidden());
    QCOMPARE(control<ListBox>("List1")->count(), 3);
}

void TestPurchaseAndAbout::searchWhileThePanelIsShown()
{
    search("my shop");
    QTest::mouseClick(control("Image4"), Qt::LeftButton);
    search("other");

    QCOMPARE(m_server->requests().size(), 2);
    QCOMPARE(m_server->requests().last().target, QByteArray("/whois.cgi?vhost_name=other"));
    QVERIFY(control("Picture2")->isVisible());
    QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("Selected Domain:"));
    // The register picture is shown again, under the back picture, which takes the clicks.
    QVERIFY(control("Image4")->isVisible());
    QVERIFY(control("Image9")->isVisible());
    QCOMPARE(m_form->childAt(190, 369), control("Image9"));
    QTest::mouseClick(m_form->childAt(190, 369), Qt::LeftButton);
    QVERIFY(control("Picture2")->isHidden());
}

void TestPurchaseAndAbout::panelLinks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("address");
    QTest::newRow("Click here") << "Label7"
                                << "www.ormbrook.com";
    QTest::newRow("reseller") << "Label11"
                              << "www.ormbrook.com/register";
}

void TestPurchaseAndAbout::panelLinks()
{
    QFETCH(QString, link);
    QFETCH(QString, address);

    QTest::mouseClick(control("Image4"), Qt::LeftButton);
    auto *label = control<ClickableLabel>(link.toLatin1().constData());
    QCOMPARE(label->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(m_opened, (QList<std::pair<QWidget *, QString>>{{m_form.get(), address}}));
}

void TestPurchaseAndAbout::aboutWindow()
{
    QTest::mouseClick(control("Image15"), Qt::LeftButton);
    QCOMPARE(aboutWindows().size(), 1);
    Form2 *about = aboutWindows().first();
    QVERIFY(QTest::qWaitForWindowExposed(about));

    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QCOMPARE(about->size(), QSize(187, 106));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QCOMPARE(about->parentWidget(), nullptr);
    QVERIFY(!about->isModal());
    // An ordinary window, so no window manager keeps it above the main window (the
    // task-bar hint and the stacking are checked on a real X server by test_about_window_x11).
    QCOMPARE(about->windowType(), Qt::Window);
    QVERIFY(about->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(about->palette().color(QPalette::Window), QColor(255, 255, 255));
    QCOMPARE(about->windowIcon().pixmap(32, 32).toImage(), m_form->windowIcon().pixmap(32, 32).toImage());

    auto *host = about->findChild<QLabel *>("Label3");
    QCOMPARE(host->geometry(), QRect(0, 88, 185, 17));
    QCOMPARE(host->text(), QStringLiteral("www.ormbrook.com"));
    QCOMPARE(host->palette().color(QPalette::WindowText), QColor(95, 126, 0));
    QVERIFY(host->font().bold() && host->font().underline());
    QCOMPARE(host->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    auto *text = about->findChild<QLabel *>("Label2");
    QCOMPARE(text->geometry(), QRect(8, 56, 177, 33));
    QCOMPARE(text->text(), QStringLiteral("For more FREE software and internet business courses, check out:"));
    QVERIFY(text->heightForWidth(text->width()) <= text->height());
    auto *logo = about->findChild<QLabel *>("Image1");
    QCOMPARE(logo->geometry(), QRect(0, 0, 90, 45));
    QCOMPARE(logo->pixmap().size(), QSize(90, 45));
    QCOMPARE(logo->toolTip(), QStringLiteral("Visit Ormbrook for more free software!"));
    for (QWidget *child : about->findChildren<QWidget *>())
        QCOMPARE(child->focusPolicy(), Qt::NoFocus);
    QVERIFY(m_form->isVisible()); // modeless: the main window stays usable
}

void TestPurchaseAndAbout::aboutOpenedTwice()
{
    QTest::mouseClick(control("Image15"), Qt::LeftButton);
    QPointer<Form2> first = aboutWindows().value(0);
    QTest::mouseClick(control("Image15"), Qt::LeftButton);
    QCOMPARE(aboutWindows(), QList<Form2 *>{first});

    // Closed by the user, it is made anew by the next click.
    first->close();
    QTRY_VERIFY(first.isNull());
    QTest::mouseClick(control("Image15"), Qt::LeftButton);
    QCOMPARE(aboutWindows().size(), 1);
}

void TestPurchaseAndAbout::infoBringsTheAboutWindowBack_data()
{
    QTest::addColumn<bool>("minimised"); // else behind the main window
    QTest::newRow("minimised") << true;
    QTest::newRow("behind the main window") << false;
}

void TestPurchaseAndAbout::infoBringsTheAboutWindowBack()
{
    QFETCH(bool, minimised);
    QTest::mouseClick(control("Image15"), Qt::LeftButton);
    QPointer<Form2> about = aboutWindows().value(0);
    QVERIFY(about);
    QVERIFY(QTest::qWaitForWindowActive(about));
    if (minimised) {
        about->showMinimized();
        QVERIFY(about->isMinimized());
    }
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));

    // The About window has no task-bar entry: the Info button is the way back to it.
    QTest::mouseClick(control("Image15"), Qt::LeftButton);
    QCOMPARE(aboutWindows(), QList<Form2 *>{about});
    QCOMPARE(about->windowState() & Qt::WindowMinimized, Qt::WindowNoState);
    QVERIFY(about->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(about));
}

void TestPurchaseAndAbout::aboutLinks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("address");
    QTest::newRow("logo") << "Image1"
                          << "www.ormbrook.com/varnex";
    QTest::newRow("host name") << "Label3"
                               << "www.ormbrook.com";
}

void TestPurchaseAndAbout::aboutLinks()
{
    QFETCH(QString, link);
    QFETCH(QString, address);

    QTest::mouseClick(control("Image15"), Qt::LeftButton);
    Form2 *about = aboutWindows().first();
    auto *label = about->findChild<ClickableLabel *>(link);
    QCOMPARE(label->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(label->width() / 2, 5));
    QCOMPARE(m_opened, (QList<std::pair<QWidget *, QString>>{{about, address}}));
    QVERIFY(about->isVisible());
}

void TestPurchaseAndAbout::aboutOutlivesTheMainWindow_data()
{
    QTest::addColumn<bool>("minimised");
    QTest::newRow("shown") << false;
    QTest::newRow("minimised") << true;
}

void TestPurchaseAndAbout::aboutOutlivesTheMainWindow()
{
    QFETCH(bool, minimised);
    // Run the event loop as the program does: closing the main window leaves the
    // About window open, and the program ends when that is closed too.
    QTest::mouseClick(control("Image15"), Qt::LeftButton);
    QPointer<Form2> about = aboutWindows().value(0);
    QVERIFY(about);
    if (minimised)
        about->showMinimized();
    bool aboutStillOpen = false;
    bool aboutMinimised = true;
    QTimer::singleShot(0, m_form.get(), [this] { m_form->close(); });
    QTimer::singleShot(50, about, [&] {
        aboutStillOpen = about->isVisible();
        // Minimised, with no task-bar entry, it would be out of reach: it is shown again.
        aboutMinimised = about->isMinimized();
        about->close();
    });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(aboutStillOpen);
    QVERIFY(!aboutMinimised);
}

QTEST_MAIN(TestPurchaseAndAbout)
#include "test_purchase_and_about.moc"

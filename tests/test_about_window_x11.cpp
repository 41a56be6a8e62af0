// The windows as a real X11 window manager sees them: the About window owned by no
// window, out of the task bar, free to lie behind the main window and brought back
// from the minimised state; the main window closed by the window manager during a
// search. Starts its own Xvfb and openbox on a free display; skips only when those
// programs are not installed.

#include "support/gui_helpers.h"
#include "support/http_server.h"
#include "support/search_window.h"
#include "ui/about/form2.h"
#include "ui/main_window/form1.h"
#include "ui/main_window/start_up.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A child process, ended and reaped when this goes.
class Child final {
public:
    Child() = default;
    explicit Child(std::vector<std::string> argv, int keepFd = -1)
    {
        m_pid = fork();
        if (m_pid == 0) {
            std::vector<char *> args;
            for (std::string &arg : argv)
                args.push_back(arg.data());
            args.push_back(nullptr);
            for (int fd = 3; fd < 1024; ++fd) {
                if (fd != keepFd)
                    close(fd);
            }
            execv(args[0], args.data());
            _exit(127);
        }
    }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;
    Child(Child &&other) noexcept : m_pid(other.m_pid) { other.m_pid = -1; }
    Child &operator=(Child &&other) noexcept
    {
        std::swap(m_pid, other.m_pid);
        return *this;
    }
    ~Child()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool started() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

// Xvfb on the first free display (it picks one itself and tells us which), with openbox on it.
class XServer final {
public:
    XServer()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (xvfb.isEmpty() || openbox.isEmpty()) {
            missing = true;
            return;
        }
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        m_xvfb = Child({xvfb.toStdString(), "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1024x768x24",
                        "-nolisten", "tcp"},
                       pipeFds[1]);
        close(pipeFds[1]);
        std::string number;
        pollfd wait{pipeFds[0], POLLIN, 0};
        char c = 0;
        // Generous: the machine may be loaded; this is a start-up limit, not a measurement.
        while (poll(&wait, 1, 60000) > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(pipeFds[0]);
        if (number.empty())
            return;
        display = ":" + number;
        setenv("DISPLAY", display.c_str(), 1);
        // openbox names itself on the root window before its start-up is done, and a
        // window shown in between was at times never mapped; the start-up command
        // runs once it is done.
        char folder[] = "/tmp/varnex-openbox-XXXXXX";
        if (!mkdtemp(folder))
            return;
        m_folder = folder;
        readyFile = m_folder + "/started";
        m_openbox = Child({openbox.toStdString(), "--sm-disable", "--startup", "touch " + readyFile});
    }
    ~XServer()
    {
        if (!m_folder.empty()) {
            unlink(readyFile.c_str());
            rmdir(m_folder.c_str());
        }
    }
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    bool missing = false;
    std::string display;   // empty: Xvfb did not start
    std::string readyFile; // made by openbox once it has started

private:
    std::string m_folder;
    Child m_xvfb;
    Child m_openbox;
};

XServer *server = nullptr;

struct Free {
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_connection_t *connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(const char *name)
{
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), false, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A window property as 32-bit values; empty when it is not set.
std::vector<uint32_t> windowProperty(xcb_window_t window, const char *name)
{
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection(), xcb_get_property(connection(), false, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return {values, values + reply->value_len};
}

xcb_window_t rootWindow()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

// Where the window lies in the window manager's stacking order, bottom first; -1 when it is not managed.
qsizetype stackingIndex(const QWidget &window)
{
    const std::vector<uint32_t> stack = windowProperty(rootWindow(), "_NET_CLIENT_LIST_STACKING");
    for (std::size_t i = 0; i < stack.size(); ++i) {
        if (stack[i] == uint32_t(window.winId()))
            return qsizetype(i);
    }
    return -1;
}

bool contains(const std::vector<uint32_t> &values, uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

// Minimised, as the window manager sees it.
bool isHidden(const QWidget &window)
{
    return contains(windowProperty(xcb_window_t(window.winId()), "_NET_WM_STATE"), atom("_NET_WM_STATE_HIDDEN"));
}

// What a task bar or pager does to close a window: the window manager then asks
// the program to close it (WM_DELETE_WINDOW), as it does for the close button.
void askWindowManagerToClose(const QWidget &window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window.winId());
    message.type = atom("_NET_CLOSE_WINDOW");
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = 2; // asked for by the user
    xcb_send_event(connection(), false, rootWindow(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection());
}

// Waits until Qt has handled every event the X server sent it so far. Qt reads the
// window manager's state afresh for each property change that reaches it, so one
// left over from an earlier change, read while the window manager was still busy,
// briefly gives the window its old state back, in Qt's view only; and a request
// for a state Qt already believes in is never sent. A property change of our own,
// made once the server shows the state wanted, reaches Qt after all of those.
bool qtCaughtUp(const QWidget &window)
{
    class MarkSeen final : public QAbstractNativeEventFilter {
    public:
        MarkSeen(xcb_window_t window, xcb_atom_t mark) : m_window(window), m_mark(mark) { }
        bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
        {
            const auto *event = static_cast<const xcb_generic_event_t *>(message);
            if (type == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(event);
                seen = seen || (change->window == m_window && change->atom == m_mark);
            }
            return false;
        }
        bool seen = false;

    private:
        xcb_window_t m_window;
        xcb_atom_t m_mark;
    };
    const auto id = xcb_window_t(window.winId());
    MarkSeen filter(id, atom("_VARNEX_TEST_MARK"));
    QCoreApplication::instance()->installNativeEventFilter(&filter);
    const uint32_t value = 1;
    xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, id, atom("_VARNEX_TEST_MARK"), XCB_ATOM_CARDINAL, 32, 1,
                        &value);
    xcb_flush(connection());
    const bool seen = QTest::qWaitFor([&] { return filter.seen; }, 20000);
    QCoreApplication::instance()->removeNativeEventFilter(&filter);
    // The window states Qt read on the way are handed to the widget as events of their own.
    QCoreApplication::processEvents();
    return seen;
}

QWidget *shownAboutWindow()
{
    QWidget *about = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets())
        about = window->objectName() == QLatin1String("Form2") && window->isVisible() ? window : about;
    return about;
}

} // namespace

class TestAboutWindowX11 final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void aboutWindowIsNotOwned();
    void infoBringsBackAMinimisedAbout();
    void closedByTheWindowManagerDuringASearch();
};

void TestAboutWindowX11::initTestCase()
{
    if (server->missing)
        QSKIP("Xvfb or openbox is not installed (tools/install-deps.sh installs them)");
    QVERIFY2(!server->display.empty(), "Xvfb did not start");
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    // openbox has taken over the screen and handles requests once it has run its start-up command.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QString::fromStdString(server->readyFile)), 60000);
    QVERIFY(!windowProperty(rootWindow(), "_NET_SUPPORTING_WM_CHECK").empty());
}

void TestAboutWindowX11::aboutWindowIsNotOwned()
{
    varnex::test::HttpServer registrar;
    QTemporaryDir folder;
    varnex::Form1 form(varnex::SearchSettings{registrar.hostAndPort(), folder.path()});
    varnex::startUp(form);
    QVERIFY(QTest::qWaitForWindowExposed(&form, 20000));
    auto *info = form.findChild<QWidget *>(QStringLiteral("Image15"));
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, info->geometry().center());

    QWidget *about = shownAboutWindow();
    QVERIFY(about);
    QVERIFY(QTest::qWaitForWindowExposed(about, 20000));
    QTRY_VERIFY_WITH_TIMEOUT(stackingIndex(*about) >= 0 && stackingIndex(form) >= 0, 20000);

    const auto aboutId = xcb_window_t(about->winId());
    // Out of the task bar, and an ordinary window rather than a dialog or a tool window.
    QVERIFY(contains(windowProperty(aboutId, "_NET_WM_STATE"), atom("_NET_WM_STATE_SKIP_TASKBAR")));
    QVERIFY(!contains(windowProperty(xcb_window_t(form.winId()), "_NET_WM_STATE"), atom("_NET_WM_STATE_SKIP_TASKBAR")));
    const std::vector<uint32_t> type = windowProperty(aboutId, "_NET_WM_WINDOW_TYPE");
    QVERIFY(!contains(type, atom("_NET_WM_WINDOW_TYPE_DIALOG"))
            && !contains(type, atom("_NET_WM_WINDOW_TYPE_UTILITY")));

    // Either window can lie in front of the other.
    QTRY_VERIFY_WITH_TIMEOUT(stackingIndex(*about) > stackingIndex(form), 20000);
    form.raise();
    form.activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(stackingIndex(form) > stackingIndex(*about), 20000);
    about->raise();
    about->activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(stackingIndex(*about) > stackingIndex(form), 20000);
    about->close();
}

void TestAboutWindowX11::infoBringsBackAMinimisedAbout()
{
    varnex::test::HttpServer registrar;
    QTemporaryDir folder;
    varnex::Form1 form(varnex::SearchSettings{registrar.hostAndPort(), folder.path()});
    varnex::startUp(form);
    QVERIFY(QTest::qWaitForWindowExposed(&form, 20000));
    const QPoint info = form.findChild<QWidget *>(QStringLiteral("Image15"))->geometry().center();
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, info);
    QPointer<QWidget> about = shownAboutWindow();
    QVERIFY(about);
    const auto closeAbout = qScopeGuard([&] {
        if (about)
            about->close();
    });
    QVERIFY(QTest::qWaitForWindowExposed(about, 20000));
    QTRY_VERIFY_WITH_TIMEOUT(stackingIndex(*about) >= 0 && stackingIndex(form) >= 0, 20000);

    QVERIFY(qtCaughtUp(*about));

    // Out of the task bar, a minimised About window has no way back but the Info button.
    about->showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(isHidden(*about), 20000);
    QVERIFY(qtCaughtUp(*about));
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, info);
    QTRY_VERIFY_WITH_TIMEOUT(!isHidden(*about) && stackingIndex(*about) > stackingIndex(form), 20000);
    QVERIFY(qtCaughtUp(*about));
    QVERIFY(!about->isMinimized());

    // Nor is it left minimised when the main window closes: it outlives it.
    about->showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(isHidden(*about), 20000);
    QVERIFY(qtCaughtUp(*about));
    form.close();
    QTRY_VERIFY_WITH_TIMEOUT(!isHidden(*about), 20000);
    QVERIFY(about->isVisible());
}

void TestAboutWindowX11::closedByTheWindowManagerDuringASearch()
{
    // The registrar holds its answer and the time-out is far off: only the close can end the run.
    varnex::test::HttpServer registrar([](const varnex::test::HttpRequest &) {
        return varnex::test::HttpResponse{.body = varnex::test::page({"held.com"})};
    });
    registrar.setHold([](const varnex::test::HttpRequest &) { return true; });
    QTemporaryDir folder;
    varnex::Form1 form(varnex::SearchSettings{registrar.hostAndPort(), folder.path(), std::chrono::seconds(60)});
    varnex::startUp(form);
    QVERIFY(QTest::qWaitForWindowExposed(&form, 20000));
    QTRY_VERIFY_WITH_TIMEOUT(stackingIndex(form) >= 0, 20000);
    registrar.setOnRequest([&](const varnex::test::HttpRequest &) { askWindowManagerToClose(form); });
    bool gaveUp = false;
    QTimer failure; // only a close that did not end the run lets this go off
    failure.setSingleShot(true);
    failure.callOnTimeout([&] {
        gaveUp = true;
        registrar.release();
    });
    failure.start(30000);

    varnex::test::MessageBoxAnswerer answerer;
    QTest::keyClicks(form.findChild<QLineEdit *>(QStringLiteral("Text2")), "held");
    QVERIFY(varnex::test::pressEnter(form));
    QVERIFY2(!gaveUp, "the window manager's close request did not end the run");
    QVERIFY(!form.isVisible());
    QCOMPARE(answerer.texts(), QStringList{});
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

// Under LeakSanitizer: the X11 platform opens D-Bus (for the accessibility bridge),
// and libdbus keeps an allocation for the life of the process on purpose.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

int main(int argc, char *argv[])
{
    XServer x;
    server = &x;
    qputenv("QT_QPA_PLATFORM", x.display.empty() ? "offscreen" : "xcb");
    QApplication app(argc, argv);
    TestAboutWindowX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_about_window_x11.moc"

#pragma once

#include "support/gui_helpers.h"
#include "support/http_server.h"
#include "ui/main_window/form1.h"
#include "ui/main_window/list_box.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <functional>

namespace varnex::test {

using namespace std::chrono_literals;

inline QByteArray field(int number, const QByteArray &name)
{
    return "<tr><td><input type=\"checkbox\" name=\"domain" + QByteArray::number(number) + "\" value=\"" + name
           + "\"></td></tr>\r\n";
}

// A registrar-like result page offering these names.
inline QByteArray page(const QList<QByteArray> &names)
{
    QByteArray out = "<html>\r\n<body>\r\n<form action=\"/cart\">\r\n<table>\r\n";
    int number = 1;
    for (const QByteArray &name : names)
        out += field(number++, name);
    return out + "</table>\r\n<input type=\"submit\" name=\"add\" value=\"Add\">\r\n</form>\r\n</body>\r\n</html>\r\n";
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Runs `keys` on the window (Enter pressed and let go, in whatever way) and
// returns once the search they started has run; false when none started. The
// window starts a search on a later turn of its event loop, once no repeat has
// followed the release; waiting for that turn is no measure of speed, so the
// limit is generous.
inline bool startsSearch(Form1 &form, const std::function<void()> &keys)
{
    QSignalSpy started(&form, &Form1::statusChanged);
    keys();
    return !started.isEmpty() || started.wait(60000);
}

inline bool pressEnter(Form1 &form, Qt::Key key = Qt::Key_Return)
{
    return startsSearch(form, [&] { QTest::keyClick(findControl<QLineEdit>(&form, "Text2"), key); });
}

// The main window searching against a loopback server, with its files in a scratch folder.
class Window final {
public:
    // `registrarHost` empty: the window asks this window's own server.
    explicit Window(HttpServer::Handler handler, std::chrono::milliseconds timeout = 20s,
                    const QString &registrarHost = {})
        : server(std::move(handler)),
          form(SearchSettings{registrarHost.isEmpty() ? server.hostAndPort() : registrarHost, folder.path(), timeout,
                              0ms})
    {
        form.show();
    }

    template <typename Control>
    Control *get(const char *name)
    {
        return findControl<Control>(&form, name);
    }
    QLineEdit *text2() { return get<QLineEdit>("Text2"); }
    ListBox *list1() { return get<ListBox>("List1"); }
    ListBox *list2() { return get<ListBox>("List2"); }
    QLabel *label2() { return get<QLabel>("Label2"); }
    QLabel *label9() { return get<QLabel>("Label9"); }
    QString capturePath() const { return folder.filePath("chkdom.tmp"); }
    QString cleanedPath() const { return folder.filePath("clean.tmp"); }

    bool typeAndPressEnter(const QString &text)
    {
        text2()->clear();
        QTest::keyClicks(text2(), text);
        return pressEnter(form);
    }

    QTemporaryDir folder;
    HttpServer server;
    Form1 form;
};

} // namespace varnex::test

// Times the whole search chain in the main window against a loopback server:
// from the Enter key in the name box to the count shown, for a 20 KB page.
//
//   bench_chain [ROUNDS]   (default 200)

#include "support/http_server.h"
#include "ui/main_window/form1.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

    QByteArray page = "<html>\r\n<body>\r\n<form action=\"/cart\">\r\n<table>\r\n";
    for (int i = 1; page.size() < 20 * 1024 - 200; ++i) {
        page += "<tr><td><input type=\"checkbox\" name=\"domain" + QByteArray::number(i) + "\" value=\"myshop"
                + QByteArray::number(i) + (i % 2 ? ".com" : ".net") + "\"></td><td>available</td></tr>\r\n";
    }
    page += "</table>\r\n</form>\r\n</body>\r\n</html>\r\n";

    varnex::test::HttpServer server([&](const auto &) { return varnex::test::HttpResponse{.body = page}; });
    QTemporaryDir folder;
    // No wait for a repeat after Enter's release: the time is the chain's.
    varnex::Form1 form(varnex::SearchSettings{.registrarHost = server.hostAndPort(),
                                              .captureFolder = folder.path(),
                                              .keyRepeatGap = std::chrono::milliseconds(0)});
    form.show();
    auto *text2 = form.findChild<QLineEdit *>("Text2");
    auto *label9 = form.findChild<QLabel *>("Label9");
    QTest::keyClicks(text2, "my shop");

    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        label9->setText(QString());
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(text2, Qt::Key_Return);
        QCoreApplication::processEvents(); // the search starts on the loop's next turn and runs whole there
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (label9->text().isEmpty()) {
            std::fprintf(stderr, "the search did not finish\n");
            return 1;
        }
        QCoreApplication::processEvents(); // let the finished replies go
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "chain: %.1f KB page, %s names shown, %d rounds: median %.2f ms, p90 %.2f ms, min %.2f ms, max %.2f ms\n",
        page.size() / 1024.0, qPrintable(label9->text()), rounds, times[times.size() / 2], times[times.size() * 9 / 10],
        times.front(), times.back());
    return 0;
}

#include "ui/main_window/form1.h"
#include "ui/main_window/start_up.h"
#include "varnex_version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kHelp[] =
    "usage: varnex [-h | --help | --version]\n"
    "Finds domain names that are still free to register: type a name or keywords and press Enter.\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n";

} // namespace

int main(int argc, char *argv[])
{
    // Answered before the window's application starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("varnex %s\n", varnex::kVersion);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnex"));
    QApplication::setApplicationVersion(QString::fromLatin1(varnex::kVersionRecord));
    varnex::Form1 form;
    varnex::startUp(form);
    return QApplication::exec();
}

#include "ui/main_window/form1.h"
#include "ui/main_window/start_up.h"
#include "varnex_version.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnex"));
    QApplication::setApplicationVersion(QString::fromLatin1(varnex::kVersionRecord));
    varnex::Form1 form;
    varnex::startUp(form);
    return QApplication::exec();
}

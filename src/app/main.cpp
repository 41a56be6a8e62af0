#include "ui/main_window/form1.h"
#include "ui/main_window/start_up.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnex"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    varnex::Form1 form;
    varnex::startUp(form);
    return QApplication::exec();
}

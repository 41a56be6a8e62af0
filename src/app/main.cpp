#include "ui/main_window/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnex"));
    varnex::Form1 form;
    form.setWindowTitle(QStringLiteral("Varnex v1.0"));
    form.show();
    return QApplication::exec();
}

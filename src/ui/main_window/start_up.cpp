#include "ui/main_window/start_up.h"

#include "ui/main_window/form1.h"

namespace varnex {

void startUp(Form1 &form)
{
    form.setWindowTitle(QStringLiteral("Varnex v1.0"));
    form.show();
}

} // namespace varnex

#include "ui/main_window/start_up.h"

#include "ui/main_window/form1.h"
#include "varnex_version.h"

namespace varnex {

void startUp(Form1 &form)
{
    form.setWindowTitle(QStringLiteral("Varnex v") + QLatin1String(kVersion));
    form.show();
}

} // namespace varnex

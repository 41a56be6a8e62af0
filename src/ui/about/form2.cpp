#include "ui/about/form2.h"

#include "ui/common/clickable_label.h"
#include "ui/common/fonts.h"
#include "ui/common/maker_site.h"
#include "ui/common/open_page.h"
#include "ui/common/skip_taskbar.h"
#include "ui/common/theme.h"
#include "varnex_version.h"

namespace varnex {

Form2::Form2()
    // An ordinary top-level window, not a tool window or a dialog: window
    // managers keep those above the program's other windows (on X11 they are
    // made transient for its hidden group leader). A close button and nothing else.
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(QIcon(QStringLiteral(":/assets/varnex.ico")));
    setFixedSize(187, 106);
    setFont(defaultUiFont());
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    // Back to front.
    Image1 = new ClickableLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 90, 45);
    Image1->setPixmap(QPixmap(QStringLiteral(":/assets/about_logo.bmp")));
    Image1->setCursor(linkCursor());
    Image1->setToolTip(QStringLiteral("Visit Ormbrook for more free software!"));
    // What the logo reads, the version included, for screen readers.
    Image1->setAccessibleName(QStringLiteral("Varnex v%1 domain name finder").arg(QLatin1String(kVersion)));

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 56, 177, 33);
    Label2->setText(QStringLiteral("For more FREE software and internet business courses, check out:"));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setWordWrap(true);

    Label3 = new ClickableLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(0, 88, 185, 17);
    Label3->setText(QLatin1String(kMakerHost));
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label3->setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25, /*bold=*/true, /*italic=*/false, /*underline=*/true));
    Label3->setCursor(linkCursor());

    connect(Image1, &ClickableLabel::clicked, this, &Form2::Image1_Click);
    connect(Label3, &ClickableLabel::clicked, this, &Form2::Label3_Click);
    Form_Load();
}

void Form2::showEvent(QShowEvent *event)
{
    // The native window exists now and is not mapped yet: the moment to ask
    // the window manager to leave it out of the task bar.
    skipTaskbar(*this);
    QWidget::showEvent(event);
}

void Form2::Form_Load()
{
    QPalette palette = Label3->palette();
    palette.setColor(QPalette::WindowText, kAccentGreen);
    Label3->setPalette(palette);
}

void Form2::Image1_Click()
{
    openPage(Image1, makerPage(kProductPagePath));
}
void Form2::Label3_Click()
{
    openPage(Label3, makerPage(kHomePagePath));
}

} // namespace varnex

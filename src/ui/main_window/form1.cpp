#include "ui/main_window/form1.h"

#include "search/name_lists.h"
#include "ui/about/form2.h"
#include "ui/main_window/flat_style.h"
#include "ui/common/fonts.h"
#include "ui/main_window/list_box.h"
#include "ui/common/open_page.h"
#include "ui/common/clickable_label.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace varnex {

namespace {

// Shown, not minimised, in front and active.
void bringToFront(QWidget &window)
{
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

Form1::Form1(SearchSettings settings, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_settings(std::move(settings)),
      m_files(CaptureFiles::in(m_settings.captureFolder.isEmpty() ? defaultCaptureFolder() : m_settings.captureFolder)),
      m_flatStyle(new FlatStyle)
{
    m_flatStyle->setParent(this);
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(278, 415);
    setFont(defaultUiFont());
    setWindowIcon(QIcon(QStringLiteral(":/assets/varnex.ico")));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    Inet1 = new HttpTransfer(m_network, this, m_settings.timeout);
    Inet1->setObjectName(QStringLiteral("Inet1"));
    createControls();
    Form_Load();

    makePictureButton(Image2, go0, go1, &Form1::Image2_Click);
    makePictureButton(Image4, register0, register1, &Form1::Image4_Click);
    makePictureButton(Image9, back0, back1, &Form1::Image9_Click);
    makePictureButton(Image14, faq0, faq1, &Form1::Image14_Click);
    makePictureButton(Image15, info0, info1, &Form1::Image15_Click);
    makePictureButton(Image16, web0, web1, &Form1::Image16_Click);
    connect(Image1, &ClickableLabel::clicked, this, &Form1::Image1_Click);
    connect(Image3, &ClickableLabel::clicked, this, &Form1::Image3_Click);
    connect(List1, &ListBox::doubleClicked, this, &Form1::List1_DblClick);
    connect(Label7, &ClickableLabel::clicked, this, &Form1::Label7_Click);
    connect(Label11, &ClickableLabel::clicked, this, &Form1::Label11_Click);
    connect(new KeyUpFilter(*Text2, m_settings.keyRepeatGap), &KeyUpFilter::keyUp, this, &Form1::Text2_KeyUp);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect client(QPoint(), size());
        client.moveCenter(screen->availableGeometry().center());
        setGeometry(client);
    }
}

Form1::~Form1() = default;

void Form1::makePictureButton(ClickableLabel *button, QLabel *unpressed, QLabel *pressed, void (Form1::*click)())
{
    connect(button, &ClickableLabel::mouseDown, this, [button, pressed] { button->setPixmap(pressed->pixmap()); });
    connect(button, &ClickableLabel::mouseUp, this, [button, unpressed] { button->setPixmap(unpressed->pixmap()); });
    connect(button, &ClickableLabel::clicked, this, click);
    button->setAccessibleRole(QAccessible::Button);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Nothing is asked or saved, and no other window is closed. A search under
    // way stops at once: its transfer is dropped, the nested event loop it
    // waits or writes in ends, and it touches nothing more.
    if (m_running) {
        m_abandoned = true;
        Inet1->abort();
    }
    // The About window outlives this one; minimised, with no task-bar entry,
    // it would be out of the user's reach.
    if (m_about && m_about->isMinimized())
        bringToFront(*m_about);
    QWidget::closeEvent(event);
}

void Form1::Image4_Click()
{
    Picture2->show();
    // As the list draws it: the name's own format controls must not rearrange what is shown.
    Text2->setText(visibleText(List1->selectedText()));
    Label3->setText(QStringLiteral("Selected Domain:"));
    Image4->hide();
    Image9->show();
}

void Form1::Image9_Click()
{
    Picture2->hide();
    Text2->clear();
    Label3->setText(QStringLiteral("Ideal Domain or Keywords:"));
    Image4->show();
    Image9->hide();
}

void Form1::Image1_Click()
{
    openPage(Image1, makerPage(kProductPagePath));
}
void Form1::Image3_Click()
{
    openPage(Image3, makerPage(kHomePagePath));
}
void Form1::Image14_Click()
{
    openPage(Image14, makerPage(kFaqPagePath));
}
void Form1::Image16_Click()
{
    openPage(Image16, makerPage(kHomePagePath));
}

void Form1::Label7_Click()
{
    openPage(Label7, makerPage(kHomePagePath));
}
void Form1::Label11_Click()
{
    openPage(Label11, makerPage(kResellerPagePath));
}

void Form1::Image15_Click()
{
    // One About window: a click while it is open brings the same one back,
    // minimised or behind another window.
    if (!m_about)
        m_about = new Form2;
    bringToFront(*m_about);
}

} // namespace varnex

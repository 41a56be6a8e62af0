// The main window's controls: where each one sits, how it looks at start and
// the load step's colours.

#include "search/extension_filter.h"
#include "ui/main_window/flat_style.h"
#include "ui/common/fonts.h"
#include "ui/main_window/form1.h"
#include "ui/main_window/list_box.h"
#include "ui/common/maker_site.h"
#include "ui/common/clickable_label.h"
#include "ui/common/theme.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

#include <utility>

namespace varnex {

namespace {

template <typename Control>
Control *place(QWidget *parent, const char *name, QRect geometry)
{
    auto *control = new Control(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

// A hidden store of one button picture, never shown.
QLabel *pictureHolder(QWidget *parent, const char *name)
{
    auto *holder = new QLabel(parent);
    holder->setObjectName(QLatin1String(name));
    holder->setPixmap(QPixmap(QStringLiteral(":/assets/%1.bmp").arg(QLatin1String(name))));
    holder->hide();
    return holder;
}

ClickableLabel *picture(QWidget *parent, const char *name, QRect geometry, const QPixmap &pixmap, const QCursor &cursor,
                        const char *toolTip = nullptr)
{
    auto *image = place<ClickableLabel>(parent, name, geometry);
    image->setPixmap(pixmap);
    image->setCursor(cursor);
    if (toolTip)
        image->setToolTip(QString::fromUtf8(toolTip));
    return image;
}

template <typename Label = QLabel>
Label *label(QWidget *parent, const char *name, QRect geometry, const QString &caption)
{
    auto *control = place<Label>(parent, name, geometry);
    control->setText(caption);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    control->setWordWrap(true);
    return control;
}

void setColour(QWidget *control, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = control->palette();
    palette.setColor(role, colour);
    control->setPalette(palette);
}

QFrame *pictureContainer(QWidget *parent, const char *name, QRect geometry, QStyle *style)
{
    auto *frame = place<QFrame>(parent, name, geometry);
    frame->setStyle(style);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
    frame->setAutoFillBackground(true);
    frame->setFocusPolicy(Qt::StrongFocus);
    return frame;
}

} // namespace

void Form1::createControls()
{
    const QCursor link = linkCursor();
    const QColor systemWindow = m_flatStyle->standardPalette().color(QPalette::Window);

    // Built back to front, so each control lies above the ones made before it:
    // first the pictures and labels, then the windowed controls over them.
    Image1 = picture(this, "Image1", {0, 0, 173, 86}, QPixmap(QStringLiteral(":/assets/logo.bmp")), link,
                     "Visit the Ormbrook website for more free tools!");
    Label3 = label(this, "Label3", {8, 88, 129, 17}, QStringLiteral("Ideal Domain or Keywords:"));
    go0 = pictureHolder(this, "go0");
    go1 = pictureHolder(this, "go1");
    Image2 = picture(this, "Image2", {232, 104, 32, 19}, go0->pixmap(), link, "Search for domain!");
    Image3 = picture(this, "Image3", {2, 387, 149, 12}, QPixmap(QStringLiteral(":/assets/banner.gif")), bannerCursor(),
                     "Visit the Ormbrook website for more free tools!");
    Image4 = picture(this, "Image4", {160, 360, 63, 19}, QPixmap(), link);
    register0 = pictureHolder(this, "register0");
    register1 = pictureHolder(this, "register1");
    Image4->setPixmap(register0->pixmap());
    back0 = pictureHolder(this, "back0");
    back1 = pictureHolder(this, "back1");
    Image9 = picture(this, "Image9", {160, 360, 63, 19}, back0->pixmap(), link, "Go back to search");
    Label8 = label(this, "Label8", {8, 360, 65, 17}, QStringLiteral("Total Found:"));
    Label9 = label(this, "Label9", {72, 360, 33, 17}, QStringLiteral("0"));
    faq0 = pictureHolder(this, "faq0");
    faq1 = pictureHolder(this, "faq1");
    info0 = pictureHolder(this, "info0");
    info1 = pictureHolder(this, "info1");
    web0 = pictureHolder(this, "web0");
    web1 = pictureHolder(this, "web1");
    Image14 =
        picture(this, "Image14", {208, 0, 22, 21}, faq0->pixmap(), link, "Online FAQ - got questions? We got answers!");
    Image15 = picture(this, "Image15", {232, -1, 22, 22}, info0->pixmap(), link,
                      "Everything you wanted to know about Varnex, but were afraid to ask");
    Image16 = picture(this, "Image16", {256, 0, 22, 21}, web0->pixmap(), link,
                      "Visit the Ormbrook website for more free tools!");

    // What a screen reader says for each picture: the word a sighted user reads on it.
    for (const auto &[picture, name] : {std::pair{Image1, "Varnex domain name finder"},
                                        {Image2, "Search"},
                                        {Image3, "Free tools at www.ormbrook.com"},
                                        {Image4, "Register"},
                                        {Image9, "Back"},
                                        {Image14, "FAQ"},
                                        {Image15, "Info"},
                                        {Image16, "Web"}})
        picture->setAccessibleName(QString::fromLatin1(name));

    Text2 = place<QLineEdit>(this, "Text2", {8, 104, 217, 19});
    Text2->setStyle(m_flatStyle);
    Text2->setToolTip(QStringLiteral("Type the ideal domain name that you would like"));
    // The prompt above it names the name box, in either view.
    Label3->setBuddy(Text2);

    List1 = place<ListBox>(this, "List1", {8, 128, 217, 226});
    List1->setStyle(m_flatStyle);
    List1->setFrameStyle(QFrame::Box | QFrame::Plain);
    List1->setLineWidth(1);
    List1->setAccessibleName(QStringLiteral("Found domain names"));
    List1->setFont(uiFont(QStringLiteral("Arial"), 9.75));
    List1->setToolTip(QStringLiteral("Double Click to search on selected domain name"));

    // The status strip overhangs the window on three sides: only its top outline shows.
    Picture1 = pictureContainer(this, "Picture1", {-8, 400, 297, 17}, m_flatStyle);
    Label2 = label(Picture1, "Label2", {0, 0, 161, 17}, QStringLiteral("    ") + QLatin1String(kMakerHost));
    Label2->setFont(uiFont(QStringLiteral("Arial"), 9));

    Picture2 = pictureContainer(this, "Picture2", {8, 128, 217, 225}, m_flatStyle);
    setColour(Picture2, QPalette::Window, systemWindow);
    Picture2->hide();
    createPurchasePanel();

    const std::array<QCheckBox **, 6> boxes{&Check1, &Check2, &Check3, &Check4, &Check5, &Check6};
    const std::array<void (Form1::*)(), 6> handlers{&Form1::Check1_Click, &Form1::Check2_Click, &Form1::Check3_Click,
                                                    &Form1::Check4_Click, &Form1::Check5_Click, &Form1::Check6_Click};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const QByteArray name = "Check" + QByteArray::number(int(i) + 1);
        QCheckBox *box = place<QCheckBox>(this, name.constData(), {232, 136 + 24 * int(i), i == 0 ? 57 : 41, 13});
        const std::string_view caption = kExtensionTable[i].caption;
        box->setText(QString::fromLatin1(caption.data(), qsizetype(caption.size())));
        box->setStyle(m_flatStyle);
        box->setAutoFillBackground(true);
        setColour(box, QPalette::Window, systemWindow);
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, handlers[i]);
        *boxes[i] = box;
    }

    List2 = place<ListBox>(this, "List2", {184, 56, 89, 17});
    List2->setFocusPolicy(Qt::NoFocus);
    List2->hide();

    // Keyboard order: name box, results, status strip, purchase panel, then the boxes.
    QWidget *focusOrder[] = {Text2, List1, Picture1, Picture2, Check1, Check2, Check3, Check4, Check5, Check6};
    for (std::size_t i = 0; i + 1 < std::size(focusOrder); ++i)
        setTabOrder(focusOrder[i], focusOrder[i + 1]);
    Text2->setFocus();
}

void Form1::createPurchasePanel()
{
    const QString arial = QStringLiteral("Arial");
    // Back to front inside the panel.
    Label1 = label(Picture2, "Label1", {8, 8, 201, 33},
                   QStringLiteral("Congratulations! To register, follow these easy steps!"));
    Label1->setFont(uiFont(arial, 9, false, /*italic=*/true));
    setColour(Label1, QPalette::WindowText, Qt::black);
    Label5 = label(Picture2, "Label5", {24, 40, 185, 49},
                   QStringLiteral("Simply click on the link below, then type your domain  name and click \"Check\""));
    Label5->setFont(uiFont(arial, 8.25, /*bold=*/true));
    // Twenty spaces leave room for the "Click here" link that lies over them.
    Label6 = label(Picture2, "Label6", {24, 192, 185, 33},
                   QString(20, QLatin1Char(' ')) + QStringLiteral("to check out other free tools, tips and courses!"));
    Label6->setFont(uiFont(arial, 8.25));
    Label7 = label<ClickableLabel>(Picture2, "Label7", {24, 192, 65, 17}, QStringLiteral("Click here"));
    Label7->setFont(uiFont(arial, 8.25, /*bold=*/true, false, /*underline=*/true));
    Label7->setCursor(linkCursor());
    Label4 =
        label(Picture2, "Label4", {24, 112, 185, 73},
              QStringLiteral("Note: We've purchased a domain reseller licence to offer you domains at wholesale "
                             "prices (45 cents above cost price - gotta make up the cost of the licence somehow :) )"));
    Label4->setFont(uiFont(arial, 8.25));
    const QPixmap bullet(QStringLiteral(":/assets/bullet.gif"));
    Image5 = place<QLabel>(Picture2, "Image5", {8, 43, 8, 8});
    Image5->setPixmap(bullet);
    Image8 = place<QLabel>(Picture2, "Image8", {8, 196, 8, 8});
    Image8->setPixmap(bullet);
    Label11 =
        label<ClickableLabel>(Picture2, "Label11", {24, 88, 185, 25}, QStringLiteral("Register Wholesale Domain Name"));
    Label11->setFont(uiFont(arial, 8.25, /*bold=*/true, false, /*underline=*/true));
    setColour(Label11, QPalette::WindowText, QColor(0, 0, 192));
    Label11->setCursor(linkCursor());
    Label11->setToolTip(QStringLiteral("Hot domains at wholesale prices!"));
}

void Form1::Form_Load()
{
    setColour(Label3, QPalette::WindowText, kAccentGreen);
    setColour(List1, QPalette::Text, kAccentGreen);
    setColour(Text2, QPalette::Base, kFieldGreen);
    setColour(Picture1, QPalette::Window, kStripGreen);
    setColour(Label2, QPalette::WindowText, Qt::white);
    for (QCheckBox *box : extensionBoxes())
        setColour(box, QPalette::WindowText, kAccentGreen);
    setColour(Label9, QPalette::WindowText, kAccentGreen);
    Image9->hide();
    Image4->hide();
}

} // namespace varnex

#include "ui/main_window/form1.h"

#include "search/name_lists.h"
#include "search/page_scan.h"
#include "search/request_url.h"
#include "search/search_error.h"
#include "ui/main_window/list_box.h"
#include "ui/main_window/maker_site.h"
#include "ui/main_window/picture_box.h"
#include "ui/main_window/wait_cursor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>

#include <filesystem>
#include <optional>

namespace varnex {

namespace {

template <typename Control>
Control *makeControl(QWidget *parent, const char *name, QRect geometry)
{
    auto *control = new Control(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

std::filesystem::path toPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

SearchError fileError(const QFile &file)
{
    return SearchError(file.error(), QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()).toStdString());
}

} // namespace

Form1::Form1(SearchSettings settings, QWidget *parent)
    : QWidget(parent),
      m_settings(std::move(settings)),
      m_files(CaptureFiles::in(m_settings.captureFolder.isEmpty() ? defaultCaptureFolder()
                                                                  : m_settings.captureFolder))
{
    setObjectName(QStringLiteral("Form1"));
    Inet1 = new HttpTransfer(m_network, this, m_settings.timeout);
    Inet1->setObjectName(QStringLiteral("Inet1"));
    createControls();
}

void Form1::createControls()
{
    setFixedSize(278, 415);

    Label3 = makeControl<QLabel>(this, "Label3", {8, 88, 129, 17});
    Label3->setText(QStringLiteral("Ideal Domain or Keywords:"));
    Image2 = makeControl<PictureBox>(this, "Image2", {232, 104, 32, 19});
    Image2->setText(QStringLiteral("Go"));
    Image2->setToolTip(QStringLiteral("Search for domain!"));
    Image4 = makeControl<PictureBox>(this, "Image4", {160, 360, 63, 19});
    Image4->setText(QStringLiteral("Register"));
    Image4->hide();
    Label8 = makeControl<QLabel>(this, "Label8", {8, 360, 65, 17});
    Label8->setText(QStringLiteral("Total Found:"));
    Label9 = makeControl<QLabel>(this, "Label9", {72, 360, 33, 17});
    Label9->setText(QStringLiteral("0"));

    Text2 = makeControl<QLineEdit>(this, "Text2", {8, 104, 217, 19});
    Text2->setToolTip(QStringLiteral("Type the ideal domain name that you would like"));
    Text2->installEventFilter(this);
    List1 = makeControl<ListBox>(this, "List1", {8, 128, 217, 226});
    List1->setToolTip(QStringLiteral("Double Click to search on selected domain name"));
    Picture1 = makeControl<QWidget>(this, "Picture1", {-8, 400, 297, 17});
    Label2 = makeControl<QLabel>(Picture1, "Label2", {0, 0, 161, 17});
    Label2->setText(QStringLiteral("    ") + QLatin1String(kMakerHost));

    const std::array<QCheckBox **, 6> boxes{&Check1, &Check2, &Check3, &Check4, &Check5, &Check6};
    const std::array<void (Form1::*)(), 6> handlers{&Form1::Check1_Click, &Form1::Check2_Click,
                                                     &Form1::Check3_Click, &Form1::Check4_Click,
                                                     &Form1::Check5_Click, &Form1::Check6_Click};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const int y = 136 + 24 * static_cast<int>(i);
        QCheckBox *box = makeControl<QCheckBox>(this, ("Check" + std::to_string(i + 1)).c_str(),
                                                {232, y, i == 0 ? 57 : 41, 13});
        box->setText(QString::fromUtf8(kExtensionTable[i].caption.data(),
                                       static_cast<qsizetype>(kExtensionTable[i].caption.size())));
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, handlers[i]);
        *boxes[i] = box;
    }
    List2 = makeControl<ListBox>(this, "List2", {184, 56, 89, 17});
    List2->hide();

    connect(Image2, &PictureBox::clicked, this, &Form1::Image2_Click);
    connect(List1, &ListBox::doubleClicked, this, &Form1::List1_DblClick);
    Text2->setFocus();
}

void Form1::setStatus(const QString &text)
{
    Label2->setText(text);
    emit statusChanged(text);
}

std::array<QCheckBox *, 6> Form1::extensionBoxes() const
{
    return {Check1, Check2, Check3, Check4, Check5, Check6};
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text2 && event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            Text2_KeyUp(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // A search waiting or writing in a nested event loop stops at its next step
    // and touches nothing more.
    if (m_running)
        m_abandoned = true;
    QWidget::closeEvent(event);
}

void Form1::Text2_KeyUp(int keyCode, Qt::KeyboardModifiers)
{
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter)
        Image2_Click();
}

void Form1::List1_DblClick()
{
    if (m_running)
        return;
    Text2->setText(List1->selectedText());
    Image2_Click();
}

void Form1::Image2_Click()
{
    // The page-writing loop lets events run: a second start from there would
    // reopen the capture file under the first one, so it is ignored.
    if (m_running)
        return;
    m_running = true;
    m_abandoned = false;
    const auto finished = qScopeGuard([this] { m_running = false; });
    try {
        runSearch();
    } catch (const SearchError &error) {
        endFailedRun(error);
    }
}

void Form1::runSearch()
{
    std::optional<WaitCursor> busy(std::in_place);
    List1->clear();
    List2->clear();
    if (QFileInfo(m_files.capture).isFile())
        QFile::remove(m_files.capture);
    List1->addItem(QStringLiteral("Searching...please wait"));
    setStatus(QStringLiteral("    Searching..."));

    const QUrl url = whoisRequestUrl(m_settings.registrarHost, Text2->text());
    QByteArray page = Inet1->fetchDocument(url);
    page += Inet1->nextPiece();
    if (m_abandoned)
        return;

    QFile capture(m_files.capture);
    if (!capture.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw fileError(capture);
    while (!page.isEmpty()) {
        QCoreApplication::processEvents();
        if (m_abandoned)
            return;
        if (capture.write(page) != page.size())
            throw fileError(capture);
        page = Inet1->nextPiece();
    }
    busy.reset();
    if (!capture.flush())
        throw fileError(capture);
    capture.close();
    setStatus(QStringLiteral("    Cleaning File..."));
    CleanCaptureFile();
}

void Form1::endFailedRun(const SearchError &error)
{
    // The pointer and the capture file were released on the way out of runSearch().
    if (m_abandoned)
        return;
    List1->clear();
    List2->clear();
    Label9->setText(QStringLiteral("0"));
    setStatus(QStringLiteral("    Search failed"));
    QMessageBox::critical(this, QStringLiteral("Varnex"),
                          QStringLiteral("Error %1: %2").arg(error.number()).arg(QString::fromStdString(error.what())));
}

void Form1::CleanCaptureFile()
{
    cleanCaptureFile(toPath(m_files.capture), toPath(m_files.cleaned));
    setStatus(QStringLiteral("    Scan File..."));
    ScanCaptureFile();
}

void Form1::ScanCaptureFile()
{
    List2->setItems(decodeNames(scanCaptureFile(toPath(m_files.capture))));
    setStatus(QStringLiteral("    List complete!"));
    Image4->setVisible(true);
    ApplyExtensionFilter();
}

void Form1::ApplyExtensionFilter()
{
    TickedExtensions ticked;
    const auto boxes = extensionBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        ticked.set(i, boxes[i]->checkState() == Qt::Checked);
    List1->setItems(filterNames(List2->items(), ticked));
    Label9->setText(QString::number(List1->count()));
}

void Form1::Check1_Click() { ApplyExtensionFilter(); }
void Form1::Check2_Click() { ApplyExtensionFilter(); }
void Form1::Check3_Click() { ApplyExtensionFilter(); }
void Form1::Check4_Click() { ApplyExtensionFilter(); }
void Form1::Check5_Click() { ApplyExtensionFilter(); }
void Form1::Check6_Click() { ApplyExtensionFilter(); }

} // namespace varnex

// The search chain: the search run and the page scan and filter it goes through.

#include "search/byte_buffer.h"
#include "search/name_lists.h"
#include "search/page_scan.h"
#include "search/request_url.h"
#include "search/search_error.h"
#include "ui/main_window/error_message.h"
#include "ui/main_window/form1.h"
#include "ui/main_window/input_hold.h"
#include "ui/main_window/list_box.h"
#include "ui/common/clickable_label.h"
#include "ui/main_window/wait_cursor.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>

#include <optional>

namespace varnex {

namespace {

void appendPiece(ByteBuffer &page, const QByteArray &piece)
{
    page.append(std::string_view(piece.constData(), std::size_t(piece.size())));
}

SearchError fileError(const QFile &file)
{
    return SearchError(file.error(), QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()).toStdString());
}

} // namespace

void Form1::setStatus(const QString &text)
{
    Label2->setText(text);
    emit statusChanged(text);
}

std::array<QCheckBox *, 6> Form1::extensionBoxes() const
{
    return {Check1, Check2, Check3, Check4, Check5, Check6};
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
    // The name box shows the name as the list draws it. One that holds
    // characters acting on the text around it (a right-to-left override, say)
    // would search for a name other than the one shown, so it is not searched.
    const QString name = List1->selectedText();
    const QString shown = visibleText(name);
    Text2->setText(shown);
    if (shown != name) {
        setStatus(QStringLiteral("    Not searched: hidden text"));
        return;
    }
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
    // While the page comes the windows repaint and their input waits, so nothing
    // new starts; a close request is not input and ends the wait (closeEvent()).
    InputHold input;
    ByteBuffer page = Inet1->fetchDocument(url);
    appendPiece(page, Inet1->nextPiece());
    if (m_abandoned)
        return;
    input.handBack();

    // A run that fails or is closed while writing leaves no part of a page behind.
    QFile capture(m_files.capture);
    auto removePart = qScopeGuard([&capture] { capture.remove(); });
    if (!capture.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw fileError(capture);
    while (page.size() != 0) {
        QCoreApplication::processEvents();
        if (m_abandoned)
            return;
        const std::string_view bytes = page.view();
        if (capture.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            throw fileError(capture);
        page.clear();
        appendPiece(page, Inet1->nextPiece());
    }
    page = ByteBuffer(); // the capture file holds it now; the scan needs the memory more
    busy.reset();
    if (!capture.flush())
        throw fileError(capture);
    capture.close();
    removePart.dismiss();
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
    QMessageBox::critical(this, QStringLiteral("Varnex"), searchErrorMessage(error, m_settings.registrarHost));
}

void Form1::CleanCaptureFile()
{
    cleanCaptureFile(localPath(m_files.capture), localPath(m_files.cleaned));
    setStatus(QStringLiteral("    Scan File..."));
    ScanCaptureFile();
}

void Form1::ScanCaptureFile()
{
    List2->setItems(scanCaptureNames(localPath(m_files.capture)));
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

void Form1::Check1_Click()
{
    ApplyExtensionFilter();
}
void Form1::Check2_Click()
{
    ApplyExtensionFilter();
}
void Form1::Check3_Click()
{
    ApplyExtensionFilter();
}
void Form1::Check4_Click()
{
    ApplyExtensionFilter();
}
void Form1::Check5_Click()
{
    ApplyExtensionFilter();
}
void Form1::Check6_Click()
{
    ApplyExtensionFilter();
}

} // namespace varnex

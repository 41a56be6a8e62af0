#pragma once

#include "search/capture_folder.h"
#include "search/http_transfer.h"
#include "search/registrar_host.h"

#include <QNetworkAccessManager>
#include <QWidget>

#include <array>
#include <chrono>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace varnex {

class ListBox;
class PictureBox;
class SearchError;

// Where a search goes and where it leaves its files. The defaults are the
// program's own; tests point them at a loopback server and a scratch folder.
struct SearchSettings {
    QString registrarHost = QString::fromLatin1(kRegistrarHost);
    QString captureFolder; // empty: defaultCaptureFolder()
    std::chrono::milliseconds timeout = HttpTransfer::kTimeout;
};

// The main window. Each control event has one handler named after the control
// and the event; a search runs wholly inside Image2_Click.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    explicit Form1(SearchSettings settings = {}, QWidget *parent = nullptr);

    // The search run: fetch the page, capture it, clean, scan and filter it.
    void Image2_Click();
    void Text2_KeyUp(int keyCode, Qt::KeyboardModifiers shift);
    void List1_DblClick();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Check6_Click();

signals:
    // The status line shows a new text.
    void statusChanged(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void setStatus(const QString &text);
    void runSearch();
    void endFailedRun(const SearchError &error);
    void CleanCaptureFile();
    void ScanCaptureFile();
    void ApplyExtensionFilter();
    std::array<QCheckBox *, 6> extensionBoxes() const;

    const SearchSettings m_settings;
    const CaptureFiles m_files;
    QNetworkAccessManager m_network;
    bool m_running = false;   // a search is between its first and last step
    bool m_abandoned = false; // the window was closed while it ran

    HttpTransfer *Inet1 = nullptr;
    QLineEdit *Text2 = nullptr;
    PictureBox *Image2 = nullptr;
    PictureBox *Image4 = nullptr;
    ListBox *List1 = nullptr;
    ListBox *List2 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QCheckBox *Check3 = nullptr;
    QCheckBox *Check4 = nullptr;
    QCheckBox *Check5 = nullptr;
    QCheckBox *Check6 = nullptr;
    QWidget *Picture1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
};

} // namespace varnex

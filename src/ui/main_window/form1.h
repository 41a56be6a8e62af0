#pragma once

#include "search/capture_folder.h"
#include "search/http_transfer.h"
#include "shared/registrar_host.h"
#include "ui/main_window/key_up_filter.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <QWidget>

#include <array>
#include <chrono>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;

namespace varnex {

class FlatStyle;
class Form2;
class ListBox;
class ClickableLabel;
class SearchError;

// Where a search goes and where it leaves its files. The defaults are the
// program's own; tests point them at a loopback server and a scratch folder.
struct SearchSettings {
    QString registrarHost = QString::fromLatin1(kRegistrarHost);
    QString captureFolder; // empty: defaultCaptureFolder()
    std::chrono::milliseconds timeout = HttpTransfer::kTimeout;
    // How long a release of a key in the name box waits for a press that would
    // make it one of a held key's repeats (KeyUpFilter).
    std::chrono::milliseconds keyRepeatGap = KeyUpFilter::kRepeatGap;
};

// The main window. Each control event has one handler named after the control
// and the event; a search runs wholly inside Image2_Click.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    explicit Form1(SearchSettings settings = {}, QWidget *parent = nullptr);
    ~Form1() override;

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

    // The purchase view: register picture opens it, back picture closes it.
    void Image4_Click();
    void Image9_Click();

    // Web links and the info button.
    void Image1_Click();
    void Image3_Click();
    void Image14_Click();
    void Image15_Click();
    void Image16_Click();
    void Label7_Click();
    void Label11_Click();

signals:
    // The status line shows a new text.
    void statusChanged(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createPurchasePanel();
    void Form_Load();
    void makePictureButton(ClickableLabel *button, QLabel *unpressed, QLabel *pressed, void (Form1::*click)());
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
    FlatStyle *m_flatStyle = nullptr;
    bool m_running = false;   // a search is between its first and last step
    bool m_abandoned = false; // the window was closed while it ran
    QPointer<Form2> m_about;  // the one About window while it is open

    HttpTransfer *Inet1 = nullptr;

    // Windowed controls.
    ListBox *List2 = nullptr;
    QCheckBox *Check6 = nullptr;
    QCheckBox *Check5 = nullptr;
    QCheckBox *Check4 = nullptr;
    QCheckBox *Check3 = nullptr;
    QCheckBox *Check2 = nullptr;
    QCheckBox *Check1 = nullptr;
    QFrame *Picture2 = nullptr;
    ClickableLabel *Label11 = nullptr; // inside Picture2, front to back
    QLabel *Image8 = nullptr;
    QLabel *Image5 = nullptr;
    QLabel *Label4 = nullptr;
    ClickableLabel *Label7 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label1 = nullptr;
    QFrame *Picture1 = nullptr;
    QLabel *Label2 = nullptr;
    ListBox *List1 = nullptr;
    QLineEdit *Text2 = nullptr;

    // Pictures and labels.
    ClickableLabel *Image16 = nullptr;
    ClickableLabel *Image15 = nullptr;
    ClickableLabel *Image14 = nullptr;
    QLabel *web1 = nullptr;
    QLabel *web0 = nullptr;
    QLabel *info1 = nullptr;
    QLabel *info0 = nullptr;
    QLabel *faq1 = nullptr;
    QLabel *faq0 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label8 = nullptr;
    ClickableLabel *Image9 = nullptr;
    QLabel *back1 = nullptr;
    QLabel *back0 = nullptr;
    QLabel *register1 = nullptr;
    QLabel *register0 = nullptr;
    ClickableLabel *Image4 = nullptr;
    ClickableLabel *Image3 = nullptr;
    ClickableLabel *Image2 = nullptr;
    QLabel *go1 = nullptr;
    QLabel *go0 = nullptr;
    QLabel *Label3 = nullptr;
    ClickableLabel *Image1 = nullptr;
};

} // namespace varnex

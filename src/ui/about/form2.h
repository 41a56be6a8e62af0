#pragma once

#include <QWidget>

class QLabel;

namespace varnex {

class ClickableLabel;

// The About window: the logo, a line of text and the maker's web host as a link.
// Modeless, owned by no other window and out of the task bar; either window
// can lie in front of the other. It deletes itself when closed.
class Form2 final : public QWidget {
    Q_OBJECT

public:
    Form2();

    void Image1_Click();
    void Label3_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();

    ClickableLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    ClickableLabel *Image1 = nullptr;
};

} // namespace varnex

#pragma once

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>

namespace varnex::test {

// Answers every message box that opens while it lives, keeping their texts, so
// a test never blocks on one. It closes a box directly, or, like a user, by
// pressing Enter on it and leaving the release to whatever gets it next.
class MessageBoxAnswerer final {
public:
    enum class Answer { Accept, PressEnter };

    explicit MessageBoxAnswerer(Answer answer = Answer::Accept)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            m_texts.append(box->text());
            if (answer == Answer::PressEnter && box->windowHandle())
                QTest::keyPress(box->windowHandle(), Qt::Key_Return);
            else
                box->accept();
        });
        m_timer.start(5);
    }

    const QStringList &texts() const { return m_texts; }

private:
    QTimer m_timer;
    QStringList m_texts;
};

// A window's control by its object name; a test cannot go on without it.
template <typename Control = QWidget>
Control *findControl(const QObject *window, const char *name)
{
    auto *found = window->findChild<Control *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// True when this process holds the file open.
inline bool isOpenInThisProcess(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo &fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        if (!canonical.isEmpty() && fd.symLinkTarget() == canonical)
            return true;
    }
    return false;
}

} // namespace varnex::test

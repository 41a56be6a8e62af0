#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

namespace varnex {

// A list of plain text entries in the order they were added, one selectable at
// a time. Backed by a string list, so a whole list of names goes in at once.
class ListBox final : public QListView {
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    void addItem(const QString &text);
    void setItems(const QStringList &items);
    void clear();
    QStringList items() const;
    int count() const;
    // The selected entry's text, empty when none is selected.
    QString selectedText() const;

signals:
    // A double-click anywhere in the list, after the selection has followed it.
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QStringListModel *m_model;
};

} // namespace varnex

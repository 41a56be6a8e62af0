#include "ui/main_window/list_box.h"

#include "search/name_lists.h"

#include <QStringListModel>
#include <QStyledItemDelegate>

namespace varnex {

namespace {

// Draws each entry with its acting characters written out; the model keeps the text itself.
class VisibleTextDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant &value, const QLocale &) const override { return visibleText(value.toString()); }
};

} // namespace

ListBox::ListBox(QWidget *parent) : QListView(parent), m_model(new QStringListModel(this))
{
    setModel(m_model);
    setItemDelegate(new VisibleTextDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true); // lays out a long list of names without measuring each
}

void ListBox::addItem(const QString &text)
{
    const int row = m_model->rowCount();
    m_model->insertRows(row, 1);
    m_model->setData(m_model->index(row), text);
}

void ListBox::setItems(const QStringList &items)
{
    m_model->setStringList(items);
}

void ListBox::clear()
{
    m_model->setStringList({});
}

QStringList ListBox::items() const
{
    return m_model->stringList();
}

int ListBox::count() const
{
    return m_model->rowCount();
}

QString ListBox::selectedText() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : selected.first().data().toString();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

} // namespace varnex

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/ListBoxAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QItemSelectionModel>
#include <QListView>

#include "ui/qt/ItemListModel.h"

namespace orvalen::ui {

namespace {

class ListBoxRow;

// The box: a list whose children are its rows, also offered as a one-column
// table, through which AT-SPI reads the row count and the selection.
class ListBoxAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit ListBoxAccessible(QListView* view) : QAccessibleWidget(view, QAccessible::List) {}
    ~ListBoxAccessible() override { dropRows(); }

    QListView* view() const { return static_cast<QListView*>(widget()); }
    QModelIndex indexOf(int row) const {
        return view()->model()->index(row, view()->modelColumn(), view()->rootIndex());
    }

    // QAccessibleInterface
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return view()->model() ? view()->model()->rowCount(view()->rootIndex()) : 0; }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = view()->indexAt(local);
        return index.isValid() ? child(index.row()) : nullptr;
    }

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return column == 0 ? child(row) : nullptr;
    }
    int columnCount() const override { return 1; }
    int rowCount() const override { return childCount(); }
    QString columnDescription(int) const override { return text(QAccessible::Name); }
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override { return int(selectedRows().size()); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (int row : selectedRows()) cells << child(row);
        return cells;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        if (const QItemSelectionModel* selection = view()->selectionModel())
            for (const QModelIndex& index : selection->selectedRows(view()->modelColumn())) rows << index.row();
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        const QItemSelectionModel* selection = view()->selectionModel();
        return selection && selection->isSelected(indexOf(row));
    }
    bool selectRow(int row) override {
        if (row < 0 || row >= rowCount() || !view()->selectionModel()) return false;
        view()->selectionModel()->select(indexOf(row), QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override {
        if (!isRowSelected(row)) return false;
        view()->selectionModel()->select(indexOf(row), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return true;
    }
    bool unselectColumn(int) override { return false; }
    // Rows come and go with the model: the row objects are made afresh.
    void modelChange(QAccessibleTableModelChangeEvent*) override { dropRows(); }

private:
    void dropRows() const {
        for (QAccessible::Id id : std::as_const(m_rows)) QAccessible::deleteAccessibleInterface(id);
        m_rows.clear();
    }

    mutable QHash<int, QAccessible::Id> m_rows;
};

// One row of a box, read as the text the box shows in it.
class ListBoxRow : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    ListBoxRow(ListBoxAccessible* box, int row) : m_box(box), m_row(row) {}

    bool isValid() const override { return m_box->isValid() && m_row < m_box->rowCount(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return m_box; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return {};
        return m_box->indexOf(m_row).data(Qt::AccessibleTextRole).toString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QListView* view = m_box->view();
        const QRect local = view->visualRect(m_box->indexOf(m_row));
        return QRect(view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        const QListView* view = m_box->view();
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.focused = view->hasFocus() && view->currentIndex() == m_box->indexOf(m_row);
        s.invisible = !view->isVisible() ||
                      !view->viewport()->rect().intersects(view->visualRect(m_box->indexOf(m_row)));
        s.disabled = !view->isEnabled();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this)
                                                       : nullptr;
    }

    // QAccessibleTableCellInterface
    int columnExtent() const override { return 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int rowIndex() const override { return m_row; }
    bool isSelected() const override { return m_box->isRowSelected(m_row); }
    QAccessibleInterface* table() const override { return m_box; }

    int row() const { return m_row; }

private:
    ListBoxAccessible* m_box;
    int m_row;
};

QAccessibleInterface* ListBoxAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    if (const auto found = m_rows.constFind(index); found != m_rows.cend())
        return QAccessible::accessibleInterface(*found);
    auto* row = new ListBoxRow(const_cast<ListBoxAccessible*>(this), index);
    m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

int ListBoxAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child || child->parent() != this || child->role() != QAccessible::ListItem) return -1;
    return static_cast<const ListBoxRow*>(child)->row();
}

QAccessibleInterface* listBoxFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QListView")) return nullptr;
    auto* view = qobject_cast<QListView*>(object);
    // By name too: the interface may be asked for before the box has its model.
    if (!view || (!qobject_cast<ItemListModel*>(view->model()) &&
                  view->objectName() != QLatin1String("lstSource") &&
                  view->objectName() != QLatin1String("lstDestination")))
        return nullptr;
    return new ListBoxAccessible(view);
}

}  // namespace

void InstallListBoxAccessible() {
    static const bool installed = (QAccessible::installFactory(listBoxFactory), true);
    Q_UNUSED(installed);
}

}  // namespace orvalen::ui

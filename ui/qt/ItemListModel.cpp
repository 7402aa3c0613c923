// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/ItemListModel.h"

#include <QListView>

#include <QItemSelectionModel>

#include "ui/qt/FileSystemText.h"

namespace orvalen::ui {

ItemListModel::ItemListModel(ItemList& items, QObject* parent)
    : QAbstractTableModel(parent), m_items(items), m_selection(new QItemSelectionModel(this, this)) {
    connect(m_selection, &QItemSelectionModel::selectionChanged, this,
            &ItemListModel::followSelection);
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_items.count();
}

int ItemListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_items.count()) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole)
        return {};
    const std::string& text = index.column() == SourceColumn ? m_items.source(index.row())
                                                             : m_items.destination(index.row());
    // The boxes are narrow: the tooltip carries the whole path.
    return ShownText(text);
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == SourceColumn ? QStringLiteral("Sources") : QStringLiteral("Destinations");
}

bool ItemListModel::append(const QString& source, const QString& destination, bool isFile) {
    if (m_items.isFull()) return false;
    const int row = m_items.count();
    beginInsertRows(QModelIndex(), row, row);
    m_items.append(NameToFileSystem(source), NameToFileSystem(destination), isFile);
    endInsertRows();
    return true;
}

void ItemListModel::replace(int row, const QString& source, const QString& destination) {
    m_items.replace(row, NameToFileSystem(source), NameToFileSystem(destination));
    emit dataChanged(index(row, SourceColumn), index(row, DestinationColumn));
    m_selection->clear();
}

void ItemListModel::remove(int row) {
    if (row < 0 || row >= m_items.count()) {
        m_items.remove(row);  // reports the bad row with its number, as the list does
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_items.remove(row);
    endRemoveRows();
    // Rows above the removed one would otherwise stay selected, shifted.
    m_selection->clear();
    m_items.setSelectedRow(-1);
}

void ItemListModel::selectRow(int row) {
    if (row < 0 || row >= m_items.count()) {
        m_selection->clear();
        return;
    }
    m_selection->setCurrentIndex(index(row, SourceColumn),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ItemListModel::followSelection() {
    // Any selected cell stands for its row, in case a box selects single cells.
    const QModelIndexList cells = m_selection->selectedIndexes();
    m_items.setSelectedRow(cells.isEmpty() ? -1 : cells.first().row());
}

QListView* MakeItemListView(const QString& name, const QString& accessibleName, int column,
                            ItemListModel* model, QWidget* parent) {
    auto* list = new QListView(parent);
    list->setObjectName(name);
    list->setModel(model);
    list->setModelColumn(column);
    list->setSelectionModel(model->selectionModel());
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Paths are long and the boxes narrow: the end of a path, its name, is
    // what tells the rows apart, so a long path loses its start, and the rows
    // keep the box's width instead of scrolling sideways past the name.
    list->setTextElideMode(Qt::ElideLeft);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setWordWrap(false);
    list->setUniformItemSizes(true);
    list->setAccessibleName(accessibleName);
    return list;
}

}  // namespace orvalen::ui

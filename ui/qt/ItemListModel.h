// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include "core/ItemList.h"

class QItemSelectionModel;
class QListView;
class QWidget;

namespace orvalen::ui {

// The item list as lstSource (column 0) and lstDestination (column 1) show it.
// Both boxes share this model's one selection model, selecting whole rows, so
// they always have the same row selected. Every change to the list goes
// through here, and the list's selected row follows the selection.
class ItemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SourceColumn = 0, DestinationColumn = 1 };

    explicit ItemListModel(ItemList& items, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    QItemSelectionModel* selectionModel() const { return m_selection; }

    // A new last row, not selected. False, and nothing changed, when full.
    bool append(const QString& source, const QString& destination, bool isFile);
    // Row `row` gets the new paths, keeping its kind and place; no row stays selected.
    void replace(int row, const QString& source, const QString& destination);
    // Later rows move up with their kinds; no row stays selected.
    void remove(int row);

    // -1 when no row is selected.
    int selectedRow() const { return m_items.selectedRow(); }
    // Selects `row` in both boxes; a row outside the list clears the selection.
    void selectRow(int row);

private:
    void followSelection();

    ItemList& m_items;
    QItemSelectionModel* m_selection;
};

// A list box showing `column` of `model`, sharing its selection.
QListView* MakeItemListView(const QString& name, const QString& accessibleName, int column,
                            ItemListModel* model, QWidget* parent);

}  // namespace orvalen::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/DirListBox.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

#include <exception>

#include "core/PathText.h"
#include "core/RuntimeError.h"
#include "platform/VolumeSource.h"
#include "ui/logic/BrowseLogic.h"
#include "ui/qt/FileSystemText.h"

namespace orvalen::ui {

namespace {
constexpr int kPathRole = Qt::UserRole;      // full path, kept on the open folder and its ancestors
constexpr int kNameRole = Qt::UserRole + 1;  // exact name of a sub-folder; its text is only what is shown
}

DirListBox::DirListBox(platform::VolumeSource& source, QWidget* parent)
    : QTreeWidget(parent), m_source(source) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A small step per level: Linux paths run deeper than drive letters did,
    // and the list is narrow.
    setIndentation(fontMetrics().averageCharWidth() + 2);
    // Long names scroll sideways instead of being cut.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { openItem(item); });
}

int DirListBox::setPath(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    const bool changed = clean != m_path;
    m_path = clean;
    const int failure = fill(QString());
    if (changed) emit pathChanged(m_path);
    return failure;
}

void DirListBox::refresh() {
    const QTreeWidgetItem* current = currentItem();
    // Only a highlighted sub-folder needs finding again; an ancestor is rebuilt as it was.
    const QString highlight =
        current && !current->data(0, kPathRole).isValid() ? current->data(0, kNameRole).toString() : QString();
    fill(highlight);
}

QString DirListBox::highlightedPath() const {
    const QTreeWidgetItem* item = currentItem();
    if (!item || !item->isSelected()) return QString();
    const QVariant full = item->data(0, kPathRole);
    return full.isValid() ? full.toString() : JoinPath(m_path, item->data(0, kNameRole).toString());
}

void DirListBox::openRow(int row) {
    QTreeWidgetItem* item = topLevelItem(0);
    for (int i = 0; item && i < row; ++i) item = itemBelow(item);
    if (item) openItem(item);
}

int DirListBox::fill(const QString& highlight) {
    int failure = 0;
    std::vector<std::string> subFolders;
    try {
        for (const QString& name : SortedForPeople(m_source.listFolder(NameToFileSystem(m_path)).folders))
            subFolders.push_back(NameToFileSystem(name));
    } catch (const RuntimeError& e) {
        failure = e.number();  // the folder stays open, with no sub-folders shown
    } catch (const std::exception&) {
        failure = err::kPathFileAccess;
    }
    const std::vector<FolderRow> rows = FolderRows(NameToFileSystem(m_path), subFolders);
    const std::size_t highlighted = HighlightedRow(rows, NameToFileSystem(highlight));

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirIcon);

    // The chain from the root down to the open folder, each item the child of
    // the one above, so that the tree indents every level one step further;
    // the sub-folders are children of the open folder.
    QTreeWidgetItem* root = nullptr;
    QTreeWidgetItem* open = nullptr;
    QTreeWidgetItem* current = nullptr;
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FolderRow& row = rows[i];
        const QString shown = ShownName(NameFromFileSystem(row.text));
        auto* item = new QTreeWidgetItem(QStringList{shown});
        if (row.open) {
            item->setIcon(0, openIcon);
            item->setData(0, kPathRole, NameFromFileSystem(row.path));
            if (open) {
                item->setToolTip(0, ShownName(NameFromFileSystem(row.path)));
                open->addChild(item);
            } else {
                root = item;
            }
            open = item;
        } else {
            item->setIcon(0, closedIcon);
            item->setData(0, kNameRole, NameFromFileSystem(row.text));
            item->setToolTip(0, shown);  // a long name is cut by the narrow list
            children << item;
        }
        if (i == highlighted) current = item;
    }
    open->addChildren(children);

    clear();
    // Added whole, so the view takes the new rows in one go.
    addTopLevelItem(root);
    expandAll();
    setCurrentItem(current);
    scrollToItem(currentItem());
    return failure;
}

void DirListBox::openItem(QTreeWidgetItem* item) {
    if (!item) return;
    const QVariant full = item->data(0, kPathRole);
    setPath(full.isValid() ? full.toString() : JoinPath(m_path, item->data(0, kNameRole).toString()));
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    // Enter belongs to the dialog, which presses its default button (Select);
    // only a double-click opens a folder.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

}  // namespace orvalen::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/FileListBox.h"

#include <QDir>

#include <exception>

#include "platform/VolumeSource.h"
#include "ui/qt/FileSystemText.h"

namespace orvalen::ui {

namespace {
constexpr int kNameRole = Qt::UserRole;
}

FileListBox::FileListBox(platform::VolumeSource& source, QWidget* parent)
    : QListWidget(parent), m_source(source) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Equal rows let the view lay out 10,000 names without measuring each.
    setUniformItemSizes(true);
}

void FileListBox::setPath(const QString& folder) {
    m_path = QDir::cleanPath(folder);
    fill(QString());
}

void FileListBox::refresh() { fill(fileName()); }

QString FileListBox::fileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(kNameRole).toString();
}

void FileListBox::fill(const QString& highlight) {
    QStringList names;
    try {
        names = SortedForPeople(m_source.listFolder(NameToFileSystem(m_path)).files);
    } catch (const std::exception&) {
        // A folder that cannot be read shows no files; the user can still
        // pick another one.
    }
    clear();
    QListWidgetItem* highlighted = nullptr;
    for (const QString& name : names) {
        const QString shown = ShownName(name);
        auto* entry = new QListWidgetItem(shown, this);
        entry->setData(kNameRole, name);  // the exact name; the text is only what is shown
        entry->setToolTip(shown);  // a long name is cut by the narrow list
        if (!highlight.isEmpty() && name == highlight) highlighted = entry;
    }
    if (highlighted) {
        setCurrentItem(highlighted);
        scrollToItem(highlighted);
    }
}

}  // namespace orvalen::ui

#include "ui/FileListBox.h"

#include <QDir>

#include <exception>

#include "platform/VolumeSource.h"
#include "ui/FileSystemText.h"

namespace orvalen::ui {

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
    return selected.isEmpty() ? QString() : selected.first()->text();
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
    addItems(names);
    // A long name is cut by the narrow list; its tooltip shows it whole.
    for (int row = 0; row < count(); ++row) item(row)->setToolTip(item(row)->text());
    if (!highlight.isEmpty()) {
        const QList<QListWidgetItem*> found = findItems(highlight, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty()) {
            setCurrentItem(found.first());
            scrollToItem(found.first());
        }
    }
}

}  // namespace orvalen::ui

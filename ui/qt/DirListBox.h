// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTreeWidget>

namespace orvalen::platform {
class VolumeSource;
}

namespace orvalen::ui {

// The classic folder list: the open folder's ancestors from the root down to
// it, then its sub-folders, each one step further in. Highlighting a folder
// changes nothing; double-click opens it, which changes `path()`. Enter is
// left to the dialog.
class DirListBox : public QTreeWidget {
    Q_OBJECT

public:
    explicit DirListBox(platform::VolumeSource& source, QWidget* parent = nullptr);

    // The open folder (Dir1.Path), a full path.
    QString path() const { return m_path; }

    // Opens `folder` and lists its sub-folders; emits pathChanged when the open
    // folder changes. Returns 0, or the failure number when the sub-folders
    // could not be listed: the folder is open all the same, with none shown.
    int setPath(const QString& folder);

    // Lists the open folder again, keeping the highlighted sub-folder.
    void refresh();

    // The full path of the highlighted entry, open or not; empty when none.
    QString highlightedPath() const;

    // Opens the entry at `row` of the list as shown (0 is the root).
    void openRow(int row);

signals:
    void pathChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // No expand arrows or lines: every entry is always shown.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

private:
    int fill(const QString& highlight);
    void openItem(QTreeWidgetItem* item);

    platform::VolumeSource& m_source;
    QString m_path;
};

}  // namespace orvalen::ui

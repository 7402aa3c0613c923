// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>
#include <QString>

namespace orvalen::platform {
class VolumeSource;
}

namespace orvalen::ui {

// The classic file list: the ordinary files of one folder, hidden ones left
// out, one of them highlighted or none.
class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(platform::VolumeSource& source, QWidget* parent = nullptr);

    // The folder listed (File1.Path).
    QString path() const { return m_path; }

    // Lists `folder`, with nothing highlighted. A folder that cannot be read
    // shows an empty list.
    void setPath(const QString& folder);

    // Lists the folder again, keeping the highlighted file if it is still there.
    void refresh();

    // The highlighted file's name without its folder (File1.FileName), or empty.
    QString fileName() const;

private:
    void fill(const QString& highlight);

    platform::VolumeSource& m_source;
    QString m_path;
};

}  // namespace orvalen::ui

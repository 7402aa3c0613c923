// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/qt/frmMain.h"

// Drives frmMain the way a user does: by its controls, found by their names.
namespace testsupport {

class MainWindowDriver {
public:
    explicit MainWindowDriver(orvalen::ui::frmMain& window) : m_window(window) {}

    QPushButton* button(const char* name) const {
        return m_window.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QLabel* label(const char* name) const {
        return m_window.findChild<QLabel*>(QString::fromLatin1(name));
    }
    QListView* list(const char* name) const {
        return m_window.findChild<QListView*>(QString::fromLatin1(name));
    }
    QLineEdit* interval() const { return m_window.findChild<QLineEdit*>(QStringLiteral("txtTimeInterval")); }
    QTimer* timer() const { return m_window.findChild<QTimer*>(QStringLiteral("tmrTimer")); }
    QString status() const { return label("lblStatus")->text(); }

    // Add File or Add Folder, both paths as the browse dialog writes them, OK.
    void addItem(const QString& source, const QString& destination, bool isFile) {
        button(isFile ? "cmdAddFile" : "cmdAddFolder")->click();
        m_window.setSourcePathCaption(source);
        m_window.setDestinationPathCaption(destination);
        button("cmdOK")->click();
    }

    // The row texts that lstSource or lstDestination shows.
    QStringList rows(const char* listName) const {
        QListView* view = list(listName);
        QStringList out;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            out << view->model()->index(r, view->modelColumn()).data().toString();
        return out;
    }

    // The selected rows as the box shows them (its column of the shared selection).
    QList<int> selectedRows(const char* listName) const {
        QListView* view = list(listName);
        QList<int> out;
        for (const QModelIndex& i : view->selectionModel()->selectedIndexes())
            if (i.column() == view->modelColumn()) out << i.row();
        return out;
    }

    // A mouse click on a row of a list box.
    void clickRow(const char* listName, int row) {
        QListView* view = list(listName);
        const QModelIndex index = view->model()->index(row, view->modelColumn());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

private:
    orvalen::ui::frmMain& m_window;
};

}  // namespace testsupport

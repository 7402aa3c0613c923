// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the program's four windows at once, each built as the program builds
// it, so that a window manager's view of them can be read from outside.
// With --item-list: only the main window, holding the rows given on the
// command line as SOURCE DESTINATION pairs, the second row selected.
#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTimer>

#include "core/mdlMain.h"
#include "ui/qt/BrowseLauncher.h"
#include "ui/qt/ItemListModel.h"
#include "ui/qt/frmAbout.h"
#include "ui/qt/frmBrowse.h"
#include "ui/qt/frmInstructions.h"
#include "ui/qt/frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    orvalen::mdlMain shared;
    orvalen::ui::frmMain main(shared);
    main.show();
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == QLatin1String("--item-list")) {
        for (int i = 2; i + 1 < args.size(); i += 2) main.itemModel().append(args[i], args[i + 1], true);
        main.Mode1();
        main.itemModel().selectRow(1);
        return QApplication::exec();
    }
    // The browse dialog is hidden and shown again between uses: the other
    // windows appear only once it shows the second time, which counts.
    QTimer::singleShot(0, &main, [&main] {
        QDialog& browse = main.browseLauncher().dialog();
        QTimer::singleShot(500, &browse, &QDialog::reject);
        main.browseLauncher().show();
        orvalen::ui::frmAbout::showSingle();
        (new orvalen::ui::frmInstructions(&main))->show();
        main.browseLauncher().show();
    });
    // Left behind by a killed test, it still goes away.
    QTimer::singleShot(120000, &app, &QCoreApplication::quit);
    return QApplication::exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "Version.h"
#include "core/AppTitle.h"
#include "core/mdlMain.h"
#include "platform/LocalFileSystem.h"
#include "platform/SystemPassLog.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/frmMain.h"

namespace {

// Qt's own messages while it connects to the display. Held back so that a
// failed connection ends in one clear line instead of a stack of warnings.
QStringList g_heldBack;
bool g_holding = false;

void holdBackOrFail(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        std::fprintf(stderr, "Orvalen cannot open the graphical display%s%s.\n",
                     display.isEmpty() ? "" : " ", display.constData());
        std::_Exit(EXIT_FAILURE);
    }
    if (g_holding) {
        g_heldBack << message;
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// A platform chosen by the user is theirs to get right; otherwise a window
// needs an X11 or Wayland display.
bool displayAvailable() {
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!displayAvailable()) {
        std::fprintf(stderr, "Orvalen needs a graphical display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n");
        return EXIT_FAILURE;
    }

    g_holding = true;
    const QtMessageHandler previous = qInstallMessageHandler(holdBackOrFail);
    QApplication app(argc, argv);
    g_holding = false;
    qInstallMessageHandler(previous);
    for (const QString& message : std::as_const(g_heldBack))
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());

    QApplication::setApplicationName(QString::fromLatin1(orvalen::kTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(orvalen::kVersionText));
    QApplication::setWindowIcon(orvalen::ui::AppIcon());
    // Exit is the program's one way to end; no window closing ends it by accident.
    QApplication::setQuitOnLastWindowClosed(false);

    orvalen::mdlMain shared;
    shared.MakeFileSystem = orvalen::platform::MakeLocalFileSystemInHelper;

    orvalen::ui::frmMain window(shared);
    const auto passLog = orvalen::platform::MakeSystemPassLog();
    window.passRunner().setPassLog(passLog.get());
    window.Form_Load();
    return orvalen::ui::ExecUntilExit(window);
}

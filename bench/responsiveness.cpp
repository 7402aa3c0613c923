// SPDX-License-Identifier: GPL-3.0-or-later
// How the window answers while a pass hangs on a share whose server stopped
// answering (SIGSTOP, as behind a dropped Wi-Fi or VPN): the worst lateness
// of a 10 ms timer on the window's thread, and how long File > Exit takes to
// end the process. The window runs in a child process over the Samba share
// of the tests (smbd on 127.0.0.1), reached through smbnetfs and then through
// GNOME's GVfs where it can be started; needs root.
//
//   responsiveness [--seconds N] [--check]
//
// Prints `NAME ratio=R target=1.0` lines, R being the figure over its limit
// (100 ms lateness, 1 s to exit). With --check, exits 1 when a ratio is above
// 1 or the pass was not in fact blocked while measuring.

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/mdlMain.h"
#include "platform/LocalFileSystem.h"
#include "platform/SystemPassLog.h"
#include "tests/share/GvfsSession.h"
#include "tests/share/SambaShare.h"
#include "ui/qt/frmMain.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kLatenessLimitMs = 100;
constexpr double kExitLimitMs = 1000;

struct Report {
    double worstLatenessMs = 0;
    int blocked = 0;  // the pass was still under way when measuring ended
};

bool writeAll(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size) == static_cast<ssize_t>(size);
}

bool readAll(int fd, void* data, std::size_t size) {
    return ::read(fd, data, size) == static_cast<ssize_t>(size);
}

// The window's side: guard `source` into `destination`, tell the parent once
// the copy is there, measure once told that the server is stopped, then Exit.
[[noreturn]] void runWindow(const std::string& source, const std::string& destination, const std::string& copy,
                            int toParent, int fromParent, int seconds) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "responsiveness";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    orvalen::mdlMain shared;
    shared.MakeFileSystem = orvalen::platform::MakeLocalFileSystemInHelper;
    orvalen::ui::frmMain window(shared);
    const auto passLog = orvalen::platform::MakeSystemPassLog();
    window.passRunner().setPassLog(passLog.get());
    window.show();
    shared.Items.append(source, destination, true);
    window.findChild<QLineEdit*>(QStringLiteral("txtTimeInterval"))->setText(QStringLiteral("0.2"));
    window.cmdStart_Click();

    Report report;
    QTimer waitForCopy;
    QTimer tick;
    QElapsedTimer since;
    qint64 last = 0;
    QObject::connect(&waitForCopy, &QTimer::timeout, [&] {
        // Looked at while the server still answers.
        if (!fs::exists(copy)) return;
        waitForCopy.stop();
        char ready = 'R';
        char go = 0;
        if (!writeAll(toParent, &ready, 1) || !readAll(fromParent, &go, 1)) std::_Exit(2);
        since.start();
        last = 0;
        tick.start(10);
        QTimer::singleShot(seconds * 1000, [&] {
            tick.stop();
            report.blocked = window.passRunner().passRunning() ? 1 : 0;
            writeAll(toParent, &report, sizeof report);
            char exiting = 'X';
            writeAll(toParent, &exiting, 1);
            window.mnuFileExit_Click();
        });
    });
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = since.elapsed();
        const double late = static_cast<double>(now - last - 10);
        if (late > report.worstLatenessMs) report.worstLatenessMs = late;
        last = now;
    });
    waitForCopy.start(20);
    std::_Exit(orvalen::ui::ExecUntilExit(window));
}

// Guards a file into `shown` (the share as one client shows it), stops the
// server once the copy is there, and prints the two figures for that client.
// Returns false when a figure misses its limit or the pass never hung.
bool measure(const std::string& client, const std::string& shown, testsupport::SambaShare& share, int seconds) {
    const std::string folder = "guarded-" + client;
    const std::string source = share.root() + "/report.txt";
    std::ofstream(source) << "the report\n";
    fs::create_directories(share.server(folder));
    const std::string copy = shown + "/" + folder + "/report.txt";

    int up[2], down[2];
    if (::pipe(up) != 0 || ::pipe(down) != 0) return false;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(up[0]);
        ::close(down[1]);
        runWindow(source, shown + "/" + folder + "/", copy, up[1], down[0], seconds);
    }
    ::close(up[1]);
    ::close(down[0]);

    char ready = 0;
    if (!readAll(up[0], &ready, 1)) {
        std::fprintf(stderr, "responsiveness: %s: the window never made its copy\n", client.c_str());
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return false;
    }
    // The next pass finds the copy gone and hangs on the stopped server.
    fs::remove(share.server(folder + "/report.txt"));
    share.pauseServer(true);
    char go = 'G';
    writeAll(down[1], &go, 1);

    Report report;
    char exiting = 0;
    const bool reported = readAll(up[0], &report, sizeof report) && readAll(up[0], &exiting, 1);
    const auto exitAsked = Clock::now();
    ::waitpid(child, nullptr, 0);
    const double exitMs = std::chrono::duration<double, std::milli>(Clock::now() - exitAsked).count();
    share.pauseServer(false);
    ::close(up[0]);
    ::close(down[1]);
    if (!reported) {
        std::fprintf(stderr, "responsiveness: %s: the window ended without its figures\n", client.c_str());
        return false;
    }

    std::printf("# %s: server stopped for %d s, the pass hung in the share meanwhile: %s; worst lateness of a "
                "10 ms timer on the window's thread %.0f ms; File > Exit ended the process in %.0f ms\n",
                client.c_str(), seconds, report.blocked ? "yes" : "no", report.worstLatenessMs, exitMs);
    const double lateness = report.worstLatenessMs / kLatenessLimitMs;
    const double exitRatio = exitMs / kExitLimitMs;
    std::printf("window_lateness_while_share_hangs_%s ratio=%.3f target=1.0\n", client.c_str(), lateness);
    std::printf("exit_while_share_hangs_%s ratio=%.3f target=1.0\n", client.c_str(), exitRatio);
    std::fflush(stdout);
    return lateness <= 1.0 && exitRatio <= 1.0 && report.blocked;
}

}  // namespace

int main(int argc, char* argv[]) {
    int seconds = 20;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--check")) check = true;
        else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) seconds = std::atoi(argv[++i]);
    }
    if (::geteuid() != 0) {
        std::printf("responsiveness: skipped: needs root for the Samba share\n");
        return 0;
    }
    testsupport::SambaShare share;
    if (!share.whyNot().empty()) {
        std::printf("responsiveness: skipped: %s\n", share.whyNot().c_str());
        return 0;
    }
    bool met = measure("smbnetfs", share.mounted(), share, seconds);

    fs::create_directories(share.root() + "/gvfs");
    testsupport::GvfsSession gvfs(share.root() + "/gvfs");
    const std::string shown = gvfs.smbShare("127.0.0.1", "share");
    if (!gvfs.whyNot().empty()) std::printf("# gvfs: skipped: %s\n", gvfs.whyNot().c_str());
    else if (!gvfs.mount("smb://127.0.0.1/share", shown)) std::printf("# gvfs: skipped: the share did not mount\n");
    else met = measure("gvfs", shown, share, seconds) && met;
    return check && !met ? 1 : 0;
}

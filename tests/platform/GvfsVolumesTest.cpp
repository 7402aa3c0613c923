// SPDX-License-Identifier: GPL-3.0-or-later
// The drive list against a real GVfs: a private session bus, gvfsd, its FUSE
// client and an archive mounted with `gio mount` (a backend without a server).
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/posix/MountInfo.h"
#include "platform/posix/MountTables.h"
#include "platform/posix/SystemVolumeSource.h"
#include "support/TempTree.h"

namespace orvalen::platform {
void PrintTo(const Volume& v, std::ostream* out) { *out << v.displayText(); }
}  // namespace orvalen::platform

using namespace orvalen::platform;
using namespace std::chrono_literals;
using testsupport::TempTree;

namespace {

bool PollUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(50ms))
        if (done()) return true;
    return false;
}

std::string ReadAll(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Output goes to `log`, shown when a step fails; exec keeps the pid the program's.
pid_t Spawn(std::vector<std::string> argv, const std::string& log) {
    argv.insert(argv.begin(), {"/bin/sh", "-c", "exec \"$@\" >>" + log + " 2>&1", "sh"});
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    return ::posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) == 0 ? pid : -1;
}

// A command that ends by itself, bounded in time; the test's paths need no quoting.
int RunToEnd(const std::string& command, const std::string& log) {
    return std::system(("timeout 20 " + command + " >>" + log + " 2>&1").c_str());
}

void Stop(pid_t pid) {
    if (pid <= 0 || ::kill(pid, SIGTERM) != 0) return;
    if (!PollUntil([&] { return ::waitpid(pid, nullptr, WNOHANG) == pid; })) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

// gvfsd's children, started on any of its threads: the backends.
std::vector<pid_t> ChildrenOf(pid_t parent) {
    std::vector<pid_t> children;
    std::error_code gone;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(parent) + "/task", gone)) {
        std::istringstream pids(ReadAll(task.path() / "children"));
        for (pid_t pid = 0; pids >> pid;) children.push_back(pid);
    }
    return children;
}

bool IsMountPoint(const std::string& folder) {
    struct stat inside {}, above {};
    return ::stat(folder.c_str(), &inside) == 0 && ::stat((folder + "/..").c_str(), &above) == 0 &&
           inside.st_dev != above.st_dev;
}

}  // namespace

TEST(GvfsVolumes, mountedArchive_isADriveUnderGiosNameAndFusePath_onlyWithABus) {
    if (::geteuid() != 0 || ::access("/dev/fuse", W_OK) != 0) GTEST_SKIP() << "GVfs's FUSE mount needs root and /dev/fuse";
    for (const char* program : {"/usr/libexec/gvfsd", "/usr/libexec/gvfsd-fuse", "/usr/libexec/gvfsd-archive"})
        if (::access(program, X_OK) != 0) GTEST_SKIP() << program << " missing (gvfs-daemons gvfs-backends gvfs-fuse)";

    TempTree tree;
    tree.makeFolder("home", 0700);
    const std::string fuse = tree.makeFolder("run/gvfs", 0700);  // gvfsd tells clients $XDG_RUNTIME_DIR/gvfs
    const std::string log = tree.path("log"), archive = tree.path("small.tar"), bus = "unix:path=" + tree.path("bus");
    tree.writeFile("content/inner/a.txt", "hello\n");
    // No service files: the bus starts nothing the test does not end itself.
    tree.writeFile("bus.conf", "<busconfig><type>session</type><listen>" + bus +
                                   "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                                   "send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                   "<allow own=\"*\"/></policy></busconfig>");
    for (const char* key : {"DISPLAY", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) ::unsetenv(key);
    ::setenv("HOME", tree.path("home").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", tree.path("run").c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    ASSERT_EQ(RunToEnd("tar -cf " + archive + " -C " + tree.path("content") + " inner", log), 0);

    const pid_t busDaemon = Spawn({"/usr/bin/dbus-daemon", "--nofork", "--config-file=" + tree.path("bus.conf")}, log);
    pid_t gvfsd = -1, gvfsFuse = -1;
    std::string uri = "archive://file%3A%2F%2F";
    for (char c : archive) uri += c == '/' ? std::string("%2F") : std::string(1, c);
    struct Cleanup {
        std::function<void()> run;
        ~Cleanup() { run(); }
    } cleanup{[&] {
        for (pid_t backend : ChildrenOf(gvfsd)) ::kill(backend, SIGTERM);  // reaped by gvfsd
        PollUntil([&] { return ChildrenOf(gvfsd).empty(); });
        Stop(gvfsFuse);  // unmounts on SIGTERM
        ::umount2(fuse.c_str(), MNT_DETACH);  // in case it did not
        Stop(gvfsd);
        Stop(busDaemon);
    }};
    ASSERT_TRUE(PollUntil([&] { return ::access(tree.path("bus").c_str(), F_OK) == 0; })) << ReadAll(log);
    gvfsd = Spawn({"/usr/libexec/gvfsd", "--no-fuse"}, log);
    // The FUSE client registers with gvfsd, so gvfsd must own its name first.
    ASSERT_EQ(RunToEnd("gdbus wait --session org.gtk.vfs.Daemon", log), 0) << ReadAll(log);
    gvfsFuse = Spawn({"/usr/libexec/gvfsd-fuse", "-f", fuse}, log);
    ASSERT_TRUE(PollUntil([&] { return IsMountPoint(fuse); })) << ReadAll(log);
    ASSERT_EQ(RunToEnd("gio mount " + uri, log), 0) << ReadAll(log);
    const std::vector<std::string> shares = TempTree::entryNames(fuse);
    ASSERT_EQ(shares.size(), 1u);
    const std::string sharePath = fuse + "/" + shares[0];
    ASSERT_EQ(TempTree::readFile(sharePath + "/inner/a.txt"), "hello\n");

    // A bus that is gone, and none at all: the mount table's list, the FUSE
    // mount without the shares in it.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + tree.path("gone")).c_str(), 1);
    const std::vector<Volume> staleBus = posix::SystemVolumeSource().volumes();
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    const std::vector<Volume> noBus = posix::SystemVolumeSource().volumes();
    EXPECT_EQ(noBus, mountinfo::PickVolumes(posix::ReadMountTable(),
                                            posix::SystemVolumeSource().readLabels()));
    EXPECT_EQ(staleBus, noBus);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    const std::vector<Volume> withBus = posix::SystemVolumeSource().volumes();

    // With the bus: the archive is one more drive, named as GIO names it, sorted in.
    std::vector<Volume> expected = noBus;
    expected.insert(std::upper_bound(expected.begin() + 1, expected.end(), Volume{sharePath, ""},
                                     [](const Volume& a, const Volume& b) { return a.mountPoint < b.mountPoint; }),
                    Volume{sharePath, "small.tar"});
    EXPECT_EQ(withBus, expected) << ReadAll(log);
    // Unmounted, it is gone from the next list.
    ASSERT_EQ(RunToEnd("gio mount -u " + sharePath, log), 0) << ReadAll(log);
    EXPECT_EQ(posix::SystemVolumeSource().volumes(), noBus);
}

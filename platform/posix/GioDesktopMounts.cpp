// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/GioDesktopMounts.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orvalen::platform::posix {

namespace {

using desktopshares::DesktopMount;

// True when GIO would find a session bus without starting one: the address
// in DBUS_SESSION_BUS_ADDRESS, else the per-user bus socket GLib looks for
// itself. Without either GLib would try dbus-launch, which leaves a bus
// daemon running behind the program.
bool HasSessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    const std::string socket = std::string(runtime) + "/bus";
    struct stat st {};
    return ::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// Connects to the session bus first: a stale address (the desktop session
// ended) fails here at once. By default GDBus ends a program whose session
// bus closes; a guard that keeps copies in place should outlive the
// desktop's bus. The connection is held for the rest of the run because
// GLib hands that same one to GIO's monitors.
bool ConnectSessionBus() {
    static GDBusConnection* held = nullptr;
    if (held && !g_dbus_connection_is_closed(held)) return true;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    if (held) g_object_unref(held);
    held = bus;
    return true;
}

// GVfs's proxies print to stderr when a volume monitor of theirs is not on
// the bus; the drive list has nothing to tell the user about that.
void IgnorePrint(const gchar*) {}

std::vector<DesktopMount> QueryGio() {
    std::vector<DesktopMount> found;
    // GIO ties the monitor's signals to the thread's default context; without
    // one of its own here that would be the program's main loop (Qt runs
    // GLib's), calling into a monitor that this thread drops again.
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    const GPrintFunc previous = g_set_printerr_handler(&IgnorePrint);
    if (ConnectSessionBus()) {
        // A fresh monitor each time: one kept would never hear of changes.
        GVolumeMonitor* monitor = g_volume_monitor_get();
        GList* mounts = g_volume_monitor_get_mounts(monitor);
        for (GList* item = mounts; item; item = item->next) {
            GMount* mount = G_MOUNT(item->data);
            GFile* root = g_mount_get_root(mount);
            gchar* path = g_file_get_path(root);  // NULL for a mount without a FUSE path
            gchar* name = g_mount_get_name(mount);
            if (path) found.push_back(DesktopMount{path, name ? name : ""});
            g_free(name);
            g_free(path);
            g_object_unref(root);
        }
        g_list_free_full(mounts, g_object_unref);
        g_object_unref(monitor);
    }
    g_set_printerr_handler(previous);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    return found;
}

// What the worker thread hands back; shared so that a worker that outlives
// its deadline still writes into memory that exists.
struct Reply {
    std::mutex lock;
    std::condition_variable ready;
    bool done = false;
    std::vector<DesktopMount> mounts;
};

// One query at a time: a desktop that hangs holds one thread, not one per
// opening of the dialog.
std::atomic<bool> g_queryRunning{false};

}  // namespace

std::vector<DesktopMount> ReadGioMounts(std::chrono::milliseconds deadline) {
    if (!HasSessionBusAddress()) return {};
    if (g_queryRunning.exchange(true)) return {};
    auto reply = std::make_shared<Reply>();
    std::thread([reply] {
        std::vector<DesktopMount> mounts = QueryGio();
        {
            std::lock_guard<std::mutex> guard(reply->lock);
            reply->mounts = std::move(mounts);
            reply->done = true;
        }
        g_queryRunning = false;
        reply->ready.notify_all();
    }).detach();
    std::unique_lock<std::mutex> guard(reply->lock);
    if (!reply->ready.wait_for(guard, deadline, [&] { return reply->done; })) return {};
    return std::move(reply->mounts);
}

}  // namespace orvalen::platform::posix

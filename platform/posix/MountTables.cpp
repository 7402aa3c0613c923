// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/MountTables.h"

#include <libmount.h>
#include <sys/sysmacros.h>

#include <memory>

namespace orvalen::platform::posix {

namespace {

struct TableUnref {
    void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IterFree {
    void operator()(libmnt_iter* iter) const { mnt_free_iter(iter); }
};
using Table = std::unique_ptr<libmnt_table, TableUnref>;

std::string Text(const char* value) { return value ? std::string(value) : std::string(); }

// Calls `each` for every entry of `table`, in the order read.
template <typename Each>
void ForEach(libmnt_table* table, Each&& each) {
    const std::unique_ptr<libmnt_iter, IterFree> iter(mnt_new_iter(MNT_ITER_FORWARD));
    if (!iter) return;
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table, iter.get(), &fs) == 0) each(fs);
}

}  // namespace

std::vector<MountEntry> ReadMountTable(const std::string& mountInfoPath) {
    std::vector<MountEntry> mounts;
    Table table(mnt_new_table());
    if (!table || mnt_table_parse_mtab(table.get(), mountInfoPath.c_str()) != 0) return mounts;
    ForEach(table.get(), [&](libmnt_fs* fs) {
        const dev_t dev = mnt_fs_get_devno(fs);
        mounts.push_back(MountEntry{std::to_string(major(dev)) + ":" + std::to_string(minor(dev)),
                                    Text(mnt_fs_get_root(fs)), Text(mnt_fs_get_target(fs)),
                                    Text(mnt_fs_get_fstype(fs)), Text(mnt_fs_get_source(fs))});
    });
    return mounts;
}

std::vector<std::string> ReadFstabMountPoints(const std::string& fstabPath) {
    std::vector<std::string> points;
    Table table(mnt_new_table());
    if (!table || mnt_table_parse_fstab(table.get(), fstabPath.c_str()) != 0) return points;
    ForEach(table.get(), [&](libmnt_fs* fs) {
        std::string target = Text(mnt_fs_get_target(fs));
        if (mnt_fs_is_swaparea(fs) || target.empty() || target.front() != '/') return;
        // libmount keeps the slash as written; the folder is the same without it.
        while (target.size() > 1 && target.back() == '/') target.pop_back();
        points.push_back(std::move(target));
    });
    return points;
}

}  // namespace orvalen::platform::posix

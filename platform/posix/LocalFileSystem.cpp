// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LocalFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/PathText.h"
#include "core/RuntimeError.h"
#include "platform/MissingFileNumber.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/FileOps.h"
#include "platform/posix/FolderCopier.h"
#include "platform/posix/FolderDigest.h"
#include "platform/posix/FolderSize.h"
#include "platform/posix/MountTables.h"
#include "platform/posix/MountWatch.h"
#include "platform/posix/UniqueFd.h"

namespace orvalen::platform {

using posix::UniqueFd;

namespace {

bool isFolder(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

RuntimeError fileError(int e, const std::string& what, const std::string& path) {
    return ErrorFromErrno(e, what, path, e == ENOENT ? MissingFileNumber(path, isFolder) : err::kPathNotFound);
}

struct stat statRegularFile(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) throw fileError(errno, "Cannot find file", path);
    if (!S_ISREG(st.st_mode)) throw RuntimeError(err::kFileNotFound, path + " is not a file");
    return st;
}

// The open folder that is to hold `copyPath`, and the copy's name in it. The
// folder itself is reached through links: it is the destination the user
// chose, or lies above it.
struct CopyPlace {
    UniqueFd folder;
    std::string name;
};

CopyPlace openCopyPlace(const std::string& copyPath) {
    const std::string trimmed = path::TrimTrailingSeparators(copyPath);
    CopyPlace place;
    place.name = path::LastComponent(trimmed);
    const std::string parent = path::GetParentFolderName(trimmed);
    // A bare name lies in the working folder.
    place.folder.reset(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!place.folder.valid()) throw ErrorFromErrno(errno, "Cannot open the folder of", copyPath);
    return place;
}

// Where the desktops' share clients mount for this user.
std::vector<std::string> userRuntimeDirs() {
    std::vector<std::string> dirs{"/run/user/" + std::to_string(::getuid())};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == path::kSeparator)
        if (char* real = ::realpath(runtime, nullptr)) {
            if (dirs.front() != real) dirs.emplace_back(real);
            std::free(real);
        }
    return dirs;
}

}  // namespace

// The digests of the last few folders sized, by the path they were sized by.
// A pass sizes the source and the copy and then copies; only walks made since
// ForgetSeenFolders (the start of the pass, or the last question) are
// trusted, and only those that went to the end.
struct LocalFileSystem::WalkMemory {
    struct Walk {
        std::string path;
        bool complete = false;
        posix::FolderDigest digest;
    };
    static constexpr std::size_t kKept = 4;
    std::vector<Walk> walks;

    posix::FolderDigest* slotFor(const std::string& path) {
        for (auto it = walks.begin(); it != walks.end(); ++it)
            if (it->path == path) {
                walks.erase(it);
                break;
            }
        if (walks.size() >= kKept) walks.erase(walks.begin());
        walks.push_back(Walk{path, false, {}});
        return &walks.back().digest;
    }
    void done() { walks.back().complete = true; }
    const posix::FolderDigest* find(const std::string& path) const {
        for (const Walk& w : walks)
            if (w.path == path && w.complete) return &w.digest;
        return nullptr;
    }
};

void LocalFileSystem::ForgetSeenFolders() { m_walks.reset(); }

void LocalFileSystem::CheckDestination(const std::string& destinationFolder) {
    // The nearest folder of the destination that exists, and what lies below it.
    std::string existing = path::TrimTrailingSeparators(destinationFolder);
    std::string below;
    for (;;) {
        struct stat st{};
        if (::stat(existing.c_str(), &st) == 0) break;
        const int e = errno;
        if (RuntimeNumberForErrno(e) == err::kDeviceUnavailable)
            throw ErrorFromErrno(e, "Cannot reach the destination", destinationFolder);
        const std::string parent = path::GetParentFolderName(existing);
        // No ancestor at all is a missing volume, which the folder walk reports.
        if (parent.empty()) return;
        const std::string name = existing.substr(parent.size() + (path::EndsWithSeparator(parent) ? 0 : 1));
        below = below.empty() ? name : path::Join(name, below);
        existing = parent;
    }
    char* real = ::realpath(existing.c_str(), nullptr);
    if (!real) return;  // the pass's own steps report what is wrong there
    const std::string resolvedExisting(real);
    std::free(real);
    const std::string resolved = below.empty() ? resolvedExisting : path::Join(resolvedExisting, below);

    if (!m_mountWatch) m_mountWatch = std::make_shared<MountWatch>();
    m_mountWatch->setUserRuntimeDirs(userRuntimeDirs());
    if (m_mountWatch->isGoneElseRecord(destinationFolder, resolved, resolvedExisting, posix::ReadMountTable(),
                                       posix::ReadFstabMountPoints()))
        throw RuntimeError(err::kDeviceUnavailable,
                           destinationFolder + " lies on a file system that is not mounted");
}

bool LocalFileSystem::FileExists(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool LocalFileSystem::FolderExists(const std::string& path) {
    return isFolder(path);
}

bool LocalFileSystem::FolderExistsNoFollow(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileRef LocalFileSystem::GetFile(const std::string& path) {
    statRegularFile(path);
    return FileRef{path};
}

FolderRef LocalFileSystem::GetFolder(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) throw ErrorFromErrno(errno, "Cannot find folder", path);
    if (!S_ISDIR(st.st_mode)) throw RuntimeError(err::kPathNotFound, path + " is not a folder");
    return FolderRef{path};
}

void LocalFileSystem::CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0) throw ErrorFromErrno(errno, "Cannot create folder", path);
}

std::uint64_t LocalFileSystem::Size(const FileRef& file) {
    return static_cast<std::uint64_t>(statRegularFile(file.Path).st_size);
}

std::uint64_t LocalFileSystem::Size(const FolderRef& folder) {
    UniqueFd fd(::open(folder.Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) throw ErrorFromErrno(errno, "Cannot read folder", folder.Path);
    if (!m_walks) m_walks = std::make_shared<WalkMemory>();
    posix::FolderDigest* digest = m_walks->slotFor(folder.Path);
    const std::uint64_t total = posix::totalSize(std::move(fd), folder.Path, digest);
    m_walks->done();
    return total;
}

void LocalFileSystem::Copy(const FileRef& source, const std::string& destination) {
    // Read only; O_NONBLOCK so that a FIFO put in the file's place cannot hang the pass.
    UniqueFd in(::open(source.Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!in.valid()) throw fileError(errno, "Cannot open", source.Path);
    struct stat st{};
    if (::fstat(in.get(), &st) != 0) throw ErrorFromErrno(errno, "Cannot look at", source.Path);
    if (!S_ISREG(st.st_mode)) throw RuntimeError(err::kFileNotFound, source.Path + " is not a file");

    CopyPlace place = openCopyPlace(destination);
    if (place.name.empty() || place.name == "." || place.name == "..")
        throw ErrorFromErrno(EISDIR, "Cannot copy onto", destination);
    struct stat there{};
    // Fail before writing anything when a folder holds the copy's name.
    if (::fstatat(place.folder.get(), place.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(there.st_mode))
        throw ErrorFromErrno(EISDIR, "Cannot copy onto", destination);
    posix::copyFileInto(in.get(), st, place.folder.get(), place.name, destination);
}

void LocalFileSystem::Copy(const FolderRef& source, const std::string& destination) {
    UniqueFd in(::open(source.Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!in.valid()) throw ErrorFromErrno(errno, "Cannot read folder", source.Path);

    const auto fillInPlace = [&](UniqueFd copy) {
        posix::FolderCopier copier(std::move(in), source.Path, std::move(copy), destination, false);
        if (m_walks) copier.useDigests(m_walks->find(source.Path), m_walks->find(destination));
        copier.run();
    };
    const std::string trimmed = path::TrimTrailingSeparators(destination);
    if (path::EndsWithSeparator(destination)) {
        // The copy is a folder the user chose: a drive root, or the destination
        // folder itself when the source is a drive root. It and the links
        // above it are the user's, a link to a share among them: it is filled
        // where it leads, never replaced.
        UniqueFd chosen(::open(trimmed.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (chosen.valid()) return fillInPlace(std::move(chosen));
        struct stat st{};
        // Only a folder that is not there at all is made; a link leading
        // nowhere stays the user's, and a root is never made.
        if (errno != ENOENT || ::lstat(trimmed.c_str(), &st) == 0 || path::GetParentFolderName(trimmed).empty())
            throw ErrorFromErrno(errno, "Cannot open folder", destination);
    }
    CopyPlace place = openCopyPlace(trimmed);
    if (place.name.empty() || place.name == "." || place.name == "..")
        throw ErrorFromErrno(EINVAL, "Cannot copy a folder to", destination);
    const int parent = place.folder.get();
    const std::string temp = TemporaryNameFor(place.name);

    struct stat there{};
    if (::fstatat(parent, place.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) {
        // The copy is there: filled in place. A folder left by a build that
        // was cut off is of no more use.
        UniqueFd copy = posix::openOrCreateFolder(parent, place.name, destination);
        posix::removeTreeAt(parent, temp, destination);
        return fillInPlace(std::move(copy));
    }

    // A missing copy is built whole under one hidden name and appears at once:
    // one rename, and no one sees half a folder. A folder left there by a
    // build that was cut off is carried on; anything else there goes, unfollowed.
    bool fresh = false;
    UniqueFd build(posix::openAt(parent, temp.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!build.valid()) {
        if (errno == ELOOP || errno == ENOTDIR) posix::removeTreeAt(parent, temp, destination);
        else if (errno != ENOENT) throw ErrorFromErrno(errno, "Cannot open folder", destination);
        build = posix::openOrCreateFolder(parent, temp, destination, &fresh);
    }
    posix::FolderCopier(std::move(in), source.Path, std::move(build), destination, fresh).run();
    const auto renameInPlace = [&](unsigned flags) {
        return posix::whileBusy([&] { return ::renameat2(parent, temp.c_str(), parent, place.name.c_str(), flags); });
    };
    if (renameInPlace(RENAME_NOREPLACE) != 0) {
        // Some file systems (FUSE ones among them) know only the plain rename,
        // which still refuses to replace a folder that is not empty.
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            throw ErrorFromErrno(posix::nameRefusal(errno, parent, temp.c_str()), "Cannot put the copy in place at",
                                 destination);
        if (renameInPlace(0) != 0)
            throw ErrorFromErrno(posix::nameRefusal(errno, parent, temp.c_str()), "Cannot put the copy in place at",
                                 destination);
    }
}

}  // namespace orvalen::platform

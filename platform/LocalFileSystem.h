// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/FileSystem.h"

namespace orvalen::platform {

class MountWatch;

// The file-system service on the machine's own file system (local folders and
// mounted shares). Every failure throws RuntimeError with the program's number
// and the OS's own text and path in its detail.
//
// Links: a source path that the user chose may be reached through a symbolic
// link, and so may the destination folder the user chose. Below that folder
// nothing is ever followed: the copy's path and everything inside a folder
// copy are treated as untrusted, since other people can write to the share.
class LocalFileSystem : public FileSystem {
public:
    // True only for a regular file. The last component is not followed: a link
    // standing at a copy's path is not the copy, and the copy replaces it.
    // Never throws.
    bool FileExists(const std::string& path) override;

    // True only for a folder, reached through links (the destination folder the
    // user chose, or one of its ancestors, may be a link). Never throws.
    bool FolderExists(const std::string& path) override;

    // True only for a folder standing at the path itself: a link there does
    // not count (a trailing separator still resolves one). Never throws.
    bool FolderExistsNoFollow(const std::string& path) override;

    // The size walks seen so far are not used by any later folder copy.
    void ForgetSeenFolders() override;

    // err::kDeviceUnavailable when the folder lies on a mount that is gone (see
    // posix/MountWatch.h), or its nearest existing folder answers as a dead network mount does.
    void CheckDestination(const std::string& destinationFolder) override;

    // A regular file, links followed. err::kFileNotFound when it is missing (or is a folder)
    // in an existing folder, err::kPathNotFound when a folder on the path is missing.
    FileRef GetFile(const std::string& path) override;

    // A folder, links followed. err::kPathNotFound when it is missing or not a folder.
    FolderRef GetFolder(const std::string& path) override;

    // Text only: "/srv/share/new/report.doc" -> "/srv/share/new", "/srv" -> "/",
    // "/" -> "", "" -> "".
    std::string GetParentFolderName(const std::string& path) override;

    // One folder. err::kFileAlreadyExists when anything exists at the path, err::kPathNotFound when
    // the parent is missing, err::kPermissionDenied when refused.
    void CreateFolder(const std::string& path) override;

    // The file's current length (64-bit).
    std::uint64_t Size(const FileRef& file) override;

    // The total length of every file below the folder, computed afresh. Links
    // inside are not followed and count with their own length (the length of
    // the text they hold); FIFOs, sockets and devices count nothing, nor do
    // folders on other mounts or a kernel file system. err::kPermissionDenied when a subfolder
    // cannot be read.
    std::uint64_t Size(const FolderRef& folder) override;

    // Writes a hidden temporary file beside the copy and renames it onto the
    // copy's path once complete, with the source's permission bits and
    // modification time. On failure the temporary file is removed and the
    // previous copy stays as it was. err::kPathNotFound when the destination folder is
    // missing, err::kPermissionDenied when a folder stands at the copy's path or access is
    // refused, err::kDiskFull when the disk is full.
    void Copy(const FileRef& source, const std::string& destination) override;

    // Creates the folder copy or fills the existing one: files of the same
    // name are replaced unless they have the source's size and modification
    // time already, extra entries stay. A missing copy is built under its
    // hidden temporary name and renamed into place when complete. Links
    // inside the source are copied as links; FIFOs, sockets and devices are
    // skipped; folders on other mounts appear empty. A link inside the copy
    // where a folder belongs is replaced by a real folder; a file there fails
    // with err::kFileAlreadyExists and is left alone.
    void Copy(const FolderRef& source, const std::string& destination) override;

    // The name of the temporary file (or, for a folder copy that is built
    // whole, folder) that a copy named `copyName` is written under, in the
    // same folder. Derived from the name alone so that a copy cut off halfway
    // leaves at most one such entry, which the next copy reuses.
    static std::string TemporaryNameFor(const std::string& copyName);

    // What the size walks since ForgetSeenFolders saw, for the folder copy
    // that usually follows them in the same pass (see posix/FolderDigest.h).
    // Empty on Windows.
    struct WalkMemory;

private:
    std::shared_ptr<WalkMemory> m_walks;
    // What the destination checks saw of the mounts (see posix/MountWatch.h).
    // Null on Windows.
    std::shared_ptr<MountWatch> m_mountWatch;
};

std::unique_ptr<FileSystem> MakeLocalFileSystem();

// The same service for the program itself. On Linux its calls run in a helper
// process (see posix/FileSystemHelper.h), so that a call stuck in a dead
// share cannot keep the program from ending; on Windows it is the service
// itself for now.
std::unique_ptr<FileSystem> MakeLocalFileSystemInHelper();

}  // namespace orvalen::platform

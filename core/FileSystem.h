// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace orvalen {

// An opened file or folder: the path it was found at. Sizes are read afresh
// each time they are asked for.
struct FileRef {
    std::string Path;
};

struct FolderRef {
    std::string Path;
};

// The file-system service the guard engine works through. Every failing call
// throws RuntimeError with the program's number (see RuntimeError.h):
// err::kFileNotFound (53) a missing file in an existing folder,
// err::kPathNotFound (76) a folder on the path missing,
// err::kPermissionDenied (70) access refused / read-only / in use,
// err::kDeviceUnavailable (68) device unavailable,
// err::kFileAlreadyExists (58) a folder to be created exists already,
// err::kDiskFull (61) disk full, err::kPathFileAccess (75) anything else.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Never throw: any failure to look counts as "not there".
    virtual bool FileExists(const std::string& path) = 0;    // a folder does not count
    virtual bool FolderExists(const std::string& path) = 0;  // a file does not count
    // For a copy's own path: a link standing there is not the copy, so the
    // folder copy replaces it rather than trusting where it points.
    virtual bool FolderExistsNoFollow(const std::string& path) { return FolderExists(path); }

    // Called with a row's destination folder before anything there is looked
    // at: throws err::kDeviceUnavailable when that folder's file system is not
    // mounted now (a share that went away leaves an empty local folder behind
    // at its mount point).
    virtual void CheckDestination(const std::string& destinationFolder) { (void)destinationFolder; }

    // What the service saw of folders while sizing them may no longer hold:
    // a pass begins, or the user has answered a question (and may have
    // changed anything meanwhile). A folder copy then trusts only what was
    // seen after this call.
    virtual void ForgetSeenFolders() {}

    virtual FileRef GetFile(const std::string& path) = 0;
    virtual FolderRef GetFolder(const std::string& path) = 0;

    // Text only, never looks at the disk.
    virtual std::string GetParentFolderName(const std::string& path) = 0;

    // Creates one folder; its parent must exist.
    virtual void CreateFolder(const std::string& path) = 0;

    // A file's length; a folder's total length of all files below it.
    virtual std::uint64_t Size(const FileRef& file) = 0;
    virtual std::uint64_t Size(const FolderRef& folder) = 0;

    // `destination` names the copy itself. An existing file there is replaced;
    // an existing folder receives the source's content, keeping extra entries.
    virtual void Copy(const FileRef& source, const std::string& destination) = 0;
    virtual void Copy(const FolderRef& source, const std::string& destination) = 0;
};

}  // namespace orvalen

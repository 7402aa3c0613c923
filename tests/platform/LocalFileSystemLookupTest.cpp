// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "core/RuntimeError.h"
#include "platform/LocalFileSystem.h"
#include "platform/posix/ErrnoMap.h"
#include "support/RuntimeNumber.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"
#include "support/Unprivileged.h"

using orvalen::platform::LocalFileSystem;
using testsupport::RunAsNobody;
using testsupport::RuntimeNumberOf;
using testsupport::TempTree;
namespace err = orvalen::err;

namespace {

class LocalFileSystemLookup : public ::testing::Test {
protected:
    TempTree tree;
    LocalFileSystem fs;
};

TEST_F(LocalFileSystemLookup, exists_tellsFilesFromFoldersAndMissingEntries) {
    const std::string file = tree.writeFile("a/report.doc", "x");
    const std::string folder = tree.makeFolder("a/sub");
    const std::string fifo = tree.makeFifo("a/pipe");

    EXPECT_TRUE(fs.FileExists(file));
    EXPECT_FALSE(fs.FolderExists(file));
    EXPECT_TRUE(fs.FolderExists(folder));
    EXPECT_FALSE(fs.FileExists(folder));
    EXPECT_FALSE(fs.FileExists(fifo));
    EXPECT_FALSE(fs.FolderExists(fifo));
    EXPECT_FALSE(fs.FileExists(tree.path("a/none")));
    EXPECT_FALSE(fs.FolderExists(tree.path("a/none")));
    EXPECT_FALSE(fs.FileExists(file + "/below"));  // a file on the path
    EXPECT_FALSE(fs.FolderExists(file + "/below"));
    EXPECT_FALSE(fs.FileExists(""));
    EXPECT_FALSE(fs.FolderExists(""));
}

TEST_F(LocalFileSystemLookup, exists_linkAtCopyPathIsNoFile_linkedFolderIsAFolder) {
    const std::string file = tree.writeFile("real.doc", "x");
    const std::string folder = tree.makeFolder("realFolder");
    // A link standing at a copy's path must not pass for the copy.
    EXPECT_FALSE(fs.FileExists(tree.makeLink("linkToFile", file)));
    EXPECT_FALSE(fs.FileExists(tree.makeLink("dangling", tree.path("gone"))));
    // The destination folder the user chose may itself be reached by a link.
    EXPECT_TRUE(fs.FolderExists(tree.makeLink("linkToFolder", folder)));
    EXPECT_FALSE(fs.FolderExists(tree.path("dangling")));
}

TEST_F(LocalFileSystemLookup, exists_refusedLookupCountsAsMissingAndDoesNotThrow) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    tree.writeFile("closed/report.doc", "x");
    tree.makeFolder("closed/sub");
    tree.makeFolder("closed", 0700);
    const int result = RunAsNobody([&] {
        int seen = 0;
        if (fs.FileExists(tree.path("closed/report.doc"))) seen |= 1;
        if (fs.FolderExists(tree.path("closed/sub"))) seen |= 2;
        return seen;
    });
    EXPECT_EQ(result, 0);
    // Root sees both, so the child's answer came from the refusal.
    EXPECT_TRUE(fs.FileExists(tree.path("closed/report.doc")));
    EXPECT_TRUE(fs.FolderExists(tree.path("closed/sub")));
}

TEST_F(LocalFileSystemLookup, getFile_failureNumbersTellMissingFileFromMissingFolder) {
    const std::string file = tree.writeFile("share/report.doc", "x");
    EXPECT_EQ(fs.GetFile(file).Path, file);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.GetFile(tree.path("share/other.doc")); }), err::kFileNotFound);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.GetFile(tree.path("nofolder/report.doc")); }), err::kPathNotFound);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.GetFile(tree.path("share")); }), err::kFileNotFound);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.GetFile(file + "/x"); }), err::kPathNotFound);
    // A source the user chose through a link is followed.
    EXPECT_EQ(RuntimeNumberOf([&] { fs.GetFile(tree.makeLink("viaLink.doc", file)); }), 0);
}

TEST_F(LocalFileSystemLookup, getFile_refusedToNobody_is70) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    tree.writeFile("closed/report.doc", "x");
    tree.makeFolder("closed", 0700);
    EXPECT_EQ(RunAsNobody([&] { return RuntimeNumberOf([&] { fs.GetFile(tree.path("closed/report.doc")); }); }),
              err::kPermissionDenied);
}

TEST_F(LocalFileSystemLookup, getFolder_missingOrNotAFolder_is76) {
    const std::string folder = tree.makeFolder("Photos");
    const std::string file = tree.writeFile("report.doc", "x");
    EXPECT_EQ(fs.GetFolder(folder).Path, folder);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.GetFolder(tree.path("gone")); }), err::kPathNotFound);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.GetFolder(tree.path("gone/deeper")); }), err::kPathNotFound);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.GetFolder(file); }), err::kPathNotFound);
}

TEST_F(LocalFileSystemLookup, createFolder_createsOneLevel_andFailsWithItsNumbers) {
    const std::string created = tree.path("new");
    fs.CreateFolder(created);
    EXPECT_TRUE(fs.FolderExists(created));
    EXPECT_EQ(RuntimeNumberOf([&] { fs.CreateFolder(created); }), err::kFileAlreadyExists);
    const std::string file = tree.writeFile("report.doc", "x");
    EXPECT_EQ(RuntimeNumberOf([&] { fs.CreateFolder(file); }), err::kFileAlreadyExists);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.CreateFolder(tree.path("a/b")); }), err::kPathNotFound);
    EXPECT_FALSE(fs.FolderExists(tree.path("a")));
}

TEST_F(LocalFileSystemLookup, createFolder_refusedToNobody_is70) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    const std::string share = tree.makeFolder("share", 0755);
    EXPECT_EQ(RunAsNobody([&] { return RuntimeNumberOf([&] { fs.CreateFolder(share + "/new"); }); }),
              err::kPermissionDenied);
    EXPECT_FALSE(fs.FolderExists(share + "/new"));
}

TEST_F(LocalFileSystemLookup, createFolder_onReadOnlyMount_is70EvenForRoot) {
    const std::string share = tree.makeFolder("share");
    auto mount = testsupport::ScopedMount::readOnlyBind(share);
    if (!mount.mounted()) GTEST_SKIP() << mount.whyNot();
    EXPECT_EQ(RuntimeNumberOf([&] { fs.CreateFolder(share + "/new"); }), err::kPermissionDenied);
}

TEST(LocalFileSystemText, getParentFolderName_worksOnTextAlone) {
    LocalFileSystem fs;
    EXPECT_EQ(fs.GetParentFolderName("/srv/share/new/report.doc"), "/srv/share/new");
    EXPECT_EQ(fs.GetParentFolderName("/srv"), "/");
    EXPECT_EQ(fs.GetParentFolderName("/"), "");
    EXPECT_EQ(fs.GetParentFolderName(""), "");
    EXPECT_EQ(fs.GetParentFolderName("/no/such/disk/file"), "/no/such/disk");
}

TEST(LocalFileSystemText, temporaryName_isHiddenStablePerCopyAndFitsAName) {
    const std::string t = LocalFileSystem::TemporaryNameFor("report.doc");
    EXPECT_EQ(t.front(), '.');
    EXPECT_NE(t.find("report.doc"), std::string::npos);
    EXPECT_EQ(t, LocalFileSystem::TemporaryNameFor("report.doc"));
    EXPECT_NE(t, LocalFileSystem::TemporaryNameFor("report.docx"));

    const std::string longA(250, 'a');
    const std::string longB = std::string(249, 'a') + "b";
    const std::string ta = LocalFileSystem::TemporaryNameFor(longA);
    EXPECT_LE(ta.size(), 255u);
    EXPECT_EQ(ta.front(), '.');
    EXPECT_NE(ta, LocalFileSystem::TemporaryNameFor(longB));
    EXPECT_EQ(ta, LocalFileSystem::TemporaryNameFor(longA));
}

TEST(ErrnoMapping, osErrorsBecomeTheProgramsNumbers) {
    using orvalen::platform::RuntimeNumberForErrno;
    // A dead network mount: every entry answers with one of these.
    for (int e : {EIO, ENOTCONN, EHOSTDOWN, ETIMEDOUT, ESTALE, ENODEV, ENXIO, ENOMEDIUM})
        EXPECT_EQ(RuntimeNumberForErrno(e), err::kDeviceUnavailable) << std::strerror(e);
    for (int e : {EACCES, EPERM, EROFS, EBUSY, ETXTBSY, EISDIR})
        EXPECT_EQ(RuntimeNumberForErrno(e), err::kPermissionDenied) << std::strerror(e);
    for (int e : {ENOSPC, EDQUOT}) EXPECT_EQ(RuntimeNumberForErrno(e), err::kDiskFull) << std::strerror(e);
    EXPECT_EQ(RuntimeNumberForErrno(EEXIST), err::kFileAlreadyExists);
    EXPECT_EQ(RuntimeNumberForErrno(ENOENT), err::kPathNotFound);
    EXPECT_EQ(RuntimeNumberForErrno(ENOENT, err::kFileNotFound), err::kFileNotFound);
    EXPECT_EQ(RuntimeNumberForErrno(ENOTDIR, err::kFileNotFound), err::kPathNotFound);
    EXPECT_EQ(RuntimeNumberForErrno(EINVAL), err::kPathFileAccess);
}

TEST_F(LocalFileSystemLookup, failureDetail_keepsTheOsTextAndPath) {
    const std::string missing = tree.path("share/other.doc");
    tree.makeFolder("share");
    try {
        fs.GetFile(missing);
        FAIL() << "a missing file was found";
    } catch (const orvalen::RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(std::strerror(ENOENT)), std::string::npos) << e.what();
    }
}

}  // namespace

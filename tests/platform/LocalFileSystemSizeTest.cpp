// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "core/RuntimeError.h"
#include "platform/LocalFileSystem.h"
#include "support/RuntimeNumber.h"
#include "support/TempTree.h"
#include "support/Unprivileged.h"

using orvalen::FileRef;
using orvalen::FolderRef;
using orvalen::platform::LocalFileSystem;
using testsupport::RuntimeNumberOf;
using testsupport::TempTree;
namespace err = orvalen::err;

namespace {

class LocalFileSystemSize : public ::testing::Test {
protected:
    TempTree tree;
    LocalFileSystem fs;
};

TEST_F(LocalFileSystemSize, fileSize_isReadAfreshEachTime) {
    const std::string file = tree.writeFile("report.doc", std::string(1234, 'r'));
    const FileRef ref = fs.GetFile(file);
    EXPECT_EQ(fs.Size(ref), 1234u);
    tree.writeFile("report.doc", std::string(77, 'r'));
    EXPECT_EQ(fs.Size(ref), 77u);
    ::unlink(file.c_str());
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Size(ref); }), err::kFileNotFound);
}

TEST_F(LocalFileSystemSize, fileSize_beyond4GiB_isExact) {
    const std::string file = tree.path("big.img");
    const std::uint64_t length = (std::uint64_t{5} << 30) + 3;  // wraps in 32 bits
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(length)), 0);
    ::close(fd);
    EXPECT_EQ(fs.Size(fs.GetFile(file)), length);
}

TEST_F(LocalFileSystemSize, folderSize_sumsNestedFiles_linksByOwnLength_skipsFifos) {
    tree.writeFile("src/a.txt", std::string(100, 'a'));
    tree.writeFile("src/one/b.txt", std::string(20, 'b'));
    tree.writeFile("src/one/two/three/c.txt", std::string(3, 'c'));
    tree.makeFolder("src/empty");
    // A link counts as the text it holds, never its target's length.
    const std::string outside = tree.writeFile("outside.bin", std::string(100000, 'x'));
    tree.makeLink("src/one/toOutside", outside);
    tree.makeLink("src/one/toFolder", tree.path("src/one/two"));
    tree.makeFifo("src/one/two/pipe");

    const std::uint64_t expected = 100 + 20 + 3 + outside.size() + tree.path("src/one/two").size();
    EXPECT_EQ(fs.Size(fs.GetFolder(tree.path("src"))), expected);
}

TEST_F(LocalFileSystemSize, folderSize_linkLoopsInsideDoNotHang) {
    tree.writeFile("src/a.txt", "12345");
    tree.makeLink("src/self", ".");
    tree.makeLink("src/sub/up", "..");
    tree.makeLink("src/ping", "pong");
    tree.makeLink("src/pong", "ping");
    EXPECT_EQ(fs.Size(fs.GetFolder(tree.path("src"))), 5u + 1 + 2 + 4 + 4);
}

TEST_F(LocalFileSystemSize, folderSize_isComputedAfreshAndNoticesADeletedLink) {
    tree.writeFile("copy/a.txt", "12345");
    tree.makeLink("copy/link", "a.txt");
    const FolderRef ref = fs.GetFolder(tree.path("copy"));
    EXPECT_EQ(fs.Size(ref), 10u);
    ::unlink(tree.path("copy/link").c_str());
    EXPECT_EQ(fs.Size(ref), 5u);
    tree.writeFile("copy/deep/er/b.txt", "xy");
    EXPECT_EQ(fs.Size(ref), 7u);
}

TEST_F(LocalFileSystemSize, folderSize_missingFolder_is76) {
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Size(FolderRef{tree.path("gone")}); }), err::kPathNotFound);
}

TEST_F(LocalFileSystemSize, folderSize_unreadableSubfolder_is70ForNobody) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    tree.writeFile("copy/a.txt", "12345");
    tree.writeFile("copy/closed/b.txt", "12");
    tree.makeFolder("copy/closed", 0700);
    const FolderRef ref{tree.path("copy")};
    EXPECT_EQ(fs.Size(ref), 7u);  // root reads it all
    EXPECT_EQ(testsupport::RunAsNobody([&] { return RuntimeNumberOf([&] { fs.Size(ref); }); }),
              err::kPermissionDenied);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/RuntimeError.h"
#include "platform/LocalFileSystem.h"
#include "platform/posix/FileOps.h"
#include "support/RuntimeNumber.h"
#include "support/ScopedImmutable.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"
#include "support/Unprivileged.h"

using orvalen::FileRef;
using orvalen::platform::LocalFileSystem;
using testsupport::RuntimeNumberOf;
using testsupport::TempTree;
using testsupport::lstatOf;
namespace err = orvalen::err;

namespace {

void setModificationTime(const std::string& path, time_t seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

class LocalFileSystemCopyFile : public ::testing::Test {
protected:
    void SetUp() override {
        source = tree.writeFile("work/report.doc", "the new content of the report");
        share = tree.makeFolder("share");
        copy = share + "/report.doc";
    }

    // The previous copy stands as it was and no temporary file is left.
    void expectPreviousCopyIntact(const std::string& previous) {
        EXPECT_EQ(TempTree::readFile(copy), previous);
        EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"report.doc"});
    }

    TempTree tree;
    LocalFileSystem fs;
    std::string source;
    std::string share;
    std::string copy;
};

TEST_F(LocalFileSystemCopyFile, copy_keepsContentModeAndModificationTime_sourceOnlyRead) {
    ASSERT_EQ(::chmod(source.c_str(), 0640), 0);
    setModificationTime(source, 1000000000, 123456789);
    const struct stat before = lstatOf(source);

    fs.Copy(fs.GetFile(source), copy);

    EXPECT_EQ(TempTree::readFile(copy), "the new content of the report");
    const struct stat made = lstatOf(copy);
    EXPECT_EQ(made.st_mode & 07777, 0640u);
    EXPECT_EQ(made.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(made.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"report.doc"});

    const struct stat after = lstatOf(source);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(TempTree::readFile(source), "the new content of the report");
}

TEST_F(LocalFileSystemCopyFile, copy_replacesACopyOfAnotherSize) {
    tree.writeFile("share/report.doc", "an old, much longer version of the report text");
    fs.Copy(fs.GetFile(source), copy);
    EXPECT_EQ(TempTree::readFile(copy), "the new content of the report");
    EXPECT_EQ(fs.Size(fs.GetFile(copy)), fs.Size(fs.GetFile(source)));
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"report.doc"});
}

TEST_F(LocalFileSystemCopyFile, copy_failureNumbers_folderAtCopyPathMissingFolderMissingSource) {
    tree.writeFile("share/report.doc/inside.txt", "kept");
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(FileRef{source}, copy); }), err::kPermissionDenied);
    EXPECT_EQ(TempTree::readFile(copy + "/inside.txt"), "kept");
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"report.doc"});

    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(FileRef{source}, tree.path("gone/report.doc")); }),
              err::kPathNotFound);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(FileRef{tree.path("work/gone.doc")}, share + "/x"); }),
              err::kFileNotFound);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(FileRef{tree.path("gone/gone.doc")}, share + "/x"); }),
              err::kPathNotFound);
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"report.doc"});
}

TEST_F(LocalFileSystemCopyFile, copy_staleTemporaryFromACutOffCopyIsNotLeftBehind) {
    const std::string temp = share + "/" + LocalFileSystem::TemporaryNameFor("report.doc");
    tree.writeFile("share/" + LocalFileSystem::TemporaryNameFor("report.doc"),
                   "half of an earlier copy that was cut off, longer than the new one");
    ASSERT_EQ(::access(temp.c_str(), F_OK), 0);
    fs.Copy(fs.GetFile(source), copy);
    EXPECT_EQ(TempTree::readFile(copy), "the new content of the report");
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"report.doc"});
}

TEST_F(LocalFileSystemCopyFile, copy_linkPlantedAtTemporaryNameIsNotFollowed) {
    const std::string victim = tree.writeFile("elsewhere/victim.txt", "victim");
    tree.makeLink("share/" + LocalFileSystem::TemporaryNameFor("report.doc"), victim);
    fs.Copy(fs.GetFile(source), copy);
    EXPECT_EQ(TempTree::readFile(victim), "victim");
    EXPECT_TRUE(S_ISREG(lstatOf(copy).st_mode));
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"report.doc"});
}

TEST_F(LocalFileSystemCopyFile, copy_linkAtCopyPathIsReplacedByARealFile) {
    const std::string victim = tree.writeFile("elsewhere/victim.txt", "victim");
    tree.makeLink("share/report.doc", victim);
    EXPECT_FALSE(fs.FileExists(copy));
    fs.Copy(fs.GetFile(source), copy);
    EXPECT_TRUE(S_ISREG(lstatOf(copy).st_mode));
    EXPECT_EQ(TempTree::readFile(copy), "the new content of the report");
    EXPECT_EQ(TempTree::readFile(victim), "victim");
}

TEST_F(LocalFileSystemCopyFile, copy_refusedToNobody_is70_previousCopyIntact) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    tree.writeFile("share/report.doc", "previous");  // share: root's, 0755
    EXPECT_EQ(testsupport::RunAsNobody([&] {
                  return RuntimeNumberOf([&] { fs.Copy(fs.GetFile(source), copy); });
              }),
              err::kPermissionDenied);
    expectPreviousCopyIntact("previous");
}

TEST_F(LocalFileSystemCopyFile, copy_unreadableSourceForNobody_is70_copyUntouched) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    tree.writeFile("share/report.doc", "previous");
    ASSERT_EQ(::chmod(share.c_str(), 0777), 0);  // the refusal must come from the source
    ASSERT_EQ(::chmod(source.c_str(), 0600), 0);
    EXPECT_EQ(testsupport::RunAsNobody([&] {
                  return RuntimeNumberOf([&] { fs.Copy(FileRef{source}, copy); });
              }),
              err::kPermissionDenied);
    expectPreviousCopyIntact("previous");
}

TEST_F(LocalFileSystemCopyFile, copy_readOnlyMount_is70EvenForRoot_previousCopyIntact) {
    tree.writeFile("share/report.doc", "previous");
    {
        auto mount = testsupport::ScopedMount::readOnlyBind(share);
        if (!mount.mounted()) GTEST_SKIP() << mount.whyNot();
        EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(fs.GetFile(source), copy); }), err::kPermissionDenied);
    }
    expectPreviousCopyIntact("previous");
}

TEST_F(LocalFileSystemCopyFile, copy_immutableCopy_is70EvenForRoot_previousCopyIntact) {
    tree.writeFile("share/report.doc", "previous");
    {
        // An immutable folder refuses new entries and renames in it.
        testsupport::ScopedImmutable locked(share);
        if (!locked.active()) GTEST_SKIP() << locked.whyNot();
        EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(fs.GetFile(source), copy); }), err::kPermissionDenied);
    }
    expectPreviousCopyIntact("previous");
}

TEST_F(LocalFileSystemCopyFile, copy_diskFullPartWay_is61_previousCopyIntactNoTemporary) {
    const std::string big = tree.writeFile("work/big.bin", std::string(2 << 20, 'b'));
    auto mount = testsupport::ScopedMount::smallTmpfs(share, 256 << 10);
    if (!mount.mounted()) GTEST_SKIP() << mount.whyNot();
    tree.writeFile("share/big.bin", "previous");
    copy = share + "/big.bin";
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(fs.GetFile(big), copy); }), err::kDiskFull);
    EXPECT_EQ(TempTree::readFile(copy), "previous");
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"big.bin"});
}

TEST_F(LocalFileSystemCopyFile, copy_sparseFileBeyond4GiB_keepsItsLengthAndHoles) {
    const std::string big = tree.path("work/big.img");
    const std::uint64_t length = (std::uint64_t{5} << 30) + 3;
    const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
    ASSERT_EQ(::pwrite(fd, "tail", 4, static_cast<off_t>(length - 4)), 4);
    ::close(fd);

    fs.Copy(fs.GetFile(big), share + "/big.img");
    const FileRef made = fs.GetFile(share + "/big.img");
    EXPECT_EQ(fs.Size(made), length);
    const int in = ::open(made.Path.c_str(), O_RDONLY);
    ASSERT_GE(in, 0);
    char head[4] = {}, tail[4] = {};
    EXPECT_EQ(::pread(in, head, 4, 0), 4);
    EXPECT_EQ(::pread(in, tail, 4, static_cast<off_t>(length - 4)), 4);
    ::close(in);
    EXPECT_EQ(std::string(head, 4), "head");
    EXPECT_EQ(std::string(tail, 4), "tail");
    // Holes stay holes: the copy does not take 5 GiB of disk.
    EXPECT_LT(static_cast<std::uint64_t>(lstatOf(made.Path).st_blocks) * 512, std::uint64_t{64} << 20);
}

// A share answers EBUSY to a rename or removal until the server hears of a
// close; the step is tried again for a moment, and only for EBUSY.
TEST(WhileBusy, triesAgainOnlyWhileBusy_andGivesUp) {
    struct Case { std::vector<int> errors; int result; std::size_t calls; };
    const std::vector<int> alwaysBusy(50, EBUSY);
    for (const Case& c : {Case{{}, 0, 1}, Case{{EBUSY, EBUSY}, 0, 3}, Case{{EACCES}, -1, 1},
                          Case{{EBUSY, ENOENT}, -1, 2}, Case{alwaysBusy, -1, 9}}) {
        std::size_t calls = 0;
        const int result = orvalen::platform::posix::whileBusy([&] {
            if (calls == c.errors.size()) return ++calls, 0;
            errno = c.errors[calls++];
            return -1;
        });
        EXPECT_EQ(result, c.result) << c.errors.size();
        EXPECT_EQ(calls, c.calls) << c.errors.size();
    }
}

}  // namespace

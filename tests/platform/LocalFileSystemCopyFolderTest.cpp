// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/RuntimeError.h"
#include "platform/LocalFileSystem.h"
#include "support/ChildProcess.h"
#include "support/ScopedMount.h"
#include "support/RuntimeNumber.h"
#include "support/TempTree.h"
#include "support/Unprivileged.h"

using orvalen::FolderRef;
using orvalen::platform::LocalFileSystem;
using testsupport::RuntimeNumberOf;
using testsupport::TempTree;
using testsupport::lstatOf;
namespace err = orvalen::err;

namespace {

std::string linkText(const std::string& path) {
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string("<not a link>") : std::string(buffer, static_cast<std::size_t>(n));
}

void setModificationTime(const std::string& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

class LocalFileSystemCopyFolder : public ::testing::Test {
protected:
    void SetUp() override {
        src = tree.makeFolder("work/Photos");
        share = tree.makeFolder("share");
        copy = share + "/Photos";
    }

    void copyFolder() { fs.Copy(fs.GetFolder(src), copy); }
    std::uint64_t sizeOf(const std::string& folder) { return fs.Size(fs.GetFolder(folder)); }

    TempTree tree;
    LocalFileSystem fs;
    std::string src;
    std::string share;
    std::string copy;
};

TEST_F(LocalFileSystemCopyFolder, newCopy_holdsTheWholeTreeWithModesAndTimes) {
    tree.writeFile("work/Photos/top.jpg", "top", 0600);
    tree.writeFile("work/Photos/2019/summer/beach.jpg", "beach");
    tree.writeFile("work/Photos/2019/summer/deeper/still/deep.jpg", "deep", 0755);
    tree.makeFolder("work/Photos/empty");
    tree.makeFolder("work/Photos/2019", 0750);
    setModificationTime(src + "/2019/summer/beach.jpg", 1111111111);
    setModificationTime(src + "/2019", 1222222222);  // after its content was written

    copyFolder();

    EXPECT_EQ(TempTree::readFile(copy + "/top.jpg"), "top");
    EXPECT_EQ(TempTree::readFile(copy + "/2019/summer/beach.jpg"), "beach");
    EXPECT_EQ(TempTree::readFile(copy + "/2019/summer/deeper/still/deep.jpg"), "deep");
    EXPECT_TRUE(S_ISDIR(lstatOf(copy + "/empty").st_mode));
    EXPECT_EQ(lstatOf(copy + "/top.jpg").st_mode & 07777, 0600u);
    EXPECT_EQ(lstatOf(copy + "/2019/summer/deeper/still/deep.jpg").st_mode & 07777, 0755u);
    EXPECT_EQ(lstatOf(copy + "/2019").st_mode & 07777, 0750u);
    EXPECT_EQ(lstatOf(copy + "/2019/summer/beach.jpg").st_mtim.tv_sec, 1111111111);
    EXPECT_EQ(lstatOf(copy + "/2019").st_mtim.tv_sec, 1222222222);
    EXPECT_EQ(TempTree::entryNames(copy + "/2019/summer"), (std::vector<std::string>{"beach.jpg", "deeper"}));
    EXPECT_EQ(sizeOf(copy), sizeOf(src));
}

TEST_F(LocalFileSystemCopyFolder, existingCopy_filesReplaced_extraEntriesStay) {
    tree.writeFile("work/Photos/a.jpg", "new a");
    tree.writeFile("work/Photos/sub/b.jpg", "new b");
    tree.writeFile("share/Photos/a.jpg", "old a, longer");
    tree.writeFile("share/Photos/sub/b.jpg", "old b");
    tree.writeFile("share/Photos/extra.txt", "someone's note");
    tree.writeFile("share/Photos/sub/extraFolder/x.txt", "x");
    setModificationTime(copy + "/sub/b.jpg", 1000000000);  // same size, older: replaced

    copyFolder();

    EXPECT_EQ(TempTree::readFile(copy + "/a.jpg"), "new a");
    EXPECT_EQ(TempTree::readFile(copy + "/sub/b.jpg"), "new b");
    EXPECT_EQ(TempTree::readFile(copy + "/extra.txt"), "someone's note");
    EXPECT_EQ(TempTree::readFile(copy + "/sub/extraFolder/x.txt"), "x");
    EXPECT_EQ(TempTree::entryNames(copy), (std::vector<std::string>{"a.jpg", "extra.txt", "sub"}));
    EXPECT_EQ(sizeOf(copy), sizeOf(src) + 14 + 1);
}

TEST_F(LocalFileSystemCopyFolder, sourceLinksCopiedAsLinks_fifosSkipped_loopsDoNotHang) {
    const std::string outside = tree.writeFile("secret/outside.txt", "must not be copied");
    tree.writeFile("work/Photos/a.jpg", "a");
    tree.makeLink("work/Photos/toOutside", outside);
    tree.makeLink("work/Photos/relative", "a.jpg");
    tree.makeLink("work/Photos/self", ".");
    tree.makeLink("work/Photos/sub/up", "..");
    tree.makeFifo("work/Photos/pipe");

    copyFolder();

    EXPECT_EQ(linkText(copy + "/toOutside"), outside);
    EXPECT_EQ(linkText(copy + "/relative"), "a.jpg");
    EXPECT_EQ(linkText(copy + "/self"), ".");
    EXPECT_EQ(linkText(copy + "/sub/up"), "..");
    EXPECT_EQ(TempTree::entryNames(copy),
              (std::vector<std::string>{"a.jpg", "relative", "self", "sub", "toOutside"}));
    EXPECT_EQ(sizeOf(copy), sizeOf(src));
}

TEST_F(LocalFileSystemCopyFolder, linkInCopyWhereAFolderBelongs_isReplaced_notWrittenThrough) {
    tree.writeFile("work/Photos/sub/b.jpg", "b");
    tree.writeFile("work/Photos/c.jpg", "c");
    const std::string victim = tree.makeFolder("victim");
    tree.makeLink("share/Photos/sub", victim);
    tree.makeLink("share/Photos/c.jpg", tree.writeFile("victim2.txt", "v"));

    copyFolder();

    EXPECT_TRUE(S_ISDIR(lstatOf(copy + "/sub").st_mode));
    EXPECT_EQ(TempTree::readFile(copy + "/sub/b.jpg"), "b");
    EXPECT_TRUE(S_ISREG(lstatOf(copy + "/c.jpg").st_mode));
    EXPECT_TRUE(TempTree::entryNames(victim).empty());
    EXPECT_EQ(TempTree::readFile(tree.path("victim2.txt")), "v");
}

TEST_F(LocalFileSystemCopyFolder, copyPathItselfALink_isReplacedByARealFolder) {
    tree.writeFile("work/Photos/a.jpg", "a");
    const std::string victim = tree.makeFolder("victim");
    tree.makeLink("share/Photos", victim);

    copyFolder();

    EXPECT_TRUE(S_ISDIR(lstatOf(copy).st_mode));
    EXPECT_EQ(TempTree::readFile(copy + "/a.jpg"), "a");
    EXPECT_TRUE(TempTree::entryNames(victim).empty());
}

TEST_F(LocalFileSystemCopyFolder, fileWhereAFolderBelongs_is58_andTheFileStays) {
    tree.writeFile("work/Photos/sub/b.jpg", "b");
    tree.writeFile("share/Photos/sub", "someone's file");
    EXPECT_EQ(RuntimeNumberOf([&] { copyFolder(); }), err::kFileAlreadyExists);
    EXPECT_EQ(TempTree::readFile(copy + "/sub"), "someone's file");

    tree.writeFile("share/Other", "a file at the copy's own path");
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(fs.GetFolder(src), share + "/Other"); }),
              err::kFileAlreadyExists);
    EXPECT_EQ(TempTree::readFile(share + "/Other"), "a file at the copy's own path");
}

TEST_F(LocalFileSystemCopyFolder, failureNumbers_missingSourceOrDestinationFolder_is76) {
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(FolderRef{tree.path("work/gone")}, copy); }), err::kPathNotFound);
    EXPECT_EQ(RuntimeNumberOf([&] { fs.Copy(fs.GetFolder(src), tree.path("gone/Photos")); }),
              err::kPathNotFound);
    EXPECT_TRUE(TempTree::entryNames(share).empty());
}

TEST_F(LocalFileSystemCopyFolder, deepTree_copiesToTheBottom) {
    std::string relative = "work/Photos";
    for (int level = 0; level < 300; ++level) relative += "/d";
    tree.writeFile(relative + "/bottom.txt", "bottom");
    copyFolder();
    const std::string bottom = copy + relative.substr(std::string("work/Photos").size()) + "/bottom.txt";
    EXPECT_EQ(TempTree::readFile(bottom), "bottom");
    EXPECT_EQ(sizeOf(copy), 6u);
}

TEST_F(LocalFileSystemCopyFolder, deepTree_beyondTheDescriptorLimitStillCopies) {
    std::string relative = "work/Photos";
    for (int level = 0; level < 60; ++level) relative += "/d";
    tree.writeFile(relative + "/bottom.txt", "bottom");
    // Two descriptors per level would run out at 32; the copy must cope.
    const int result = testsupport::RunInChild([&] {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        if (limit.rlim_max < 256) return 200;
        limit.rlim_cur = 32;
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return 201;
        const int number = RuntimeNumberOf([&] { copyFolder(); });
        if (number != 0) return number;
        return sizeOf(copy) == 6u ? 0 : 202;
    });
    if (result == 200) GTEST_SKIP() << "the hard descriptor limit is too low to raise";
    EXPECT_EQ(result, 0);
}

TEST_F(LocalFileSystemCopyFolder, copyInsideItsOwnSource_isNotCopiedIntoItself) {
    tree.writeFile("work/Photos/a.jpg", "a");
    const std::string inner = src + "/backup";
    fs.Copy(fs.GetFolder(src), inner);
    fs.Copy(fs.GetFolder(src), inner);  // now the copy is part of the source
    EXPECT_EQ(TempTree::readFile(inner + "/a.jpg"), "a");
    EXPECT_EQ(::access((inner + "/backup").c_str(), F_OK), -1);
}

TEST_F(LocalFileSystemCopyFolder, unreadableSourceSubfolderForNobody_is70) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    tree.writeFile("work/Photos/a.jpg", "a");
    tree.writeFile("work/Photos/closed/b.jpg", "b");
    tree.makeFolder("work/Photos/closed", 0700);
    ASSERT_EQ(::chmod(share.c_str(), 0777), 0);  // the refusal must come from the source
    EXPECT_EQ(testsupport::RunAsNobody([&] { return RuntimeNumberOf([&] { copyFolder(); }); }),
              err::kPermissionDenied);
}

TEST_F(LocalFileSystemCopyFolder, refusedDestinationForNobody_is70_previousFilesIntact) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    tree.writeFile("work/Photos/a.jpg", "new a");
    tree.writeFile("share/Photos/a.jpg", "old a");
    setModificationTime(copy + "/a.jpg", 1000000000);
    EXPECT_EQ(testsupport::RunAsNobody([&] { return RuntimeNumberOf([&] { copyFolder(); }); }),
              err::kPermissionDenied);
    EXPECT_EQ(TempTree::readFile(copy + "/a.jpg"), "old a");
    EXPECT_EQ(TempTree::entryNames(copy), std::vector<std::string>{"a.jpg"});
}

TEST_F(LocalFileSystemCopyFolder, existingCopy_fileWithTheSourcesSizeAndTime_isLeftAlone) {
    tree.writeFile("work/Photos/same.jpg", "source");
    tree.writeFile("work/Photos/older.jpg", "source");
    tree.writeFile("share/Photos/same.jpg", "copy's");
    tree.writeFile("share/Photos/older.jpg", "copy's");
    for (const char* name : {"/same.jpg", "/older.jpg"}) setModificationTime(src + name, 1300000000);
    setModificationTime(copy + "/same.jpg", 1300000000);
    setModificationTime(copy + "/older.jpg", 1299999999);

    copyFolder();

    EXPECT_EQ(TempTree::readFile(copy + "/same.jpg"), "copy's");
    EXPECT_EQ(TempTree::readFile(copy + "/older.jpg"), "source");
    EXPECT_EQ(lstatOf(copy + "/older.jpg").st_mtim.tv_sec, 1300000000);
    EXPECT_EQ(TempTree::entryNames(copy), (std::vector<std::string>{"older.jpg", "same.jpg"}));
}

TEST_F(LocalFileSystemCopyFolder, missingCopy_cutOff_leavesOneHiddenFolderThatTheNextCopyFinishes) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    tree.writeFile("work/Photos/a/1.jpg", "1");
    tree.writeFile("work/Photos/z/2.jpg", "2");
    tree.makeFolder("work/Photos/z", 0700);  // nobody cannot read it: the build stops there
    ASSERT_EQ(::chmod(share.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(src.c_str(), 0755), 0);
    EXPECT_EQ(testsupport::RunAsNobody([&] { return RuntimeNumberOf([&] { copyFolder(); }); }),
              err::kPermissionDenied);
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{".Photos.orvalen-part"});

    copyFolder();
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"Photos"});
    EXPECT_EQ(sizeOf(copy), sizeOf(src));

    // Left beside a copy that exists, the hidden folder goes.
    tree.writeFile("share/.Photos.orvalen-part/stale.jpg", "stale");
    tree.writeFile("work/Photos/new.jpg", "new");
    copyFolder();
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"Photos"});
}

TEST_F(LocalFileSystemCopyFolder, missingCopy_linkPlantedAtTheHiddenName_isNotFollowed) {
    tree.writeFile("work/Photos/a.jpg", "a");
    const std::string victim = tree.makeFolder("victim");
    tree.makeLink("share/.Photos.orvalen-part", victim);
    copyFolder();
    EXPECT_EQ(TempTree::readFile(copy + "/a.jpg"), "a");
    EXPECT_TRUE(TempTree::entryNames(victim).empty());
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"Photos"});
}

TEST_F(LocalFileSystemCopyFolder, otherFileSystemBelowTheSource_isAnEmptyFolderAndCountsNothing) {
    tree.writeFile("work/Photos/a.jpg", "a");
    const std::string mountPoint = tree.makeFolder("work/Photos/usb");
    testsupport::ScopedMount mount = testsupport::ScopedMount::smallTmpfs(mountPoint, 1 << 20);
    if (!mount.mounted()) GTEST_SKIP() << mount.whyNot();
    tree.writeFile("work/Photos/usb/big.bin", std::string(5000, 'b'));
    EXPECT_EQ(sizeOf(src), 1u);

    copyFolder();
    EXPECT_EQ(TempTree::entryNames(copy), (std::vector<std::string>{"a.jpg", "usb"}));
    EXPECT_TRUE(TempTree::entryNames(copy + "/usb").empty());
}

TEST_F(LocalFileSystemCopyFolder, kernelFileSystems_areNeverRead) {
    for (const char* kernel : {"/proc/sys/kernel", "/sys/kernel"}) {
        SCOPED_TRACE(kernel);
        if (!fs.FolderExists(kernel)) continue;
        EXPECT_EQ(sizeOf(kernel), 0u);
        fs.Copy(fs.GetFolder(kernel), share + "/kernel");
        EXPECT_TRUE(TempTree::entryNames(share + "/kernel").empty());
        ::rmdir((share + "/kernel").c_str());
    }
}

TEST_F(LocalFileSystemCopyFolder, afterBothSidesWereSized_onlyTheFoldersThatDifferAreCopied) {
    // A pass sizes source and copy first; the copy then skips subfolders that
    // agree, and must still find every difference below the others.
    struct Case {
        const char* name;
        std::function<void(const std::string& copy)> change;
    };
    const Case cases[] = {
        {"file deleted deep down", [](const std::string& c) { ::unlink((c + "/a/b/c/deep.jpg").c_str()); }},
        {"same size, older time", [&](const std::string& c) {
             tree.writeFile("share/Photos/a/b/c/deep.jpg", "DEEP");
             setModificationTime(c + "/a/b/c/deep.jpg", 1000000000);
         }},
        {"file renamed", [](const std::string& c) {
             ::rename((c + "/a/b/c/deep.jpg").c_str(), (c + "/a/b/c/peed.jpg").c_str());
         }},
    };
    tree.writeFile("work/Photos/a/b/c/deep.jpg", "deep");
    tree.writeFile("work/Photos/x/untouched.jpg", "x");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        copyFolder();
        const ino_t untouched = lstatOf(copy + "/x/untouched.jpg").st_ino;
        c.change(copy);
        sizeOf(src);
        sizeOf(copy);
        copyFolder();
        EXPECT_EQ(TempTree::readFile(copy + "/a/b/c/deep.jpg"), "deep");
        EXPECT_EQ(lstatOf(copy + "/x/untouched.jpg").st_ino, untouched);
        EXPECT_EQ(TempTree::entryNames(copy), (std::vector<std::string>{"a", "x"}));
        ::unlink((copy + "/a/b/c/peed.jpg").c_str());
    }
}

// Many fresh folders, so that the copy shares them out between threads.
void writeWideTree(const TempTree& tree, int folders) {
    for (int i = 0; i < folders; ++i) {
        const std::string folder = "work/Photos/f" + std::to_string(i);
        tree.writeFile(folder + "/a.jpg", std::string(static_cast<std::size_t>(i) * 37, 'a'));
        tree.writeFile(folder + "/sealed/b.jpg", "b" + std::to_string(i), 0640);
        tree.makeFolder(folder + "/sealed", 0555);
    }
}

// Every entry below `from` is at `to` with its type, size, mode and time.
void expectSameTree(const std::string& from, const std::string& to) {
    std::size_t seen = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(from)) {
        const std::string relative = entry.path().string().substr(from.size());
        const struct stat a = lstatOf(entry.path().string());
        const struct stat b = lstatOf(to + relative);
        EXPECT_EQ(a.st_mode, b.st_mode) << relative;
        if (!S_ISDIR(a.st_mode)) {
            EXPECT_EQ(a.st_size, b.st_size) << relative;
        }
        EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec) << relative;
        EXPECT_EQ(a.st_mtim.tv_nsec, b.st_mtim.tv_nsec) << relative;
        ++seen;
    }
    EXPECT_GT(seen, 0u);
}

TEST_F(LocalFileSystemCopyFolder, wideNewCopy_sharedOutBetweenThreads_isWholeWithModesAndTimes) {
    writeWideTree(tree, 60);
    copyFolder();
    expectSameTree(src, copy);
    EXPECT_EQ(TempTree::entryNames(share), std::vector<std::string>{"Photos"});
}

TEST_F(LocalFileSystemCopyFolder, wideNewCopy_unreadableFolderForNobody_is70_thenTheNextCopyFinishesIt) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    writeWideTree(tree, 60);
    tree.makeFolder("work/Photos/f41/sealed", 0500);  // nobody may not list it
    ASSERT_EQ(::chmod(share.c_str(), 0777), 0);
    EXPECT_EQ(testsupport::RunAsNobody([&] { return RuntimeNumberOf([&] { copyFolder(); }); }),
              err::kPermissionDenied);
    ASSERT_EQ(::chmod((src + "/f41/sealed").c_str(), 0555), 0);
    copyFolder();  // the hidden build left behind is finished
    expectSameTree(src, copy);
}

}  // namespace

TEST_F(LocalFileSystemCopyFolder, walksBeforeForgetSeenFolders_areNotTrustedByTheCopy) {
    // A question was up between the sizes and the copy: whatever was deleted
    // meanwhile comes back in this pass, not the next.
    tree.writeFile("work/Photos/sub/b.jpg", "b");
    tree.writeFile("work/Photos/a.jpg", "a");
    copyFolder();
    sizeOf(src);
    sizeOf(copy);
    std::filesystem::remove_all(copy + "/sub");
    fs.ForgetSeenFolders();
    copyFolder();
    EXPECT_EQ(TempTree::readFile(copy + "/sub/b.jpg"), "b");
}

TEST_F(LocalFileSystemCopyFolder, readOnlySourceFolder_itsCopyStillTakesLaterChanges) {
    if (!testsupport::CanDropPrivileges()) GTEST_SKIP() << "needs root to become nobody";
    const std::string own = tree.makeFolder("nobodys", 0777);
    const int result = testsupport::RunAsNobody([&] {
        const std::string ro = own + "/src/S/ro";
        std::filesystem::create_directories(ro);
        const auto write = [&](const char* text) {
            ::chmod(ro.c_str(), 0755);
            std::ofstream(ro + "/a.txt") << text;
            ::chmod(ro.c_str(), 0555);
        };
        write("one");
        ::mkdir((own + "/dst").c_str(), 0755);
        LocalFileSystem nobodysFs;
        for (const char* text : {"one", "another size"}) {
            write(text);
            if (const int n = RuntimeNumberOf([&] { nobodysFs.Copy(FolderRef{own + "/src/S"}, own + "/dst/S"); }))
                return n;
        }
        struct stat st{};
        if (::stat((own + "/dst/S/ro").c_str(), &st) != 0 || (st.st_mode & 07777) != 0555) return 1001;
        return TempTree::readFile(own + "/dst/S/ro/a.txt") == "another size" ? 0 : 1002;
    });
    EXPECT_EQ(result, 0) << "a failure number, or 1001 wrong mode, 1002 old content";
}

TEST_F(LocalFileSystemCopyFolder, copyThatIsTheChosenFolderItself_fillsWhereItsLinkLeads) {
    // A source at a drive root: the copy's path is the destination folder,
    // here the user's link to a mounted share.
    tree.writeFile("work/Photos/a.jpg", "a");
    const std::string mounted = tree.makeFolder("mnt/share");
    const std::string link = tree.makeLink("Share", mounted);
    fs.Copy(fs.GetFolder(src), link + "/");
    EXPECT_EQ(linkText(link), mounted);
    EXPECT_EQ(TempTree::readFile(mounted + "/a.jpg"), "a");
}

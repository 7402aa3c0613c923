// SPDX-License-Identifier: GPL-3.0-or-later
// A long run of the real guard engine: many passes over 20 items (files and
// folders), some of them on a real SMB share (Samba on 127.0.0.1 through
// FUSE, as the share tests set it up) where the machine allows it, while a
// second process deletes and changes the copies between passes. Prints the
// memory and open descriptors early and at the end, the pass rate, whether
// every copy is right at the end, and `NAME ratio=R target=T` lines last.
//
//   soak [--passes N] [--local] [--seed S]
//
// Exits 1 when a copy is wrong at the end, the guard asked a question it
// should not have, or a figure misses its target.

#include <malloc.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/UserPrompt.h"
#include "platform/LocalFileSystem.h"
#include "tests/share/SambaShare.h"
#include "tests/support/FakeRunHost.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kItems = 20;
constexpr int kShareItems = 8;  // of them, when the share is up
constexpr int kEarlyPass = 100;
constexpr double kMemoryTarget = 1.05;
constexpr double kFdTarget = 1.0;

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "soak: %s\n", what.c_str());
    std::exit(2);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
    if (!out) Die("cannot write " + path.string());
}

// Kilobytes of one line of /proc/self/status ("VmHWM", "VmRSS").
long StatusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0 && line[std::strlen(field)] == ':')
            return std::strtol(line.c_str() + std::strlen(field) + 1, nullptr, 10);
    return -1;
}

int OpenFds() {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count - 1;  // the listing's own descriptor
}

struct Figures {
    long peakKiB, rssKiB, heapKiB;
    int fds;
};

// The heap in use tells a leak from pages of code and libraries that are
// first touched late (error paths, message catalogues), which the resident
// figures count as well.
Figures Measure() {
    return {StatusKiB("VmHWM"), StatusKiB("VmRSS"), static_cast<long>(::mallinfo2().uordblks / 1024), OpenFds()};
}

void Print(const char* when, int pass, const Figures& f) {
    std::printf("%s (pass %d): peak memory %ld KiB, resident %ld KiB, heap in use %ld KiB, open fds %d\n", when,
                pass, f.peakKiB, f.rssKiB, f.heapKiB, f.fds);
}

// One guarded item: where its source lies, where its copy lies as the guard
// sees it, and the same copy as the deleting process reaches it.
struct Item {
    fs::path source;
    std::string destination;  // folder, ends in "/"
    fs::path copy;            // as the guard writes it
    fs::path behind;          // as the second process changes it
    bool isFile;
    bool onShare;
};

// Sources of a few sizes: files of 1 to 48 KiB, folders of six files in
// three levels. Every folder costs a round trip to the server on each pass.
void MakeSource(const Item& item, int index) {
    const std::string fill(1024 * (1 + index * 5 % 48), static_cast<char>('a' + index % 26));
    if (item.isFile) {
        WriteAll(item.source, fill);
        return;
    }
    const char* levels[] = {"", "sub", "sub/deeper"};
    for (int f = 0; f < 6; ++f)
        WriteAll(item.source / levels[f / 2] / ("file" + std::to_string(f) + ".dat"), fill.substr(0, 100 + 300 * f));
}

// The person on the other side: between two passes, one change to one copy.
void ChangeOneCopy(const std::vector<Item>& items, std::mt19937& random) {
    const Item& item = items[random() % items.size()];
    std::error_code ignored;
    if (item.isFile) {
        if (random() % 2) fs::remove(item.behind, ignored);
        else std::ofstream(item.behind, std::ios::binary | std::ios::app) << "changed";
        return;
    }
    std::vector<fs::path> files;
    for (auto it = fs::recursive_directory_iterator(item.behind, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
        if (it->is_regular_file(ignored)) files.push_back(it->path());
    switch (random() % 4) {
    case 0: fs::remove_all(item.behind, ignored); break;
    case 1: if (!files.empty()) fs::remove(files[random() % files.size()], ignored); break;
    case 2: if (!files.empty()) fs::resize_file(files[random() % files.size()], 1, ignored); break;
    default: if (!files.empty()) fs::remove_all(files[random() % files.size()].parent_path(), ignored); break;
    }
}

// The second process: waits for a byte on `commands`, makes one change for
// each 'c' and answers on `done`; ends on anything else.
pid_t StartDeleter(const std::vector<Item>& items, unsigned seed, int& commands, int& done) {
    int toChild[2], toParent[2];
    if (::pipe(toChild) != 0 || ::pipe(toParent) != 0) Die("no pipe");
    const pid_t child = ::fork();
    if (child < 0) Die("cannot fork the second process");
    if (child == 0) {
        ::close(toChild[1]);
        ::close(toParent[0]);
        std::mt19937 random(seed);
        char command = 0;
        while (::read(toChild[0], &command, 1) == 1 && command == 'c') {
            ChangeOneCopy(items, random);
            if (::write(toParent[1], "d", 1) != 1) break;
        }
        ::_exit(0);
    }
    ::close(toChild[0]);
    ::close(toParent[1]);
    commands = toChild[1];
    done = toParent[0];
    return child;
}

bool SameTree(const fs::path& source, const fs::path& copy) {
    std::error_code e;
    std::vector<std::string> wanted, found;
    for (auto it = fs::recursive_directory_iterator(source, e); !e && it != fs::recursive_directory_iterator(); it.increment(e))
        wanted.push_back(fs::relative(it->path(), source).string());
    for (auto it = fs::recursive_directory_iterator(copy, e); !e && it != fs::recursive_directory_iterator(); it.increment(e))
        found.push_back(fs::relative(it->path(), copy).string());
    if (e) return false;
    std::sort(wanted.begin(), wanted.end());
    std::sort(found.begin(), found.end());
    if (wanted != found) return false;
    for (const std::string& name : wanted)
        if (fs::is_regular_file(source / name) && ReadAll(source / name) != ReadAll(copy / name)) return false;
    return true;
}

bool CopyIsRight(const Item& item) {
    std::error_code e;
    if (item.isFile) return fs::is_regular_file(item.copy, e) && ReadAll(item.copy) == ReadAll(item.source);
    return fs::is_directory(item.copy, e) && SameTree(item.source, item.copy);
}

int CountRight(const std::vector<Item>& items) {
    int right = 0;
    for (const Item& item : items) right += CopyIsRight(item) ? 1 : 0;
    return right;
}

}  // namespace

int main(int argc, char** argv) {
    int passes = 10000;
    bool local = false;
    unsigned seed = 12;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--passes" && i + 1 < argc) passes = std::atoi(argv[++i]);
        else if (arg == "--local") local = true;
        else if (arg == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else Die("usage: soak [--passes N] [--local] [--seed S]");
    }
    if (passes < kEarlyPass) Die("at least " + std::to_string(kEarlyPass) + " passes");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    char pattern[] = "/tmp/orvalen-soak-XXXXXX";
    if (!::mkdtemp(pattern)) Die("no temporary folder");
    const fs::path root = pattern;

    std::unique_ptr<testsupport::SambaShare> share;
    if (!local) {
        share = std::make_unique<testsupport::SambaShare>();
        if (!share->whyNot().empty()) {
            std::printf("share: none (%s); every item local\n", share->whyNot().c_str());
            share.reset();
        }
    } else {
        std::printf("share: none (--local); every item local\n");
    }

    std::vector<Item> items;
    for (int i = 0; i < kItems; ++i) {
        Item item;
        item.isFile = i % 2 == 0;
        item.onShare = share && i < kShareItems;
        const std::string name = (item.isFile ? "file" : "folder") + std::to_string(i) + (item.isFile ? ".dat" : "");
        item.source = root / "work" / name;
        // Some copies start below folders that do not exist yet.
        const std::string below = "soak/" + std::string(i % 4 == 1 ? "deep/er/" : "");
        if (item.onShare) {
            fs::create_directories(share->server("soak"));
            item.destination = share->client(below);
            item.behind = fs::path(share->server(below)) / name;
        } else {
            fs::create_directories(root / "share" / "soak");
            item.destination = (root / "share").string() + "/" + below;
            item.behind = fs::path(item.destination) / name;
        }
        item.copy = fs::path(item.destination) / name;
        MakeSource(item, i);
        items.push_back(item);
    }
    if (share) std::printf("share: Samba on 127.0.0.1 through FUSE; %d of %d items on it\n", kShareItems, kItems);

    testsupport::GuardRig guard;
    guard.shared.MakeFileSystem = orvalen::platform::MakeLocalFileSystem;
    guard.view.interval = "1";
    for (const Item& item : items) guard.shared.Items.append(item.source.string(), item.destination, item.isFile);
    guard.run.Start();
    // A share's cache may show a change a moment late; the guard's question is
    // then answered Retry, a few times at most, and counted.
    long questions = 0;
    int retriesThisPass = 0;
    guard.prompt.whileAsking = [&] {
        ++questions;
        if (++retriesThisPass <= 20) {
            guard.prompt.answers.push_back(orvalen::UserPrompt::Answer::Retry);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    };

    int commands = -1, done = -1;
    const pid_t deleter = StartDeleter(items, seed, commands, done);

    Figures early{};
    const auto start = Clock::now();
    for (int pass = 1; pass <= passes; ++pass) {
        retriesThisPass = 0;
        guard.pass();
        guard.prompt.questions.clear();
        if (pass == kEarlyPass) {
            early = Measure();
            Print("early", pass, early);
        }
        char answer = 0;
        if (::write(commands, "c", 1) != 1 || ::read(done, &answer, 1) != 1) Die("the second process is gone");
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const Figures late = Measure();
    Print("late", passes, late);

    ::write(commands, "q", 1);
    ::waitpid(deleter, nullptr, 0);
    ::close(commands);
    ::close(done);

    // The last change still needs its pass; a share may show it a moment late.
    int settle = 0, right = 0;
    for (; settle < 40; ++settle) {
        guard.pass();
        right = CountRight(items);
        if (right == kItems) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const bool stillRunning = guard.timer.isActive();
    std::printf("%d passes in %.1f s: %.0f passes/s, %d changes by the second process\n", passes, seconds,
                passes / seconds, passes);
    std::printf("copies at the end: %d of %d right (after %d more passes); questions asked: %ld; run %s\n", right,
                kItems, settle + 1, questions, stillRunning ? "still on" : "stopped");

    share.reset();
    std::error_code ignored;
    fs::remove_all(root, ignored);

    const double memoryRatio = static_cast<double>(late.peakKiB) / static_cast<double>(early.peakKiB);
    const double fdRatio = static_cast<double>(late.fds) / static_cast<double>(early.fds);
    std::printf("soak_memory_growth ratio=%.3f target=%.2f\n", memoryRatio, kMemoryTarget);
    std::printf("soak_fd_growth ratio=%.3f target=%.1f\n", fdRatio, kFdTarget);
    const bool ok = right == kItems && stillRunning && memoryRatio <= kMemoryTarget && fdRatio <= kFdTarget;
    return ok ? 0 : 1;
}

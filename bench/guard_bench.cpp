// SPDX-License-Identifier: GPL-3.0-or-later
// Measures guard passes of the real engine against the commands a user would
// compare them with (du, cp, rsync), on trees it builds itself, in each folder
// given (by default the local disk's /var/tmp and the tmpfs /dev/shm). Each
// figure is printed beside its reference, medians of alternated runs; the last
// lines are one `NAME ratio=R target=T` per figure.
//
//   guard_bench [--dir FOLDER]... [--runs N] [--copy-runs N] [--sizes N,N,...] [--keep]
//   guard_bench --share MOUNTED_FOLDER --label NAME [--files N] [--runs N]
//       sources on the local disk, copies on the mounted share: the three
//       pass figures only.

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <linux/magic.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/GuardEngine.h"
#include "core/RunControl.h"
#include "core/mdlMain.h"
#include "platform/LocalFileSystem.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "guard_bench: %s\n", what.c_str());
    std::exit(1);
}

// The engine's collaborators, reduced to what a pass touches.
class QuietView : public orvalen::RunView {
public:
    std::string intervalText() const override { return "5"; }
    void setStatus(const std::string&) override {}
    void setStartEnabled(bool) override {}
    void setStopEnabled(bool) override {}
    void focusStop() override {}
    void focusInterval() override {}
};

class StillTimer : public orvalen::RunTimer {
public:
    void setInterval(int ms) override { m_ms = ms; }
    int interval() const override { return m_ms; }
    void start() override { m_on = true; }
    void stop() override { m_on = false; }
    bool isActive() const override { return m_on; }

private:
    int m_ms = 5000;
    bool m_on = false;
};

// A pass that has to ask something failed: the figures would be meaningless.
class FailingPrompt : public orvalen::UserPrompt {
public:
    void warn(const std::string& text) override { die("warning: " + text); }
    Answer askRetryCancel(const std::string& text) override { die("pass failed: " + text); }
};

// One guarded item and the engine that guards it.
class Guard {
public:
    Guard(const std::string& source, const std::string& destinationFolder, bool isFile)
        : m_run(m_shared.Items, m_view, m_timer, m_prompt), m_engine(m_shared, m_prompt, m_run) {
        m_shared.MakeFileSystem = [] { return orvalen::platform::MakeLocalFileSystem(); };
        m_shared.Items.append(source, destinationFolder + "/", isFile);
    }
    void pass() { m_engine.tmrTimer_Timer(); }

private:
    orvalen::mdlMain m_shared;
    QuietView m_view;
    StillTimer m_timer;
    FailingPrompt m_prompt;
    orvalen::RunControl m_run;
    orvalen::GuardEngine m_engine;
};

const Clock::time_point g_started = Clock::now();

// Seconds since the bench started, shown with each figure.
double elapsed() {
    return std::chrono::duration<double>(Clock::now() - g_started).count();
}

double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// On a share, cp -a and rsync -a cannot give the copies their owner and say
// so in their exit status; the copies themselves are checked instead.
bool g_referenceMayComplain = false;

void command(const std::vector<std::string>& args, bool mayComplain = false) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (mayComplain) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) die("cannot run " + args[0]);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && !mayComplain)) die(args[0] + " failed");
}

// Writes out the dirty pages of the file system under `folder` (not the whole
// machine's), so a timed run does not pay for the one before it.
void settle(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

void removeTree(const std::string& path) { command({"rm", "-rf", path}); }

std::uint64_t sizeOfFolder(const std::string& path) {
    orvalen::platform::LocalFileSystem fs;
    return fs.Size(fs.GetFolder(path));
}

std::uint32_t g_seed = 2463534242u;
std::uint32_t nextRandom() {
    g_seed ^= g_seed << 13;
    g_seed ^= g_seed >> 17;
    g_seed ^= g_seed << 5;
    return g_seed;
}

void writeFile(const std::string& path, std::size_t length) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) die("cannot create " + path);
    std::vector<char> data(std::min<std::size_t>(length, std::size_t{1} << 20));
    for (std::size_t done = 0; done < length;) {
        for (std::size_t i = 0; i + 4 <= data.size(); i += 4) {
            const std::uint32_t r = nextRandom();
            std::memcpy(&data[i], &r, 4);
        }
        const std::size_t n = std::min(data.size(), length - done);
        if (::write(fd, data.data(), n) != static_cast<ssize_t>(n)) die("cannot write " + path);
        done += n;
    }
    ::close(fd);
}

// 400 folders: 20 at the top, each holding 19 nested below it; the files are
// spread evenly over them, 100 bytes to 8 KiB each. Returns the path of one
// file in the middle, relative to the root.
std::string buildTree(const std::string& root, int files) {
    if (::mkdir(root.c_str(), 0755) != 0) die("cannot create " + root);
    std::vector<std::string> folders;
    for (int top = 0; top < 20; ++top) {
        std::string folder = "/album" + std::to_string(top);
        ::mkdir((root + folder).c_str(), 0755);
        folders.push_back(folder);
        for (int sub = 0; sub < 19; ++sub) {
            folder += "/part" + std::to_string(sub % 4);  // chains of four, then siblings
            if (sub % 4 == 3) folder = "/album" + std::to_string(top) + "/set" + std::to_string(sub);
            ::mkdir((root + folder).c_str(), 0755);
            folders.push_back(folder);
        }
    }
    std::string middle;
    for (int i = 0; i < files; ++i) {
        const std::string& folder = folders[static_cast<std::size_t>(i) % folders.size()];
        const std::string name = folder + "/photo" + std::to_string(i) + ".jpg";
        writeFile(root + name, 100 + nextRandom() % 8092);
        if (i == files / 2) middle = name;
    }
    return middle;
}

// One untimed round to warm both sides, then timed rounds, taking turns at
// going first so that neither always meets the other's writeback.
void alternate(int rounds, const std::function<double()>& ours, const std::function<double()>& theirs,
               std::vector<double>& oursTimes, std::vector<double>& theirsTimes) {
    ours();
    theirs();
    for (int r = 0; r < rounds; ++r) {
        if (r % 2 == 0) {
            oursTimes.push_back(ours());
            theirsTimes.push_back(theirs());
        } else {
            theirsTimes.push_back(theirs());
            oursTimes.push_back(ours());
        }
    }
}

struct Figure {
    std::string name;
    double ratio;
    double target;
};

std::vector<Figure> g_figures;

void report(const std::string& name, const std::string& what, const std::vector<double>& ours,
            const std::string& reference, const std::vector<double>& theirs, double target) {
    const double a = median(ours);
    const double b = median(theirs);
    std::printf("[%4.0f s] %-44s pass %9.1f ms   %-16s %9.1f ms   ratio %.2f (target %g)\n", elapsed(),
                what.c_str(), a * 1e3, reference.c_str(), b * 1e3, a / b, target);
    std::fflush(stdout);
    g_figures.push_back({name, a / b, target});
}

// Peak resident memory of a pass over an unchanged folder, in KiB, measured in
// a child so that neither earlier figures nor the parent's heap count.
long peakOfUnchangedPass(const std::string& source, const std::string& destinationFolder) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) die("pipe");
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        Guard guard(source, destinationFolder, false);
        guard.pass();  // the copy exists already; this one settles the heap
        {
            std::ofstream reset("/proc/self/clear_refs");
            reset << "5";  // peak := current
        }
        guard.pass();
        long peak = -1;
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) peak = std::strtol(line.c_str() + 6, nullptr, 10);
        if (::write(pipeFds[1], &peak, sizeof peak) != sizeof peak) _exit(1);
        _exit(0);
    }
    ::close(pipeFds[1]);
    long peak = -1;
    if (::read(pipeFds[0], &peak, sizeof peak) != sizeof peak) die("memory child failed");
    ::close(pipeFds[0]);
    waitpid(child, nullptr, 0);
    return peak;
}

std::string fileSystemLabel(const std::string& folder) {
    struct statfs fs{};
    if (::statfs(folder.c_str(), &fs) != 0) return "unknown";
    switch (static_cast<unsigned long>(fs.f_type)) {
        case EXT4_SUPER_MAGIC: return "ext4";
        case TMPFS_MAGIC: return "tmpfs";
        case BTRFS_SUPER_MAGIC: return "btrfs";
        case XFS_SUPER_MAGIC: return "xfs";
        case FUSE_SUPER_MAGIC: return "fuse";
        default: return "fs";
    }
}

struct Settings {
    int runs = 5;
    int copyRuns = 3;  // a whole-folder copy takes seconds here
    int files = 20000;
    std::vector<int> sizes = {2000, 20000, 200000};
};

// The three pass figures on one pair of places: `sourceBase` holds the source
// tree, `ours` and `theirs` receive the copies made by a pass and by the
// reference commands.
void passFigures(const std::string& label, const std::string& sourceBase, const std::string& ours,
                 const std::string& theirs, const Settings& set, bool withSizes) {
    const std::string source = sourceBase + "/Photos";
    const std::string middle = buildTree(source, set.files);
    std::printf("[%4.0f s] %s: built %d files in 400 folders, %llu bytes\n", elapsed(), label.c_str(), set.files,
                static_cast<unsigned long long>(sizeOfFolder(source)));
    const std::string copy = ours + "/Photos";
    const std::string refCopy = theirs + "/Photos";
    Guard guard(source, ours, false);

    // The copy deleted: the pass copies the whole folder again, beside cp -a.
    {
        std::vector<double> pass, ref;
        const auto timeOurs = [&] {
            removeTree(copy);
            settle(ours);  // each side starts without the other's dirty pages
            return secondsOf([&] { guard.pass(); });
        };
        const auto timeTheirs = [&] {
            removeTree(refCopy);
            settle(theirs);
            return secondsOf([&] { command({"cp", "-a", source, refCopy}, g_referenceMayComplain); });
        };
        alternate(set.copyRuns, timeOurs, timeTheirs, pass, ref);
        if (sizeOfFolder(copy) != sizeOfFolder(source)) die("the recopied folder differs from its source");
        report("recopy_vs_cp_" + label, "recopy of the deleted folder copy", pass, "cp -a", ref, 0.8);
    }

    // One file deleted from the copy: the pass puts it back, beside rsync.
    {
        std::vector<double> pass, ref;
        const std::vector<std::string> rsync = {"rsync", "-a", source + "/", refCopy + "/"};
        const auto timeOurs = [&] {
            if (::unlink((copy + middle).c_str()) != 0) die("cannot delete " + copy + middle);
            settle(ours);
            return secondsOf([&] { guard.pass(); });
        };
        const auto timeTheirs = [&] {
            if (::unlink((refCopy + middle).c_str()) != 0) die("cannot delete " + refCopy + middle);
            settle(theirs);
            return secondsOf([&] { command(rsync, g_referenceMayComplain); });
        };
        alternate(set.runs, timeOurs, timeTheirs, pass, ref);
        if (sizeOfFolder(copy) != sizeOfFolder(source)) die("the restored folder differs from its source");
        if (sizeOfFolder(refCopy) != sizeOfFolder(source)) die("rsync's copy differs from its source");
        report("one_deleted_vs_rsync_" + label, "one of " + std::to_string(set.files) + " files deleted", pass,
               "rsync -a", ref, 1.5);
    }

    // An unchanged copy: two walks, like du over both trees.
    const auto unchanged = [&](const std::string& from, int files) {
        Guard watch(from, ours, false);
        watch.pass();
        const std::string made = ours + from.substr(from.rfind('/'));
        if (sizeOfFolder(made) != sizeOfFolder(from)) die("the copy differs from its source");
        const std::vector<std::string> du = {"du", "-sb", from, made};
        std::vector<double> pass, ref;
        alternate(set.runs, [&] { return secondsOf([&] { watch.pass(); }); },
                  [&] { return secondsOf([&] { command(du); }); }, pass, ref);
        report("unchanged_" + std::to_string(files) + "_vs_du_" + label,
               "unchanged folder of " + std::to_string(files) + " files", pass, "du -sb", ref,
               withSizes ? 0.9 : 1.0);
    };
    if (!withSizes) {
        unchanged(source, set.files);
    } else {
        std::vector<long> peaks;
        for (const int files : set.sizes) {
            std::string from = source;
            if (files != set.files) {
                from = sourceBase + "/Tree" + std::to_string(files);
                buildTree(from, files);
            }
            unchanged(from, files);
            peaks.push_back(peakOfUnchangedPass(from, ours));
            std::printf("[%4.0f s] peak memory of that pass: %ld KiB\n", elapsed(), peaks.back());
            if (from != source) {
                removeTree(from);
                removeTree(ours + from.substr(from.rfind('/')));
            }
        }
        const auto [low, high] = std::minmax_element(peaks.begin(), peaks.end());
        g_figures.push_back({"memory_growth_" + label, static_cast<double>(*high) / static_cast<double>(*low), 1.1});
    }
    removeTree(source);
    removeTree(copy);
    removeTree(refCopy);
}

// One 1 GiB file copied again, beside cp.
void largeFileFigure(const std::string& label, const std::string& work, int runs) {
    const std::string file = work + "/source/disk.img";
    writeFile(file, std::size_t{1} << 30);
    const std::string ours = work + "/copies";
    const std::string theirs = work + "/reference";
    Guard guard(file, ours, true);
    const std::string copy = ours + "/disk.img";
    const std::string refCopy = theirs + "/disk.img";
    std::vector<double> pass, ref;
    const auto timeOurs = [&] {
        ::unlink(copy.c_str());
        settle(work);
        return secondsOf([&] { guard.pass(); });
    };
    const auto timeTheirs = [&] {
        ::unlink(refCopy.c_str());
        settle(work);
        return secondsOf([&] { command({"cp", file, refCopy}); });
    };
    alternate(runs + 2, timeOurs, timeTheirs, pass, ref);  // cheap, and noisy on a shared disk
    struct stat st{};
    if (::stat(copy.c_str(), &st) != 0 || st.st_size != (off_t{1} << 30)) die("the 1 GiB copy is wrong");
    report("recopy_1gib_file_vs_cp_" + label, "recopy of a 1 GiB file", pass, "cp", ref, 1.05);
    ::unlink(file.c_str());
    ::unlink(copy.c_str());
    ::unlink(refCopy.c_str());
}

std::string makeWorkFolder(const std::string& base) {
    std::string work = base + "/orvalen-bench-XXXXXX";
    if (!::mkdtemp(work.data())) die("cannot create a folder in " + base);
    return work;
}

std::vector<int> parseSizes(const std::string& text) {
    std::vector<int> sizes;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t comma = text.find(',', at);
        sizes.push_back(std::max(1, std::atoi(text.substr(at, comma - at).c_str())));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    Settings set;
    std::vector<std::string> dirs;
    std::string share;
    std::string label;
    bool keep = false;
    bool filesGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--dir" && more) dirs.push_back(argv[++i]);
        else if (a == "--runs" && more) set.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--copy-runs" && more) set.copyRuns = std::max(1, std::atoi(argv[++i]));
        else if (a == "--sizes" && more) set.sizes = parseSizes(argv[++i]);
        else if (a == "--files" && more) set.files = std::max(10, std::atoi(argv[++i])), filesGiven = true;
        else if (a == "--share" && more) share = argv[++i];
        else if (a == "--label" && more) label = argv[++i];
        else if (a == "--keep") keep = true;
        else
            die("usage: guard_bench [--dir FOLDER]... [--runs N] [--copy-runs N] [--sizes N,N,...] [--keep]\n"
                "       guard_bench --share MOUNTED_FOLDER --label NAME [--files N] [--runs N] [--copy-runs N]");
    }
    std::printf("median of %d alternated runs (%d for whole-folder copies)\n", set.runs, set.copyRuns);

    if (!share.empty()) {
        if (!filesGiven) set.files = 2000;  // every look-up is a round trip
        g_referenceMayComplain = true;
        const std::string local = makeWorkFolder(dirs.empty() ? "/var/tmp" : dirs.front());
        const std::string remote = makeWorkFolder(share);
        for (const char* sub : {"/copies", "/reference"})
            if (::mkdir((remote + sub).c_str(), 0755) != 0) die("cannot create a folder on the share");
        passFigures(label.empty() ? "share" : label, local, remote + "/copies", remote + "/reference", set, false);
        if (!keep) {
            removeTree(local);
            removeTree(remote);
        }
    } else {
        if (dirs.empty()) dirs = {"/var/tmp", "/dev/shm"};
        if (std::find(set.sizes.begin(), set.sizes.end(), set.files) == set.sizes.end()) set.files = set.sizes.front();
        for (const std::string& dir : dirs) {
            const std::string work = makeWorkFolder(dir);
            const std::string name = label.empty() ? fileSystemLabel(work) : label;
            std::printf("working in %s (%s)\n", work.c_str(), name.c_str());
            for (const char* sub : {"/source", "/copies", "/reference"})
                if (::mkdir((work + sub).c_str(), 0755) != 0) die("cannot create a folder in " + work);
            passFigures(name, work + "/source", work + "/copies", work + "/reference", set, true);
            largeFileFigure(name, work, set.runs);
            if (!keep) removeTree(work);
        }
    }
    for (const Figure& f : g_figures) std::printf("%s ratio=%.2f target=%g\n", f.name.c_str(), f.ratio, f.target);
    return 0;
}

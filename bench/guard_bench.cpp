// SPDX-License-Identifier: GPL-3.0-or-later
// Measures guard passes of the real engine on the local file system against
// the commands a user would compare them with (du, cp), on trees it builds
// itself. Prints one `NAME ratio=R target=T` line per figure at the end.
//
//   guard_bench [--dir FOLDER] [--runs N] [--copy-runs N] [--keep]

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
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

void command(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) die("cannot run " + args[0]);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) die(args[0] + " failed");
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
// spread evenly over them, 100 bytes to 8 KiB each.
void buildTree(const std::string& root, int files) {
    if (::mkdir(root.c_str(), 0755) != 0) die("cannot create " + root);
    std::vector<std::string> folders;
    for (int top = 0; top < 20; ++top) {
        std::string folder = root + "/album" + std::to_string(top);
        ::mkdir(folder.c_str(), 0755);
        folders.push_back(folder);
        for (int sub = 0; sub < 19; ++sub) {
            folder += "/part" + std::to_string(sub % 4);  // chains of four, then siblings
            if (sub % 4 == 3) folder = root + "/album" + std::to_string(top) + "/set" + std::to_string(sub);
            ::mkdir(folder.c_str(), 0755);
            folders.push_back(folder);
        }
    }
    for (int i = 0; i < files; ++i) {
        const std::string& folder = folders[static_cast<std::size_t>(i) % folders.size()];
        writeFile(folder + "/photo" + std::to_string(i) + ".jpg", 100 + nextRandom() % 8092);
    }
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

}  // namespace

int main(int argc, char** argv) {
    std::string base = "/tmp";
    int runs = 5;
    int copyRuns = 3;  // a whole-folder copy takes seconds here
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc) base = argv[++i];
        else if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--copy-runs" && i + 1 < argc) copyRuns = std::max(1, std::atoi(argv[++i]));
        else if (a == "--keep") keep = true;
        else die("usage: guard_bench [--dir FOLDER] [--runs N] [--copy-runs N] [--keep]");
    }
    std::string work = base + "/orvalen-bench-XXXXXX";
    if (!::mkdtemp(work.data())) die("cannot create a folder in " + base);
    std::printf("working in %s, median of %d timed runs (%d for the folder copy)\n", work.c_str(), runs, copyRuns);
    std::vector<Figure> figures;

    const std::string source = work + "/source/Photos";
    const std::string ours = work + "/copies";
    const std::string theirs = work + "/reference";
    ::mkdir((work + "/source").c_str(), 0755);
    ::mkdir(ours.c_str(), 0755);
    ::mkdir(theirs.c_str(), 0755);
    buildTree(source, 20000);
    std::printf("[%3.0f s] built 20,000 files in 400 folders: %llu bytes\n", elapsed(),
                static_cast<unsigned long long>(sizeOfFolder(source)));

    // (a) A pass over an unchanged copy: two walks, like du over both trees.
    {
        Guard guard(source, ours, false);
        guard.pass();  // makes the copy
        if (sizeOfFolder(ours + "/Photos") != sizeOfFolder(source)) die("the copy differs from its source");
        const std::vector<std::string> du = {"du", "-sb", source, ours + "/Photos"};
        guard.pass();
        command(du);
        std::vector<double> pass, ref;
        for (int r = 0; r < runs; ++r) {
            pass.push_back(secondsOf([&] { guard.pass(); }));
            ref.push_back(secondsOf([&] { command(du); }));
        }
        const double ratio = median(pass) / median(ref);
        std::printf("[%3.0f s] unchanged folder: pass %.1f ms, du -sb %.1f ms\n", elapsed(), median(pass) * 1e3, median(ref) * 1e3);
        figures.push_back({"unchanged_folder_pass", ratio, 1.0});
    }

    // (b) The copy deleted: the pass copies the whole folder again.
    {
        Guard guard(source, ours, false);
        const std::string copy = ours + "/Photos";
        const std::string refCopy = theirs + "/Photos";
        std::vector<double> pass, ref;
        const auto timeOurs = [&] {
            removeTree(copy);
            settle(work);  // each side starts without the other's dirty pages
            return secondsOf([&] { guard.pass(); });
        };
        const auto timeTheirs = [&] {
            removeTree(refCopy);
            settle(work);
            return secondsOf([&] { command({"cp", "-a", source, refCopy}); });
        };
        alternate(copyRuns, timeOurs, timeTheirs, pass, ref);
        if (sizeOfFolder(copy) != sizeOfFolder(source)) die("the recopied folder differs from its source");
        std::printf("[%3.0f s] recopy folder: pass %.1f ms, cp -a %.1f ms\n", elapsed(), median(pass) * 1e3, median(ref) * 1e3);
        figures.push_back({"recopy_folder_pass", median(pass) / median(ref), 1.0});
    }

    // (d) Peak memory of an unchanged pass: 2,000 against 20,000 files.
    {
        const std::string small = work + "/source/Small";
        buildTree(small, 2000);
        Guard(small, ours, false).pass();
        const long peakSmall = peakOfUnchangedPass(small, ours);
        const long peakLarge = peakOfUnchangedPass(source, ours);
        std::printf("[%3.0f s] peak memory of an unchanged pass: %ld KiB for 2,000 files, %ld KiB for 20,000 files\n",
                    elapsed(), peakSmall, peakLarge);
        figures.push_back({"memory_growth", static_cast<double>(peakLarge) / static_cast<double>(peakSmall), 1.1});
        removeTree(small);
        removeTree(ours + "/Small");
    }
    removeTree(ours + "/Photos");
    removeTree(theirs + "/Photos");

    // (c) One 1 GiB file copied again.
    {
        const std::string file = work + "/source/disk.img";
        writeFile(file, std::size_t{1} << 30);
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
        std::printf("[%3.0f s] recopy 1 GiB file: pass %.1f ms, cp %.1f ms\n", elapsed(), median(pass) * 1e3, median(ref) * 1e3);
        figures.push_back({"recopy_1gib_file_pass", median(pass) / median(ref), 1.05});
    }

    if (!keep) removeTree(work);
    for (const Figure& f : figures) std::printf("%s ratio=%.2f target=%g\n", f.name.c_str(), f.ratio, f.target);
    return 0;
}

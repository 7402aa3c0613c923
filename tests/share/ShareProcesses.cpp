// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShareProcesses.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace testsupport::shareprocs {

namespace {

std::string g_marker;

std::vector<pid_t> allPids() {
    std::vector<pid_t> pids;
    if (DIR* proc = ::opendir("/proc")) {
        while (const dirent* e = ::readdir(proc))
            if (const pid_t p = static_cast<pid_t>(std::atoi(e->d_name)); p > 0) pids.push_back(p);
        ::closedir(proc);
    }
    return pids;
}

pid_t parentOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');  // the name may hold spaces
    if (close == std::string::npos) return 0;
    std::istringstream rest(text.substr(close + 2));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    return parent;
}

// `pid` and its descendants, parents before children.
std::vector<pid_t> tree(pid_t pid) {
    std::vector<pid_t> found{pid};
    const std::vector<pid_t> pids = allPids();
    for (std::size_t i = 0; i < found.size(); ++i)
        for (pid_t p : pids)
            if (parentOf(p) == found[i]) found.push_back(p);
    return found;
}

bool carriesMarker(pid_t pid) {
    std::ifstream environ("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    for (std::string entry; std::getline(environ, entry, '\0');)
        if (entry == g_marker) return true;
    return false;
}

bool alive(pid_t pid) {
    // A zombie child of ours counts as ended; waitpid reaps it.
    ::waitpid(pid, nullptr, WNOHANG);
    return ::kill(pid, 0) == 0 && parentOf(pid) != 0;
}

}  // namespace

void setMarker(const std::string& folder) {
    g_marker = "ORVALEN_SHARE_TEST=" + folder;
    ::setenv("ORVALEN_SHARE_TEST", folder.c_str(), 1);  // everything started from here inherits it
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

pid_t start(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& log) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);
        const int out = ::open(log.empty() ? "/dev/null" : log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    if (child > 0) ::setpgid(child, child);
    return child;
}

int run(const std::string& command, const std::vector<std::string>& env, const std::string& log) {
    std::string line;
    for (const std::string& e : env) line += quoted(e) + " ";
    line = "env " + line + "sh -c " + quoted(command) + " >>" + (log.empty() ? "/dev/null" : quoted(log)) + " 2>&1";
    return std::system(line.c_str());
}

void signalTree(pid_t pid, int signal) {
    if (pid > 0)
        for (pid_t p : tree(pid)) ::kill(p, signal);
}

void end(pid_t& pid, int graceMs) {
    if (pid <= 0) return;
    const std::vector<pid_t> all = tree(pid);
    for (pid_t p : all) ::kill(p, SIGCONT), ::kill(p, SIGTERM);
    for (int waited = 0; waited < graceMs && alive(pid); waited += 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (pid_t p : all)
        if (alive(p)) ::kill(p, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

void endMarked() {
    if (g_marker.empty()) return;
    const pid_t self = ::getpid();
    std::vector<pid_t> marked;
    for (pid_t p : allPids())
        if (p != self && carriesMarker(p)) marked.push_back(p);
    for (pid_t p : marked) ::kill(p, SIGCONT), ::kill(p, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        bool any = false;
        for (pid_t p : marked) any = any || alive(p);
        if (!any) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (pid_t p : marked)
        if (alive(p)) ::kill(p, SIGKILL);
    for (pid_t p : marked) ::waitpid(p, nullptr, WNOHANG);
}

bool isMountPoint(const std::string& folder) {
    std::ifstream in("/proc/self/mountinfo");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, parent, dev, root, point;
        if (fields >> id >> parent >> dev >> root >> point && point == folder) return true;
    }
    return false;
}

bool waitMounted(const std::string& folder, bool wanted, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (isMountPoint(folder) == wanted) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return isMountPoint(folder) == wanted;
}

}  // namespace testsupport::shareprocs

// SPDX-License-Identifier: GPL-3.0-or-later
// How long the browse dialog waits for the platform to list a large folder:
// 10,000 ordinary files and a few sub-folders, listed several times, median
// printed. The dialog's own fill of its lists is measured separately (it needs Qt).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FolderListing.h"

namespace {

constexpr int kFiles = 10000;
constexpr int kFolders = 20;
constexpr int kRuns = 15;

std::string MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvalen-browse-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = pattern + "/report-" + std::to_string(i) + ".txt";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::perror("open");
            std::exit(1);
        }
        ::close(fd);
    }
    for (int i = 0; i < kFolders; ++i) ::mkdir((pattern + "/folder-" + std::to_string(i)).c_str(), 0755);
    return pattern;
}

double MedianMs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace

int main() {
    const std::string folder = MakeFolder();
    std::vector<double> samples;
    std::size_t listed = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const orvalen::platform::FolderListing listing = orvalen::platform::ListFolder(folder);
        const auto stop = std::chrono::steady_clock::now();
        listed = listing.files.size() + listing.folders.size();
        samples.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::filesystem::remove_all(folder);

    if (listed != kFiles + kFolders) {
        std::fprintf(stderr, "listed %zu entries, expected %d\n", listed, kFiles + kFolders);
        return 1;
    }
    std::printf("browse_list_10000_files_ms value=%.2f runs=%d\n", MedianMs(samples), kRuns);
    std::printf("browse_list_10000_files_worst_ms value=%.2f\n", *std::max_element(samples.begin(), samples.end()));
    return 0;
}

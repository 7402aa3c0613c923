// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A fresh folder under $TMPDIR (or /tmp) in which a test builds the files,
// folders, links and FIFOs it needs; removed with everything in it at the end,
// whatever modes the test left behind. The root is world-readable so that a
// child running as nobody can reach into it.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return m_root; }
    // The full path of `relative` inside the tree.
    std::string path(std::string_view relative) const;

    // Each creates the folders above the new entry and returns its full path.
    std::string makeFolder(std::string_view relative, unsigned mode = 0755) const;
    std::string writeFile(std::string_view relative, std::string_view content,
                          unsigned mode = 0644) const;
    std::string makeLink(std::string_view relative, const std::string& target) const;
    std::string makeFifo(std::string_view relative) const;

    // The whole content of a file; throws when it cannot be read.
    static std::string readFile(const std::string& path);
    // The names in a folder, sorted, without "." and "..".
    static std::vector<std::string> entryNames(const std::string& folder);

private:
    std::string m_root;
};

// The entry itself, not where a link points; a failed look fails the test.
struct stat lstatOf(const std::string& path);

}  // namespace testsupport

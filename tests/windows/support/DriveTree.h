// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A folder on one of Wine's drives ("C:\Work", "D:\Share"), made empty at the
// start and removed with everything in it at the end. Paths are UTF-8.
class DriveTree {
public:
    explicit DriveTree(std::string root);
    ~DriveTree();
    DriveTree(const DriveTree&) = delete;
    DriveTree& operator=(const DriveTree&) = delete;

    const std::string& root() const { return m_root; }
    std::string path(std::string_view relative) const;
    // Each creates the folders above the new entry and returns its full path.
    std::string makeFolder(std::string_view relative) const;
    std::string writeFile(std::string_view relative, std::string_view content) const;

    static std::string readFile(const std::string& path);
    static bool exists(const std::string& path);
    // The names in a folder, sorted.
    static std::vector<std::string> entryNames(const std::string& folder);
    // Empties a folder that outlives the test, such as a drive root.
    static void clear(const std::string& folder);

private:
    std::string m_root;
};

}  // namespace testsupport

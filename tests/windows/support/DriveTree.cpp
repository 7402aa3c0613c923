// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DriveTree.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/PathText.h"
#include "platform/windows/WideText.h"
#include "platform/windows/Win32Files.h"

namespace testsupport {

namespace fs = std::filesystem;
using orvalen::platform::windows::Narrow;

namespace {

// Long paths get the prefix that lifts the 260-character limit.
fs::path Native(const std::string& path) { return fs::path(orvalen::platform::windows::Win32Path(path)); }

// std::filesystem cannot remove a tree deeper than 260 characters here.
void RemoveTree(const std::string& path) {
    namespace win = orvalen::platform::windows;
    win::ForEachEntry(path, [&](const WIN32_FIND_DATAW& entry) {
        const std::string child = orvalen::path::Join(path, Narrow(entry.cFileName));
        const DWORD attributes = entry.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveTree(child);
        else win::RemoveEntryQuietly(child);
    });
    ::RemoveDirectoryW(win::Win32Path(path).c_str());
}

}  // namespace

DriveTree::DriveTree(std::string root) : m_root(std::move(root)) {
    RemoveTree(m_root);
    fs::create_directories(Native(m_root));
}

DriveTree::~DriveTree() { RemoveTree(m_root); }

std::string DriveTree::path(std::string_view relative) const { return orvalen::path::Join(m_root, relative); }

std::string DriveTree::makeFolder(std::string_view relative) const {
    const std::string full = path(relative);
    fs::create_directories(Native(full));
    return full;
}

std::string DriveTree::writeFile(std::string_view relative, std::string_view content) const {
    const std::string full = path(relative);
    fs::create_directories(Native(full).parent_path());
    std::ofstream out(Native(full), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) throw std::runtime_error("cannot write " + full);
    return full;
}

std::string DriveTree::readFile(const std::string& path) {
    std::ifstream in(Native(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool DriveTree::exists(const std::string& path) { return fs::exists(Native(path)); }

std::vector<std::string> DriveTree::entryNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Native(folder)))
        names.push_back(Narrow(entry.path().filename().wstring()));
    std::sort(names.begin(), names.end());
    return names;
}

void DriveTree::clear(const std::string& folder) {
    orvalen::platform::windows::ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        RemoveTree(orvalen::path::Join(folder, Narrow(entry.cFileName)));
    });
}

}  // namespace testsupport

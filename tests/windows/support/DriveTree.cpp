#include "support/DriveTree.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/PathText.h"
#include "platform/windows/WideText.h"

namespace testsupport {

namespace fs = std::filesystem;
using orvalen::platform::windows::Narrow;
using orvalen::platform::windows::Wide;

namespace {

fs::path Native(const std::string& path) { return fs::path(Wide(path)); }

}  // namespace

DriveTree::DriveTree(std::string root) : m_root(std::move(root)) {
    fs::remove_all(Native(m_root));
    fs::create_directories(Native(m_root));
}

DriveTree::~DriveTree() {
    std::error_code ignored;
    fs::remove_all(Native(m_root), ignored);
}

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
    // Wine lists an empty drive root as a folder that cannot be opened.
    std::error_code empty;
    for (const auto& entry : fs::directory_iterator(Native(folder), empty)) fs::remove_all(entry.path());
}

}  // namespace testsupport

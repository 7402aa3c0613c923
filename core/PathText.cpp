#include "core/PathText.h"

namespace orvalen::path {

namespace {

// Length of the root at the start of the path ("/" here, "C:\" on Windows), or 0.
std::size_t RootLength(std::string_view path) {
#ifdef _WIN32
    if (path.size() >= 3 && path[1] == ':' && path[2] == kSeparator) return 3;
    if (path.size() >= 1 && path[0] == kSeparator) return 1;
    return 0;
#else
    return (!path.empty() && path[0] == kSeparator) ? 1 : 0;
#endif
}

}  // namespace

bool EndsWithSeparator(std::string_view path) {
    return !path.empty() && path.back() == kSeparator;
}

std::string GetParentFolderName(std::string_view path) {
    const std::size_t root = RootLength(path);
    // A root has no parent; neither has the empty text.
    if (path.size() <= root) return {};

    // A trailing separator does not make a component of its own.
    std::size_t end = path.size();
    while (end > root && path[end - 1] == kSeparator) --end;
    if (end == root) return {};

    std::size_t cut = path.rfind(kSeparator, end - 1);
    if (cut == std::string_view::npos) return {};  // a bare name has no parent
    if (cut < root) return std::string(path.substr(0, root));
    while (cut > root && path[cut - 1] == kSeparator) --cut;
    return std::string(path.substr(0, cut < root ? root : cut));
}

std::string Join(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!EndsWithSeparator(folder)) out += kSeparator;
    out += name;
    return out;
}

}  // namespace orvalen::path

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/PassLog.h"

#include "core/PathText.h"
#include "core/RuntimeError.h"

namespace orvalen {

namespace {

std::string ItemText(const std::string& source, const std::string& copyPath) {
    return "the item " + path::ShownPath(source) + " to " + path::ShownPath(copyPath);
}

}  // namespace

std::string SilentEnds::Reason(int number) {
    switch (number) {
    case err::kFileNotFound: return "the source file does not exist";
    case err::kDeviceUnavailable: return "the destination's drive or share is not available";
    case err::kDiskFull: return "the destination is full";
    case err::kFileAlreadyExists: return "a file stands where the copy needs a folder";
    case err::kSubscriptOutOfRange: return "more than 100 folders are missing above the copy; its drive may not exist";
    default: return "the copy could not be made (failure " + std::to_string(number) + ")";
    }
}

void SilentEnds::ended(const std::string& source, const std::string& destination, const std::string& copyPath,
                       int number) {
    End now{source, destination, copyPath, number};
    if (m_last == now) return;
    write("Orvalen: " + ItemText(source, copyPath) + " is not guarded: " + Reason(number) +
          ". The items after it wait until this clears.");
    m_last = std::move(now);
}

void SilentEnds::guarded(const std::string& source, const std::string& destination) {
    if (!m_last || m_last->source != source || m_last->destination != destination) return;
    write("Orvalen: " + ItemText(m_last->source, m_last->copyPath) + " is guarded again.");
    m_last.reset();
}

void SilentEnds::write(const std::string& line) {
    if (m_log) m_log->write(line);
}

}  // namespace orvalen

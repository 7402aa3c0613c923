// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace orvalen {

// Where a line about the guard goes for a person to look at later: standard
// error, and the journal where there is one. The windows show nothing for a
// pass that ends without a message, by design; this says why it ended.
class PassLog {
public:
    virtual ~PassLog() = default;
    virtual void write(const std::string& line) = 0;
};

// Says once why passes end silently, and once when that has cleared, so a
// share that stays down for hours gives two lines, not one per tick.
class SilentEnds {
public:
    void setLog(PassLog* log) { m_log = log; }

    // The pass ended without a message at the item that copies `source` into
    // `destination` (both as listed); `copyPath` is where the copy was going.
    void ended(const std::string& source, const std::string& destination, const std::string& copyPath,
               int number);
    // The item that copies `source` into `destination` was guarded to the end.
    void guarded(const std::string& source, const std::string& destination);

    // The plain words for a failure number that ends a pass silently.
    static std::string Reason(int number);

private:
    // Rows move when one above is deleted: the end belongs to the item.
    struct End {
        std::string source;
        std::string destination;
        std::string copyPath;
        int number;
        bool operator==(const End&) const = default;
    };

    void write(const std::string& line);

    PassLog* m_log = nullptr;
    std::optional<End> m_last;
};

}  // namespace orvalen

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <vector>

namespace orvalen {

// The ordered list of guarded items: row i pairs source(i) with destination(i)
// and ItemIsFile(i). Rows count from 0; the kinds array has 101 entries, so
// the list never holds more than 101 items. Paths are kept exactly as given.
class ItemList {
public:
    static constexpr int kMaxItems = 101;

    int count() const { return static_cast<int>(m_sources.size()); }
    bool isFull() const { return count() >= kMaxItems; }

    // Reading a row that does not exist fails with number 9.
    const std::string& source(int row) const;
    const std::string& destination(int row) const;
    // Valid for 0..100 whatever the count; above that it fails with number 9.
    bool ItemIsFile(int row) const;

    // -1 when no row is selected.
    int selectedRow() const { return m_selected; }
    // Any value outside 0..count-1 clears the selection.
    void setSelectedRow(int row);

    // A new last row, not selected. Returns false and changes nothing when the
    // list is full.
    bool append(const std::string& source, const std::string& destination, bool isFile);
    // Row `row` gets the new paths and keeps its kind and place. Like a removal,
    // it leaves no row selected.
    void replace(int row, const std::string& source, const std::string& destination);
    // Later rows move up with their kinds; no row stays selected.
    void remove(int row);

private:
    void checkRow(int row) const;

    std::vector<std::string> m_sources;
    std::vector<std::string> m_destinations;
    std::array<bool, kMaxItems> m_itemIsFile{};
    int m_selected = -1;
};

}  // namespace orvalen

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ItemList.h"

#include "core/RuntimeError.h"

namespace orvalen {

void ItemList::checkRow(int row) const {
    if (row < 0 || row >= count())
        throw RuntimeError(err::kSubscriptOutOfRange,
                           "row " + std::to_string(row) + " does not exist");
}

const std::string& ItemList::source(int row) const {
    checkRow(row);
    return m_sources[static_cast<std::size_t>(row)];
}

const std::string& ItemList::destination(int row) const {
    checkRow(row);
    return m_destinations[static_cast<std::size_t>(row)];
}

bool ItemList::ItemIsFile(int row) const {
    if (row < 0 || row >= kMaxItems)
        throw RuntimeError(err::kSubscriptOutOfRange,
                           "no item kind for row " + std::to_string(row));
    return m_itemIsFile[static_cast<std::size_t>(row)];
}

void ItemList::setSelectedRow(int row) {
    m_selected = (row >= 0 && row < count()) ? row : -1;
}

bool ItemList::append(const std::string& source, const std::string& destination, bool isFile) {
    if (isFull()) return false;
    m_sources.push_back(source);
    m_destinations.push_back(destination);
    m_itemIsFile[static_cast<std::size_t>(count() - 1)] = isFile;
    return true;
}

void ItemList::replace(int row, const std::string& source, const std::string& destination) {
    checkRow(row);
    m_sources[static_cast<std::size_t>(row)] = source;
    m_destinations[static_cast<std::size_t>(row)] = destination;
    m_selected = -1;
}

void ItemList::remove(int row) {
    checkRow(row);
    const int n = count();
    m_sources.erase(m_sources.begin() + row);
    m_destinations.erase(m_destinations.begin() + row);
    for (int i = row; i <= n - 2; ++i)
        m_itemIsFile[static_cast<std::size_t>(i)] = m_itemIsFile[static_cast<std::size_t>(i) + 1];
    m_selected = -1;
}

}  // namespace orvalen

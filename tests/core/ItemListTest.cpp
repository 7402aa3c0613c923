// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/ItemList.h"
#include "core/RuntimeError.h"

using orvalen::ItemList;
using orvalen::RuntimeError;

namespace {

ItemList ThreeItems() {
    ItemList list;
    list.append("/w/a.txt", "/s/", true);
    list.append("/w/photos", "/s/", false);
    list.append("/w/c.txt", "/t/", true);
    return list;
}

}  // namespace

TEST(ItemList, emptyList_hasNoRowsAndNoSelection) {
    ItemList list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selectedRow(), -1);
    list.setSelectedRow(0);  // there is no row 0 to select
    EXPECT_EQ(list.selectedRow(), -1);
    EXPECT_THROW(list.source(0), RuntimeError);
}

TEST(ItemList, append_addsLastRowWithKindAndKeepsDuplicates) {
    ItemList list;
    ASSERT_TRUE(list.append("/w/a.txt", "/s/", true));
    EXPECT_EQ(list.source(0), "/w/a.txt");
    EXPECT_EQ(list.destination(0), "/s/");
    EXPECT_TRUE(list.ItemIsFile(0));

    ASSERT_TRUE(list.append("/w/a.txt", "/s/", true));
    ASSERT_TRUE(list.append("  /w/odd name ", "/s/", false));
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.source(1), "/w/a.txt");
    EXPECT_EQ(list.source(2), "  /w/odd name ") << "paths are kept exactly";
    EXPECT_FALSE(list.ItemIsFile(2));
}

TEST(ItemList, append_doesNotChangeOrTakeTheSelection) {
    ItemList list = ThreeItems();
    list.setSelectedRow(1);
    list.append("/w/d", "/s/", false);
    EXPECT_EQ(list.selectedRow(), 1);
}

TEST(ItemList, removeFirst_movesLaterRowsUpWithTheirKinds) {
    ItemList list = ThreeItems();
    list.setSelectedRow(2);
    list.remove(0);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.source(0), "/w/photos");
    EXPECT_EQ(list.source(1), "/w/c.txt");
    EXPECT_EQ(list.destination(1), "/t/");
    EXPECT_FALSE(list.ItemIsFile(0));
    EXPECT_TRUE(list.ItemIsFile(1));
    EXPECT_EQ(list.selectedRow(), -1) << "no row stays selected after a removal";
}

TEST(ItemList, removeLast_leavesOtherKindsUnchanged) {
    ItemList list = ThreeItems();
    list.remove(2);
    ASSERT_EQ(list.count(), 2);
    EXPECT_TRUE(list.ItemIsFile(0));
    EXPECT_FALSE(list.ItemIsFile(1));
    // A later append at the freed row gets its own kind, not a stale one.
    list.append("/w/e", "/s/", false);
    EXPECT_FALSE(list.ItemIsFile(2));
}

TEST(ItemList, replace_keepsPlaceAndKind) {
    ItemList list = ThreeItems();
    list.setSelectedRow(1);
    list.replace(1, "/x/other", "/y/");
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.source(1), "/x/other");
    EXPECT_EQ(list.destination(1), "/y/");
    EXPECT_FALSE(list.ItemIsFile(1));
    EXPECT_EQ(list.source(0), "/w/a.txt");
    EXPECT_EQ(list.source(2), "/w/c.txt");
    EXPECT_EQ(list.selectedRow(), -1);
}

TEST(ItemList, holdsAtMost101Items) {
    ItemList list;
    for (int i = 0; i < ItemList::kMaxItems; ++i)
        ASSERT_TRUE(list.append("/w/" + std::to_string(i), "/s/", i % 2 == 0));
    EXPECT_TRUE(list.isFull());
    EXPECT_TRUE(list.ItemIsFile(100));
    EXPECT_FALSE(list.append("/w/extra", "/s/", false)) << "the 102nd item is refused";
    EXPECT_EQ(list.count(), 101);
    EXPECT_EQ(list.source(100), "/w/100");
}

TEST(ItemList, kindOutsideTheArray_failsWithSubscriptOutOfRange) {
    ItemList list;
    EXPECT_FALSE(list.ItemIsFile(100)) << "entries past the count exist but mean nothing";
    try {
        list.ItemIsFile(101);
        FAIL() << "row 101 has no kind";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), orvalen::err::kSubscriptOutOfRange);
    }
}

TEST(ItemList, selection_isClearedByOutOfRangeRows) {
    ItemList list = ThreeItems();
    list.setSelectedRow(2);
    EXPECT_EQ(list.selectedRow(), 2);
    list.setSelectedRow(3);
    EXPECT_EQ(list.selectedRow(), -1);
    list.setSelectedRow(0);
    list.setSelectedRow(-1);
    EXPECT_EQ(list.selectedRow(), -1);
}

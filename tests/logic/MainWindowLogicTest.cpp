// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "core/mdlMain.h"
#include "ui/logic/Layout.h"
#include "ui/logic/MainWindowLogic.h"

namespace orvalen::ui {
namespace {

using B = MainButton;

// The main window without a toolkit: buttons, path fields and the list.
class FakeMainWindow : public MainWindowView {
public:
    explicit FakeMainWindow(mdlMain& shared) : m_shared(shared) {}

    void setButtonEnabled(MainButton b, bool on) override { enabled[static_cast<std::size_t>(b)] = on; }
    std::string sourcePath() const override { return source; }
    std::string destinationPath() const override { return destination; }
    void setSourcePath(const std::string& p) override { source = p; }
    void setDestinationPath(const std::string& p) override { destination = p; }
    int rowCount() const override { return m_shared.Items.count(); }
    int selectedRow() const override { return selected; }
    bool appendItem(const std::string& s, const std::string& d, bool isFile) override {
        return m_shared.Items.append(s, d, isFile);
    }
    void replaceItem(int row, const std::string& s, const std::string& d) override { m_shared.Items.replace(row, s, d); }
    void removeItem(int row) override { m_shared.Items.remove(row); }
    void showBrowseDialog() override { ++browsed; }
    MessageBox::Answer showMessage(const MessageBox& box) override {
        messages.push_back(box.text);
        return MessageBox::Answer::Ok;
    }

    std::set<MainButton> enabledButtons() const {
        std::set<MainButton> on;
        for (std::size_t i = 0; i < kMainButtonCount; ++i)
            if (enabled[i]) on.insert(static_cast<MainButton>(i));
        return on;
    }

    std::array<bool, kMainButtonCount> enabled{};
    std::string source, destination;
    int selected = -1;
    int browsed = 0;
    std::vector<std::string> messages;

private:
    mdlMain& m_shared;
};

const std::set<MainButton> kListMode = {B::cmdAddFile, B::cmdAddFolder};
const std::set<MainButton> kListModeWithItems = {B::cmdAddFile, B::cmdAddFolder, B::cmdEditItem,
                                                 B::cmdDeleteItem, B::cmdStart};
const std::set<MainButton> kEntryMode = {B::cmdBrowseSource, B::cmdBrowseDestination, B::cmdOK, B::cmdCancel};
const std::set<MainButton> kEntryModeRunnable = {B::cmdBrowseSource, B::cmdBrowseDestination, B::cmdOK,
                                                 B::cmdCancel, B::cmdStart};

struct Step {
    const char* name;
    int items;  // rows in the list before the steps
    std::function<void(MainWindowLogic&, FakeMainWindow&, mdlMain&)> act;
    std::set<MainButton> enabled;
    std::string message;  // the last warning shown, if any
    int rows;
};

TEST(MainWindowLogic, editorRulesTable) {
    const auto fill = [](FakeMainWindow& v, const char* s, const char* d) {
        v.source = s;
        v.destination = d;
    };
    const Step steps[] = {
        {"add file opens the entry", 0, [](auto& w, auto&, auto& m) { w.cmdAddFile_Click(); EXPECT_TRUE(m.AddingFile); },
         kEntryMode, "", 0},
        {"add folder opens the entry", 0,
         [](auto& w, auto&, auto& m) { w.cmdAddFolder_Click(); EXPECT_FALSE(m.AddingFile); }, kEntryMode, "", 0},
        {"OK without a source warns", 0, [](auto& w, auto&, auto&) { w.cmdAddFile_Click(); w.cmdOK_Click(); },
         kEntryMode, kMsgNoSource, 0},
        {"OK without a destination warns", 0,
         [&](auto& w, auto& v, auto&) { w.cmdAddFile_Click(); fill(v, "/s", ""); w.cmdOK_Click(); }, kEntryMode,
         kMsgNoDestination, 0},
        {"OK adds and returns to the list", 0,
         [&](auto& w, auto& v, auto&) { w.cmdAddFile_Click(); fill(v, "/s", "/d/"); w.cmdOK_Click(); EXPECT_EQ(v.source, ""); },
         kListModeWithItems, "", 1},
        {"OK on a full list warns and stays open", 101,
         [&](auto& w, auto& v, auto&) { w.cmdAddFile_Click(); fill(v, "/s", "/d/"); w.cmdOK_Click(); },
         kEntryModeRunnable, kMsgListFull, 101},
        {"edit without a selection warns", 1, [](auto& w, auto&, auto&) { w.cmdEditItem_Click(); },
         kListModeWithItems, kMsgNoItemSelected, 1},
        {"delete without a selection warns", 1, [](auto& w, auto&, auto&) { w.cmdDeleteItem_Click(); },
         kListModeWithItems, kMsgNoItemSelected, 1},
        {"edit opens the row's paths and kind", 2,
         [](auto& w, auto& v, auto& m) {
             v.selected = 1;
             w.cmdEditItem_Click();
             EXPECT_EQ(v.source, "/s1");
             EXPECT_TRUE(m.EditingItem);
             EXPECT_FALSE(m.AddingFile);  // row 1 holds a folder
             EXPECT_EQ(w.EditedRow(), 1);
         },
         kEntryModeRunnable, "", 2},
        {"OK after edit replaces in place", 2,
         [&](auto& w, auto& v, auto& m) {
             v.selected = 0;
             w.cmdEditItem_Click();
             fill(v, "/new", "/d/");
             w.cmdOK_Click();
             EXPECT_EQ(m.Items.source(0), "/new");
             EXPECT_FALSE(m.EditingItem);
         },
         kListModeWithItems, "", 2},
        {"cancel after edit keeps the row", 1,
         [](auto& w, auto& v, auto& m) { v.selected = 0; w.cmdEditItem_Click(); v.source = "/x"; w.cmdCancel_Click();
             EXPECT_EQ(m.Items.source(0), "/s0"); EXPECT_FALSE(m.EditingItem); },
         kListModeWithItems, "", 1},
        {"deleting the last row turns Start off", 1,
         [](auto& w, auto& v, auto&) { v.selected = 0; w.cmdDeleteItem_Click(); },
         {B::cmdAddFile, B::cmdAddFolder, B::cmdEditItem, B::cmdDeleteItem}, "", 0},
        {"deleting one of two keeps Start", 2, [](auto& w, auto& v, auto&) { v.selected = 0; w.cmdDeleteItem_Click(); },
         kListModeWithItems, "", 1},
        {"browse sets which path it is for", 0,
         [](auto& w, auto& v, auto& m) {
             w.cmdAddFile_Click();
             w.cmdBrowseDestination_Click();
             EXPECT_TRUE(m.BrowsingDestination);
             w.cmdBrowseSource_Click();
             EXPECT_FALSE(m.BrowsingDestination);
             EXPECT_EQ(v.browsed, 2);
         },
         kEntryMode, "", 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        mdlMain shared;
        FakeMainWindow view(shared);
        MainWindowLogic window(shared, view);
        for (int i = 0; i < step.items; ++i)
            shared.Items.append("/s" + std::to_string(i), "/d/", i % 2 == 0);
        window.Mode1();
        step.act(window, view, shared);
        EXPECT_EQ(view.enabledButtons(), step.enabled);
        EXPECT_EQ(view.messages.empty() ? "" : view.messages.back(), step.message);
        EXPECT_EQ(shared.Items.count(), step.rows);
    }
}

TEST(MainWindowLogic, enterAndEscapePressTheDialogsButtons) {
    std::array<bool, kMainButtonCount> all{};
    all.fill(true);
    std::array<bool, kMainButtonCount> none{};
    struct Case {
        DialogKey key;
        std::optional<MainButton> focused;
        const std::array<bool, kMainButtonCount>& enabled;
        std::optional<MainButton> pressed;
    } cases[] = {
        {DialogKey::Escape, B::cmdOK, all, B::cmdStop},
        {DialogKey::Escape, std::nullopt, none, std::nullopt},
        {DialogKey::Enter, std::nullopt, all, B::cmdStart},  // a list or the text box has the focus
        {DialogKey::Enter, B::cmdStart, all, B::cmdStart},
        {DialogKey::Enter, B::cmdOK, all, B::cmdOK},
        {DialogKey::Enter, std::nullopt, none, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(DefaultKeyTarget(c.key, c.focused, c.enabled), c.pressed);
}

// Every character is 10 pixels wide and 20 high; lines 20 apart.
class WideFont : public LayoutMetrics {
public:
    PixelSize textSize(const ControlBox&, std::string_view text, int wrapWidth) const override {
        const int width = static_cast<int>(text.size()) * 10;
        if (wrapWidth <= 0) return {width, 20};
        return {std::min(width, wrapWidth), 20 * ((width + wrapWidth - 1) / wrapWidth)};
    }
    PixelSize buttonMargin(const ControlBox&) const override { return {8, 8}; }
    int naturalHeight(const ControlBox&) const override { return 22; }
    int lineSpacing(const ControlBox&) const override { return 20; }
    std::string currentText(const ControlBox&) const override { return "Orvalen"; }
};

class Placed : public LayoutTarget {
public:
    void place(const ControlBox& c, const PixelRect& box) override { boxes[std::string(c.name)] = box; }
    void placeSized(const ControlBox& c, int left, int top) override { boxes[std::string(c.name)] = {left, top, 0, 0}; }
    std::map<std::string, PixelRect> boxes;
};

TEST(WindowLayout, aLargeFontGrowsTheWholeWindowUntilEveryTextFits) {
    for (const WindowLayout* layout : {&MainWindowLayout(), &BrowseLayout(), &AboutLayout(), &InstructionsLayout()}) {
        SCOPED_TRACE(std::string(layout->title));
        const WideFont font;
        const TwipsScale scale = FitWindow(*layout, 96, font);
        EXPECT_GT(scale.px(1440), 96);  // 10-pixel letters need more than the design's font
        for (const ControlBox& c : layout->controls) {
            if (c.fit != Fit::Button && c.fit != Fit::Label) continue;
            const std::string_view text = c.fitSample.empty() ? c.caption : c.fitSample;
            if (text.empty()) continue;
            const int margin = c.fit == Fit::Button ? (c.padX ? c.padX : 8) : 0;
            EXPECT_LE(static_cast<int>(text.size()) * 10 + margin, scale.px(c.width)) << c.name;
        }
    }
}

TEST(WindowLayout, controlsInAFrameArePlacedFromTheFrameOrTheWindow) {
    const TwipsScale scale(96);
    Placed inFrame, fromWindow;
    PlaceWindow(MainWindowLayout(), scale, inFrame);
    PlaceWindow(MainWindowLayout(), scale, fromWindow, true);
    // cmdOK sits at 3120,1680 in fraMode2, which sits at 120,1800.
    EXPECT_EQ(inFrame.boxes["cmdOK"], (PixelRect{208, 112, 67, 33}));
    EXPECT_EQ(fromWindow.boxes["cmdOK"], (PixelRect{216, 232, 67, 33}));
    EXPECT_EQ(inFrame.boxes["fraMode2"], fromWindow.boxes["fraMode2"]);
}

}  // namespace
}  // namespace orvalen::ui

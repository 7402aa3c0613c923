// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/logic/Layout.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "ui/logic/WindowTexts.h"

namespace orvalen::ui {

namespace {

// Each control's box in twips, from the corner of the frame or window that holds it.
constexpr ControlBox kMainControls[] = {
    {"fraMode1", "", 120, 0, 5295, 1815},
    {"lblSourceListLabel", "fraMode1", 120, 240, 630, 195, Fit::Label, "Sources:"},
    {"lblDestinationListLabel", "fraMode1", 1680, 240, 915, 195, Fit::Label, "Destinations:"},
    {"lstSource", "fraMode1", 120, 600, 1455, 1035, Fit::Rows, {}, {}, {}, 4},
    {"lstDestination", "fraMode1", 1560, 600, 1455, 1035, Fit::Rows, {}, {}, {}, 4},
    {"cmdAddFile", "fraMode1", 3120, 600, 1000, 500, Fit::Button, "Add File", "Add a file to list"},
    {"cmdAddFolder", "fraMode1", 3120, 1200, 1000, 500, Fit::Button, "Add Folder", "Add folder to list"},
    {"cmdEditItem", "fraMode1", 4200, 600, 1000, 500, Fit::Button, "Edit Item",
     "Change source and destination path of selected item in list"},
    {"cmdDeleteItem", "fraMode1", 4200, 1200, 1000, 500, Fit::Button, "Delete Item",
     "Delete selected item in list"},

    {"fraMode2", "", 120, 1800, 5295, 2295},
    {"lblSourcePathLabel", "fraMode2", 120, 240, 1815, 195, Fit::Label, "Choose source file/folder:"},
    {"lblSourcePath", "fraMode2", 120, 480, 3765, 435, Fit::TwoLines},
    {"cmdBrowseSource", "fraMode2", 4200, 480, 1000, 400, Fit::Button, "Browse...",
     "Browse to find source file/folder"},
    {"lblDestinationPathLabel", "fraMode2", 120, 960, 1755, 195, Fit::Label, "Choose destination path:"},
    {"lblDestinationPath", "fraMode2", 120, 1200, 3765, 435, Fit::TwoLines},
    {"cmdBrowseDestination", "fraMode2", 4200, 1080, 1000, 400, Fit::Button, "Browse...",
     "Browse to find destination file/folder"},
    {"cmdOK", "fraMode2", 3120, 1680, 1000, 495, Fit::Button, "OK", "Add to list"},
    {"cmdCancel", "fraMode2", 4200, 1680, 1000, 495, Fit::Button, "Cancel", "Don't add to list"},

    {"fraRun", "", 120, 4200, 5295, 1215},
    {"lblIntervalLabel", "fraRun", 120, 240, 1755, 195, Fit::Label, "Time interval in seconds:"},
    {"txtTimeInterval", "fraRun", 1920, 240, 495, 300, Fit::EditLine, "5"},
    {"lblStatusLabel", "fraRun", 120, 720, 495, 195, Fit::Label, "Status:"},
    {"lblStatus", "fraRun", 720, 720, 465, 195, Fit::Label, "Ready"},
    {"cmdStart", "fraRun", 3120, 600, 1000, 495, Fit::Button, "Start", "Start running"},
    {"cmdStop", "fraRun", 4200, 600, 1000, 495, Fit::Button, "Stop", "Stop running"},
};

constexpr ControlBox kBrowseControls[] = {
    {"Label1", "", 120, 120, 885, 195, Fit::Label, "Select drive:"},
    {"Drive1", "", 120, 360, 1575, 315, Fit::DropDown},
    {"cmdSelect", "", 1920, 240, 900, 500, Fit::Button, "Select", "Select file/folder"},
    {"cmdCancel", "", 2880, 240, 900, 500, Fit::Button, "Cancel",
     "Close this window without selecting any files/folders"},
    {"Label2", "", 120, 840, 930, 195, Fit::Label, "Select folder:"},
    // The folder list shows at least a few levels at once.
    {"Dir1", "", 120, 1080, 1695, 1890, Fit::Rows, {}, {}, {}, 6},
    {"Label3", "", 1920, 840, 735, 195, Fit::Label, "Select file:"},
    {"File1", "", 1920, 1080, 1815, 1845},
};

// Labels sized to their text may take the room up to the window's right
// margin, and down to the next row.
constexpr int kAboutTextLeft = 1560;
constexpr int kAboutTextRoom = 5730 - 120 - kAboutTextLeft;
constexpr int kAboutRowStep = 285;

constexpr ControlBox kAboutControls[] = {
    // Sized to its 80 x 80 picture and a two-pixel margin, never stretched.
    {"picIcon", "", 120, 120, 0, 0, Fit::Picture},
    {"lblTitle", "", kAboutTextLeft, 240, kAboutTextRoom, kAboutRowStep, Fit::Label},
    {"lblVersion", "", kAboutTextLeft, 525, kAboutTextRoom, kAboutRowStep, Fit::Label},
    {"lblByMe", "", kAboutTextLeft, 810, kAboutTextRoom, kAboutRowStep, Fit::Label, kMakerName},
    {"lblDate", "", kAboutTextLeft, 1095, kAboutTextRoom, 1485 - 1095, Fit::Label, kDateLine},
    {"Line1", "", 90, 1485, 5654 - 90, 0, Fit::EtchedLine},
    {"lblDisclaimer", "", 120, 1560, 3975, 1065, Fit::Wrapped, kDisclaimer},
    {"cmdOK", "", 4245, 1665, 1260, 345, Fit::Button, "OK", {}, "System Info...", 0, 16, 8},
    {"cmdSysInfo", "", 4260, 2115, 1245, 345, Fit::Button, "&System Info...", {}, "System Info...", 0, 16, 8},
};

constexpr ControlBox kInstructionsControls[] = {
    {"lblInstructionsLabel", "", 203, 112, 1575, 255, Fit::Text, "Instructions:"},
    {"lblInstructions", "", 173, 472, 5145, 1605, Fit::Wrapped, kInstructionsA},
    {"Label1", "", 173, 2152, 5145, 975, Fit::Wrapped, kInstructionsB},
    // The frame's title sits above the maker's name.
    {"frmByMe", "", 188, 3247, 3495, 735, Fit::FrameTitle, "Produced By:", {}, {}, 240, 16},
    {"lblByMe", "frmByMe", 100, 240, 3135, 375, Fit::Text, kMakerName},
    {"cmdClose", "", 4043, 3457, 1215, 495, Fit::Button, "Close", {}, {}, 0, 16, 8},
};

const WindowLayout kMain{"Orvalen", kMainControls, 5520, 5505};
const WindowLayout kBrowse{"Select File/Folder", kBrowseControls, 3915, 3015};
const WindowLayout kAbout{"About Orvalen", kAboutControls, 5730, 2640};
const WindowLayout kInstructions{"Instructions", kInstructionsControls, 5490, 4095};

std::string fittedText(const ControlBox& c, const LayoutMetrics& metrics) {
    if (!c.fitSample.empty()) return std::string(c.fitSample);
    if (!c.caption.empty()) return std::string(c.caption);
    return metrics.currentText(c);
}

}  // namespace

const ControlBox* WindowLayout::find(std::string_view name) const {
    const auto it = std::find_if(controls.begin(), controls.end(),
                                 [name](const ControlBox& c) { return c.name == name; });
    return it == controls.end() ? nullptr : &*it;
}

const ControlBox& WindowLayout::at(std::string_view name) const {
    if (const ControlBox* c = find(name)) return *c;
    throw std::out_of_range("no control " + std::string(name) + " in " + std::string(title));
}

const WindowLayout& MainWindowLayout() { return kMain; }
const WindowLayout& BrowseLayout() { return kBrowse; }
const WindowLayout& AboutLayout() { return kAbout; }
const WindowLayout& InstructionsLayout() { return kInstructions; }

TwipsScale::TwipsScale(double dpi) : m_factor((dpi > 0 ? dpi : 96.0) / kTwipsPerInch) {}

int TwipsScale::px(int twips) const { return static_cast<int>(std::lround(twips * m_factor)); }

PixelRect TwipsScale::rect(int left, int top, int width, int height) const {
    const int l = px(left);
    const int t = px(top);
    return {l, t, px(left + width) - l, px(top + height) - t};
}

void TwipsScale::grow(PixelSize need, int widthTwips, int heightTwips) {
    for (int step = 0; step < kMaxSteps; ++step) {
        const bool wide = need.width <= 0 || need.width <= px(widthTwips);
        const bool high = need.height <= 0 || need.height <= px(heightTwips);
        if (wide && high) return;
        m_factor *= kGrowStep;
    }
}

TwipsScale FitWindow(const WindowLayout& layout, double dpi, const LayoutMetrics& metrics) {
    TwipsScale s(dpi);
    for (const ControlBox& c : layout.controls) {
        const auto oneLine = [&](std::string_view text) {
            return [&metrics, &c, text](int) { return metrics.textSize(c, text, 0); };
        };
        switch (c.fit) {
        case Fit::Label:
        case Fit::Text: {
            const std::string text = fittedText(c, metrics);
            s.growFor(oneLine(text), c.width, c.height);
            break;
        }
        case Fit::Wrapped: {
            const std::string text = fittedText(c, metrics);
            s.growFor([&](int w) { return metrics.textSize(c, text, w); }, c.width, c.height);
            break;
        }
        case Fit::FrameTitle: {
            const std::string text = fittedText(c, metrics);
            s.growFor(oneLine(text), c.width, c.rows, PixelSize{c.padX, c.padY});
            break;
        }
        case Fit::TwoLines:
            s.growFor(oneLine("Xg\nXg"), c.width, c.height);
            break;
        case Fit::Button: {
            const PixelSize text = metrics.textSize(c, fittedText(c, metrics), 0);
            const PixelSize margin = c.padX || c.padY ? PixelSize{c.padX, c.padY} : metrics.buttonMargin(c);
            s.grow({text.width + margin.width, text.height + margin.height}, c.width, c.height);
            break;
        }
        case Fit::EditLine:
        case Fit::DropDown:
            s.grow({0, metrics.naturalHeight(c)}, c.width, c.height);
            break;
        case Fit::Rows:
            s.grow({0, c.rows * metrics.lineSpacing(c) + 8}, c.width, c.height);
            break;
        case Fit::None:
        case Fit::Picture:
        case Fit::EtchedLine:
            break;
        }
    }
    return s;
}

void PlaceWindow(const WindowLayout& layout, const TwipsScale& scale, LayoutTarget& target, bool fromWindow) {
    for (const ControlBox& c : layout.controls) {
        int left = c.left;
        int top = c.top;
        if (fromWindow && !c.frame.empty()) {
            const ControlBox& frame = layout.at(c.frame);
            left += frame.left;
            top += frame.top;
        }
        if (c.fit == Fit::Label) target.placeSized(c, scale.px(left), scale.px(top));
        else target.place(c, scale.rect(left, top, c.width, c.height));
    }
}

}  // namespace orvalen::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace orvalen::ui {

// The windows are designed in twips (1440 to the inch, so 15 to a pixel at
// 96 dpi). Each window's controls are one table: the box each takes and how
// it must fit its text. A toolkit walks the table twice, once to grow the
// scale until every text fits (so a large font enlarges the whole window
// evenly instead of clipping it) and once to place the controls.

enum class Fit {
    None,        // the box as designed
    Label,       // placed at its corner and sized to its text, which must fit the box
    Text,        // its text, on one line, must fit the box it is placed in
    Wrapped,     // its text, wrapped, must fit the box it is placed in
    Button,      // its caption (or fitSample) plus the button's margin must fit
    TwoLines,    // two lines of text must fit (the entry editor's path fields)
    EditLine,    // a text box's own height must fit
    DropDown,    // a drop-down list's own height must fit
    Rows,        // `rows` lines of a list box, plus its frame, must fit
    FrameTitle,  // a frame's title, with room beside it, must fit width x fitHeight
    Picture,     // a picture of fixed pixel size at its corner (the About box's)
    EtchedLine,  // a grey line with a white one under it, one pixel each (About)
};

struct ControlBox {
    std::string_view name;   // the control's name in the design
    std::string_view frame;  // the frame holding it, empty for the window itself
    int left = 0;            // twips, from the top-left corner of the frame or window
    int top = 0;
    int width = 0;
    int height = 0;  // 0 with Label: the height is not checked
    Fit fit = Fit::None;
    std::string_view caption = {};  // what the control says, where fixed
    std::string_view tip = {};      // its tooltip
    std::string_view fitSample = {};  // fitted instead of the caption
    int rows = 0;                     // Rows: lines; FrameTitle: the title's height in twips
    int padX = 0;  // Button: the margin in pixels, 0 for the toolkit's own
    int padY = 0;
};

struct WindowLayout {
    std::string_view title;
    std::span<const ControlBox> controls;
    int width = 0;  // the client area in twips
    int height = 0;

    const ControlBox* find(std::string_view name) const;
    const ControlBox& at(std::string_view name) const;  // throws std::out_of_range
};

const WindowLayout& MainWindowLayout();
const WindowLayout& BrowseLayout();
const WindowLayout& AboutLayout();
const WindowLayout& InstructionsLayout();

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Pixels per twip for one window.
class TwipsScale {
public:
    static constexpr double kTwipsPerInch = 1440.0;

    explicit TwipsScale(double dpi = 96.0);

    int px(int twips) const;
    // Edges are rounded, not extents, so neighbours that touch in twips
    // touch in pixels.
    PixelRect rect(int left, int top, int width, int height) const;
    PixelSize size(int width, int height) const { return {px(width), px(height)}; }

    // Grows the scale until `need` pixels fit `widthTwips` x `heightTwips`;
    // a zero extent of `need` is not checked.
    void grow(PixelSize need, int widthTwips, int heightTwips);
    // Grows it until `measure(widthPx)` (the size of a text drawn at most
    // that wide) fits the box.
    template <typename Measure>
    void growFor(Measure measure, int widthTwips, int heightTwips, PixelSize padding = {});

private:
    // 1% steps keep the window's proportions while never undershooting a fit;
    // 400 of them reach about 53 times the start, plenty for any font.
    static constexpr double kGrowStep = 1.01;
    static constexpr int kMaxSteps = 400;
    double m_factor;
};

// What a toolkit measures for the fitting walk, in pixels.
class LayoutMetrics {
public:
    virtual ~LayoutMetrics() = default;
    // `text` in the control's font; wrapped at `wrapWidth` when that is > 0.
    virtual PixelSize textSize(const ControlBox& control, std::string_view text, int wrapWidth) const = 0;
    // The room a button needs around its caption.
    virtual PixelSize buttonMargin(const ControlBox& control) const = 0;
    // The natural height of a text box or drop-down list.
    virtual int naturalHeight(const ControlBox& control) const = 0;
    // The height of one line of a list box.
    virtual int lineSpacing(const ControlBox& control) const = 0;
    // What the control says now, for those whose caption is set at run time.
    virtual std::string currentText(const ControlBox& control) const = 0;
};

// Where a toolkit puts each control.
class LayoutTarget {
public:
    virtual ~LayoutTarget() = default;
    virtual void place(const ControlBox& control, const PixelRect& box) = 0;
    // Label: its corner only, the toolkit sizes it to its text.
    virtual void placeSized(const ControlBox& control, int left, int top) = 0;
};

// The scale at `dpi` grown until every control of the window fits its text.
TwipsScale FitWindow(const WindowLayout& layout, double dpi, const LayoutMetrics& metrics);

// Places every control at `scale`. With `fromWindow`, boxes are measured from
// the window's corner even inside a frame (for toolkits whose frames hold
// no children).
void PlaceWindow(const WindowLayout& layout, const TwipsScale& scale, LayoutTarget& target,
                 bool fromWindow = false);

template <typename Measure>
void TwipsScale::growFor(Measure measure, int widthTwips, int heightTwips, PixelSize padding) {
    for (int step = 0; step < kMaxSteps; ++step) {
        const int w = px(widthTwips) - padding.width;
        const int h = px(heightTwips) - padding.height;
        if (w > 0) {
            const PixelSize need = measure(w);
            if (need.width <= w && (heightTwips == 0 || need.height <= h)) return;
        }
        m_factor *= kGrowStep;
    }
}

}  // namespace orvalen::ui

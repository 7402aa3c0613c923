// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QFontMetrics;
class QLabel;
class QString;
class QWidget;

namespace orvalen::ui {

// Places controls of a window designed in twips (1440 to the inch, so 15 to a
// pixel at 96 dpi). One factor, pixels per twip, serves the whole window: it
// starts from the logical dpi and the fit calls grow it until every caption
// fits the box the design gives it. A font larger than the 8-point design
// font so enlarges the whole window evenly instead of clipping its texts.
class TwipsScale {
public:
    static constexpr double kTwipsPerInch = 1440.0;

    explicit TwipsScale(double logicalDpi = 96.0);
    // From the widget's logical dpi.
    static TwipsScale forWidget(const QWidget& widget);

    double factor() const { return m_factor; }

    int px(int twips) const;
    QPoint point(int left, int top) const;
    QSize size(int width, int height) const;
    QRect rect(int left, int top, int width, int height) const;

    // Puts `widget` at its designed place and size.
    void place(QWidget* widget, int left, int top, int width, int height) const;
    // A label sized to its text: its top-left corner is fixed and it grows
    // with its text.
    void placeSized(QLabel* label, int left, int top) const;

    // Grows the factor until `text`, drawn with `flags` (add Qt::TextWordWrap
    // for a wrapping label) in a box of widthTwips x heightTwips less `padding`
    // pixels, fits. A height of 0 leaves the height unchecked.
    void fitText(const QFontMetrics& metrics, const QString& text, int widthTwips,
                 int heightTwips, int flags = 0, QSize padding = {});
    // Grows the factor until a box of `pixels` fits in widthTwips x heightTwips.
    // A zero pixel extent leaves that axis unchecked.
    void fitSize(QSize pixels, int widthTwips, int heightTwips);

private:
    double m_factor;  // pixels per twip
};

}  // namespace orvalen::ui

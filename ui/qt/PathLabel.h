// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace orvalen::ui {

// A fixed-size label for a path (lblSourcePath, lblDestinationPath). A path
// has few blanks to break at, so it wraps anywhere; a path longer than the
// label holds loses its middle to an ellipsis rather than its file name.
// text() stays the exact path.
class PathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PathLabel(QWidget* parent = nullptr);

    // The text as drawn in `rect`: the path, or the path shortened in the middle.
    static QString fittedText(const QFontMetrics& metrics, const QString& path, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace orvalen::ui

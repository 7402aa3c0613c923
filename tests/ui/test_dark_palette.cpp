// SPDX-License-Identifier: GPL-3.0-or-later
// On a dark palette the designed colours give way to readable ones.
#include <QApplication>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

#include "ui/qt/frmAbout.h"
#include "ui/qt/frmInstructions.h"

// WCAG contrast ratio of two colours.
static double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto ch = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class TestDarkPalette : public QObject {
    Q_OBJECT
private slots:
    void labelsReadable_onDarkPalette() {
        // A dark desktop theme: light text and a light link colour on dark grey.
        QPalette dark(QColor(0x31, 0x36, 0x3b));
        dark.setColor(QPalette::WindowText, QColor(0xef, 0xf0, 0xf1));
        dark.setColor(QPalette::Link, QColor(0x3d, 0xae, 0xe9));
        QApplication::setPalette(dark);
        orvalen::ui::frmAbout::showSingle();
        std::unique_ptr<QWidget> about(orvalen::ui::frmAbout::current());
        auto instructions = std::make_unique<orvalen::ui::frmInstructions>(nullptr);
        // The least contrast: 4.5 for text, 3 for large text.
        const struct { QWidget* window; const char* label; double least; } cases[] = {
            {instructions.get(), "lblInstructionsLabel", 4.5}, {instructions.get(), "lblByMe", 3},
            {about.get(), "lblTitle", 4.5}, {about.get(), "lblByMe", 4.5}, {about.get(), "lblDisclaimer", 4.5}};
        for (const auto& c : cases) {
            auto* label = c.window->findChild<QLabel*>(QLatin1String(c.label));
            QVERIFY2(label, c.label);
            const double ratio = contrast(label->palette().color(QPalette::WindowText),
                                          c.window->palette().color(QPalette::Window));
            QVERIFY2(ratio >= c.least, qPrintable(QStringLiteral("%1: contrast %2").arg(c.label).arg(ratio)));
        }
        QApplication::setPalette(QPalette());
    }
};

QTEST_MAIN(TestDarkPalette)
#include "test_dark_palette.moc"

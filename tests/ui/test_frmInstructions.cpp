// SPDX-License-Identifier: GPL-3.0-or-later
// The Instructions window: its fixed texts, its keys and its lifetime.
#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <memory>

#include "support/ModalHelpers.h"
#include "ui/qt/frmInstructions.h"

using orvalen::ui::frmInstructions;

namespace {

int openInstructionsWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<frmInstructions*>(w)) ++n;
    return n;
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class TestFrmInstructions : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts_areExactWithTwoSpacesBetweenSentences();
    void fonts_headingAndMakerAsDesigned();
    void window_fixedCentredAndEveryTextFits();
    void load_showsMainWindowFirstThenModal();
    void closeEnterEscAndCloseBox_discardTheWindow_data();
    void closeEnterEscAndCloseBox_discardTheWindow();
    void atMostOneAtATime();

private:
    std::unique_ptr<QWidget> m_main;
};

void TestFrmInstructions::init() {
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName(QStringLiteral("stand-in main window"));
}

void TestFrmInstructions::cleanup() {
    testsupport::closeLeftoverModals();
    if (auto* open = frmInstructions::current()) delete open;
    m_main.reset();
    flushDeletes();
}

void TestFrmInstructions::texts_areExactWithTwoSpacesBetweenSentences() {
    frmInstructions window(m_main.get());
    auto text = [&](const char* name) {
        return window.findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    QCOMPARE(window.windowTitle(), QStringLiteral("Instructions"));
    QCOMPARE(text("lblInstructionsLabel"), QStringLiteral("Instructions:"));
    QCOMPARE(text("lblInstructions"),
             QStringLiteral("Using this program you can prevent the deletion of certain files/folders on a "
                            "shared drive in your network.  For example you've got a file you want to show to "
                            "your friends.  So you copy it to a shared drive in your network, and ask your "
                            "friends to check it out.  But some jealous freak keeps on deleting it.  This "
                            "program will check whether your file exists on the shared drive, and if not, it "
                            "recopies the file.  This process is repeated at a defined interval of time.  So "
                            "the jealous guy will get tired and stop after a while!"));
    QCOMPARE(text("Label1"),
             QStringLiteral("Here's how it works:  You give your file/folder's source and destination paths.  "
                            "You can do this with several files/folders, each with different sources and "
                            "destinations.  You can also choose the interval of time at which the recopying "
                            "process is repeated.  Then you tell the program to start running.  You can stop "
                            "the program at any time."));
    QCOMPARE(window.findChild<QGroupBox*>(QStringLiteral("frmByMe"))->title(), QStringLiteral("Produced By:"));
    QVERIFY(!text("lblByMe").trimmed().isEmpty());
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("cmdClose"))->text(), QStringLiteral("Close"));
    QVERIFY(window.findChild<QLabel*>(QStringLiteral("lblInstructions"))->wordWrap());
    QVERIFY(window.findChild<QLabel*>(QStringLiteral("Label1"))->wordWrap());
    QVERIFY(window.findChild<QLabel*>(QStringLiteral("lblByMe"))->alignment() & Qt::AlignHCenter);
    QAccessibleInterface* close =
        QAccessible::queryAccessibleInterface(window.findChild<QPushButton*>(QStringLiteral("cmdClose")));
    QCOMPARE(close->text(QAccessible::Name), QStringLiteral("Close"));
}

void TestFrmInstructions::fonts_headingAndMakerAsDesigned() {
    frmInstructions window(m_main.get());
    auto* heading = window.findChild<QLabel*>(QStringLiteral("lblInstructionsLabel"));
    QCOMPARE(heading->font().pointSizeF(), 12.0);
    QVERIFY(heading->font().bold());
    QCOMPARE(heading->palette().color(QPalette::WindowText), QColor(Qt::blue));
    // A sans-serif face like the rest of the window, not the serif fallback.
    QCOMPARE(QFontInfo(heading->font()).family(), QFontInfo(window.font()).family());

    auto* maker = window.findChild<QLabel*>(QStringLiteral("lblByMe"));
    QCOMPARE(maker->font().pointSizeF(), 17.25);
    QVERIFY(!maker->font().bold());
    const QColor light = maker->palette().color(QPalette::WindowText);
    QVERIFY(light.blue() > light.red() && light.blue() > light.green());
    QVERIFY(light.lightness() > QColor(Qt::blue).lightness());

    // Body texts keep the default dialog font.
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblInstructions"))->font(), window.font());
}

void TestFrmInstructions::window_fixedCentredAndEveryTextFits() {
    frmInstructions window(m_main.get());
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.width() >= 366 && window.height() >= 273);  // 5490 x 4095 twips at 96 dpi
    for (QLabel* label : window.findChildren<QLabel*>()) {
        const QRect need = label->fontMetrics().boundingRect(
            QRect(0, 0, label->width(), 1 << 20), label->wordWrap() ? Qt::TextWordWrap : 0, label->text());
        QVERIFY2(need.height() <= label->height(), qPrintable(label->objectName()));
        QVERIFY2(need.width() <= label->width(), qPrintable(label->objectName()));
    }
    // Nothing sticks out of the window.
    for (QWidget* child : window.findChildren<QWidget*>())
        QVERIFY2(QRect(QPoint(0, 0), window.size()).contains(QRect(child->mapTo(&window, QPoint(0, 0)), child->size())),
                 qPrintable(child->objectName()));
}

void TestFrmInstructions::load_showsMainWindowFirstThenModal() {
    QVERIFY(!m_main->isVisible());
    bool mainVisible = false;
    bool modal = false;
    auto seen = testsupport::answerNextModal<frmInstructions>([&](frmInstructions* dlg) {
        mainVisible = m_main->isVisible();
        modal = dlg->isModal() && dlg->windowModality() == Qt::ApplicationModal && dlg->parentWidget() == nullptr;
        QCOMPARE(frmInstructions::current(), dlg);
        dlg->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    });
    frmInstructions::showModal(m_main.get());
    QVERIFY(seen->seen);
    QVERIFY(mainVisible);
    QVERIFY(modal);
    // Reopened later, the same texts come back in a new window.
    QString textAgain;
    seen = testsupport::answerNextModal<frmInstructions>([&](frmInstructions* dlg) {
        textAgain = dlg->findChild<QLabel*>(QStringLiteral("Label1"))->text();
        dlg->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    });
    frmInstructions::showModal(m_main.get());
    QVERIFY(seen->seen);
    QCOMPARE(textAgain, frmInstructions::kTextB);
}

void TestFrmInstructions::closeEnterEscAndCloseBox_discardTheWindow_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Close clicked") << 0;
    QTest::newRow("Enter") << 1;
    QTest::newRow("Esc") << 2;
    QTest::newRow("close box") << 3;
}

void TestFrmInstructions::closeEnterEscAndCloseBox_discardTheWindow() {
    QFETCH(int, how);
    QPointer<frmInstructions> seenWindow;
    auto seen = testsupport::answerNextModal<frmInstructions>([&](frmInstructions* dlg) {
        seenWindow = dlg;
        auto* close = dlg->findChild<QPushButton*>(QStringLiteral("cmdClose"));
        QVERIFY(close->isDefault());
        switch (how) {
        case 0: close->click(); break;
        case 1: QTest::keyClick(dlg, Qt::Key_Return); break;
        case 2: QTest::keyClick(dlg, Qt::Key_Escape); break;
        default: dlg->close(); break;
        }
    });
    frmInstructions::showModal(m_main.get());
    QVERIFY(seen->seen);
    flushDeletes();
    QVERIFY(seenWindow.isNull());
    QCOMPARE(frmInstructions::current(), nullptr);
    QCOMPARE(openInstructionsWindows(), 0);
}

void TestFrmInstructions::atMostOneAtATime() {
    // Watches how many exist at once; a second one would be closed again at
    // once so that the test fails instead of waiting in it.
    int peak = 0;
    QTimer probe;
    probe.setInterval(5);
    connect(&probe, &QTimer::timeout, [&] {
        peak = std::max(peak, openInstructionsWindows());
        if (openInstructionsWindows() > 1) QApplication::activeModalWidget()->close();
    });
    probe.start();
    auto seen = testsupport::answerNextModal<frmInstructions>([&](frmInstructions* dlg) {
        // Asked again while it is open: the same window comes to the front.
        frmInstructions::showModal(m_main.get());
        QTest::qWait(30);
        QCOMPARE(QApplication::activeModalWidget(), dlg);
        dlg->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    });
    frmInstructions::showModal(m_main.get());
    QVERIFY(seen->seen);
    QCOMPARE(peak, 1);
}

QTEST_MAIN(TestFrmInstructions)
#include "test_frmInstructions.moc"

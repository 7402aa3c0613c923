// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

#include "Version.h"
#include "support/ModalHelpers.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/frmAbout.h"

using orvalen::ui::frmAbout;
using orvalen::ui::setNextAnswer;
using Answer = orvalen::ui::MessageBox::Answer;

namespace {

QList<frmAbout*> openBoxes() {
    QList<frmAbout*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<frmAbout*>(w); box && box->isVisible()) boxes << box;
    return boxes;
}

template <typename T>
T* control(QWidget* box, const char* name) {
    return box->findChild<T*>(QString::fromLatin1(name));
}

// Lets the closed box be deleted (WA_DeleteOnClose deletes it later).
void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Writes a store under `dir` for the System Info button to read.
void writeStore(const QTemporaryDir& dir, const QByteArray& content) {
    QDir(dir.path()).mkpath(QStringLiteral("orvalen"));
    QFile file(dir.filePath(QStringLiteral("orvalen/registry.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

}  // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_store.isValid());
        // Never the machine's own store.
        qputenv("XDG_CONFIG_DIRS", m_store.path().toLocal8Bit());
    }

    void cleanup() {
        testsupport::closeLeftoverModals();
        for (frmAbout* box : openBoxes()) box->close();
        flushDeletes();
        QFile::remove(m_store.filePath(QStringLiteral("orvalen/registry.ini")));
    }

    void load_setsCaptionTitleAndVersion() {
        frmAbout::showSingle();
        frmAbout* box = frmAbout::current();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("About Orvalen"));
        QCOMPARE(control<QLabel>(box, "lblTitle")->text(), QStringLiteral("Orvalen"));
        // Made from the numbers; the text form is CMake's own, so they must agree.
        QCOMPARE(control<QLabel>(box, "lblVersion")->text(),
                 QStringLiteral("Version ") + QString::fromLatin1(orvalen::kVersionText));
    }

    void controls_asDesigned() {
        frmAbout::showSingle();
        frmAbout* box = frmAbout::current();
        QVERIFY(box);
        QVERIFY(!box->parentWidget());
        QVERIFY(!box->isModal());
        QCOMPARE(box->windowModality(), Qt::NonModal);

        auto* ok = control<QPushButton>(box, "cmdOK");
        auto* sysInfo = control<QPushButton>(box, "cmdSysInfo");
        QVERIFY(ok && sysInfo);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(sysInfo->text(), QStringLiteral("&System Info..."));
        QCOMPARE(ok->nextInFocusChain(), sysInfo);

        auto* pic = control<QLabel>(box, "picIcon");
        QVERIFY(pic);
        QVERIFY(!pic->pixmap().isNull());
        QCOMPARE(pic->pixmap().size(), QSize(80, 80));

        for (const char* name : {"lblByMe", "lblDate", "lblDisclaimer"})
            QVERIFY2(!control<QLabel>(box, name)->text().isEmpty(), name);

        // The etched separator: grey above, white one pixel below it.
        const auto lines = box->findChildren<QFrame*>(QStringLiteral("Line1"));
        QFrame* grey = nullptr;
        QFrame* white = nullptr;
        for (QFrame* line : lines) {
            if (line->property("Index").toInt() == 1) grey = line;
            if (line->property("Index").toInt() == 0) white = line;
        }
        QVERIFY(grey && white);
        QCOMPARE(grey->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
        QCOMPARE(white->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(grey->height(), 1);
        QCOMPARE(white->y(), grey->y() + 1);
    }

    void layout_textsFitWithoutOverlap() {
        frmAbout::showSingle();
        frmAbout* box = frmAbout::current();
        QVERIFY(box);
        const QRect client = box->rect();
        const char* rows[] = {"lblTitle", "lblVersion", "lblByMe", "lblDate"};
        QRect above;
        for (const char* name : rows) {
            auto* label = control<QLabel>(box, name);
            const QRect r = label->geometry();
            QVERIFY2(client.contains(r), name);
            QVERIFY2(r.size().expandedTo(label->sizeHint()) == r.size(), name);
            if (!above.isNull()) QVERIFY2(!r.intersects(above), name);
            QVERIFY2(!r.intersects(control<QLabel>(box, "picIcon")->geometry()), name);
            above = r;
        }
        const QRect separator = box->findChildren<QFrame*>(QStringLiteral("Line1")).first()->geometry();
        QVERIFY(above.bottom() < separator.top());

        auto* disclaimer = control<QLabel>(box, "lblDisclaimer");
        QVERIFY(client.contains(disclaimer->geometry()));
        QVERIFY(disclaimer->heightForWidth(disclaimer->width()) <= disclaimer->height());
        for (const char* name : {"cmdOK", "cmdSysInfo"}) {
            auto* button = control<QPushButton>(box, name);
            QVERIFY2(client.contains(button->geometry()), name);
            QVERIFY2(!button->geometry().intersects(disclaimer->geometry()), name);
            const int textWidth = button->fontMetrics().horizontalAdvance(
                button->text().remove(QLatin1Char('&')));
            QVERIFY2(textWidth < button->width(), name);
        }
    }

    void showSingle_twice_leavesOneBox() {
        frmAbout::showSingle();
        QPointer<frmAbout> first = frmAbout::current();
        frmAbout::showSingle();
        QCOMPARE(openBoxes().size(), 1);
        QCOMPARE(frmAbout::current(), first.data());
    }

    void closing_discardsTheBox_andNextOpeningLoadsAnew_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "ok";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
    }

    void closing_discardsTheBox_andNextOpeningLoadsAnew() {
        QFETCH(QString, how);
        frmAbout::showSingle();
        QPointer<frmAbout> box = frmAbout::current();
        QVERIFY(box);
        // A changed caption shows whether the next opening runs Load again.
        box->setWindowTitle(QStringLiteral("stale"));

        if (how == "ok") QTest::mouseClick(control<QPushButton>(box, "cmdOK"), Qt::LeftButton);
        else if (how == "enter") QTest::keyClick(box, Qt::Key_Return);
        else if (how == "esc") QTest::keyClick(box, Qt::Key_Escape);
        else box->close();
        QVERIFY(!box || !box->isVisible());
        flushDeletes();
        QVERIFY(box.isNull());
        QVERIFY(openBoxes().isEmpty());

        frmAbout::showSingle();
        frmAbout* again = frmAbout::current();
        QVERIFY(again);
        QCOMPARE(openBoxes().size(), 1);
        QCOMPARE(again->windowTitle(), QStringLiteral("About Orvalen"));
        QCOMPARE(control<QLabel>(again, "lblTitle")->text(), QStringLiteral("Orvalen"));
        QVERIFY(control<QLabel>(again, "lblVersion")->text().startsWith(QStringLiteral("Version ")));
    }

    void reopenedRightAfterClosing_isANewVisibleBox() {
        frmAbout::showSingle();
        QPointer<frmAbout> old = frmAbout::current();
        old->close();
        frmAbout::showSingle();  // before the closed one is deleted
        QCOMPARE(openBoxes().size(), 1);
        flushDeletes();
        QVERIFY(old.isNull());
        QVERIFY(frmAbout::current());
        QVERIFY(frmAbout::current()->isVisible());
    }

    void sysInfo_nothingFound_showsTheMessage_boxStaysOpen() {
        frmAbout::showSingle();
        QPointer<frmAbout> box = frmAbout::current();
        auto answer = setNextAnswer(Answer::Ok);
        QTest::mouseClick(control<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
        QVERIFY(answer->seen);
        QCOMPARE(answer->text, QStringLiteral("System Information Is Unavailable At This Time"));
        QCOMPARE(answer->title, QStringLiteral("Orvalen"));
        QCOMPARE(answer->icon, int(QMessageBox::NoIcon));
        QCOMPARE(answer->buttons.size(), 1);
        QCOMPARE(answer->defaultButton, int(QMessageBox::Ok));
        flushDeletes();
        QVERIFY(box);
        QVERIFY(box->isVisible());
    }

    void sysInfo_toolFound_startsItWithoutAMessage() {
        QTemporaryDir tools;
        const QString marker = tools.filePath(QStringLiteral("started"));
        const QString script = tools.filePath(QStringLiteral("sysinfo"));
        {
            QFile file(script);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\necho started > '" + marker.toLocal8Bit() + "'\n");
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        writeStore(m_store, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
                            "PATH=\"" + script.toLocal8Bit() + "\"\n");

        frmAbout::showSingle();
        frmAbout* box = frmAbout::current();
        auto answer = setNextAnswer(Answer::Ok);
        QTest::mouseClick(control<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QVERIFY(!answer->seen);
        QVERIFY(box->isVisible());
    }

private:
    QTemporaryDir m_store;
};

QTEST_MAIN(TestFrmAbout)
#include "test_frmAbout.moc"

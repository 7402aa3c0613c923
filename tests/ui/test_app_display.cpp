// SPDX-License-Identifier: GPL-3.0-or-later
// The program started where there is no display says so in one line.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

class TestAppDisplay : public QObject {
    Q_OBJECT

private slots:
    void noDisplay_oneClearLineAndFailure_data();
    void noDisplay_oneClearLineAndFailure();

private:
    static QString program() {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/../app/orvalen");
    }
};

void TestAppDisplay::noDisplay_oneClearLineAndFailure_data() {
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no display at all") << QString() << QStringLiteral("needs a graphical display");
    // Nothing listens on this one.
    QTest::newRow("display that is not there") << QStringLiteral(":4711")
                                               << QStringLiteral("cannot open the graphical display :4711");
}

void TestAppDisplay::noDisplay_oneClearLineAndFailure() {
    QFETCH(QString, display);
    QFETCH(QString, expected);
    if (!QFileInfo(program()).isExecutable()) QSKIP("the orvalen program is not built");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(program(), {});
    QVERIFY(run.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(run.readAllStandardError()).trimmed();
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QVERIFY(run.exitCode() != 0);
    QVERIFY2(err.contains(expected), qPrintable(err));
    QVERIFY2(!err.contains(QLatin1Char('\n')), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestAppDisplay)
#include "test_app_display.moc"

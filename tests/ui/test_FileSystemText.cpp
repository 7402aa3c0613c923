// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>

#include <string>

#include "ui/qt/FileSystemText.h"

using namespace orvalen::ui;

// Names reach the windows as bytes and must come back as the same bytes,
// whatever they hold; only what is shown may differ.
class FileSystemTextTest : public QObject {
    Q_OBJECT

private slots:
    void bytes_roundTripExactly_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ascii") << QByteArray("/srv/share/report.doc") << QStringLiteral("/srv/share/report.doc");
        QTest::newRow("utf8") << QByteArray("/srv/caf\xc3\xa9 \xf0\x9f\x93\x81") << QString::fromUtf8("/srv/café 📁");
        QTest::newRow("latin1") << QByteArray("/srv/caf\xe9.txt") << QStringLiteral("/srv/caf\\xE9.txt");
        QTest::newRow("latin1 pair") << QByteArray("Gr\xfc\xdf" "e") << QStringLiteral("Gr\\xFC\\xDFe");
        QTest::newRow("cut sequence") << QByteArray("a\xe2\x82") << QStringLiteral("a\\xE2\\x82");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\\xC0\\xAF");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb3\xa9") << QStringLiteral("\\xED\\xB3\\xA9");
        QTest::newRow("above unicode") << QByteArray("\xf4\x90\x80\x80") << QStringLiteral("\\xF4\\x90\\x80\\x80");
        QTest::newRow("line feed") << QByteArray("two\nlines") << QStringLiteral("two\\x0Alines");
    }
    void bytes_roundTripExactly() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const std::string name = bytes.toStdString();
        const QString held = NameFromFileSystem(name);
        QCOMPARE(QByteArray::fromStdString(NameToFileSystem(held)), bytes);
        QCOMPARE(ShownName(held), shown);
        QCOMPARE(ShownText(name), shown);
    }

    void joinPath_keepsUndecodableBytes() {
        const QString folder = NameFromFileSystem("/srv/Gr\xfc\xdf" "e");
        const QString name = NameFromFileSystem("caf\xe9.txt");
        QCOMPARE(NameToFileSystem(JoinPath(folder, name)), std::string("/srv/Gr\xfc\xdf" "e/caf\xe9.txt"));
    }
};

QTEST_GUILESS_MAIN(FileSystemTextTest)
#include "test_FileSystemText.moc"

// The file reader shared by configuration files and firmware images.

#include "config/WorkingBuffer.h"
#include "link/Errors.h"
#include "support/ScriptedPeople.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

static QByteArray withCheck(QByteArray bytes) {
    bytes.append(char(XorOf(bytes)));
    return bytes;
}

class WorkingBufferTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        writeTestFile(path, bytes);
        return path;
    }

private Q_SLOTS:
    void magicAloneXorsTo0x71() { QCOMPARE(XorOf(QByteArray("tcf")), quint8(0x71)); }

    void goodFile() {
        ScriptedPeople people;
        QByteArray buffer;
        const QByteArray content = withCheck(QByteArray("tcf") + QByteArray(40, '\x05'));
        QVERIFY(ReadConfigFile(write("good.ncf", content), "tcf", buffer, people));
        QCOMPARE(buffer, content);
        QVERIFY(people.shown.isEmpty());
    }

    void messagesAndTheirOrder_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        const QByteArray good = withCheck(QByteArray("tcf") + "abc");
        QByteArray flipped = good;
        flipped[4] = char(flipped[4] ^ 1);
        const QByteArray wrongMagicGoodCheck = withCheck(QByteArray("xcf") + "abc");
        QByteArray wrongMagicBadCheck = wrongMagicGoodCheck;
        wrongMagicBadCheck.back() = char(wrongMagicBadCheck.back() ^ 0xFF);
        QTest::newRow("content byte flipped") << flipped
                                              << QStringList{"beep", "error: Bląd CRC pliku konfiguracji"};
        QTest::newRow("wrong magic, matching check") << wrongMagicGoodCheck << QStringList{"error: Zly format pliku"};
        QTest::newRow("wrong magic, wrong check")
            << wrongMagicBadCheck
            << QStringList{"error: Zly format pliku", "beep", "error: Bląd CRC pliku konfiguracji"};
        QTest::newRow("shorter than magic and check") << QByteArray("tcf") << QStringList{"error: Zly format pliku"};
        QTest::newRow("empty") << QByteArray() << QStringList{"error: Zly format pliku"};
        QTest::newRow("larger than the buffer")
            << withCheck(QByteArray("tcf") + QByteArray(kWorkingBufferSize, 'a'))
            << QStringList{"error: Zly format pliku"};
    }
    void messagesAndTheirOrder() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        ScriptedPeople people;
        QByteArray buffer("untouched");
        QVERIFY(!ReadConfigFile(write("bad.ncf", bytes), "tcf", buffer, people));
        QCOMPARE(people.shown, expected);
    }

    void firmwareMagic() {
        ScriptedPeople people;
        QByteArray buffer;
        const QByteArray image = withCheck(QByteArray("nfr") + QByteArray(132, '\x11'));
        QVERIFY(ReadConfigFile(write("fw.nfr", image), "nfr", buffer, people));
        QVERIFY(!ReadConfigFile(write("fw2.nfr", image), "tcf", buffer, people));
        QCOMPARE(people.shown, QStringList{"error: Zly format pliku"});
    }

    void largestFileAccepted() {
        ScriptedPeople people;
        QByteArray buffer;
        const QByteArray big = withCheck(QByteArray("nfr") + QByteArray(kWorkingBufferSize - 4, '\x7F'));
        QCOMPARE(big.size(), kWorkingBufferSize);
        QVERIFY(ReadConfigFile(write("big.nfr", big), "nfr", buffer, people));
    }

    void unreadableFileIsAnError() {
        ScriptedPeople people;
        QByteArray buffer("untouched");
        QVERIFY_THROWS_EXCEPTION(FileError, ReadConfigFile(dir.filePath("missing.ncf"), "tcf", buffer, people));
        QVERIFY(people.shown.isEmpty());
        QCOMPARE(buffer, QByteArray("untouched"));
    }

    // A file that opens and gives fewer bytes than its size says: the kernel's attribute files report
    // a whole page and hold a line.
    void fileThatReadsShortIsAnError() {
        const QString path = QStringLiteral("/sys/devices/system/cpu/online");
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly) || probe.size() < 5 || probe.size() > kWorkingBufferSize)
            QSKIP("no attribute file of the kernel to read");
        probe.close();
        ScriptedPeople people;
        QByteArray buffer("untouched");
        try {
            ReadConfigFile(path, "tcf", buffer, people);
            QFAIL("the short read was taken for the whole file");
        } catch (const FileError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Błąd odczytu pliku")), qPrintable(e.message()));
        }
        QVERIFY(people.shown.isEmpty());
        QCOMPARE(buffer, QByteArray("untouched"));
    }
};

QTEST_GUILESS_MAIN(WorkingBufferTest)
#include "tst_working_buffer.moc"

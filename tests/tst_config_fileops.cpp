// Saving and loading configuration files through the window.

#include "config/ConfigArea.h"
#include "config/ConfigFile.h"
#include "config/ConfigTransfer.h"
#include "config/WorkingBuffer.h"
#include "support/FakePort.h"
#include "support/TestFiles.h"
#include "support/RandomConfig.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using Rig = WindowRig<FakePort>;
using F = TextField;

namespace {
QByteArray withCheck(QByteArray bytes) {
    bytes.append(char(XorOf(bytes)));
    return bytes;
}
}  // namespace

class ConfigFileOpsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void saveAndLoadBack() {
        Rig rig;
        QRandomGenerator rng(9);
        const ConfigValues v = randomConfig(rng);
        rig.w().Config->setValues(v);
        rig.w().Edit_haslo->setText("8642");
        const QString path = dir.filePath("a.ncf");
        rig.people.fileAnswers.enqueue(path);
        rig.w().SpeedButton1->click();
        QCOMPARE(rig.people.shown, QStringList{"save: Plik konfiguracji MX-4 (*.ncf)"});
        const FileDialogRequest& r = rig.people.fileRequests.last();
        QCOMPARE(r.defaultSuffix, QString("ncf"));
        QCOMPARE(r.directory, QDir::homePath());
        QCOMPARE(readTestFile(path), BuildConfigFile(v, "8642"));

        rig.w().Config->setValues(ConfigValues::defaults());
        rig.w().Edit_haslo->setText("1111");
        rig.people.clear();
        rig.people.fileAnswers.enqueue(path);
        rig.w().Odczyt1->trigger();
        // The fields just changed are red: asked about first, and the answer is Yes.
        QCOMPARE(rig.people.shown,
                 (QStringList{"ask (Nie): Zmienione pola nie zostały zapisane do MX-4 ani do pliku. Kontynuować?",
                              "open: Plik konfiguracji MX-4 (*.ncf)", "beep", "information: Odczytano plik konfiguracji"}));
        QVERIFY(rig.w().Config->values() == v);
        QCOMPARE(rig.w().Edit_haslo->text(), QString("8642"));
    }

    void cancelledDialogsDoNothing() {
        Rig rig;
        rig.w().Zapis1->trigger();
        rig.w().SpeedButton2->click();
        QCOMPARE(rig.people.messages(), (QStringList{"save: Plik konfiguracji MX-4 (*.ncf)",
                                                     "open: Plik konfiguracji MX-4 (*.ncf)"}));
    }

    void badNumberStopsTheSaveBeforeTheDialog() {
        Rig rig;
        ConfigValues v = ConfigValues::defaults();
        v.text(F::IleTest).clear();
        rig.w().Config->setValues(v);
        rig.w().SpeedButton1->click();
        QCOMPARE(rig.people.shown.first(), QString("error: Pole „Automatyczny SMS co h” nie zawiera liczby."));
        QVERIFY(!rig.people.shown.join('\n').contains("save:"));
    }

    void rejectedFilesLeaveTheWindowUnchanged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("messages");
        QRandomGenerator rng(10);
        const QByteArray good = BuildConfigFile(randomConfig(rng), "1234");
        QByteArray flipped = good;
        flipped[20] = char(flipped[20] ^ 0x10);
        QByteArray wrongMagic = good;
        wrongMagic[0] = 'x';
        QByteArray wrongMagicMatching = withCheck(wrongMagic.left(wrongMagic.size() - 1));
        QByteArray truncated = withCheck(good.left(40));
        QTest::newRow("content byte flipped") << flipped << QStringList{"beep", "error: Bląd CRC pliku konfiguracji"};
        QTest::newRow("wrong magic, check byte wrong")
            << wrongMagic << QStringList{"error: Zly format pliku", "beep", "error: Bląd CRC pliku konfiguracji"};
        QTest::newRow("wrong magic, check byte right") << wrongMagicMatching << QStringList{"error: Zly format pliku"};
        QTest::newRow("truncated") << truncated << QStringList{"error: Zly format pliku"};
        QTest::newRow("three bytes") << QByteArray("tcf") << QStringList{"error: Zly format pliku"};
        QTest::newRow("oversized") << withCheck(good + QByteArray(kWorkingBufferSize, 'x'))
                                   << QStringList{"error: Zly format pliku"};
    }
    void rejectedFilesLeaveTheWindowUnchanged() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, messages);
        Rig rig;
        const QString path = dir.filePath("bad.ncf");
        writeTestFile(path, bytes);
        const ConfigValues before = rig.w().Config->values();
        rig.people.fileAnswers.enqueue(path);
        rig.w().SpeedButton2->click();
        QCOMPARE(rig.people.shown.mid(1), messages);
        QVERIFY(rig.w().Config->values() == before);
        QCOMPARE(rig.w().Edit_haslo->text(), QString("1234"));
    }

    void readOnlyFolderKeepsTheOldFile() {
        QTemporaryDir mountPoint;
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mountPoint.path()}) != 0)
            QSKIP("cannot mount a tmpfs here (needs root)");
        struct Unmount {
            QString p;
            ~Unmount() { QProcess::execute("umount", {p}); }
        } unmount{mountPoint.path()};
        const QString path = mountPoint.filePath("old.ncf");
        writeTestFile(path, "old contents");
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro", mountPoint.path()}), 0);
        Rig rig;
        rig.people.fileAnswers.enqueue(path);
        rig.w().SpeedButton1->click();
        QCOMPARE(readTestFile(path), QByteArray("old contents"));
        QVERIFY(rig.people.shown.last().startsWith("error: Nie zapisano pliku konfiguracji"));
    }

    void missingFolderIsReported() {
        Rig rig;
        rig.people.fileAnswers.enqueue(dir.filePath("no/such/folder/x.ncf"));
        rig.w().SpeedButton1->click();
        QCOMPARE(rig.people.shown.size(), 3);
        QVERIFY(rig.people.shown.last().startsWith("error: Nie zapisano pliku konfiguracji"));
    }

    void fullDiskKeepsTheOldFile() {
        QTemporaryDir mountPoint;
        const int rc = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8k", "tmpfs", mountPoint.path()});
        if (rc != 0) QSKIP("cannot mount a small tmpfs here (needs root)");
        struct Unmount {
            QString p;
            ~Unmount() { QProcess::execute("umount", {p}); }
        } unmount{mountPoint.path()};
        const QString path = mountPoint.filePath("cfg.ncf");
        writeTestFile(path, "old");
        // Fill the rest of the file system.
        writeTestFile(mountPoint.filePath("filler"), QByteArray(6 * 1024, 'f'));
        Rig rig;
        ConfigValues v = ConfigValues::defaults();
        for (F f : {F::Edit_IN1A, F::Edit_IN2A, F::Edit_IN3A, F::Edit_IN4A, F::Edit_IN5A, F::Edit_IN1N,
                    F::Edit_IN2N, F::Edit_IN3N, F::Edit_IN4N, F::Edit_IN5N})
            v.text(f) = QString(255, QLatin1Char('z'));
        rig.w().Config->setValues(v);
        rig.people.fileAnswers.enqueue(path);
        rig.w().SpeedButton1->click();
        QCOMPARE(readTestFile(path), QByteArray("old"));
        QVERIFY2(rig.people.shown.last().startsWith("error: Nie zapisano pliku konfiguracji"),
                 qPrintable(rig.people.shown.join(" | ")));
    }
};

QTEST_MAIN(ConfigFileOpsTest)
#include "tst_config_fileops.moc"

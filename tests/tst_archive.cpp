// The register archive: merging downloads and text files, the event text file read back, the hash
// chain against edits made with the sqlite3 library, imports interrupted by a failing write, a full
// disk or a killed process, and files that are foreign, damaged or read-only.

#include "archive/HistoryText.h"
#include "archive/RegisterArchive.h"
#include "events/EventDecode.h"
#include "events/EventDownload.h"
#include "events/EventRecords.h"
#include "link/StatusDecode.h"
#include "sim/RecorderData.h"
#include "support/RecordBytes.h"
#include "support/SmallDisk.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sqlite3.h>

namespace {
using Records = QVector<EventRecord>;

EventRecord ev(int year, int month, int day, int hour, int minute, int second, int code, int sample = 300) {
    return *DecodeEventData(EventRecordBytes(year, month, day, hour, minute, second, code, sample));
}

Records registerOf(int count, quint32 seed, const QDateTime& start, bool withUnlisted = false) {
    Records out;
    for (const QByteArray& bytes : MakeRegister(count, seed, start, withUnlisted))
        out.append(*DecodeEventData(bytes));
    return out;
}

const QDateTime kStart(QDate(2024, 1, 30), QTime(6, 0));

ArchiveSource download(const Records& r) {
    return ArchiveSource::download(r, int(r.size()), int(r.size()), ArchiveSource::Ending::Complete,
                                   QStringLiteral("MX-4 v 1.2"));
}

// The identities of records (time, code, temperature), one line each, in their order.
QByteArray identities(const Records& records) {
    return CanonicalBytes(ArchiveRecordsOf(records));
}

// What an archive holds and says, to compare before and after an import that must leave it as it was.
QByteArray contentOf(const QString& path) {
    const auto archive = RegisterArchive::open(path);
    QByteArray out = CanonicalBytes(archive->records());
    for (const ArchiveLogEntry& e : archive->log())
        out += e.hash.toLatin1() + '\n';
    return out;
}

// A statement run with the sqlite3 library straight on the file, as someone editing it by hand would.
void sqlite(const QString& path, const QByteArray& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) qFatal("sqlite3_open %s", qPrintable(path));
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    const QByteArray why = error ? QByteArray(error) : QByteArray();
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) qFatal("sqlite3_exec %s: %s", sql.constData(), why.constData());
}

// The child that is killed in the middle of an import: MX4_TEST_KILLED_IMPORT holds the archive's path.
constexpr int kKilledAfter = 2000;
ArchiveSource killedSource() {
    return download(registerOf(4095, 21, kStart.addDays(200)));
}
int killedImport(const QString& path) {
    auto archive = RegisterArchive::open(path);
    archive->setWriteHook([](int written) {
        if (written == kKilledAfter) std::raise(SIGKILL);
    });
    archive->add(killedSource());
    return 0; // not reached
}
} // namespace

class ArchiveTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int made = 0;
    QString fresh() { return dir.filePath(QStringLiteral("a%1.mx4a").arg(++made)); }

  private Q_SLOTS:
    void initTestCase() { QVERIFY(dir.isValid()); }

    // Each source adds as many copies of a record as it holds beyond what the archive already has;
    // the archive reads back in time order, ties in the order they came.
    void merge_data() {
        QTest::addColumn<QList<Records>>("sources");
        QTest::addColumn<QList<int>>("added");
        QTest::addColumn<Records>("expected");
        const Records reg = registerOf(150, 3, kStart);
        QTest::newRow("overlapping registers")
            << QList<Records>{reg.mid(0, 100), reg.mid(50, 100)} << QList<int>{100, 50} << reg;
        QTest::newRow("a register after new events")
            << QList<Records>{reg.mid(0, 100), reg.mid(0, 120)} << QList<int>{100, 20} << reg.mid(0, 120);
        QTest::newRow("the same register twice")
            << QList<Records>{reg.mid(0, 80), reg.mid(0, 80)} << QList<int>{80, 0} << reg.mid(0, 80);
        const EventRecord x = ev(2024, 2, 1, 10, 0, 0, 4, 300), y = ev(2024, 2, 1, 11, 0, 0, 4, 300);
        QTest::newRow("two identical records in one download")
            << QList<Records>{{x, x, y}, {x, y}, {x, x, x}} << QList<int>{3, 0, 1} << Records{x, x, x, y};
        // Same second, other codes: the later import's goes after; an earlier time goes first.
        const EventRecord a = ev(2024, 2, 1, 10, 0, 0, 5), b = ev(2024, 2, 1, 10, 0, 0, 6),
                          c = ev(2024, 2, 1, 10, 0, 0, 7), early = ev(2024, 2, 1, 9, 0, 0, 5);
        QTest::newRow("ties in the order they came")
            << QList<Records>{{b, a}, {a, c, early}} << QList<int>{2, 2} << Records{early, b, a, c};
        QTest::newRow("another temperature is another record")
            << QList<Records>{{x}, {x, ev(2024, 2, 1, 10, 0, 0, 4, 301)}} << QList<int>{1, 1}
            << Records{x, ev(2024, 2, 1, 10, 0, 0, 4, 301)};
    }
    void merge() {
        QFETCH(QList<Records>, sources);
        QFETCH(QList<int>, added);
        QFETCH(Records, expected);
        const auto archive = RegisterArchive::create(fresh(), QStringLiteral("Chłodnia"));
        for (int i = 0; i < sources.size(); ++i) {
            const ArchiveImport r = archive->add(download(sources.at(i)));
            QCOMPARE(r.added, added.at(i));
            QCOMPARE(r.present, int(sources.at(i).size()) - added.at(i));
            QCOMPARE(r.entry, i + 2);
        }
        QCOMPARE(CanonicalBytes(archive->records()), identities(expected));
        // The bytes from the recorder are kept with each record.
        for (const ArchiveRecord& r : archive->records())
            QCOMPARE(r.raw.size(), 8);
        QVERIFY2(archive->verify().consistent, qPrintable(archive->verify().text));
    }

    // A register that shares nothing with the records of its own time span is probably another
    // recorder's: refused unless forced; one that only follows the archive is not.
    void anotherRecorder() {
        const auto archive = RegisterArchive::create(fresh(), QStringLiteral("Mroźnia"));
        archive->add(download(registerOf(200, 5, kStart)));
        const Records other = registerOf(100, 6, kStart.addSecs(17));
        QVERIFY(archive->probablyForeign(ArchiveRecordsOf(other)));
        const ArchiveImport refused = archive->add(download(other));
        QVERIFY(refused.refusedAsForeign);
        QCOMPARE(refused.entry, 0);
        QCOMPARE(archive->summary().records, 200);
        QCOMPARE(archive->summary().entries, 2);
        QCOMPARE(ForeignSourceQuestion(archive->site()),
                 QStringLiteral("Rejestr nie ma wspólnych zdarzeń z archiwum „Mroźnia”. Dodać mimo to?"));
        QCOMPARE(archive->add(download(other), true).added, 100);

        const Records later = registerOf(50, 7, kStart.addDays(60));
        QVERIFY(!archive->probablyForeign(ArchiveRecordsOf(later)));
        const ArchiveImport r = archive->add(download(later));
        QVERIFY(!r.refusedAsForeign);
        QCOMPARE(ImportSummaryText(r), QStringLiteral("Dodano do archiwum: 50 nowych zdarzeń, 0 już było"));
    }

    // The log says how whole each download was, from what the download says of itself.
    void downloadCompleteness_data() {
        QTest::addColumn<int>("announced");
        QTest::addColumn<int>("ending");
        QTest::addColumn<bool>("unasked");
        QTest::addColumn<QString>("says");
        using E = EventDownload::Ending;
        QTest::newRow("complete") << 3 << int(E::Complete) << false << "odebrano 3 z 3 zdarzeń, koniec rejestru";
        QTest::newRow("short") << 5 << int(E::Complete) << false << "odebrano 3 z 5 zdarzeń, koniec rejestru";
        QTest::newRow("stopped") << 9 << int(E::Stopped) << false << "odebrano 3 z 9 zdarzeń, zatrzymane;";
        QTest::newRow("stopped unasked") << 9 << int(E::Stopped) << true
                                         << "odebrano 3 z 9 zdarzeń, zatrzymane przez MX-4";
        QTest::newRow("silent") << 9 << int(E::Silent) << false
                                << "odebrano 3 z 9 zdarzeń, MX-4 przestał odpowiadać";
        QTest::newRow("logged out") << 9 << int(E::LoggedOut) << false << "odebrano 3 z 9 zdarzeń, przerwane";
    }
    void downloadCompleteness() {
        QFETCH(int, announced);
        QFETCH(int, ending);
        QFETCH(bool, unasked);
        QFETCH(QString, says);
        EventDownload::Completeness c;
        c.announced = announced;
        c.received = 3;
        c.ending = EventDownload::Ending(ending);
        c.stoppedUnasked = unasked;
        const auto archive = RegisterArchive::create(fresh(), QStringLiteral("S"));
        archive->add(ArchiveSource::download(registerOf(3, 1, kStart), c, QStringLiteral("MX-4 v 1.2")));
        const ArchiveLogEntry entry = archive->log().last();
        QVERIFY2(entry.describe().startsWith(QStringLiteral("pobranie z MX-4 v 1.2: ") + says),
                 qPrintable(entry.describe()));
        QVERIFY(archive->verify().consistent);
    }

    // A register saved by the window ("Zapisz do pliku") reads back into the records it came from:
    // every code with a line, temperatures at the ends of the scale, the no-sensor marker, dates that
    // are no dates. Records without a line leave none to read.
    void textFileRoundTrip() {
        Records records = registerOf(4095, 9, kStart, true);
        int noSensor = 0;
        while (TemperatureTenths(noSensor) < 1270)
            ++noSensor;
        for (int sample : {0, 512, 205, 204, noSensor, 65535})
            records << ev(2024, 2, 1, 0, 0, 0, 4, sample);
        for (int code = 4; code <= 13; ++code)
            records << ev(2024, 0, 0, 24, 60, 99, code, 210);
        records << ev(2255, 15, 255, 255, 255, 255, 13, 1) << ev(2000, 13, 1, 0, 0, 0, 9);
        QStringList lines = DecodeRegisterHeader(QByteArray("\xF8\x7F", 2), QDateTime::currentDateTime())->lines;
        Records withLine;
        for (const EventRecord& r : records)
            if (const auto line = DecodeEventRecord(r.raw)) {
                lines << line->text;
                withLine << r;
            }
        lines << EndOfRegisterText();
        QVERIFY(withLine.size() < records.size());
        const HistoryText read = ReadHistoryText(EventTextFile(lines.join(QLatin1Char('\n'))));
        QCOMPARE(read.skippedLines, 0);
        QCOMPARE(CanonicalBytes(read.records), identities(withLine));
        QCOMPARE(CanonicalBytes(ArchiveRecordsOf(Records{ev(2024, 2, 1, 0, 0, 0, 4, noSensor)})),
                 "2024-02-01 00:00:00;4;" + QByteArray::number(TemperatureTenths(noSensor)) + "\n");
        QVERIFY(EventTemperatureText(quint16(noSensor)).startsWith(QLatin1String("127,")));
    }

    // Lines that the window would not have written are counted, not guessed at.
    void textFileOtherLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<int>("skipped");
        const QByteArray start = " 2024-01-30  06:00:00  Start urz\xB9"
                                 "dzenia ";
        const QByteArray sample = " 2024-01-30  07:00:00       Zapis cykliczny temperatury   -3,2";
        QTest::newRow("event lines, LF only") << start + "\n" + sample + "\n"
                                              << QByteArray("2024-01-30 06:00:00;5;\n2024-01-30 07:00:00;4;-32\n") << 0;
        QTest::newRow("trailing blanks cut by an editor") << QByteArray(" 2024-01-30  06:00:00  Start urz\xB9"
                                                                        "dzenia")
                                                          << QByteArray("2024-01-30 06:00:00;5;\n") << 0;
        QTest::newRow("a note") << "Notatka: sprawdzono\r\n" + start << QByteArray("2024-01-30 06:00:00;5;\n") << 1;
        QTest::newRow("minus zero") << QByteArray(" 2024-01-30  07:00:00       Zapis cykliczny temperatury   -0,0")
                                    << QByteArray() << 1;
        QTest::newRow("127 with a sign") << QByteArray(
                                                " 2024-01-30  07:00:00       Zapis cykliczny temperatury   +127,3")
                                         << QByteArray() << 1;
        QTest::newRow("no temperature") << QByteArray(" 2024-01-30  07:00:00       Zapis cykliczny temperatury  ")
                                        << QByteArray() << 1;
        QTest::newRow("month 16") << QByteArray(" 2024-16-30  06:00:00  Start urz\xB9"
                                                "dzenia ")
                                  << QByteArray() << 1;
        QTest::newRow("unknown event") << QByteArray(" 2024-01-30  06:00:00  Reset ") << QByteArray() << 1;
        QTest::newRow("the list's frame")
            << QByteArray(" Wydruk zdarze\xF1 z dnia :  2024-01-30\r\n Godzina wydruku zdarze\xF1"
                          " : 06:00:00\r\n 2 zdarze\xF1 w pami\xEA"
                          "ci\r\n ***\r\n \r\n"
                          " Koniec historii\r\n")
            << QByteArray() << 0;
    }
    void textFileOtherLines() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, records);
        QFETCH(int, skipped);
        const HistoryText read = ReadHistoryText(text);
        QCOMPARE(CanonicalBytes(read.records), records);
        QCOMPARE(read.skippedLines, skipped);
    }

    // An edit made behind the program's back, with the sqlite3 library and the triggers dropped first,
    // is found by verify, which names the first entry that no longer matches.
    void chainFindsEdits_data() {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<int>("badEntry");
        QTest::newRow("temperature changed")
            << QByteArray("UPDATE records SET tenths = tenths + 1 WHERE entry = 3 AND "
                          "id = (SELECT min(id) FROM records WHERE entry = 3 AND tenths "
                          "IS NOT NULL)")
            << 3;
        QTest::newRow("time changed") << QByteArray("UPDATE records SET time_key = time_key + 1 WHERE id = 10") << 2;
        QTest::newRow("raw bytes changed")
            << QByteArray("UPDATE records SET raw = x'1843070805030001' WHERE id = 11") << 2;
        QTest::newRow("record added") << QByteArray("INSERT INTO records (time_key, code, tenths, raw, entry) "
                                                    "SELECT time_key, code, tenths, raw, 2 FROM records WHERE id = 5")
                                      << 2;
        QTest::newRow("record removed") << QByteArray("DELETE FROM records WHERE id = 5") << 2;
        QTest::newRow("record given to another entry") << QByteArray("UPDATE records SET entry = 4 WHERE id = 5") << 2;
        QTest::newRow("a file's record changed") << QByteArray("UPDATE records SET code = 6 WHERE entry = 4") << 4;
        QTest::newRow("two records swapped")
            << QByteArray("UPDATE records SET id = -1 WHERE id = 10; UPDATE records SET id "
                          "= 10 WHERE id = 11; UPDATE records SET id = 11 WHERE id = -1")
            << 2;
        QTest::newRow("entry's user changed") << QByteArray("UPDATE entries SET user_name = 'x' WHERE id = 3") << 3;
        QTest::newRow("site renamed by hand") << QByteArray("UPDATE entries SET site = 'Inny' WHERE id = 1") << 1;
        QTest::newRow("entry and its records removed")
            << QByteArray("DELETE FROM records WHERE entry = 3; DELETE FROM entries WHERE id = 3") << 4;
        QTest::newRow("record of no entry")
            << QByteArray("INSERT INTO records (time_key, code, entry) VALUES (1, 5, 9)") << 0;
    }
    void chainFindsEdits() {
        QFETCH(QByteArray, sql);
        QFETCH(int, badEntry);
        const QString path = fresh();
        {
            const auto archive = RegisterArchive::create(path, QStringLiteral("Chłodnia"));
            const Records reg = registerOf(300, 11, kStart);
            archive->add(download(reg.mid(0, 200)));
            archive->add(download(reg.mid(100, 200)));
            archive->add(ArchiveSource::historyFile(QStringLiteral("/x/h.txt"), " 2024-06-01  06:00:00  Start urz\xB9"
                                                                                "dzenia "));
            const ArchiveCheck before = archive->verify();
            QCOMPARE(before.text, QStringLiteral("Archiwum spójne: 4 wpisów, 301 zdarzeń"));
        }
        sqlite(path, "DROP TRIGGER entries_kept_on_update; DROP TRIGGER entries_kept_on_delete; "
                     "DROP TRIGGER records_kept_on_update; DROP TRIGGER records_kept_on_delete; " +
                         sql);
        const ArchiveCheck after = RegisterArchive::open(path)->verify();
        QVERIFY(!after.consistent);
        QCOMPARE(after.firstBadEntry, badEntry);
        if (badEntry > 0)
            QVERIFY2(after.text.startsWith(QStringLiteral("Archiwum niespójne: wpis nr %1 (").arg(badEntry)),
                     qPrintable(after.text));
        else
            QCOMPARE(after.text,
                     QStringLiteral("Archiwum niespójne: 1 zdarzeń nie należy do żadnego wpisu dziennika"));
    }

    // The program itself cannot change what is in the file: the tables take no update or delete.
    void appendOnly() {
        const QString path = fresh();
        RegisterArchive::create(path, QStringLiteral("S"))->add(download(registerOf(10, 1, kStart)));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        for (const char* sql : {"DELETE FROM records", "UPDATE entries SET user_name = 'x'"})
            QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_CONSTRAINT);
        sqlite3_close(db);
        QVERIFY(RegisterArchive::open(path)->verify().consistent);
    }

    // A write that fails half way, a full disk and a process killed in the middle of an import: the
    // archive is as it was, byte for byte where SQLite rolled back in the same run.
    void failingWrite() {
        const QString path = fresh();
        RegisterArchive::create(path, QStringLiteral("S"))->add(download(registerOf(500, 2, kStart)));
        const QByteArray bytes = readTestFile(path);
        {
            const auto archive = RegisterArchive::open(path);
            archive->setWriteHook([](int written) {
                if (written == 1000) throw ArchiveError(ArchiveError::Kind::Failed, QStringLiteral("disk full"));
            });
            QVERIFY_THROWS_EXCEPTION(ArchiveError, archive->add(download(registerOf(4095, 2, kStart))));
            QCOMPARE(archive->summary().records, 500);
        }
        QCOMPARE(readTestFile(path), bytes);
    }
    void fullDisk() {
        SmallDisk disk(QStringLiteral("96k"));
        if (!disk.mounted) QSKIP(qPrintable(disk.why));
        const QString path = disk.path(QStringLiteral("full.mx4a"));
        RegisterArchive::create(path, QStringLiteral("S"))->add(download(registerOf(100, 2, kStart)));
        const QByteArray before = contentOf(path);
        const auto archive = RegisterArchive::open(path);
        try {
            archive->add(download(registerOf(4095, 3, kStart.addDays(30))));
            QFAIL("4,095 records fitted on a 96 KiB disk");
        } catch (const ArchiveError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("full")), qPrintable(e.message()));
        }
        QCOMPARE(contentOf(path), before);
    }
    void killedProcess() {
        const QString path = fresh();
        RegisterArchive::create(path, QStringLiteral("S"))->add(download(registerOf(500, 2, kStart)));
        const QByteArray before = contentOf(path);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MX4_TEST_KILLED_IMPORT"), path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        // It died with its journal beside the archive: the records it had written are in the file.
        QVERIFY(QFileInfo::exists(path + QStringLiteral("-journal")));
        QCOMPARE(contentOf(path), before);
        QVERIFY(RegisterArchive::open(path)->verify().consistent);
        // And the same import goes through whole afterwards.
        QCOMPARE(RegisterArchive::open(path)->add(killedSource()).added, 4095);
    }

    void unusableFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("says");
        const QString notOurs = QStringLiteral("To nie jest plik archiwum MX-4");
        const QString damaged = QStringLiteral("Plik archiwum jest uszkodzony");
        const QString text = dir.filePath("text.mx4a"), empty = dir.filePath("empty.mx4a"),
                      other = dir.filePath("other.mx4a");
        writeTestFile(text, EventTextFile(QStringLiteral(" Koniec historii")));
        writeTestFile(empty, QByteArray());
        sqlite(other, "CREATE TABLE records (id INTEGER PRIMARY KEY)");
        QTest::newRow("an event text file") << text << int(ArchiveError::Kind::NotAnArchive) << notOurs;
        QTest::newRow("an empty file") << empty << int(ArchiveError::Kind::NotAnArchive) << notOurs;
        QTest::newRow("another program's database") << other << int(ArchiveError::Kind::NotAnArchive) << notOurs;

        const QString good = fresh();
        RegisterArchive::create(good, QStringLiteral("S"))->add(download(registerOf(4095, 4, kStart)));
        const QByteArray bytes = readTestFile(good);
        QByteArray page = bytes;
        page.replace(20 * 4096, 4096, QByteArray(4096, '\x55'));
        const QString broken = dir.filePath("broken.mx4a"), cut = dir.filePath("cut.mx4a"),
                      newer = dir.filePath("newer.mx4a");
        writeTestFile(broken, page);
        writeTestFile(cut, bytes.left(bytes.size() / 2));
        writeTestFile(newer, bytes);
        sqlite(newer, "PRAGMA user_version = 2");
        QTest::newRow("a page overwritten") << broken << int(ArchiveError::Kind::Damaged) << damaged;
        QTest::newRow("cut in half") << cut << int(ArchiveError::Kind::Damaged) << damaged;
        QTest::newRow("a newer schema") << newer << int(ArchiveError::Kind::NewerVersion)
                                        << QStringLiteral("Archiwum zapisała nowsza wersja programu (schemat 2)");
        QTest::newRow("no file") << dir.filePath("none.mx4a") << int(ArchiveError::Kind::Missing)
                                 << QStringLiteral("Nie ma pliku archiwum ") + dir.filePath("none.mx4a");
    }
    void unusableFiles() {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(QString, says);
        try {
            RegisterArchive::open(path);
            QFAIL("opened");
        } catch (const ArchiveError& e) {
            QCOMPARE(int(e.kind()), kind);
            QCOMPARE(e.message(), says);
        }
    }

    // Read-only by its permission bits (also for root, who could write it anyway): it opens for
    // viewing and checking, adding and renaming are refused, the file stays as it was.
    void readOnlyFile() {
        const QString path = fresh();
        RegisterArchive::create(path, QStringLiteral("S"))->add(download(registerOf(50, 4, kStart)));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray bytes = readTestFile(path);
        const auto archive = RegisterArchive::open(path);
        QVERIFY(archive->readOnly());
        QCOMPARE(archive->records().size(), 50);
        QVERIFY(archive->verify().consistent);
        for (const std::function<void()>& change :
             std::initializer_list<std::function<void()>>{[&] { archive->add(download(registerOf(60, 4, kStart))); },
                                                          [&] { archive->renameSite(QStringLiteral("T")); }}) {
            try {
                change();
                QFAIL("changed a read-only archive");
            } catch (const ArchiveError& e) {
                QCOMPARE(e.kind(), ArchiveError::Kind::ReadOnly);
            }
        }
        QCOMPARE(readTestFile(path), bytes);
    }

    // The site's name is kept in the log: a rename is an entry of the chain. Two programs on one file
    // each see the other's imports and keep one chain.
    void siteAndTwoPrograms() {
        const QString path = fresh();
        QVERIFY_THROWS_EXCEPTION(ArchiveError, RegisterArchive::create(dir.filePath("text.mx4a"), QStringLiteral("S")));
        const auto window = RegisterArchive::create(path, QStringLiteral("Sklep"));
        const auto tool = RegisterArchive::openOrCreate(path, QStringLiteral("ignored"));
        QCOMPARE(tool->site(), QStringLiteral("Sklep"));
        window->add(download(registerOf(100, 8, kStart)));
        tool->renameSite(QStringLiteral("Sklep nr 2"));
        QCOMPARE(tool->add(download(registerOf(120, 8, kStart))).added, 20);
        QCOMPARE(window->site(), QStringLiteral("Sklep nr 2"));
        QCOMPARE(window->summary().records, 120);
        QCOMPARE(window->summary().imports, 2);
        const QVector<ArchiveLogEntry> log = window->log();
        QCOMPARE(log.size(), 4);
        QCOMPARE(log.at(2).kind, ArchiveLogEntry::Kind::SiteRenamed);
        QCOMPARE(log.at(3).previousHash, log.at(2).hash);
        QVERIFY(window->verify().consistent);
        QCOMPARE(RegisterArchive::defaultSiteName(QStringLiteral("/srv/Sklep.nr.3.mx4a")),
                 QStringLiteral("Sklep.nr.3"));
    }

    // The canonical line of a record, which the hash chain and a period's sum cover: the fields as the
    // list writes them (a "0" before a number below 10), whatever they hold, then code and tenths.
    void canonicalForm_data() {
        QTest::addColumn<QList<int>>("fields");
        QTest::addColumn<int>("code");
        QTest::addColumn<QVariant>("tenths");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("a sample") << QList<int>{2026, 12, 9, 10, 15, 0} << 4 << QVariant(215)
                                  << QByteArray("2026-12-09 10:15:00;4;215\n");
        QTest::newRow("no date, no sample") << QList<int>{2000, 0, 0, 24, 60, 255} << 7 << QVariant()
                                            << QByteArray("2000-00-00 24:60:255;7;\n");
        QTest::newRow("the last year, below zero") << QList<int>{2255, 15, 255, 9, 5, 3} << 13 << QVariant(-50)
                                                   << QByteArray("2255-15-255 09:05:03;13;-50\n");
        QTest::newRow("no sensor") << QList<int>{2009, 3, 7, 8, 5, 3} << 11 << QVariant(1273)
                                   << QByteArray("2009-03-07 08:05:03;11;1273\n");
    }
    void canonicalForm() {
        QFETCH(QList<int>, fields);
        QFETCH(int, code);
        QFETCH(QVariant, tenths);
        QFETCH(QByteArray, line);
        ArchiveRecord r;
        r.time = TimeKeyOf({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
        r.code = code;
        if (tenths.isValid()) r.tenths = tenths.toInt();
        QCOMPARE(CanonicalBytes(r), line);
        QCOMPARE(CanonicalBytes(QVector<ArchiveRecord>{r, r}), line + line);
    }

    // The chart's spreadsheet from the archive's fields is the download's own, byte for byte; a period
    // takes the days given, both included.
    void csvAndPeriod() {
        const Records reg = registerOf(600, 12, kStart, true);
        const auto archive = RegisterArchive::create(fresh(), QStringLiteral("S"));
        archive->add(download(reg));
        QCOMPARE(ArchiveCsv(archive->records()), EventsCsv(reg));
        const QDate day = kStart.date().addDays(3);
        Records ofDay;
        for (const EventRecord& r : reg)
            if (r.time.date() >= day && r.time.date() <= day.addDays(1)) ofDay << r;
        QVERIFY(!ofDay.isEmpty());
        QCOMPARE(CanonicalBytes(archive->records(DayStartKey(day), DayEndKey(day.addDays(1)))), identities(ofDay));
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("MX4_TEST_KILLED_IMPORT"))
        return killedImport(qEnvironmentVariable("MX4_TEST_KILLED_IMPORT"));
    QCoreApplication app(argc, argv);
    ArchiveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_archive.moc"

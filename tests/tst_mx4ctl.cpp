// mx4ctl as a program: against its built-in simulated recorder (--port sim) and, through the real
// QSerialPort back end, against the simulated recorder behind a pseudo-terminal that lives in this
// test. Exit status, standard output, standard error and the files it leaves are what is checked.

#include "archive/ArchiveRecord.h"
#include "archive/HistoryText.h"
#include "archive/RegisterArchive.h"
#include "config/ConfigDiff.h"
#include "config/ConfigFile.h"
#include "config/ConfigItems.h"
#include "config/WorkingBuffer.h"
#include "events/EventDecode.h"
#include "events/EventDownload.h"
#include "events/EventRecords.h"
#include "link/Text.h"
#include "maintenance/FirmwareImage.h"
#include "sim/PtyRecorder.h"
#include "sim/RecorderData.h"
#include "support/PtyPair.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <fcntl.h>
#include <signal.h>
#include <functional>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct Run {
    int code = -1;
    QString out;
    QString err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// Runs mx4ctl to its end while this process's event loop keeps serving the recorder behind the pty.
// `started` is called before the program starts (to wire its input and error) and again once it runs
// (signals, a terminal's answers). The guard only keeps a hung
// program from hanging the suite; nothing depends on how fast it runs.
Run ctl(const QStringList& arguments, const QString& workDir = QString(),
        const std::function<void(QProcess&)>& started = {}) {
    QProcess p;
    p.setProgram(QStringLiteral(MX4CTL_PROGRAM));
    p.setArguments(arguments);
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    // Standard input is no terminal here: mx4ctl must not wait for an answer.
    p.setStandardInputFile(QProcess::nullDevice());
    if (started) started(p);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(240000, &loop, &QEventLoop::quit);
    p.start();
    if (started) QTimer::singleShot(0, &loop, [&] { started(p); });
    loop.exec();
    Run r;
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(5000);
        r.err = QStringLiteral("mx4ctl did not end: ");
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err += QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString describe(const Run& r) { return QStringLiteral("exit %1\nout: %2\nerr: %3").arg(r.code).arg(r.out, r.err); }

const ConfigItem& itemOf(TextField field) {
    for (const ConfigItem& item : configItems())
        if (item.kind == ItemKind::Text && item.field == field) return item;
    qFatal("no item for the field");
}

LoadedConfig parsed(const QString& path) {
    const std::optional<LoadedConfig> loaded = ParseConfigFile(readTestFile(path), ConfigValues::defaults());
    if (!loaded) qFatal("%s is no configuration file", qPrintable(path));
    return *loaded;
}

// The recorder behind a pty, unpaced, with the test's slave descriptor let go so mx4ctl's open and
// close bring the line up and down as a real port would.
struct PtyLine {
    PtyRecorder far;
    Recorder& recorder() { return far.recorder(); }
    PtyLine() { far.closeSlave(); }
    QStringList port() const { return {QStringLiteral("--port"), far.path()}; }
    void setFaults(const std::function<void(SimFaults&)>& change) {
        SimFaults f = far.recorder().faults();
        change(f);
        far.recorder().setFaults(f);
    }
};

int count(const QVector<quint8>& codes, quint8 code) { return int(codes.count(code)); }

// A pseudo-terminal for mx4ctl's standard input and error, so that it asks; `answer` is typed once the
// question has appeared.
struct Terminal {
    int master = -1;
    QString slave;
    QByteArray shown;
    QSocketNotifier* reader = nullptr;
    Terminal() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) qFatal("no pseudo-terminal");
        slave = QString::fromLocal8Bit(::ptsname(master));
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        reader = new QSocketNotifier(master, QSocketNotifier::Read);
        QObject::connect(reader, &QSocketNotifier::activated, [this] {
            char buffer[4096];
            for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) shown.append(buffer, int(n));
        });
    }
    ~Terminal();
    // Wires a program's input and error to the terminal (before it starts) and answers its question.
    std::function<void(QProcess&)> answering(const QByteArray& answer) {
        return [this, answer](QProcess& p) {
            if (p.state() == QProcess::NotRunning) {
                p.setStandardInputFile(slave);
                p.setStandardErrorFile(slave);
                return;
            }
            auto* poll = new QTimer(&p);
            QObject::connect(poll, &QTimer::timeout, [this, poll, answer] {
                if (!shown.contains("[t/N]")) return;
                poll->stop();
                if (::write(master, answer.constData(), size_t(answer.size())) != answer.size()) qFatal("no answer typed");
            });
            poll->start(20);
        };
    }
};
Terminal::~Terminal() {
    delete reader;
    ::close(master);
}

// An event text file as the window saves it, of these records.
QByteArray historyFile(const QVector<EventRecord>& records, const QString& extraLine = QString()) {
    QStringList lines = DecodeRegisterHeader(QByteArray("\x10\x00", 2), QDateTime::currentDateTime())->lines;
    for (const EventRecord& r : records)
        if (const auto l = DecodeEventRecord(r.raw)) lines << l->text;
    if (!extraLine.isEmpty()) lines << extraLine;
    lines << EndOfRegisterText();
    return EventTextFile(lines.join(QLatin1Char('\n')));
}

QVector<EventRecord> decodedRegister(int count, quint32 seed, const QDateTime& start) {
    QVector<EventRecord> out;
    for (const QByteArray& p : MakeRegister(count, seed, start)) out << *DecodeEventData(p);
    return out;
}
}  // namespace

class Mx4ctlTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir.isValid()); }

    // Wrong usage ends with 2 before any port is opened: the port named here does not exist, which
    // would be 5.
    void wrongUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("says");
        const QStringList missing{"--port", "/dev/mx4-no-such-port"};
        QTest::newRow("no command") << missing << "no command given";
        QTest::newRow("unknown command") << (missing + QStringList{"fetch"}) << "unknown command \"fetch\"";
        QTest::newRow("read without -o") << (missing + QStringList{"read"}) << "read needs -o FILE";
        QTest::newRow("events without a file") << (missing + QStringList{"events", "--erase", "--yes"})
                                               << "events needs -o FILE.txt, --csv FILE.csv or --archive FILE.mx4a";
        QTest::newRow("password the recorder cannot take")
            << (missing + QStringList{"--password", QString::fromUtf8("12\u65e54"), "status"}) << "cannot take";
        QTest::newRow("write without file") << (missing + QStringList{"write"}) << "write takes one file or value";
        QTest::newRow("two files") << (missing + QStringList{"diff", "a.ncf", "b.ncf"}) << "diff takes one file or value";
        QTest::newRow("option of another command") << (missing + QStringList{"read", "-o", "a.ncf", "--verify"})
                                                   << "read does not take --verify";
        QTest::newRow("unknown option") << (missing + QStringList{"status", "--fast"}) << "Unknown option 'fast'";
        QTest::newRow("password not four digits") << (missing + QStringList{"password", "12a4"})
                                                  << "Hasło musi składać się z dokładnie 4 cyfr";
        QTest::newRow("erase with nobody to ask") << (missing + QStringList{"erase"}) << "give --yes";
        QTest::newRow("archive without a command") << QStringList{"archive", "a.mx4a"} << "archive takes a file and a command";
        QTest::newRow("archive create without a site") << QStringList{"archive", "a.mx4a", "create"}
                                                       << "archive create needs --site NAME";
        QTest::newRow("archive csv without -o") << QStringList{"archive", "a.mx4a", "csv"} << "archive csv needs -o FILE";
        QTest::newRow("archive csv, no date") << QStringList{"archive", "a.mx4a", "csv", "-o", "a.csv", "--to", "2024-02-30"}
                                              << "\"2024-02-30\" is no date";
        QTest::newRow("archive import without a file") << QStringList{"archive", "a.mx4a", "import"}
                                                       << "archive import needs a file";
        QTest::newRow("archive option of another") << QStringList{"archive", "a.mx4a", "verify", "--json"}
                                                   << "archive verify does not take --json";
        QTest::newRow("archive's option elsewhere") << (missing + QStringList{"status", "--force"})
                                                    << "status does not take --force";
        QTest::newRow("report, MAX not whole") << QStringList{"archive", "a.mx4a", "report", "--max", "8.5"}
                                               << "\"8.5\" is no threshold";
        QTest::newRow("report, MIN out of range") << QStringList{"archive", "a.mx4a", "report", "--min", "-129"}
                                                  << "\"-129\" is no threshold";
        QTest::newRow("report, MIN above MAX") << QStringList{"archive", "a.mx4a", "report", "--min", "9"}
                                               << "--min 9 is above --max 8";
        QTest::newRow("report, days backwards")
            << QStringList{"archive", "a.mx4a", "report", "--from", "2026-12-02", "--to", "2026-12-01"}
            << "--to 2026-12-01 is before --from 2026-12-02";
        QTest::newRow("report, option of another") << QStringList{"archive", "a.mx4a", "report", "--site", "X"}
                                                   << "archive report does not take --site";
        QTest::newRow("thresholds elsewhere") << (missing + QStringList{"status", "--max", "8"})
                                              << "status does not take --max";
    }
    void wrongUsage() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        const Run r = ctl(arguments, dir.path());
        QVERIFY2(r.code == 2, qPrintable(describe(r)));
        QVERIFY2(r.err.contains(says), qPrintable(describe(r)));
        QVERIFY2(!r.err.contains("Unable to open com port"), qPrintable(describe(r)));
        QVERIFY(r.out.isEmpty());
    }

    void helpIsNoError() {
        const Run r = ctl({"--help"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith("Usage: mx4ctl"));
        QVERIFY(r.err.isEmpty());
    }

    // A port that does not exist: 5 with the port's own message, no login tried, nothing written.
    void missingPort() {
        const Run r = ctl({"--port", "/dev/mx4-no-such-port", "read", "-o", file("missing.ncf")});
        QVERIFY2(r.code == 5, qPrintable(describe(r)));
        QCOMPARE(r.err.trimmed(),
                 QString("mx4ctl: /dev/mx4-no-such-port: Unable to open com port (Error: 2): No such file or directory"));
        QVERIFY(!QFileInfo::exists(file("missing.ncf")));
    }

#ifdef Q_OS_LINUX
    // A port without permission: 5, the failure with the system's words, and what to do about it. Root
    // opens any device, so the program runs as nobody then.
    void permissionDenied() {
        PtyPair pty;
        pty.closeSlave();
        QVERIFY(::chmod(pty.path.toLocal8Bit().constData(), 0) == 0);
        const Run r = ctl({"--port", pty.path, "status"}, QString(), [](QProcess& p) {
            if (p.state() != QProcess::NotRunning) return;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("USER", "technik");
            p.setProcessEnvironment(env);
            if (::geteuid() == 0)
                p.setChildProcessModifier([] {
                    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
                });
        });
        QVERIFY2(r.code == 5, qPrintable(describe(r)));
        QVERIFY2(r.err.contains("mx4ctl: " + pty.path + ": Unable to open com port (Error: 13): Permission denied\n"
                                "mx4ctl: Brak uprawnień do portu. Dodaj użytkownika do grupy dialout: sudo usermod "
                                "-aG dialout technik i zaloguj się ponownie.\n"),
                 qPrintable(describe(r)));
    }
#endif

    // ports --probe: the recorder, a recorder that refuses the password and a silent line, each with its
    // verdict beside the device; the recorder logged out again. As JSON, one object a port; 3 when no
    // recorder answered.
    void portsProbe() {
        PtyLine right, wrong;
        wrong.recorder().setPassword("4321");
        PtyPair silent;
        silent.closeSlave();
        Run r = ctl({"--port", right.far.path(), "--port", wrong.far.path(), "--port", silent.path, "ports", "--probe"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        const QString device = "%1\t%1\t%2";
        QCOMPARE(r.lines(), (QStringList{device.arg(right.far.path(), "MX-4 odpowiada"),
                                         device.arg(wrong.far.path(), "MX-4: błędne hasło"),
                                         device.arg(silent.path, "brak odpowiedzi")}));
        QCOMPARE(right.recorder().receivedCodes(), (QVector<quint8>{0, 1, 2}));
        QCOMPARE(wrong.recorder().receivedCodes(), (QVector<quint8>{0, 1}));

        r = ctl({"--port", silent.path, "ports", "--probe", "--json"});
        QVERIFY2(r.code == 3, qPrintable(describe(r)));
        const QJsonArray ports = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QCOMPARE(ports.size(), 1);
        QCOMPARE(ports.at(0).toObject().value("name").toString(), silent.path);
        QCOMPARE(ports.at(0).toObject().value("verdict").toString(), QString("brak odpowiedzi"));
        QVERIFY(ports.at(0).toObject().value("vendorId").isNull());
    }

    // The built-in simulator: read, show, diff; then a file that differs in one field.
    void simReadShowDiff() {
        const QString a = file("sim.ncf");
        Run r = ctl({"--port", "sim", "read", "-o", a});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QVERIFY(r.out.isEmpty());
        const LoadedConfig read = parsed(a);
        QCOMPARE(read.password, QString("1234"));

        // show: every field with the window's label, in the window's order.
        r = ctl({"show", a});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QStringList expected;
        for (const FieldValue& f : DescribeConfig({read.values, read.password, false, {}})) expected << f.label + ": " + f.value;
        QCOMPARE(r.out.split('\n').mid(0, expected.size()), expected);
        QVERIFY(r.out.endsWith('\n'));
        QVERIFY(r.out.contains("Telefon 1: +48601234567\n"));

        r = ctl({"show", a, "--json"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        const QVector<FieldValue> fields = DescribeConfig({read.values, read.password, false, {}});
        QCOMPARE(json.size(), fields.size());
        for (const FieldValue& f : fields) QCOMPARE(json.value(f.name).toString(), f.value);

        r = ctl({"--port", "sim", "diff", a});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QVERIFY(r.out.isEmpty());

        LoadedConfig changed = read;
        changed.values.text(TextField::Edit_Tel1) = "+48600000001";
        const QString b = file("sim-changed.ncf");
        writeTestFile(b, BuildConfigFile(changed.values, changed.password));
        r = ctl({"--port", "sim", "diff", b});
        QVERIFY2(r.code == 1, qPrintable(describe(r)));
        QCOMPARE(r.lines(), QStringList{"Telefon 1 [Edit_Tel1]: plik \"+48600000001\", MX-4 \"+48601234567\""});
    }

    // Over the pty: a read, a diff that finds nothing, then a value changed in the recorder itself.
    void ptyDiffAfterRecorderChange() {
        PtyLine line;
        const QString a = file("pty.ncf");
        Run r = ctl(line.port() + QStringList{"read", "-o", a});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        // Standard error is no terminal here: no progress bar, and a read that worked says nothing.
        QCOMPARE(r.err, QString());
        const LoadedConfig read = parsed(a);
        QCOMPARE(count(line.recorder().receivedCodes(), itemOf(TextField::Edit_Tel3).readCode), 1);
        // Logged out at the end.
        QCOMPARE(line.recorder().receivedCodes().last(), quint8(2));

        r = ctl(line.port() + QStringList{"diff", a});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QVERIFY(r.out.isEmpty());

        ConfigValues inRecorder = read.values;
        inRecorder.text(TextField::Edit_Tel3) = "+48111222333";
        const ConfigItem& tel3 = itemOf(TextField::Edit_Tel3);
        line.recorder().setItem(tel3.number, EncodeItem(tel3, inRecorder));
        r = ctl(line.port() + QStringList{"diff", a});
        QVERIFY2(r.code == 1, qPrintable(describe(r)));
        QCOMPARE(r.lines(), QStringList{QString("Telefon 3 [Edit_Tel3]: plik \"%1\", MX-4 \"+48111222333\"")
                                            .arg(read.values.text(TextField::Edit_Tel3))});
    }

    // write --verify: the file's values reach the recorder; a recorder that forgets one item fails the
    // verification with 1, naming the field. --changed writes only the items that differ.
    void ptyWriteVerify() {
        PtyLine line;
        const QString a = file("write-base.ncf");
        QCOMPARE(ctl(line.port() + QStringList{"read", "-o", a}).code, 0);
        LoadedConfig wanted = parsed(a);
        wanted.values.text(TextField::Edit_Tel2) = "+48999888777";
        wanted.values.matrix[RowIN2][Voice][4] = !wanted.values.matrix[RowIN2][Voice][4];
        const QString b = file("write-wanted.ncf");
        writeTestFile(b, BuildConfigFile(wanted.values, wanted.password));

        line.recorder().clearLog();
        Run r = ctl(line.port() + QStringList{"write", b, "--changed", "--verify"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        const ConfigItem& tel2 = itemOf(TextField::Edit_Tel2);
        QCOMPARE(line.recorder().item(tel2.number), EncodeItem(tel2, wanted.values));
        // Two items differ: only their write codes went out, each once.
        const QVector<quint8> codes = line.recorder().receivedCodes();
        int writes = 0;
        for (const ConfigItem& item : configItems()) writes += count(codes, item.writeCode);
        QCOMPARE(writes, 2);
        QCOMPARE(count(codes, tel2.writeCode), 1);
        QVERIFY(r.err.contains("Zapisano zmienione pozycje: 2"));

        // The whole file again, the recorder now forgetting what is written to Telefon 2.
        wanted.values.text(TextField::Edit_Tel2) = "+48777666555";
        writeTestFile(b, BuildConfigFile(wanted.values, wanted.password));
        line.setFaults([&](SimFaults& f) { f.forgetWritesTo = {tel2.number}; });
        line.recorder().clearLog();
        r = ctl(line.port() + QStringList{"write", b, "--verify"});
        QVERIFY2(r.code == 1, qPrintable(describe(r)));
        QVERIFY2(r.err.contains("mx4ctl: Weryfikacja nieudana: Telefon 2\n"), qPrintable(describe(r)));
        int allWrites = 0;
        for (const ConfigItem& item : configItems()) allWrites += count(line.recorder().receivedCodes(), item.writeCode);
        QCOMPARE(allWrites, kConfigItemCount);
    }

    // events -o and --csv: the text as the window saves it, the rows the chart's CSV writer makes.
    void ptyEvents() {
        PtyLine line;
        const QDateTime start(QDate(2024, 3, 1), QTime(8, 0));
        line.recorder().fillRegister(25, 7, start);
        const QVector<QByteArray> records = MakeRegister(25, 7, start);
        const Run r = ctl(line.port() + QStringList{"events", "-o", file("events.txt"), "--csv", file("events.csv")});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));

        const QByteArray text = readTestFile(file("events.txt"));
        QVERIFY(!text.endsWith("\r\n"));
        QCOMPARE(text.count('\n'), text.count("\r\n"));
        const QStringList lines = fromCp1250(text).split("\r\n");
        // The header carries the PC's date and time: its other lines are fixed.
        const RegisterHeader header = *DecodeRegisterHeader(QByteArray("\xC8\x00", 2), QDateTime::currentDateTime());
        QCOMPARE(lines.size() > header.lines.size(), true);
        QVERIFY(lines.at(0).startsWith(" Wydruk zdarzeń z dnia :  "));
        QCOMPARE(lines.mid(2, header.lines.size() - 2), header.lines.mid(2));
        QStringList expected;
        QVector<EventRecord> decoded;
        for (const QByteArray& record : records) {
            if (const auto l = DecodeEventRecord(record)) expected << l->text;
            decoded << *DecodeEventData(record);
        }
        expected << EndOfRegisterText();
        QCOMPARE(lines.mid(header.lines.size()), expected);
        QCOMPARE(readTestFile(file("events.csv")), EventsCsv(decoded));
        // Nothing erased without --erase.
        QCOMPARE(line.recorder().recordCount(), 25);
    }

    void ptyEventsThenErase() {
        PtyLine line;
        line.recorder().fillRegister(6, 3);
        const Run r = ctl(line.port() + QStringList{"--yes", "events", "-o", file("erased.txt"), "--erase"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QVERIFY(r.err.contains("Rejestr zdarzeń skasowany"));
        QCOMPARE(line.recorder().recordCount(), 0);
        QVERIFY(fromCp1250(readTestFile(file("erased.txt"))).endsWith(EndOfRegisterText()));
    }

    // Only a register that came whole is erased. A record lost to a bad checksum or a recorder that stops
    // on its own: what came is written, nothing is erased, 3.
    void ptyEventsIncompleteAreNotErased_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("says");
        QTest::newRow("record lost") << "corrupt" << 5 << "Rejestr niepełny: odebrano 5 z 6 zdarzeń; rejestru nie skasowano";
        QTest::newRow("stopped unasked") << "stop" << 2 << "Pobieranie przerwane przez MX-4; rejestru nie skasowano";
    }
    void ptyEventsIncompleteAreNotErased() {
        QFETCH(QString, fault);
        QFETCH(int, lines);
        QFETCH(QString, says);
        PtyLine line;
        line.recorder().fillRegister(6, 3);
        line.setFaults([&](SimFaults& f) {
            if (fault == "corrupt") f.corruptRecords = {2};
            else f.stopUnaskedAfter = 2;
        });
        const Run r = ctl(line.port() + QStringList{"--yes", "events", "-o", file("short.txt"), "--csv", file("short.csv"),
                                                    "--erase"});
        QVERIFY2(r.code == 3, qPrintable(describe(r)));
        QVERIFY2(r.err.contains(says), qPrintable(describe(r)));
        QCOMPARE(line.recorder().recordCount(), 6);
        QCOMPARE(count(line.recorder().receivedCodes(), 96), 0);
        QCOMPARE(fromCp1250(readTestFile(file("short.txt"))).count(" 2024-"), lines);
        QCOMPARE(readTestFile(file("short.csv")).count("\r\n"), lines + 1);
    }

    // events --archive --erase: a complete download goes into the archive (made on the way) and is then
    // erased; one that came short goes in as well, logged as such, and the register stays.
    void eventsIntoTheArchive() {
        PtyLine line;
        line.recorder().fillRegister(6, 3);
        const QString path = file("collected.mx4a");
        Run r = ctl(line.port() + QStringList{"--yes", "events", "--archive", path, "--erase"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QVERIFY2(r.err.contains("mx4ctl: Dodano do archiwum: 6 nowych zdarzeń, 0 już było\n"), qPrintable(describe(r)));
        QCOMPARE(line.recorder().recordCount(), 0);
        QCOMPARE(RegisterArchive::open(path)->summary().records, 6);

        line.recorder().fillRegister(6, 3);
        line.recorder().appendRecord(MakeRegister(1, 9, QDateTime(QDate(2024, 3, 2), QTime(9, 0))).first());
        line.setFaults([](SimFaults& f) { f.corruptRecords = {1}; });
        r = ctl(line.port() + QStringList{"--yes", "events", "--archive", path, "--erase"});
        QVERIFY2(r.code == 3, qPrintable(describe(r)));
        QVERIFY2(r.err.contains("Dodano do archiwum: 1 nowych zdarzeń, 5 już było"), qPrintable(describe(r)));
        QVERIFY2(r.err.contains("Rejestr niepełny: odebrano 6 z 7 zdarzeń"), qPrintable(describe(r)));
        QCOMPARE(line.recorder().recordCount(), 7);
        const std::unique_ptr<RegisterArchive> archive = RegisterArchive::open(path);
        QCOMPARE(archive->summary().records, 7);
        const ArchiveLogEntry last = archive->log().constLast();
        QCOMPARE(last.announced, std::optional<int>(7));
        QCOMPARE(last.received, std::optional<int>(6));
        QVERIFY(archive->verify().consistent);
    }

    // -o A --csv B: when B cannot be written, A stays as it was, and nothing is erased.
    void eventFilesAreWrittenTogether() {
        PtyLine line;
        line.recorder().fillRegister(6, 3);
        const QString text = file("together.txt");
        writeTestFile(text, "an earlier register");
        const Run r = ctl(line.port() + QStringList{"--yes", "events", "-o", text, "--csv", file("no-such-dir/b.csv"),
                                                    "--erase"});
        QVERIFY2(r.code == 4, qPrintable(describe(r)));
        QVERIFY2(r.err.contains("Nie zapisano pliku CSV"), qPrintable(describe(r)));
        QCOMPARE(readTestFile(text), QByteArray("an earlier register"));
        QCOMPARE(line.recorder().recordCount(), 6);
    }

    // Ctrl-C (SIGINT) during a download: the recorder is asked to stop, logged out, nothing written, 130;
    // the next command logs in at once. SIGTERM ends a status watch the same way with 143.
    void interruptedCommandsEndCleanly() {
        PtyLine line;
        line.recorder().fillRegister(400, 3);
        line.setFaults([](SimFaults& f) { f.paced = true; });
        const auto signalWhen = [&](int number, std::function<bool()> ready) {
            return [number, ready](QProcess& p) {
                if (p.state() == QProcess::NotRunning) return;
                auto* poll = new QTimer(&p);
                QObject::connect(poll, &QTimer::timeout, [&p, poll, number, ready] {
                    if (!ready()) return;
                    poll->stop();
                    ::kill(pid_t(p.processId()), number);
                });
                poll->start(20);
            };
        };
        Run r = ctl(line.port() + QStringList{"events", "-o", file("interrupted.txt")}, QString(),
                    signalWhen(SIGINT, [&] { return line.recorder().streaming(); }));
        QVERIFY2(r.code == 130, qPrintable(describe(r)));
        QVERIFY(!QFileInfo::exists(file("interrupted.txt")));
        QVector<quint8> codes = line.recorder().receivedCodes();
        QString sent;
        for (quint8 c : codes) sent += QString::number(c) + ' ';
        QVERIFY2(codes.endsWith(quint8(2)) && codes.indexOf(95) > codes.indexOf(93) && codes.indexOf(95) >= 0,
                 qPrintable(describe(r) + "\ncodes: " + sent));
        QCOMPARE(line.recorder().recordCount(), 400);

        line.recorder().clearLog();
        line.setFaults([](SimFaults& f) { f.paced = false; });
        r = ctl(line.port() + QStringList{"status"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        // One login was enough.
        QCOMPARE(count(line.recorder().receivedCodes(), 1), 1);

        line.recorder().clearLog();
        r = ctl(line.port() + QStringList{"status", "--watch"}, QString(),
                signalWhen(SIGTERM, [&] { return count(line.recorder().receivedCodes(), 253) >= 2; }));
        QVERIFY2(r.code == 143, qPrintable(describe(r)));
        QCOMPARE(line.recorder().receivedCodes().last(), quint8(2));

        // A firmware update is not left halfway: the recorder would stay in its bootloader.
        QByteArray image = kFirmwareMagic + QByteArray(20 * 128, '\x5A');
        image.append(char(XorOf(image)));
        writeTestFile(file("interrupted.nfr"), image);
        line.setFaults([](SimFaults& f) { f.paced = true; });
        r = ctl(line.port() + QStringList{"--yes", "firmware", file("interrupted.nfr")}, QString(),
                signalWhen(SIGINT, [&] { return line.recorder().firmwareBlocks() >= 2; }));
        QVERIFY2(r.code == 130, qPrintable(describe(r)));
        QCOMPARE(line.recorder().firmwareUpdates(), 1);
        QCOMPARE(line.recorder().firmwareImage(), image.mid(3, 20 * 128));
    }

    // An item whose answer cannot be decoded (a record shorter than its length) is no value: read fails
    // without a file, diff shows it, a verification fails.
    void undecodableAnswerIsNeverTakenForAValue() {
        PtyLine line;
        const QString a = file("undecodable.ncf");
        QCOMPARE(ctl(line.port() + QStringList{"read", "-o", a}).code, 0);
        line.setFaults([](SimFaults& f) { f.cutReplyTo = {{70, 2}}; });
        const QString b = file("undecodable-2.ncf");
        Run r = ctl(line.port() + QStringList{"read", "-o", b});
        QVERIFY2(r.code == 3, qPrintable(describe(r)));
        QCOMPARE(r.err.trimmed(), QString("mx4ctl: Błędna odpowiedź MX-4 dla pozycji 34"));
        QVERIFY(!QFileInfo::exists(b));

        r = ctl(line.port() + QStringList{"diff", a});
        QVERIFY2(r.code == 1, qPrintable(describe(r)));
        QCOMPARE(r.lines().size(), 4);
        for (const QString& l : r.lines()) QVERIFY2(l.endsWith(", MX-4 \"(błędna odpowiedź)\""), qPrintable(describe(r)));
        QVERIFY2(r.lines().at(1).startsWith("MAX [Edit_T1Max]: plik \"+"), qPrintable(describe(r)));

        r = ctl(line.port() + QStringList{"write", a, "--verify"});
        QVERIFY2(r.code == 1, qPrintable(describe(r)));
        QVERIFY2(r.err.contains(", MAX, MIN, Korekta\n"), qPrintable(describe(r)));
        QVERIFY2(r.err.contains("mx4ctl: Weryfikacja nieudana: "), qPrintable(describe(r)));

        // The status-query text unanswered: the link keeps quiet about it, the tool does not.
        line.setFaults([](SimFaults& f) { f.cutReplyTo.clear(); f.silentCodes = {80}; });
        r = ctl(line.port() + QStringList{"read", "-o", b});
        QVERIFY2(r.code == 3, qPrintable(describe(r)));
        QVERIFY2(r.err.contains("mx4ctl: Brak odpowiedzi z MX-4"), qPrintable(describe(r)));
        QVERIFY(!QFileInfo::exists(b));
    }

    // "No" to the question of erase, events --erase or firmware ends with 2, having sent nothing more.
    void declinedQuestionsEndWithUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("asks");
        QTest::newRow("erase") << QStringList{"erase"} << "Czy skasować rejestr zdarzeń ?";
        QTest::newRow("events --erase") << QStringList{"events", "-o", "declined.txt", "--erase"}
                                        << "Czy skasować rejestr zdarzeń ?";
        QTest::newRow("firmware") << QStringList{"firmware", "declined.nfr"} << "Aktualizować oprogramowanie MX-4";
    }
    void declinedQuestionsEndWithUsage() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, asks);
        QByteArray image = kFirmwareMagic + QByteArray(256, '\x5A');
        image.append(char(XorOf(image)));
        writeTestFile(file("declined.nfr"), image);
        PtyLine line;
        line.recorder().fillRegister(6, 3);
        Terminal terminal;
        const Run r = ctl(line.port() + arguments, dir.path(), terminal.answering("n\n"));
        QVERIFY2(r.code == 2, qPrintable(describe(r) + terminal.shown));
        QVERIFY(QString::fromUtf8(terminal.shown).contains(asks));
        QCOMPARE(count(line.recorder().receivedCodes(), 255), 0);
        QCOMPARE(count(line.recorder().receivedCodes(), 96), 0);
        QCOMPARE(line.recorder().recordCount(), 6);
    }

    // A damaged or foreign file: 4 with the window's words, and not a byte on the line.
    void damagedFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        ConfigValues v = ConfigValues::defaults();
        QByteArray good = BuildConfigFile(v, "1234");
        QByteArray badCheck = good;
        badCheck[10] = char(badCheck[10] ^ 0x01);
        QTest::newRow("check byte") << badCheck << "mx4ctl: Bląd CRC pliku konfiguracji";
        QTest::newRow("magic") << QByteArray("nfr\x01\x02\x03", 6) << "mx4ctl: Zly format pliku";
        QByteArray cut = good.left(20);
        cut.append(char(XorOf(cut)));
        QTest::newRow("fields past the end") << cut << "mx4ctl: Zly format pliku";
    }
    void damagedFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        const QString path = file("damaged.ncf");
        writeTestFile(path, bytes);
        PtyLine line;
        for (const QString& command : {QString("write"), QString("diff")}) {
            const Run r = ctl(line.port() + QStringList{command, path});
            QVERIFY2(r.code == 4, qPrintable(describe(r)));
            QVERIFY2(r.err.startsWith(says), qPrintable(describe(r)));
        }
        const Run shown = ctl({"show", path});
        QCOMPARE(shown.code, 4);
        QVERIFY(shown.out.isEmpty());
        QCOMPARE(line.far.bytesFromProgram(), 0);
        QVERIFY(line.recorder().received().isEmpty());
    }

    // A silent recorder: 3 once the login's tries have run out, and an earlier file stays as it was.
    void silentRecorder() {
        PtyLine line;
        line.setFaults([](SimFaults& f) { f.silent = true; });
        const QString path = file("kept.ncf");
        writeTestFile(path, "an earlier copy");
        Run r = ctl(line.port() + QStringList{"read", "-o", path});
        QVERIFY2(r.code == 3, qPrintable(describe(r)));
        QCOMPARE(r.err.trimmed(), QString("mx4ctl: Brak odpowiedzi z MX-4"));
        QCOMPARE(readTestFile(path), QByteArray("an earlier copy"));
        // The preamble and three logins went out, and nothing else.
        QCOMPARE(count(line.recorder().receivedCodes(), 1), 3);

        r = ctl(line.port() + QStringList{"events", "-o", file("never.txt")});
        QVERIFY2(r.code == 3, qPrintable(describe(r)));
        QVERIFY(!QFileInfo::exists(file("never.txt")));
    }

    // Standard error on a terminal: the progress bar, redrawn on one line up to 100 %.
    void progressOnATerminal() {
        Terminal terminal;
        PtyLine line;
        const Run r = ctl(line.port() + QStringList{"read", "-o", file("progress.ncf")}, QString(), [&](QProcess& p) {
            if (p.state() == QProcess::NotRunning) p.setStandardErrorFile(terminal.slave);
        });
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QTRY_VERIFY_WITH_TIMEOUT(terminal.shown.contains("100%"), 60000);
        const QString text = QString::fromUtf8(terminal.shown);
        QVERIFY2(text.contains("\rPobieram konfiguracje sterownika [####"), qPrintable(text));
        QVERIFY2(text.contains("[##############################] 100%"), qPrintable(text));
        QVERIFY(r.out.isEmpty());
    }

    // The register archive, no recorder: text files imported and merged, a foreign one refused unless
    // forced, the figures, a period's CSV, the log, and verify before and after an edit behind its back.
    void archiveCommands() {
        const QString archive = file("site.mx4a");
        Run r = ctl({"archive", archive, "create", "--site", "Chłodnia 2"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QVERIFY2(ctl({"archive", archive, "create", "--site", "X"}).code == 4, "created over an archive");

        const QDateTime start(QDate(2024, 5, 1), QTime(6, 0));
        const QVector<EventRecord> reg = decodedRegister(300, 14, start);
        writeTestFile(file("a.txt"), historyFile(reg.mid(0, 200)));
        writeTestFile(file("b.txt"), historyFile(reg.mid(100), QStringLiteral("Notatka: sprawdzono")));
        r = ctl({"archive", archive, "import", file("a.txt"), file("b.txt")});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QCOMPARE(r.err, QString("mx4ctl: a.txt: Dodano do archiwum: 200 nowych zdarzeń, 0 już było\n"
                                "mx4ctl: b.txt: Dodano do archiwum: 100 nowych zdarzeń, 100 już było\n"
                                "mx4ctl: b.txt: Pominięto wierszy: 1\n"));

        // Another recorder's file over the same days: refused with 4, nothing added; --force adds it.
        writeTestFile(file("c.txt"), historyFile(decodedRegister(50, 15, start.addSecs(7))));
        r = ctl({"archive", archive, "import", file("c.txt")});
        QVERIFY2(r.code == 4, qPrintable(describe(r)));
        QVERIFY2(r.err.contains("Rejestr nie ma wspólnych zdarzeń z archiwum „Chłodnia 2”"), qPrintable(describe(r)));
        r = ctl({"archive", archive, "info", "--json"});
        QJsonObject info = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(info.value("records").toInt(), 300);
        QCOMPARE(info.value("imports").toInt(), 2);
        QCOMPARE(info.value("site").toString(), QString("Chłodnia 2"));
        QCOMPARE(info.value("first").toString(), TimeKeyText(ArchiveRecordOf(reg.first()).time));
        QCOMPARE(info.value("last").toString(), TimeKeyText(ArchiveRecordOf(reg.last()).time));

        // A period's rows are the download's own rows of those days.
        const QDate from = start.date().addDays(2), to = start.date().addDays(4);
        QVector<EventRecord> period;
        for (const EventRecord& e : reg)
            if (e.time.date() >= from && e.time.date() <= to) period << e;
        r = ctl({"archive", archive, "csv", "-o", file("period.csv"), "--from", from.toString(Qt::ISODate), "--to",
                 to.toString(Qt::ISODate)});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QCOMPARE(readTestFile(file("period.csv")), EventsCsv(period));
        QCOMPARE(ctl({"archive", archive, "import", file("c.txt"), "--force"}).code, 0);

        r = ctl({"archive", archive, "log"});
        QCOMPARE(r.lines().size(), 4);
        const QByteArray sha = QCryptographicHash::hash(readTestFile(file("a.txt")), QCryptographicHash::Sha256).toHex();
        QVERIFY2(r.lines().at(1).contains("plik a.txt (SHA-256 " + sha + "): 200 zdarzeń, nowych 200"), qPrintable(r.out));

        r = ctl({"archive", archive, "verify"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QCOMPARE(r.out, QString("Archiwum spójne: 4 wpisów, 350 zdarzeń\n"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "edit");
            db.setDatabaseName(archive);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("DROP TRIGGER records_kept_on_delete"));
            QVERIFY(q.exec("DELETE FROM records WHERE id = 250"));
        }
        QSqlDatabase::removeDatabase("edit");
        r = ctl({"archive", archive, "verify"});
        QVERIFY2(r.code == 1, qPrintable(describe(r)));
        QVERIFY2(r.err.startsWith("mx4ctl: Archiwum niespójne: wpis nr 3 ("), qPrintable(describe(r)));

        r = ctl({"archive", file("a.txt"), "info"});
        QVERIFY2(r.code == 4, qPrintable(describe(r)));
        QCOMPARE(r.err, QString("mx4ctl: To nie jest plik archiwum MX-4\n"));
    }

    // The figures of a period as JSON and as the summary's lines, and its report as a PDF. One day by
    // the hour (the gap limit 2 h) and a sample the next day: 05:00 stands its 2 h. MAX +8, MIN +2.
    void archiveReport() {
        const QString archive = file("report.mx4a");
        QCOMPARE(ctl({"archive", archive, "create", "--site", "Chłodnia 2"}).code, 0);
        QStringList lines;
        for (const QString r : {"01 00:00 4 50", "01 01:00 4 90", "01 01:30 11 93", "01 02:00 4 95", "01 03:00 4 50",
                                 "01 04:00 4 10", "01 05:00 4 50", "02 10:00 4 50"}) {
            const QStringList f = r.split(' ');
            ArchiveRecord record;
            const QTime at = QTime::fromString(f[1], "hh:mm");
            record.time = TimeKeyOf({2026, 12, f[0].toInt(), at.hour(), at.minute(), 0});
            record.code = f[2].toInt();
            record.tenths = f[3].toInt();
            lines << HistoryLineOf(record);
        }
        writeTestFile(file("day.txt"), EventTextFile(lines.join('\n')));
        QCOMPARE(ctl({"archive", archive, "import", file("day.txt")}).code, 0);
        const QStringList day{"--from", "2026-12-01", "--to", "2026-12-01"};

        Run r = ctl(QStringList{"archive", archive, "report", "--json", "--max", "+8", "--min", "2"} + day);
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        const QByteArray canonical = "2026-12-01 00:00:00;4;50\n2026-12-01 01:00:00;4;90\n2026-12-01 01:30:00;11;93\n"
                                     "2026-12-01 02:00:00;4;95\n2026-12-01 03:00:00;4;50\n2026-12-01 04:00:00;4;10\n"
                                     "2026-12-01 05:00:00;4;50\n";
        const QString sha = QCryptographicHash::hash(canonical, QCryptographicHash::Sha256).toHex();
        // Weighted by the seconds each stands: 142740 degree-seconds over 25200 s.
        double sum = 0, total = 0;
        const double celsius[] = {5, 9, 9.3, 9.5, 5, 1, 5}, seconds[] = {3600, 1800, 1800, 3600, 3600, 3600, 7200};
        for (int i = 0; i < 7; ++i) {
            sum += seconds[i] * std::exp(-10000.0 / (celsius[i] + 273.15));
            total += seconds[i];
        }
        const double mkt = qRound(10 * (10000.0 / -std::log(sum / total) - 273.15)) / 10.0;
        const QJsonObject expected{
            {"from", "2026-12-01"}, {"to", "2026-12-01"}, {"samples", 7}, {"min", 1.0}, {"max", 9.5}, {"mean", 5.7},
            {"mkt", mkt}, {"above_max_s", 7200}, {"below_min_s", 3600}, {"no_data_s", 61200}, {"alarms_high", 1},
            {"alarms_low", 0}, {"sha256", sha},
            {"excursions", QJsonArray{QJsonObject{{"kind", "high"}, {"start", "2026-12-01 01:00:00"},
                                                  {"end", "2026-12-01 03:00:00"}, {"duration_s", 7200},
                                                  {"extreme", 9.5}, {"alarm", true}},
                                      QJsonObject{{"kind", "low"}, {"start", "2026-12-01 04:00:00"},
                                                  {"end", "2026-12-01 05:00:00"}, {"duration_s", 3600},
                                                  {"extreme", 1.0}, {"alarm", false}}}}};
        QCOMPARE(o, expected);
        // Numbers with one decimal, as a spreadsheet or a script reads them.
        QVERIFY2(r.out.contains("\"min\": 1.0,") && r.out.contains("\"mean\": 5.7,"), qPrintable(r.out));

        // MIN -1 as its own argument; the lines are the summary's.
        r = ctl(QStringList{"archive", archive, "report", "--min", "-1"} + day);
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        for (const QString line : {"Obiekt: Chłodnia 2", "Okres: 2026-12-01 – 2026-12-01", "MIN: -1 °C",
                                    "Powyżej MAX: 2 h 00 min 00 s", "Poniżej MIN: 0 s", "Przekroczenia poniżej MIN: 0"})
            QVERIFY2(r.lines().contains(line), qPrintable(line + "\n" + r.out));
        QCOMPARE(r.lines().last(), "SHA-256 zdarzeń okresu: " + sha);

        // The report: the same sum, the pages counted on each.
        r = ctl(QStringList{"archive", archive, "report", "-o", file("day.pdf")} + day);
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QProcess text;
        text.start("pdftotext", {file("day.pdf"), "-"});
        if (!text.waitForFinished(60000) || text.exitCode() != 0) QSKIP("pdftotext (poppler-utils) is needed");
        const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString& shown : {QString("Raport temperatury"), QString("Strona 1 z 1"), sha,
                                     QString("Archiwum spójne: 2 wpisów, 8 zdarzeń")})
            QVERIFY2(pdf.contains(shown), qPrintable(shown + "\n" + pdf));
        r = ctl({"archive", archive, "report", "-o", file("no-such-folder/day.pdf")});
        QVERIFY2(r.code == 4, qPrintable(describe(r)));
        QVERIFY2(r.err.contains("Nie zapisano raportu"), qPrintable(describe(r)));
    }

    void wrongPassword() {
        PtyLine line;
        line.recorder().setPassword("4321");
        Run r = ctl(line.port() + QStringList{"status"});
        QVERIFY2(r.code == 3, qPrintable(describe(r)));
        QCOMPARE(r.err.trimmed(), QString("mx4ctl: Błędne hasło"));
        QVERIFY(r.out.isEmpty());
        r = ctl(line.port() + QStringList{"--password", "4321", "status"});
        QVERIFY2(r.code == 0, qPrintable(describe(r)));
        QVERIFY2(r.out.startsWith("Temperatura: +23,2\n"), qPrintable(describe(r)));
        QVERIFY(r.out.contains("\nWejście 1: "));
    }
};

QTEST_GUILESS_MAIN(Mx4ctlTest)
#include "tst_mx4ctl.moc"

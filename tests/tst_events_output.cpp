// What can be done with a downloaded register: save it as a text file, print it, clear it, and erase
// the register in the recorder.

#include "config/SafeSave.h"
#include "link/Text.h"
#include "support/FakePort.h"
#include "support/SmallDisk.h"
#include "tst_events_rig.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace ev;

namespace {

// Lines as a download of `records` records shows them, put straight into the list.
QStringList fillList(TMain& w, int records, quint32 seed = 4) {
    const QVector<QByteArray> register_ = MakeRegister(records, seed, QDateTime(QDate(2024, 1, 30), QTime(6, 0)), true);
    const Expected e = expectedDownload(register_, records * 8);
    for (int i = 0; i < e.lines.size(); ++i) w.eventRegister->list().append(e.lines.at(i), e.colours.at(i));
    w.eventRegister->list().followEnd();
    return e.lines;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Answers the printer set-up dialog by choosing a PDF file.
struct PdfPeople : ScriptedPeople {
    QString pdfPath;
    bool printerSetup(QPrinter& printer) override {
        if (!ScriptedPeople::printerSetup(printer)) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return true;
    }
};

// A window with no recorder: saving, printing and clearing need none.
struct OfflineRig {
    FakePort port;
    FixedPortCatalog catalog{{{QStringLiteral("COM1"), QStringLiteral("\\\\.\\COM1")}}};
    PdfPeople people;
    std::unique_ptr<TMain> window;
    OfflineRig() {
        shuttingDown = false;
        window = std::make_unique<TMain>(AppDeps{&port, &catalog, &people, kTestTickMs});
    }
    ~OfflineRig() {
        window.reset();
        shuttingDown = false;
    }
    TMain& w() { return *window; }
};

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString squeezed(const QString& s) { return s.simplified(); }

// How many pixels of the image are close to `colour`.
int pixelsNear(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) < 40 && qAbs(c.green() - colour.green()) < 40 &&
                qAbs(c.blue() - colour.blue()) < 40)
                ++n;
        }
    return n;
}

}  // namespace

class EventsOutputTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveWritesWindows1250WithCrLf() {
        // Logged out: a register downloaded earlier can still be kept.
        OfflineRig rig;
        TMain& w = rig.w();
        QVERIFY(w.ButtonZapisz->isEnabled());
        const QStringList lines = fillList(w, 40);
        QTemporaryDir dir;
        const QString path = dir.filePath("historia.txt");
        rig.people.fileAnswers.enqueue(path);
        w.ButtonZapisz->click();
        QCOMPARE(rig.people.shown, (QStringList{"save: *.txt", "information: Zapisano plik historii"}));
        QCOMPARE(rig.people.fileRequests.at(0).defaultSuffix, QString("txt"));
        QCOMPARE(rig.people.fileRequests.at(0).directory, QDir::homePath());
        // The shared dialog is back on configuration files.
        QCOMPARE(w.saveDialog.request().filter, QString("*.ncf"));

        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes, toCp1250(lines.join("\r\n"), "test"));
        QVERIFY(bytes.startsWith(" Wydruk zdarze\xF1 z dnia :  2024-03-05\r\n Godzina wydruku zdarze\xF1 : 07:08:09\r\n"));
        QVERIFY(bytes.endsWith("\r\n Koniec historii"));
        QCOMPARE(bytes.count("\n"), lines.size() - 1);
        QCOMPARE(bytes.count("\r\n"), lines.size() - 1);
    }

    void savingTwiceReplacesAndAnEmptyListGivesAnEmptyFile() {
        OfflineRig rig;
        TMain& w = rig.w();
        fillList(w, 30);
        QTemporaryDir dir;
        const QString path = dir.filePath("historia.txt");
        rig.people.fileAnswers << path << path;
        w.ButtonZapisz->click();
        QVERIFY(readAll(path).size() > 1000);
        w.ButtonCLR->click();
        w.ButtonZapisz->click();
        QCOMPARE(readAll(path), QByteArray());
        QCOMPARE(rig.people.messages(), (QStringList{"save: *.txt", "information: Zapisano plik historii",
                                                      "save: *.txt", "information: Zapisano plik historii"}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"historia.txt"});
    }

    void cancelledSaveWritesNothing() {
        OfflineRig rig;
        fillList(rig.w(), 3);
        rig.w().ButtonZapisz->click();
        QCOMPARE(rig.people.shown, (QStringList{"save: *.txt", "error: Nie zapisano"}));
        QCOMPARE(rig.w().saveDialog.request().filter, QString("*.ncf"));
    }

    void failedSaveKeepsTheOldFile_data() {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("missing folder") << false;
        QTest::newRow("full disk") << true;
    }
    void failedSaveKeepsTheOldFile() {
        QFETCH(bool, fullDisk);
        std::unique_ptr<SmallDisk> disk;
        QTemporaryDir dir;
        QString target;
        if (fullDisk) {
            disk = std::make_unique<SmallDisk>();
            if (!disk->mounted) QSKIP(qPrintable(disk->why));
            target = disk->path("historia.txt");
        } else {
            target = dir.filePath("no such folder/historia.txt");
        }
        const QByteArray old = "a register saved before\r\n";
        if (fullDisk) QVERIFY(writeFile(target, old));

        OfflineRig rig;
        fillList(rig.w(), 400);  // about 24 KB, more than the disk has left, in one piece
        rig.people.fileAnswers.enqueue(target);
        rig.w().ButtonZapisz->click();
        QCOMPARE(rig.people.shown, (QStringList{"save: *.txt", "error: Błąd zapisu"}));
        QCOMPARE(rig.w().saveDialog.request().filter, QString("*.ncf"));
        if (fullDisk) {
            QCOMPARE(readAll(target), old);
            // No half-written twin is left behind.
            QCOMPARE(QDir(disk->dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"historia.txt"});
        } else {
            QVERIFY(!QFile::exists(target));
        }
    }

    void safeSaveSaysWhereItFailed() {
        QTemporaryDir dir;
        QString why;
        SaveStage stage = SaveStage::None;
        QVERIFY(!saveFileSafely(dir.filePath("missing/x.txt"), "abc", &why, &stage));
        QCOMPARE(stage, SaveStage::Create);
        QVERIFY(!why.isEmpty());

        SmallDisk disk;
        if (!disk.mounted) QSKIP(qPrintable(disk.why));
        const QString path = disk.path("x.ncf");
        QVERIFY(saveFileSafely(path, QByteArray(4000, 'a'), &why, &stage));
        QCOMPARE(stage, SaveStage::None);
        // One large piece that meets the full disk.
        QVERIFY(!saveFileSafely(path, QByteArray(200000, 'b'), &why, &stage));
        QCOMPARE(stage, SaveStage::Write);
        QCOMPARE(readAll(path), QByteArray(4000, 'a'));
        // A file that just fits still replaces the old one.
        QVERIFY(saveFileSafely(path, QByteArray(6000, 'c'), &why, &stage));
        QCOMPARE(readAll(path), QByteArray(6000, 'c'));
    }

    void printPutsEveryLineOnPaperPageAfterPage() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() || QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the printed PDF");
        OfflineRig rig;
        TMain& w = rig.w();
        const QStringList lines = fillList(w, 300);
        QTemporaryDir dir;
        rig.people.pdfPath = dir.filePath("wydruk.pdf");
        rig.people.printAnswers.enqueue(true);
        w.Button1->click();
        QCOMPARE(rig.people.shown, QStringList{"print"});

        const QString info = run("pdfinfo", {rig.people.pdfPath});
        QVERIFY2(info.contains(QRegularExpression("Title:\\s+Wydruk historii MX4")), qPrintable(info));
        const int pages = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
        // About 60 lines of 10 points fit on a page: 300 events take several pages, not one and not hundreds.
        QVERIFY2(pages >= 3 && pages <= 12, qPrintable(info));

        const QString text = run("pdftotext", {"-layout", "-enc", "UTF-8", rig.people.pdfPath, "-"});
        const QStringList printedPages = text.split('\f', Qt::SkipEmptyParts);
        QCOMPARE(printedPages.size(), pages);
        QStringList printed;
        for (const QString& l : text.split(QRegularExpression("[\n\f]"), Qt::SkipEmptyParts))
            if (!squeezed(l).isEmpty()) printed << squeezed(l);
        QStringList expected;
        for (const QString& l : lines)
            if (!squeezed(l).isEmpty()) expected << squeezed(l);
        QCOMPARE(printed, expected);
        // A line is never cut between two pages: each page starts with a whole line.
        for (const QString& page : printedPages) {
            const QString first = squeezed(page.section('\n', 0, 0, QString::SectionSkipEmpty));
            QVERIFY2(expected.contains(first), qPrintable(first));
        }

        // The colours come along: red, green and blue text on paper, as in the list.
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) return;
        const QString png = dir.filePath("page");
        QProcess::execute("pdftoppm", {"-r", "100", "-png", "-f", "1", "-l", "2", rig.people.pdfPath, png});
        QImage page(dir.filePath("page-1.png"));
        if (page.isNull()) page.load(dir.filePath("page-01.png"));
        QVERIFY(!page.isNull());
        // Every colour of the first 40 lines, which are all on the first page, is on it.
        const QList<QColor> colours = coloursOf(w.trm).mid(0, 40);
        QVERIFY(colours.contains(EventColour::Black) && colours.size() > colours.count(EventColour::Black));
        for (const QColor& c : colours) QVERIFY2(pixelsNear(page, c) > 30, qPrintable(c.name()));
    }

    void cancelledPrintPrintsNothing() {
        OfflineRig rig;
        fillList(rig.w(), 5);
        QTemporaryDir dir;
        rig.people.pdfPath = dir.filePath("wydruk.pdf");
        rig.w().Button1->click();
        QCOMPARE(rig.people.shown, QStringList{"print"});
        QVERIFY(!QFile::exists(rig.people.pdfPath));
    }

    void clearEmptiesListAndGauge() {
        EventRig rig;
        rig.recorder.fillRegister(25, 8);
        rig.logIn();
        rig.startDownload();
        QVERIFY(rig.waitIdle());
        TMain& w = rig.w();
        QCOMPARE(w.TempBar->value(), 200);
        const int frames = rig.recorder.received().size();
        w.ButtonCLR->click();
        QVERIFY(w.trm->document()->isEmpty());
        QCOMPARE(w.TempBar->value(), 0);
        QCOMPARE(rig.recorder.received().size(), frames);
        QVERIFY(rig.people.shown.isEmpty());
        // The next list starts black, whatever the last line's colour was.
        w.eventRegister->list().appendInCurrentColour("x");
        w.eventRegister->list().flush();
        QCOMPARE(coloursOf(w.trm), QList<QColor>{EventColour::Black});
    }

    void erase_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("fault");  // what made the register come short
        QTest::addColumn<QStringList>("shown");
        const QString ask = "ask (Nie): Czy skasować rejestr zdarzeń ?";
        QTest::newRow("Yes") << true << true << "" << QStringList{"beep", ask, "information: Rejestr zdarzeń skasowany"};
        QTest::newRow("No") << false << true << "" << QStringList{"beep", ask};
        QTest::newRow("no answer") << true << false << ""
                                   << QStringList{"beep", ask, "beep", "error: Brak odpowiedzi z MX-4"};
        // Whoever erases after a download that came short is told so in the question.
        QTest::newRow("record lost") << true << true << "corrupt"
                                     << QStringList{"beep", ask + "\nUwaga: pobrany rejestr jest niepełny (11 z 12 zdarzeń).",
                                                    "information: Rejestr zdarzeń skasowany"};
        QTest::newRow("stopped by the recorder") << false << true << "stop"
                                                 << QStringList{"beep", ask + "\nUwaga: pobrany rejestr jest niepełny (5 z 12 zdarzeń)."};
    }
    void erase() {
        QFETCH(bool, yes);
        QFETCH(bool, answered);
        QFETCH(QString, fault);
        QFETCH(QStringList, shown);
        EventRig rig;
        rig.recorder.fillRegister(12, 3);
        if (fault == "corrupt") rig.recorder.faults().corruptRecords = {4};
        if (fault == "stop") rig.recorder.faults().stopUnaskedAfter = 5;
        rig.logIn();
        rig.startDownload();
        QVERIFY(rig.waitIdle());
        const QStringList before = linesOf(rig.w().trm);
        rig.people.clear();
        rig.people.yesNoAnswers.enqueue(yes);
        if (!answered) rig.recorder.faults().silentCodes = {EventRegister::kEraseCode};
        rig.waitFor([&] { return !rig.link().exchangeActive(); }, 40);
        rig.w().ButtonKasuj->click();
        QCOMPARE(rig.people.shown, shown);
        QCOMPARE(rig.received(EventRegister::kEraseCode), yes ? (answered ? 1 : 3) : 0);
        QCOMPARE(rig.recorder.recordCount(), yes && answered ? 0 : 12);
        if (yes) QCOMPARE(rig.recorder.received().constLast().payload, QByteArray("x"));
        // The list is not touched.
        QCOMPARE(linesOf(rig.w().trm), before);
        QCOMPARE(rig.wire.Connected(), answered);
    }
};

QTEST_MAIN(EventsOutputTest)
#include "tst_events_output.moc"

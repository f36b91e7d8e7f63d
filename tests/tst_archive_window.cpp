// The register archive in the window: "Dodaj do archiwum" and "Archiwum" in the event register group, the
// adding (a new archive and its site, the last archive offered first, a register of another recorder,
// files that are no archive, damaged or read-only), the window "Archiwum rejestru" (quick periods, MAX and
// MIN recomputing at once, an excursion brought into the chart's view, the log with its verification, text
// files imported several at once, the layout on a laptop's screen) and the period's report as a PDF read
// back with poppler (its pages, its header, the chart's shading, the sum).

#include "archive/ArchiveAdding.h"
#include "archive/ArchiveWindow.h"
#include "archive/HistoryText.h"
#include "config/ConfigArea.h"
#include "events/EventChart.h"
#include "sim/RecorderData.h"
#include "support/LayoutChecks.h"
#include "tst_events_rig.h"

#include <QCryptographicHash>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace ev;

namespace {
// A stretch of hourly samples at another temperature: day from the first, hours [from, to), tenths. A
// warm stretch starts with the recorder's high alarm ten minutes into it.
struct Stretch {
    int day, from, to, tenths;
};

// Hourly samples at +4,0 from `first` for `days` days, with the stretches.
QVector<ArchiveRecord> hourly(const QDate& first, int days, const QVector<Stretch>& stretches) {
    QVector<ArchiveRecord> out;
    for (int d = 0; d < days; ++d) {
        const QDate date = first.addDays(d);
        for (int h = 0; h < 24; ++h) {
            ArchiveRecord r;
            r.time = TimeKeyOf({date.year(), date.month(), date.day(), h, 0, 0});
            r.code = 4;
            r.tenths = 40;
            for (const Stretch& s : stretches)
                if (s.day == d && h >= s.from && h < s.to) r.tenths = s.tenths;
            out << r;
            for (const Stretch& s : stretches)
                if (s.day == d && h == s.from && s.tenths > 80) {
                    ArchiveRecord alarm = r;
                    alarm.time = TimeKeyOf({date.year(), date.month(), date.day(), h, 10, 0});
                    alarm.code = 11;
                    out << alarm;
                }
        }
    }
    return out;
}

ArchiveSource fileSource(const QVector<ArchiveRecord>& records) {
    ArchiveSource s;
    s.kind = ArchiveSource::Kind::File;
    s.records = records;
    s.fileName = QStringLiteral("zapis.txt");
    s.sha256 = QCryptographicHash::hash("zapis", QCryptographicHash::Sha256);
    return s;
}

// An event text file of these records, the way "Zapisz do pliku" writes one, with extra lines.
QByteArray historyFile(const QVector<ArchiveRecord>& records, const QStringList& extra = {}) {
    QStringList lines;
    for (const ArchiveRecord& r : records) lines << HistoryLineOf(r);
    return EventTextFile((lines + extra).join(QLatin1Char('\n')));
}

// Runs a program to its end: whether it ran and succeeded, what it wrote.
bool run(const QString& program, const QStringList& arguments, QString* out = nullptr) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return false;
    if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
    return true;
}

QStringList columnTexts(QTableWidget* table, int column) {
    QStringList out;
    for (int row = 0; row < table->rowCount(); ++row) out << table->item(row, column)->text();
    return out;
}

struct Rig : EventRig {
    using EventRig::EventRig;
    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }

    // The register of `count` records from `start` downloaded into the list.
    void download(int count, quint32 seed, const QDateTime& start) {
        recorder.setRecords(MakeRegister(count, seed, start));
        if (!link().st.loggedIn) logIn();
        startDownload();
        if (!waitIdle()) qFatal("the download did not end");
        people.clear();
    }
    TFormArchiwum& archiveWindow() {
        w().ButtonArchiwum->click();
        if (!w().FormArchiwum) qFatal("no archive window");
        return *w().FormArchiwum;
    }
    // The archive window on the archive at `path`, through "Otwórz...".
    TFormArchiwum& opened(const QString& path) {
        TFormArchiwum& a = archiveWindow();
        people.fileAnswers.enqueue(path);
        a.ButtonOtworz->click();
        return a;
    }
};
}  // namespace

class ArchiveWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // "Dodaj do archiwum" takes a downloaded register once no download fills the list; "Archiwum" needs
    // no recorder but waits for a download to end too.
    void buttonsOfTheEventGroup() {
        Rig rig(Line::Paced);
        TMain& w = rig.w();
        QCOMPARE(w.ButtonDodajDoArchiwum->text(), QStringLiteral("Dodaj do archiwum"));
        QCOMPARE(w.ButtonArchiwum->text(), QStringLiteral("Archiwum"));
        QVERIFY(!w.ButtonDodajDoArchiwum->isEnabled());
        QVERIFY(w.ButtonArchiwum->isEnabled());
        rig.recorder.fillRegister(40, 3);
        rig.logIn();
        rig.startDownload();
        QVERIFY(rig.waitFor([&] { return rig.reg().gaugePosition() >= 8; }));
        QVERIFY(!w.ButtonDodajDoArchiwum->isEnabled());
        QVERIFY(!w.ButtonArchiwum->isEnabled());
        // A refused click does nothing.
        w.ButtonDodajDoArchiwum->click();
        w.ButtonArchiwum->click();
        QCOMPARE(rig.people.shown, QStringList());
        QVERIFY(!w.FormArchiwum);
        QVERIFY(rig.waitIdle());
        QVERIFY(w.ButtonDodajDoArchiwum->isEnabled());
        QVERIFY(w.ButtonArchiwum->isEnabled());
        w.ButtonArchiwum->click();
        QVERIFY(w.FormArchiwum->isVisible());
        QVERIFY(w.FormArchiwum->ButtonDodaj->isEnabled());
        w.ButtonCLR->click();
        QVERIFY(!w.ButtonDodajDoArchiwum->isEnabled());
        QVERIFY(!w.FormArchiwum->ButtonDodaj->isEnabled());
    }

    // A new archive asks for its site; the same register again adds nothing, the dialog starting on the
    // archive of this run; another recorder's register over the same days is asked about, "Nie" first.
    void addingADownload() {
        Rig rig;
        TMain& w = rig.w();
        const QDateTime start(QDate(2026, 5, 1), QTime(6, 0));
        rig.download(120, 7, start);
        const QString path = rig.file(QStringLiteral("chlodnia.mx4a"));
        rig.people.fileAnswers.enqueue(path);
        rig.people.textAnswers.enqueue(QStringLiteral("Chłodnia 2"));
        w.ButtonDodajDoArchiwum->click();
        QCOMPARE(rig.people.shown, (QStringList{"save: Archiwum MX-4 (*.mx4a)", "text: Obiekt [chlodnia]",
                                                "information: Dodano do archiwum: 120 nowych zdarzeń, 0 już było"}));
        QVERIFY(!rig.people.fileRequests.last().confirmOverwrite);
        {
            const auto archive = RegisterArchive::open(path);
            QCOMPARE(archive->site(), QStringLiteral("Chłodnia 2"));
            QCOMPARE(archive->summary().records, 120);
            QVERIFY2(archive->log().last().describe().contains(
                         QStringLiteral("odebrano 120 z 120 zdarzeń, koniec rejestru; nowych 120")),
                     qPrintable(archive->log().last().describe()));
        }

        rig.people.clear();
        rig.people.fileAnswers.enqueue(path);
        w.ButtonDodajDoArchiwum->click();
        QCOMPARE(rig.people.fileRequests.last().directory, path);
        QCOMPARE(rig.people.messages().last(), QStringLiteral("information: Dodano do archiwum: 0 nowych zdarzeń, 120 już było"));

        rig.download(60, 99, start.addSecs(17));
        const QString question = QStringLiteral("ask (Nie): Rejestr nie ma wspólnych zdarzeń z archiwum „Chłodnia 2”. Dodać mimo to?");
        rig.people.fileAnswers.enqueue(path);
        rig.people.yesNoAnswers.enqueue(false);
        w.ButtonDodajDoArchiwum->click();
        QCOMPARE(rig.people.messages(), (QStringList{"save: Archiwum MX-4 (*.mx4a)", question}));
        QCOMPARE(RegisterArchive::open(path)->summary().records, 120);
        rig.people.clear();
        rig.people.fileAnswers.enqueue(path);
        rig.people.yesNoAnswers.enqueue(true);
        w.ButtonDodajDoArchiwum->click();
        QCOMPARE(rig.people.messages(), (QStringList{"save: Archiwum MX-4 (*.mx4a)", question,
                                                     "information: Dodano do archiwum: 60 nowych zdarzeń, 0 już było"}));
        QCOMPARE(RegisterArchive::open(path)->summary().records, 180);
    }

    // A file that is no archive, a damaged one, a read-only one: each said, nothing written; the
    // read-only one opens in the window for viewing, with adding off.
    void filesThatTakeNothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("said");
        QTest::newRow("no archive") << "text" << "error: To nie jest plik archiwum MX-4";
        QTest::newRow("damaged") << "damaged" << "error: Plik archiwum jest uszkodzony";
        QTest::newRow("read-only") << "read-only" << "error: Archiwum „Magazyn” jest tylko do odczytu: nie dodano";
    }
    void filesThatTakeNothing() {
        QFETCH(QString, kind);
        QFETCH(QString, said);
        Rig rig;
        rig.download(30, 5, QDateTime(QDate(2026, 5, 1), QTime(6, 0)));
        const QString path = rig.file(QStringLiteral("plik.mx4a"));
        if (kind == QLatin1String("read-only")) {
            RegisterArchive::create(path, QStringLiteral("Magazyn"))->add(fileSource(hourly(QDate(2026, 4, 1), 2, {})));
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(kind == QLatin1String("text") ? QByteArray(" Wydruk zdarzeń z dnia :  2026-05-01\r\n")
                                                  : QByteArray("SQLite format 3\0", 16) + QByteArray(2048, '\x5A'));
        }
        const QByteArray before = [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        rig.people.fileAnswers.enqueue(path);
        rig.w().ButtonDodajDoArchiwum->click();
        QCOMPARE(rig.people.messages().last(), said);
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);

        if (kind != QLatin1String("read-only")) return;
        TFormArchiwum& a = rig.opened(path);
        QVERIFY(a.archive() && a.archive()->readOnly());
        QCOMPARE(a.period().figures.samples, 48);
        QVERIFY(a.LabelPlik->text().endsWith(QStringLiteral("(tylko do odczytu)")));
        QVERIFY(!a.ButtonDodaj->isEnabled());
        QVERIFY(!a.ButtonImportuj->isEnabled());
        QVERIFY(!a.EditObiekt->isEnabled());
        QVERIFY(a.ButtonRaportPDF->isEnabled());
    }

    // The window opens with the main window's thresholds and the whole archive; the quick periods end on
    // the newest day; MAX and MIN recompute at once (the records and their sum stay); a period's sum is
    // that of its records; an excursion's row brings it into the chart's view.
    void periodsAndLimits() {
        Rig rig;
        // Sixty days from 2026-10-01, warm (+9,5) 10:00-13:00 every fifth day, cold (+1,0) 03:00-04:00
        // every seventh: twelve and nine excursions against MAX +9, MIN +3.
        QVector<Stretch> stretches;
        for (int d = 0; d < 60; d += 5) stretches << Stretch{d, 10, 13, 95};
        for (int d = 0; d < 60; d += 7) stretches << Stretch{d, 3, 4, 10};
        const QString path = rig.file(QStringLiteral("okresy.mx4a"));
        RegisterArchive::create(path, QStringLiteral("Chłodnia 2"))->add(fileSource(hourly(QDate(2026, 10, 1), 60, stretches)));
        TempSettings t = rig.w().Config->tempSettings();
        t.highCode = 137;
        t.lowCode = 131;
        rig.w().Config->setTempSettings(t);

        TFormArchiwum& a = rig.opened(path);
        QCOMPARE(a.SpinMax->value(), 9);
        QCOMPARE(a.SpinMin->value(), 3);
        QCOMPARE(a.EditOd->date(), QDate(2026, 10, 1));
        QCOMPARE(a.EditDo->date(), QDate(2026, 11, 29));
        QCOMPARE(a.TabelaPrzekroczen->rowCount(), 21);
        QCOMPARE(columnTexts(a.TabelaPrzekroczen, 0).mid(0, 2),
                 (QStringList{"2026-10-01 03:00:00", "2026-10-01 10:00:00"}));
        QCOMPARE(columnTexts(a.TabelaPrzekroczen, 2).at(1), QStringLiteral("3 h 00 min 00 s"));
        QCOMPARE(columnTexts(a.TabelaPrzekroczen, 3).at(1), QStringLiteral("+9,5 °C (powyżej MAX)"));
        QCOMPARE(columnTexts(a.TabelaPrzekroczen, 4).mid(0, 2), (QStringList{"nie", "tak"}));
        const QString whole = a.EditSHA->text();
        QCOMPARE(whole, QString::fromLatin1(
                            QCryptographicHash::hash(CanonicalBytes(a.archive()->records()), QCryptographicHash::Sha256).toHex()));

        // Warm no more above MAX +10, nothing below MIN 0: the summary follows, the sum does not move.
        a.SpinMax->setValue(10);
        QCOMPARE(a.TabelaPrzekroczen->rowCount(), 9);
        QCOMPARE(a.summaryValues.at(8)->text(), QStringLiteral("0 s"));
        a.SpinMin->setValue(0);
        QCOMPARE(a.TabelaPrzekroczen->rowCount(), 0);
        QCOMPARE(a.EditSHA->text(), whole);
        // Typed over the whole field as a user does, taken when Enter ends it.
        a.SpinMax->selectAll();
        QTest::keyClicks(a.SpinMax, QStringLiteral("9"));
        QTest::keyClick(a.SpinMax, Qt::Key_Return);
        QCOMPARE(a.SpinMax->value(), 9);
        QCOMPARE(a.TabelaPrzekroczen->rowCount(), 12);
        QCOMPARE(a.summaryValues.at(8)->text(), QStringLiteral("36 h 00 min 00 s"));

        struct Quick {
            QPushButton* button;
            QDate first;
        };
        for (const Quick& q : {Quick{a.Button7dni, QDate(2026, 11, 23)}, Quick{a.Button30dni, QDate(2026, 10, 31)},
                               Quick{a.ButtonRok, QDate(2025, 11, 30)}, Quick{a.ButtonCalosc, QDate(2026, 10, 1)}}) {
            q.button->click();
            QCOMPARE(a.EditOd->date(), q.first);
            QCOMPARE(a.EditDo->date(), QDate(2026, 11, 29));
        }
        a.Button7dni->click();
        QCOMPARE(a.EditSHA->text(),
                 QString::fromLatin1(QCryptographicHash::hash(CanonicalBytes(a.archive()->records(
                                                                  DayStartKey(QDate(2026, 11, 23)), DayEndKey(QDate(2026, 11, 29)))),
                                                              QCryptographicHash::Sha256)
                                         .toHex()));
        QCOMPARE(a.period().figures.samples, 7 * 24 + 1);  // the alarm of 2026-11-25 carries one
        QCOMPARE(a.TabelaPrzekroczen->rowCount(), 1);      // warm 2026-11-25; cold 2026-11-26 is above MIN 0

        // A row of the table: the chart shows that excursion, with a little room around it.
        a.ButtonCalosc->click();
        const auto [fullFrom, fullTo] = a.Wykres->viewRange();
        Q_EMIT a.TabelaPrzekroczen->cellClicked(3, 0);
        const Excursion& x = a.period().figures.excursions.at(3);
        const auto [from, to] = a.Wykres->viewRange();
        QVERIFY(from <= x.start * 1000 && to >= x.end * 1000);
        QVERIFY2(to - from < 2 * (x.end - x.start) * 1000, qPrintable(QStringLiteral("%1 %2").arg(from).arg(to)));
        QVERIFY(to - from < (fullTo - fullFrom) / 100);
    }

    // The log and its verification; the site renamed is an entry of the log; an edit behind the
    // program's back is found when the window opens the archive again (the archive of this run, after
    // the window closed it).
    void logAndVerification() {
        Rig rig;
        const QString path = rig.file(QStringLiteral("historia.mx4a"));
        RegisterArchive::create(path, QStringLiteral("Sklep"))->add(fileSource(hourly(QDate(2026, 10, 1), 3, {})));
        TFormArchiwum& a = rig.opened(path);
        QCOMPARE(a.Zakladki->tabText(1), QStringLiteral("Historia archiwum"));
        QCOMPARE(a.TabelaHistorii->rowCount(), 2);
        QCOMPARE(a.LabelWeryfikacja->text(), QStringLiteral("Weryfikacja archiwum: Archiwum spójne: 2 wpisów, 72 zdarzeń"));
        a.EditObiekt->setText(QStringLiteral("Sklep nr 3"));
        Q_EMIT a.EditObiekt->editingFinished();
        QCOMPARE(a.TabelaHistorii->rowCount(), 3);
        QCOMPARE(a.TabelaHistorii->item(2, 3)->text(), QStringLiteral("zmiana nazwy obiektu na „Sklep nr 3”"));
        QCOMPARE(a.LabelWeryfikacja->text(), QStringLiteral("Weryfikacja archiwum: Archiwum spójne: 3 wpisów, 72 zdarzeń"));

        a.close();
        QVERIFY(!a.archive());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("INSERT INTO records (time_key, code, tenths, raw, entry) "
                                          "SELECT time_key, code, 95, raw, entry FROM records WHERE id = 30")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("edit"));
        rig.w().ButtonArchiwum->click();
        QCOMPARE(a.archive()->path(), path);
        QVERIFY2(a.LabelWeryfikacja->text().startsWith(QStringLiteral("Weryfikacja archiwum: Archiwum niespójne: wpis nr 2")),
                 qPrintable(a.LabelWeryfikacja->text()));
    }

    // "Nowe..." asks for the site; "Importuj plik historii..." takes several files at once, one import
    // each, and says what each added and skipped.
    void newArchiveAndHistoryFiles() {
        Rig rig;
        TFormArchiwum& a = rig.archiveWindow();
        QVERIFY(!a.archive());
        QVERIFY(!a.ButtonRaportPDF->isEnabled());
        const QString path = rig.file(QStringLiteral("sklep.mx4a"));
        rig.people.fileAnswers.enqueue(path);
        rig.people.textAnswers.enqueue(QStringLiteral("Sklep nr 3"));
        a.ButtonNowe->click();
        QCOMPARE(rig.people.shown, (QStringList{"save: Archiwum MX-4 (*.mx4a)", "text: Obiekt [sklep]"}));
        QVERIFY(a.archive());
        QCOMPARE(a.EditObiekt->text(), QStringLiteral("Sklep nr 3"));
        // No record, no days: nothing to report until the first import.
        QVERIFY(!a.ButtonRaportPDF->isEnabled() && !a.EditOd->isEnabled());
        QVERIFY(a.EditSHA->text().isEmpty());

        const QVector<ArchiveRecord> records = hourly(QDate(2026, 10, 1), 4, {});
        QFile first(rig.file(QStringLiteral("a.txt"))), second(rig.file(QStringLiteral("b.txt")));
        QVERIFY(first.open(QIODevice::WriteOnly) && second.open(QIODevice::WriteOnly));
        first.write(historyFile(records.mid(0, 60)));
        second.write(historyFile(records.mid(30), {QStringLiteral("Notatka: drzwi otwarte")}));
        first.close();
        second.close();
        rig.people.clear();
        rig.people.fileAnswers.enqueue(first.fileName() + QLatin1Char('\n') + second.fileName());
        a.ButtonImportuj->click();
        QCOMPARE(rig.people.messages(),
                 (QStringList{"open: Plik historii MX-4 (*.txt)",
                              "information: a.txt: Dodano do archiwum: 60 nowych zdarzeń, 0 już było\n"
                              "b.txt: Dodano do archiwum: 36 nowych zdarzeń, 30 już było, Pominięto wierszy: 1"}));
        QCOMPARE(a.period().records(), 96);
        QVERIFY(a.ButtonRaportPDF->isEnabled());
        QCOMPARE(a.TabelaHistorii->rowCount(), 3);
        QCOMPARE(a.EditDo->date(), QDate(2026, 10, 4));
    }

    // The report of a long period: as many pages as the excursions need, each with its header and the
    // count of pages, no row cut or repeated, the chart's shading in red and blue, the sum of the period.
    void reportOfALongPeriod() {
        Rig rig;
        QVector<Stretch> stretches;
        for (int d = 0; d < 40; ++d) stretches << Stretch{d, 2, 4, 95} << Stretch{d, 8, 9, 10} << Stretch{d, 14, 16, 99}
                                               << Stretch{d, 20, 21, 5};
        const QString path = rig.file(QStringLiteral("raport.mx4a"));
        RegisterArchive::create(path, QStringLiteral("Chłodnia 2"))->add(fileSource(hourly(QDate(2026, 10, 1), 40, stretches)));
        TFormArchiwum& a = rig.opened(path);
        QCOMPARE(a.period().figures.excursions.size(), 160);
        const QString pdf = rig.file(QStringLiteral("raport.pdf"));
        rig.people.clear();
        rig.people.fileAnswers.enqueue(pdf);
        a.ButtonRaportPDF->click();
        QCOMPARE(rig.people.messages(), (QStringList{"save: Plik PDF (*.pdf)", "information: Zapisano raport PDF"}));
        QCOMPARE(rig.people.fileRequests.last().directory,
                 QDir::home().filePath(QStringLiteral("raport-Chłodnia-2-2026-10-01-2026-11-09.pdf")));

        QString text;
        if (!run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &text))
            QSKIP("pdftotext and pdftoppm (poppler-utils) are needed");
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        const int count = int(pages.size());
        QVERIFY2(count >= 4, qPrintable(QString::number(count)));
        for (int i = 0; i < count; ++i) {
            QVERIFY2(pages.at(i).contains(QStringLiteral("Strona %1 z %2").arg(i + 1).arg(count)), qPrintable(pages.at(i)));
            QVERIFY(pages.at(i).contains(QStringLiteral("Obiekt: Chłodnia 2")));
        }
        // Every excursion on one line of one page, once.
        for (const Excursion& x : a.period().figures.excursions) {
            const QRegularExpression line(QRegularExpression::escape(ClockText(x.start)) + QStringLiteral("\\s+") +
                                          QRegularExpression::escape(ClockText(x.end)) + QStringLiteral("\\s+") +
                                          QRegularExpression::escape(DurationText(x.seconds())));
            QCOMPARE(int(text.count(line)), 1);
        }
        // And each whole within its page's margins: nothing written lower than 15 mm above the edge.
        QString boxes;
        QVERIFY(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, &boxes));
        const QRegularExpression word(QStringLiteral("<word xMin=\"[0-9.]+\" yMin=\"[0-9.]+\" xMax=\"[0-9.]+\" "
                                                     "yMax=\"([0-9.]+)\">([^<]*)</word>"));
        const double lowest = 841.89 - 15 / 25.4 * 72;
        for (auto m = word.globalMatch(boxes); m.hasNext();) {
            const QRegularExpressionMatch w = m.next();
            QVERIFY2(w.captured(1).toDouble() <= lowest + 0.5, qPrintable(w.captured(2) + " at " + w.captured(1)));
        }
        QVERIFY(text.contains(a.period().sha256));
        QVERIFY(text.contains(QStringLiteral("Archiwum spójne: 2 wpisów")));
        QVERIFY(text.contains(QStringLiteral("Sprawdził (data, podpis):")));
        QVERIFY(text.contains(QStringLiteral("plik zapis.txt")));

        // The pages as pictures: as many as the text has; the chart on the first, shaded in both colours.
        QVERIFY(run(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"), pdf, rig.file(QStringLiteral("page"))}));
        const QStringList images = QDir(rig.dir.path()).entryList({QStringLiteral("page-*.png")});
        QCOMPARE(int(images.size()), count);
        const QImage first(rig.file(images.first()));
        int reddish = 0, bluish = 0, curve = 0;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x) {
                const QColor c = first.pixelColor(x, y);
                if (c.red() > 225 && c.green() < 225 && c.blue() < 225 && c.green() > 150) ++reddish;
                if (c.blue() > 225 && c.red() < 225 && c.green() < 235 && c.red() > 150) ++bluish;
                if (c.green() - c.red() > 50 && c.blue() - c.red() > 40) ++curve;  // the curve's teal
            }
        QVERIFY2(reddish > 200 && bluish > 100 && curve > 100,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(reddish).arg(bluish).arg(curve)));
    }

    // On a laptop's screen, whole and readable: nothing overlaps, no caption is cut.
    void fitsALaptopScreen() {
        Rig rig;
        const QString path = rig.file(QStringLiteral("ekran.mx4a"));
        RegisterArchive::create(path, QStringLiteral("Chłodnia 2"))
            ->add(fileSource(hourly(QDate(2026, 10, 1), 10, {{2, 10, 12, 95}, {3, 1, 2, 10}})));
        TFormArchiwum& a = rig.opened(path);
        QVERIFY(QTest::qWaitForWindowExposed(&a));
        QVERIFY(!a.isModal());
        QVERIFY2(a.frameGeometry().width() <= 1366 && a.frameGeometry().height() <= 768 - 40 - 30,
                 qPrintable(QStringLiteral("%1 x %2").arg(a.frameGeometry().width()).arg(a.frameGeometry().height())));
        QVERIFY(a.minimumSizeHint().width() <= 1366 && a.minimumSizeHint().height() <= 768 - 40 - 30);
        QCOMPARE(layout::overlaps(&a), QStringList());
        QCOMPARE(layout::clipped(&a), QStringList());
        if (!qEnvironmentVariableIsEmpty("MX4_SCREENSHOT_DIR"))
            a.grab().save(QDir(qEnvironmentVariable("MX4_SCREENSHOT_DIR")).filePath(QStringLiteral("archive-window.png")));
    }
};

QTEST_MAIN(ArchiveWindowTest)
#include "tst_archive_window.moc"

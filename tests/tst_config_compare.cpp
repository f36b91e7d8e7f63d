// Comparing before writing: the one definition of what differs, the window against the simulated
// recorder (write only what differs, verify it) and against a configuration file.

#include "config/CompareDialog.h"
#include "config/ConfigArea.h"
#include "config/ConfigDiff.h"
#include "config/ConfigFile.h"
#include "config/ConfigItems.h"
#include "config/ConfigTransfer.h"
#include "config/ConfigWidgets.h"
#include "config/Palette.h"
#include "config/ProgressDialog.h"
#include "support/TestFiles.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>

using F = TextField;

namespace {
// Runs `drive` once the comparison dialog is up.
void whenCompared(std::function<void(TFPorownanie*)> drive) {
    auto* poll = new QTimer;
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, [poll, drive] {
        if (auto* d = qobject_cast<TFPorownanie*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            drive(d);
        }
    });
    poll->start();
}

QStringList rowsOf(TFPorownanie* d) {
    QStringList rows;
    for (int r = 0; r < d->TablePorownanie->rowCount(); ++r)
        rows << d->TablePorownanie->item(r, 0)->text() + " | " + d->TablePorownanie->item(r, 1)->text() + " | " +
                    d->TablePorownanie->item(r, 2)->text();
    return rows;
}

// Every control's colour, by name, so a comparison can be shown to leave them alone.
QMap<QString, QColor> coloursOf(ConfigArea* area) {
    QMap<QString, QColor> colours;
    for (QWidget* w : area->findChildren<QWidget*>())
        if (!w->objectName().isEmpty()) colours[w->objectName()] = backgroundOf(w);
    return colours;
}

struct CompareRig : SimRig {
    CompareRig() {
        if (!login() || !waitFor([&] { return w().Icon_get->isEnabled(); }, 40)) qFatal("login failed");
        // Window and recorder agree to begin with.
        w().Icon_get->click();
        if (!waitFor([&] { return !link().exchangeActive(); }, 40)) qFatal("read did not end");
        people.clear();
    }
    QList<quint8> codes() const {
        QList<quint8> out;
        for (const auto& f : recorder.received())
            if (f.code != 253) out << f.code;
        return out;
    }
};

QList<quint8> readCodes(std::initializer_list<int> items) {
    // The read codes of these items.
    QList<quint8> out;
    for (int n : items) out << quint8(2 + 2 * n);
    return out;
}
}  // namespace

class ConfigCompareTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---------------------------------------------------------------- what differs

    void numberFieldsCompareAsTheByteTheRecorderStores() {
        ConfigSide a{ConfigValues::defaults(), std::nullopt, true, {}}, b = a;
        a.values.text(F::Edit_LimitSMS) = "05";
        b.values.text(F::Edit_LimitSMS) = "5";
        a.values.text(F::TempZapisz) = "316";  // 316 & 0xFF == 60
        b.values.text(F::TempZapisz) = "60";
        QCOMPARE(DiffConfig(a, b).size(), 0);
        // A text field is compared as its bytes: a leading zero in a telephone number is a difference.
        a.values.text(F::Edit_Tel2) = "0601";
        b.values.text(F::Edit_Tel2) = "601";
        const QVector<FieldDifference> d = DiffConfig(a, b);
        QCOMPARE(d.size(), 1);
        QCOMPARE(d[0].label, QString("Telefon 2"));
        QCOMPARE(d[0].name, QString("Edit_Tel2"));
        QCOMPARE(d[0].item, 4);
        QCOMPARE(d[0].ours, QString("0601"));
        QCOMPARE(d[0].theirs, QString("601"));
    }

    void everyKindOfFieldHasItsLabelAndItem() {
        ConfigSide a{ConfigValues::defaults(), QStringLiteral("1234"), true, {}}, b = a;
        b.values.matrix[RowIN3][Sms][4] = true;
        b.values.matrix[RowT2][Voice][0] = true;
        b.values.outNC[1] = true;
        b.values.comboOut[3] = 2;
        b.values.temp.highCode = 140;
        b.values.potw = true;
        b.values.text(F::Edit_IN1A) = "Drzwi";
        b.password = QStringLiteral("9999");
        QStringList got;
        for (const FieldDifference& d : DiffConfig(a, b))
            got << QString("%1 (%2, %3): %4 -> %5").arg(d.label, d.name).arg(d.item).arg(d.ours, d.theirs);
        QCOMPARE(got, (QStringList{
                          "Hasło (Edit_haslo, 0): 1234 -> 9999",
                          "IN1 Wejście Załączone (Edit_IN1A, 12):  -> Drzwi",
                          "MAX (Edit_T1Max, 34): +8 -> +12",
                          "SMS IN3 telefon 5 (BoxIN3T5, 23): nie -> tak",
                          "Voice BT telefon 1 (BoxT2S1, 23): nie -> tak",
                          "OUT2 NC (BoxOut2NC, 24): nie -> tak",
                          "OUT4 Temp. steruje (ComboOut4, 24): (brak wyboru) -> T MAX",
                          "Wyślij potwierdzenie (BoxPotw, 24): nie -> tak",
                      }));
        QCOMPARE(ItemsOf(DiffConfig(a, b)), (QVector<int>{12, 23, 24, 34}));
    }

    void fieldsOneSideDoesNotHoldAreLeftOut() {
        ConfigSide window{ConfigValues::defaults(), QStringLiteral("1234"), true, {}};
        ConfigSide recorder = window;
        recorder.password.reset();
        recorder.holdsOperator = false;
        recorder.values.operatorIndex = 3;
        QCOMPARE(DiffConfig(window, recorder).size(), 0);
        // Where both hold them, they count.
        ConfigSide other = window;
        other.values.operatorIndex = 3;
        other.password = QStringLiteral("1111");
        QCOMPARE(DiffConfig(window, other).size(), 2);
        // Every field of the record once, with a name the window knows.
        const QVector<FieldValue> all = DescribeConfig(window);
        QSet<QString> names;
        for (const FieldValue& f : all) names.insert(f.name);
        QCOMPARE(names.size(), all.size());
        QCOMPARE(all.size(), 1 + 1 + kTextFieldCount + 3 + 1 + 128 + 3 * kOutputs + 1);
    }

    // ---------------------------------------------------------------- against the recorder

    void compareThatFindsNothingLeavesTheWindowAlone() {
        CompareRig rig;
        const ConfigValues before = rig.w().Config->values();
        const auto colours = coloursOf(rig.w().Config);
        rig.recorder.clearLog();
        rig.w().Porownaj1->trigger();
        QCOMPARE(rig.people.messages(), QStringList{"information: Konfiguracja w oknie jest taka sama jak w MX-4"});
        QCOMPARE(rig.codes().size(), 41);
        QVERIFY(rig.w().Config->values() == before);
        QCOMPARE(coloursOf(rig.w().Config), colours);
        QCOMPARE(rig.link().activity().current(), Activity::LoggedIn);
    }

    void writeOnlyWhatDiffersAndVerifyIt() {
        CompareRig rig;
        ConfigArea* area = rig.w().Config;
        const QString tel1Before = area->text(F::Edit_Tel1), tel8Before = area->text(F::Edit_Tel8);
        // Two fields changed in the window, one in the recorder.
        area->setText(F::Edit_Tel1, "+48600100200");
        area->findChild<QCheckBox*>("BoxIN3T5")->setChecked(!area->values().matrix[RowIN3][Sms][4]);
        const QString cellNow = area->values().matrix[RowIN3][Sms][4] ? "tak" : "nie";
        const QString cellThen = cellNow == "tak" ? "nie" : "tak";
        rig.recorder.setItem(38, "+48999");
        const ConfigValues window = area->values();
        auto coloursBefore = coloursOf(area);
        QStringList rows;
        whenCompared([&](TFPorownanie* d) {
            rows = rowsOf(d);
            QCOMPARE(d->windowTitle(), QString("Porównanie z MX-4"));
            d->ButtonZapiszZmienione->click();
        });
        rig.recorder.clearLog();
        rig.w().Porownaj1->trigger();
        QCOMPARE(rows, (QStringList{"Telefon 1 | +48600100200 | " + tel1Before, "Telefon 8 | " + tel8Before + " | +48999",
                                    "SMS IN3 telefon 5 | " + cellNow + " | " + cellThen}));
        // Exactly: the compare's 41 reads, then those three items written and read back, in item order.
        QList<quint8> expected;
        for (int n = 1; n <= 41; ++n) expected << quint8(2 + 2 * n);
        expected << 9 << 49 << 79 << readCodes({3, 23, 38});
        QCOMPARE(rig.codes(), expected);
        QCOMPARE(rig.people.messages(), QStringList{"information: Zapisano zmienione pozycje: 3"});
        QVERIFY(area->values() == window);
        QCOMPARE(rig.recorder.item(3), QByteArray("+48600100200"));
        QCOMPARE(rig.recorder.item(38), tel8Before.toLatin1());
        // The written items' controls are synchronised now; nothing else changed colour.
        QCOMPARE(backgroundOf(area->Edit_Tel1), Colour::LightYellow);
        QCOMPARE(backgroundOf(area->Edit_Tel8), Colour::LightYellow);
        auto colours = coloursOf(area);
        const QRegularExpression written("^(Edit_Tel1|Edit_Tel8|Box(IN\\d|T\\d)[TS]\\d)$");
        for (auto* m : {&colours, &coloursBefore})
            for (auto it = m->begin(); it != m->end();) it = written.match(it.key()).hasMatch() ? m->erase(it) : ++it;
        QCOMPARE(colours, coloursBefore);
    }

    void recorderThatKeepsItsOldValueFailsTheVerification() {
        CompareRig rig;
        rig.w().Config->setText(F::Edit_Tel2, "+48111");
        rig.w().Config->setText(F::Edit_T1ok, "Norma wraca, temp. OK");
        rig.recorder.faults().forgetWritesTo = {32};
        QStringList rows;
        whenCompared([&](TFPorownanie* d) {
            rows = rowsOf(d);
            d->ButtonZapiszZmienione->click();
        });
        rig.w().Porownaj1->trigger();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rig.people.messages(), QStringList{"error: Weryfikacja nieudana: Norma"});
        QCOMPARE(rig.recorder.item(4), QByteArray("+48111"));
        // The field the recorder did not take stays marked as changed; the one it took is synchronised.
        QCOMPARE(backgroundOf(rig.w().Config->Edit_T1ok), Colour::Red);
        QCOMPARE(backgroundOf(rig.w().Config->Edit_Tel2), Colour::LightYellow);
    }

    // An answer too short to decode is no value: the compare lists its fields, and after writing them the
    // verification fails while the recorder keeps answering short.
    void undecodableAnswerIsADifferenceAndFailsTheVerification() {
        CompareRig rig;
        rig.recorder.faults().cutReplyTo = {{70, 3}};
        QStringList rows;
        whenCompared([&](TFPorownanie* d) {
            rows = rowsOf(d);
            d->ButtonZapiszZmienione->click();
        });
        rig.w().Porownaj1->trigger();
        QStringList labels;
        for (const QString& row : rows) {
            QVERIFY2(row.endsWith(" | (błędna odpowiedź)"), qPrintable(row));
            labels << row.section(" | ", 0, 0);
        }
        QCOMPARE(labels, (QStringList{fieldCaption(F::TempZapisz), "MAX", "MIN", "Korekta"}));
        QCOMPARE(rig.people.messages(), QStringList{"error: Weryfikacja nieudana: " + fieldCaption(F::TempZapisz) +
                                                    ", MAX, MIN, Korekta"});
    }

    // What goes out is the window as it was when the write began; a field typed into meanwhile stays
    // marked as changed and is no failed verification.
    void editDuringTheWriteStaysMarked() {
        CompareRig rig;
        ConfigArea* area = rig.w().Config;
        area->setText(F::Edit_Tel1, "+48600100200");
        connect(&rig.recorder, &Recorder::frameReceived, area, [&](quint8 code, const QByteArray&) {
            if (code == 9) area->setText(F::Edit_Tel1, "+48600100299");
        });
        whenCompared([&](TFPorownanie* d) { d->ButtonZapiszZmienione->click(); });
        rig.w().Porownaj1->trigger();
        QCOMPARE(rig.people.messages(), QStringList{"information: Zapisano zmienione pozycje: 1"});
        QCOMPARE(rig.recorder.item(3), QByteArray("+48600100200"));
        QCOMPARE(area->text(F::Edit_Tel1), QString("+48600100299"));
        QCOMPARE(backgroundOf(area->Edit_Tel1), Colour::Red);
    }

    void takingTheRecordersValuesIsARead() {
        CompareRig rig;
        rig.recorder.setItem(5, "+48555");
        whenCompared([&](TFPorownanie* d) { d->ButtonWczytaj->click(); });
        rig.recorder.clearLog();
        rig.w().Porownaj1->trigger();
        QCOMPARE(rig.w().Config->text(F::Edit_Tel3), QString("+48555"));
        QCOMPARE(backgroundOf(rig.w().Config->Edit_Tel3), Colour::LightYellow);
        // No second read.
        QCOMPARE(rig.codes().size(), 41);
    }

    // Also where the link keeps quiet: the status-query text (item 39) unanswered ends the compare
    // with the same words, not in silence.
    void recorderFallingSilentDuringTheCompareChangesNothing_data() {
        QTest::addColumn<bool>("statusQueryOnly");
        QTest::newRow("silent after ten frames") << false;
        QTest::newRow("status-query text unanswered") << true;
    }
    void recorderFallingSilentDuringTheCompareChangesNothing() {
        QFETCH(bool, statusQueryOnly);
        CompareRig rig;
        rig.recorder.setItem(5, "+48555");
        const ConfigValues before = rig.w().Config->values();
        const auto colours = coloursOf(rig.w().Config);
        if (statusQueryOnly) rig.recorder.faults().silentCodes = {80};
        else rig.recorder.faults().silentAfterFrames = 10;
        rig.w().Porownaj1->trigger();
        QCOMPARE(rig.people.messages(), QStringList{"error: Brak odpowiedzi z MX-4"});
        QVERIFY(rig.w().Config->values() == before);
        QCOMPARE(coloursOf(rig.w().Config), colours);
        QVERIFY(!rig.w().findChild<TFormProgres*>()->isVisible());
        QCOMPARE(rig.w().Edit_logon->text(), QString("WYLOGOWANY"));
    }

    void compareIsOfferedWhenAReadWouldBe() {
        SimRig rig;
        QVERIFY(!rig.w().Porownaj1->isEnabled());
        QVERIFY(rig.w().PorownajPlik1->isEnabled());
        QVERIFY(rig.login());
        QVERIFY(rig.w().Porownaj1->isEnabled());
        // Refused while another command runs.
        bool usableDuring = true;
        connect(&rig.recorder, &Recorder::frameReceived, rig.w().Config, [&](quint8 code, const QByteArray&) {
            if (code == 10) {
                usableDuring = rig.w().Porownaj1->isEnabled();
                rig.w().Porownaj1->trigger();
                Q_EMIT rig.w().Porownaj1->triggered();
            }
        });
        rig.recorder.clearLog();
        rig.w().Pobierz1->trigger();
        QVERIFY(!usableDuring);
        QCOMPARE(rig.recorder.received().size(), 41);
    }

    // ---------------------------------------------------------------- against a file

    void windowAgainstAFile() {
        SimRig rig;
        QTemporaryDir dir;
        ConfigValues inFile = rig.w().Config->values();
        inFile.text(F::Edit_Tel4) = "+48444";
        inFile.outMono[2] = true;
        const QString path = dir.filePath("other.ncf");
        writeTestFile(path, BuildConfigFile(inFile, QStringLiteral("4321")));
        QStringList rows;
        QString title;
        whenCompared([&](TFPorownanie* d) {
            rows = rowsOf(d);
            title = d->windowTitle();
            QVERIFY(!d->ButtonZapiszZmienione);
            d->ButtonWczytaj->click();
        });
        rig.people.fileAnswers.enqueue(path);
        rig.w().PorownajPlik1->trigger();
        QCOMPARE(title, QString("Porównanie z plikiem"));
        QCOMPARE(rows, (QStringList{"Hasło | 1234 | 4321", "Telefon 4 |  | +48444", "OUT3 M/B | nie | tak"}));
        QCOMPARE(rig.w().Config->text(F::Edit_Tel4), QString("+48444"));
        QCOMPARE(rig.w().Edit_haslo->text(), QString("4321"));
        QVERIFY(rig.people.messages().contains("information: Odczytano plik konfiguracji"));
        QVERIFY(rig.recorder.received().isEmpty());
    }

    void damagedFileIsRefusedAsOnLoading() {
        SimRig rig;
        QTemporaryDir dir;
        QByteArray bytes = BuildConfigFile(rig.w().Config->values(), QStringLiteral("1234"));
        bytes[10] = char(bytes[10] ^ 0x40);
        const QString path = dir.filePath("damaged.ncf");
        writeTestFile(path, bytes);
        bool dialogShown = false;
        whenCompared([&](TFPorownanie* d) {
            dialogShown = true;
            d->close();
        });
        const ConfigValues before = rig.w().Config->values();
        rig.people.fileAnswers.enqueue(path);
        rig.w().PorownajPlik1->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!dialogShown);
        QCOMPARE(rig.people.messages(), (QStringList{"open: Plik konfiguracji MX-4 (*.ncf)",
                                                     "error: Bląd CRC pliku konfiguracji"}));
        QVERIFY(rig.w().Config->values() == before);
        // The same file without damage: nothing differs.
        rig.people.clear();
        writeTestFile(path, BuildConfigFile(before, QStringLiteral("1234")));
        rig.people.fileAnswers.enqueue(path);
        rig.w().PorownajPlik1->trigger();
        QCOMPARE(rig.people.messages().last(), QString("information: Konfiguracja w oknie jest taka sama jak w pliku"));
    }
};

QTEST_MAIN(ConfigCompareTest)
#include "tst_config_compare.moc"

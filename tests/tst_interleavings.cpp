// Interleavings: the real window against the simulated recorder, driven by random sequences of what a
// person can do (every button and menu entry, enabled or not, the dialogs, unplugging the adapter),
// fired at random moments: between ticks, right after a frame went out (inside the waits of a connect,
// a transfer, a download or a firmware update) and while the window is busy. After every step and at
// the end the invariants of the interaction state are checked.
//
// MX4_INTERLEAVINGS sets the number of random sequences (default 1000); MX4_INTERLEAVINGS_SEED the
// first seed. A broken sequence prints its seed and its actions; its seed then goes into kRegressions.

#include "app/ControlTable.h"
#include "app/PortDialogs.h"
#include "config/ConfigArea.h"
#include "config/ConfigFile.h"
#include "config/ProgressDialog.h"
#include "config/ConfigTransfer.h"
#include "config/WorkingBuffer.h"
#include "events/EventRegister.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "maintenance/BootDialog.h"
#include "maintenance/FirmwareImage.h"
#include "maintenance/FirmwareUpdate.h"
#include "maintenance/InfoDialog.h"
#include "maintenance/PasswordDialog.h"
#include "support/ScriptedPeople.h"
#include "support/TestFiles.h"
#include "support/WindowRig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cstdio>
#include <memory>
#include <random>

namespace {
constexpr int kFuzzTickMs = 1;
constexpr int kActionsPerSequence = 14;
constexpr quint64 kSequenceTickCap = 40000;  // far beyond any wait the program has
// A failed wait drops the connection before it returns, with its one-second pause; then a few ticks.
constexpr quint64 kWaitSlackTicks = 10 + 5;

// Seeds that once broke an invariant; they run first, every time.
// 106: the adapter pulled while the login reply was already in: the window logged in on a closed port.
const quint32 kRegressions[] = {44u, 106u};

const QString kWarning = QStringLiteral("NIE WYŁĄCZAJ MX-4 Z ZASILANIA");

// What the person is told, and the answers: file choices drawn from a set of good and bad files.
class FuzzPeople : public ScriptedPeople {
public:
    std::mt19937* rng = nullptr;
    QStringList configFiles, firmwareFiles;
    QString savePath;
    QString openFileName(const FileDialogRequest& r) override {
        ScriptedPeople::openFileName(r);
        const QStringList& from = r.filter.contains(QLatin1String("nfr")) ? firmwareFiles : configFiles;
        const int pick = int((*rng)() % uint(from.size() + 1));
        return pick == from.size() ? QString() : from.at(pick);
    }
    QString saveFileName(const FileDialogRequest& r) override {
        ScriptedPeople::saveFileName(r);
        return (*rng)() % 2 ? savePath : QString();
    }
    // Every question, whichever answer Enter would give, is answered at random.
    bool askYesNo(const QString& t, Preselected preselected) override {
        ScriptedPeople::askYesNo(t, preselected);
        return (*rng)() % 2;
    }
};

bool enabledNow(QObject* o) {
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isEnabled();
    return static_cast<QAction*>(o)->isEnabled();
}

bool allowedMessage(const QString& shown) {
    static const QStringList exact{
        "error: Brak odpowiedzi z MX-4", "error: Błędne hasło", "error: Zly format pliku",
        "error: Bląd CRC pliku konfiguracji", "error: Brak odpowiedzi z MX-4, aktualizacja nieudana",
        "error: Unable to open com port (Error: 2)", "error: Nie zapisano", "error: Port Not Open.",
        "error: Hasło musi składać się z dokładnie 4 cyfr", "information: Wylogowano ze MX-4",
        "information: Odczytano plik konfiguracji", "information: Zapisano plik historii",
        "information: Rejestr zdarzeń skasowany", "information: Ustawiono zegar w MX-4",
        "information: Hasło zmienione", "information: Aktualizacja zakonczona", "warning: " + kWarning,
        "ask (Nie): Czy skasować rejestr zdarzeń ?", "print",
        "ask (Nie): Zmienione pola nie zostały zapisane do MX-4 ani do pliku. Kontynuować?",
        "information: Konfiguracja w oknie jest taka sama jak w MX-4",
        "information: Konfiguracja w oknie jest taka sama jak w pliku",
        // The register into an archive: the file chosen may be one a save left there before.
        "error: To nie jest plik archiwum MX-4", "error: Plik archiwum jest uszkodzony"};
    if (exact.contains(shown) || shown == QLatin1String("beep")) return true;
    for (const char* prefix : {"open: ", "save: ", "error: Port ", "error: Nie można otworzyć pliku",
                               "error: Plik firmware", "information: Zapisano zmienione pozycje: ",
                               "error: Weryfikacja nieudana: ", "ask (Nie): Czy skasować rejestr zdarzeń ?\nUwaga: ",
                               "text: Obiekt ", "information: Dodano do archiwum: ",
                               "ask (Nie): Rejestr nie ma wspólnych zdarzeń z archiwum "})
        if (shown.startsWith(QString::fromUtf8(prefix))) return true;
    return false;
}

class Sequence : public QObject {
public:
    Sequence(quint32 seed, const QTemporaryDir& dir) : seed_(seed), rng_(seed) {
        people.rng = &rng_;
        people.configFiles = {dir.filePath("good.ncf"), dir.filePath("bad.ncf")};
        people.firmwareFiles = {dir.filePath("good.nfr"), dir.filePath("badcrc.nfr")};
        people.savePath = dir.filePath("saved");
        people.onShow = [this](const QString& s) { shown(s); };
        recorder.fillRegister(int(rng_() % 40), seed);
        recorder.setRecordsAfterStop(int(rng_() % 4));
        shuttingDown = false;
        catalog.setPorts({{SimWire::defaultPortName(), QStringLiteral("symulator")}});
        window = std::make_unique<TMain>(AppDeps{&wire, &catalog, &people, kFuzzTickMs});
        Link* link = window->link();
        connect(link, &Link::frameSent, this, [this](const QByteArray& f) { frameSent(f); });
        connect(link, &Link::statusRequested, this, [this] { statusRequested(); });
        connect(link, &Link::waitEnded, this,
                [this](quint8 code, int timeout, quint64 ticks) { waitEnded(code, timeout, ticks); });
        connect(link->timer(), &QTimer::timeout, this, [this] { tick(); });
        if (qEnvironmentVariableIsSet("MX4_INTERLEAVINGS_TRACE")) {
            auto trace = [this](const QString& what) {
                std::printf("  [tick %llu] %s (port %s)\n", (unsigned long long)window->link()->tickCount(), qPrintable(what),
                            wire.Connected() ? "open" : "closed");
            };
            connect(&link->activity(), &ActivityState::changed, this,
                    [trace](Activity a) { trace(QStringLiteral("activity ") + activityName(a)); });
            connect(window->Edit_logon, &QLineEdit::textChanged, this, [trace](const QString& t) { trace(t); });
            connect(window->Edit_status, &QLineEdit::textChanged, this, [trace](const QString& t) { trace(t); });
            connect(link, &Link::frameSent, this,
                    [trace](const QByteArray& f) { trace(QStringLiteral("frame %1").arg(quint8(f.at(1)))); });
            traceShown_ = trace;
        }
        driver_.setSingleShot(true);
        connect(&driver_, &QTimer::timeout, this, [this] { step(); });
    }
    ~Sequence() override {
        driver_.stop();
        people.onShow = nullptr;
        window.reset();
        shuttingDown = false;
    }

    // Runs the sequence to its end; false when an invariant broke.
    bool run() {
        arm();
        const quint64 cap = link().tickCount() + kSequenceTickCap;
        while (!done_ && link().tickCount() < cap) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!done_)
            fail(QStringLiteral("did not come to rest within %1 ticks (exchange %2, download %3, port %4, line %5, modal %6)")
                     .arg(kSequenceTickCap)
                     .arg(link().exchangeActive())
                     .arg(w().eventRegister->downloading())
                     .arg(wire.Connected())
                     .arg(wire.idle())
                     .arg(QApplication::activeModalWidget() ? QApplication::activeModalWidget()->objectName() : "-"));
        else finalChecks();
        return broken.isEmpty();
    }
    int actions() const { return actionsDone_; }
    QStringList broken;
    QStringList log;

private:
    Link& link() { return *window->link(); }
    TMain& w() { return *window; }
    quint32 pick(quint32 n) { return n ? rng_() % n : 0; }
    bool chance(int percent) { return int(pick(100)) < percent; }

    void fail(const QString& what) {
        if (broken.size() < 20)
            broken << QStringLiteral("%1 [%2, after action %3]")
                          .arg(what, QLatin1String(activityName(link().activity().current())))
                          .arg(actionsDone_);
    }

    // ---------------------------------------------------------------- when the next action comes

    void arm() {
        const quint32 how = pick(10);
        if (how < 3) {
            // Right after the k-th frame from now: inside whatever waits for its answer.
            frameCountdown_ = 1 + int(pick(6));
            driver_.start(80 * kFuzzTickMs);  // in case no frame comes
        } else if (how < 4) {
            frameCountdown_ = -1;
            driver_.start(0);
        } else {
            frameCountdown_ = -1;
            driver_.start(int(pick(8)) * kFuzzTickMs);
        }
    }

    void step() {
        frameCountdown_ = -1;
        if (actionsDone_ < kActionsPerSequence) {
            ++actionsDone_;
            // What the last action changed has been applied by now (a port's loss is announced from a
            // queued event, as the driver does).
            checkTable();
            // The next action is armed first: this one may run a whole command, or a modal dialog, and
            // the next one lands inside it.
            arm();
            act();
            return;
        }
        windDown();
    }

    // After the last action: close what is open, plug the adapter back, wait until nothing runs.
    void windDown() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            log << QStringLiteral("end: close %1").arg(modal->objectName());
            if (auto* boot = qobject_cast<TFboot*>(modal); boot && boot->update()->running()) {
                driver_.start(5 * kFuzzTickMs);
                return;
            }
            modal->close();
            driver_.start(0);
            return;
        }
        if (recorder.faults().silent) setSilent(false);
        if (!wire.pluggedIn()) wire.plugIn();
        const bool resting = link().activity().settled() && !link().exchangeActive() &&
                             !w().eventRegister->downloading() && (!wire.Connected() || wire.idle());
        if (!resting || ++restTicks_ < 12) {
            driver_.start(kFuzzTickMs);
            return;
        }
        done_ = true;
    }

    // ---------------------------------------------------------------- what the person does

    void act() {
        if (traceShown_) traceShown_(QStringLiteral("action %1").arg(actionsDone_));
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* boot = qobject_cast<TFboot*>(modal)) return inBootDialog(boot);
        if (auto* password = qobject_cast<TFhaslo_nowe*>(modal)) return inPasswordDialog(password);
        if (modal) {
            if (chance(70)) {
                log << QStringLiteral("close %1").arg(modal->objectName());
                modal->close();
            } else {
                log << "wait";
            }
            return;
        }
        const quint32 r = pick(100);
        if (r < 45) {
            // Something usable, as a person clicks it.
            // Mostly what talks to the recorder, so that sequences get far into a session.
            static const QVector<Control> talking{
                Control::Button_polacz, Control::Button_rozlacz, Control::Icon_get, Control::Icon_put,
                Control::Button_zmiana_hasla, Control::ButtonResetlimit, Control::ButtonZegar,
                Control::ButtonRestart, Control::ButtonFirmware, Control::ButtonPobierz, Control::ButtonSTOP,
                Control::ButtonKasuj, Control::Pobierz1, Control::Zapisz1};
            QVector<Control> usableNow, usableTalking;
            for (Control c : allControls())
                if (enabledNow(w().controlObject(c))) (talking.contains(c) ? usableTalking : usableNow) << c;
            if (!usableTalking.isEmpty() && (usableNow.isEmpty() || chance(70))) usableNow = usableTalking;
            if (usableNow.isEmpty()) return;
            press(usableNow.at(int(pick(uint(usableNow.size())))), false);
        } else if (r < 62) {
            // Any control at all, as a queued click or a shortcut delivers it.
            press(Control(pick(kControlCount)), true);
        } else if (r < 72) {
            // The person does nothing for a while: the next action simply comes later.
            const int ticks = int(pick(30));
            log << QStringLiteral("wait %1").arg(ticks);
            frameCountdown_ = -1;
            driver_.start(ticks * kFuzzTickMs);
        } else if (r < 77) {
            log << "unplug";
            wire.unplug();
        } else if (r < 84) {
            log << "plug in";
            wire.plugIn();
        } else if (r < 88) {
            log << "recorder babbles";
            recorder.babble(int(5 + pick(60)));
        } else if (r < 91) {
            log << "recorder falls silent for a while";
            setSilent(true);
            QTimer::singleShot(int(20 + pick(100)) * kFuzzTickMs, &recorder, [this] { setSilent(false); });
        } else if (r < 95) {
            log << "port list: first entry";
            Q_EMIT w().ComCombo->activated(0);
        } else {
            log << "STOP pressed down";
            Q_EMIT w().ButtonSTOP->pressed();
        }
    }

    void setSilent(bool on) {
        SimFaults f = recorder.faults();
        f.silent = on;
        recorder.setFaults(f);
    }

    void press(Control c, bool raw) {
        QObject* o = w().controlObject(c);
        const bool wasUsable = enabledNow(o);
        log << QStringLiteral("%1 %2%3").arg(raw ? "signal" : "click", controlName(c), wasUsable ? "" : " (off)");
        if (c == Control::ButtonRestart) ++restartPresses_;
        if (auto* b = qobject_cast<QAbstractButton*>(o)) {
            if (raw)
                Q_EMIT b->clicked();
            else
                b->click();
        } else if (auto* a = qobject_cast<QAction*>(o)) {
            if (raw)
                Q_EMIT a->triggered();
            else
                a->trigger();
        } else if (auto* combo = qobject_cast<QComboBox*>(o)) {
            if (combo->count() > 0) Q_EMIT combo->activated(0);
        } else if (auto* edit = qobject_cast<QLineEdit*>(o)) {
            edit->setText(chance(80) ? QStringLiteral("1234") : QStringLiteral("9999"));
        }
    }

    void inBootDialog(TFboot* d) {
        const quint32 r = pick(100);
        if (r < 30) {
            log << "Bootloader: Plik";
            Q_EMIT d->Button1->clicked();
        } else if (r < 60) {
            log << "Bootloader: START";
            Q_EMIT d->ButtonStart->clicked();
        } else if (r < 80) {
            log << "Bootloader: close";
            d->close();
        } else if (r < 88) {
            log << "unplug";
            wire.unplug();
        } else {
            log << "wait";
        }
    }

    void inPasswordDialog(TFhaslo_nowe* d) {
        const quint32 r = pick(100);
        if (r < 45) {
            static const char* const texts[] = {"1234", "1234", "5678", "12", "12a4"};
            const QString text = QLatin1String(texts[pick(5)]);
            log << QStringLiteral("password: Zapisz %1").arg(text);
            d->Edit_haslo_nowe->setText(text);
            Q_EMIT d->Button1->clicked();
        } else if (r < 65) {
            log << "password: Anuluj";
            Q_EMIT d->Button2->clicked();
        } else if (r < 80) {
            log << "password: close";
            d->close();
        } else if (r < 86) {
            log << "unplug";
            wire.unplug();
        } else {
            log << "wait";
        }
    }

    // ---------------------------------------------------------------- invariants

    std::function<void(const QString&)> traceShown_;
    void shown(const QString& s) {
        if (traceShown_) traceShown_(s);
        if (s == QLatin1String("warning: ") + kWarning) ++warnings_;
        if (!allowedMessage(s)) fail(QStringLiteral("unexpected message \"%1\"").arg(s));
    }

    void frameSent(const QByteArray& frame) {
        const quint8 code = quint8(frame.at(1));
        if (frameCountdown_ > 0 && --frameCountdown_ == 0) {
            // The click lands on the next pass of the loop that runs now: inside the wait that follows.
            driver_.start(0);
        }
        Link& l = link();
        if (l.waitDepth() > 1) fail(QStringLiteral("nested waits while sending %1").arg(code));
        if (l.statusPending() && code != Link::kStatusCode && code != EventRegister::kStopCode)
            fail(QStringLiteral("frame %1 sent while the status exchange is on the line").arg(code));
        if (l.waitDepth() == 1 && code != l.awaitedCode() && code != EventRegister::kStopCode)
            fail(QStringLiteral("frame %1 sent while waiting for %2").arg(code).arg(l.awaitedCode()));
        if (code == kRestartCode && ++restartsSent_ > restartPresses_ + warnings_)
            fail(QStringLiteral("restart sent without Restart or START"));
        if (code == kFirmwareBlockCode && warnings_ == 0) fail(QStringLiteral("firmware block without the warning"));
    }

    void statusRequested() {
        Link& l = link();
        if (!l.activity().is(Activity::LoggedIn) || !l.st.loggedIn || l.waitDepth() != 0)
            fail(QStringLiteral("status request outside the logged-in idle state"));
    }

    void tick() {
        const bool info = qobject_cast<TFInfo*>(QApplication::activeModalWidget()) != nullptr;
        infoTicks_.push_back((infoTicks_.empty() ? 0 : infoTicks_.back()) + (info ? 1 : 0));
    }

    void waitEnded(quint8 code, int timeout, quint64 ticks) {
        // Ticks spent under the about box, which can open inside a wait and holds it until closed.
        const size_t end = infoTicks_.size();
        const size_t start = end > ticks ? end - size_t(ticks) : 0;
        const quint64 held = end ? infoTicks_[end - 1] - (start ? infoTicks_[start - 1] : 0) : 0;
        if (ticks > quint64(3 * timeout) + kWaitSlackTicks + held)
            fail(QStringLiteral("the wait for %1 took %2 ticks (time-out %3)").arg(code).arg(ticks).arg(timeout));
    }

    void checkTable() {
        const Situation s = w().situation();
        for (Control c : allControls())
            if (enabledNow(w().controlObject(c)) != usable(c, s))
                fail(QStringLiteral("%1 is %2").arg(controlName(c), usable(c, s) ? "off" : "on"));
    }

    void finalChecks() {
        checkTable();
        TMain& win = w();
        const bool open = wire.Connected();
        if ((win.Edit_status->text() == QStringLiteral("POŁĄCZONY")) != open)
            fail(QStringLiteral("\"%1\" with the port %2").arg(win.Edit_status->text(), open ? "open" : "closed"));
        const bool shownIn = win.Edit_logon->text() == QLatin1String("ZALOGOWANY");
        if (shownIn != link().st.loggedIn) fail(QStringLiteral("\"%1\" disagrees with the login").arg(win.Edit_logon->text()));
        if (shownIn && !open) fail(QStringLiteral("\"ZALOGOWANY\" with the port closed"));
        const Activity settledAs = link().st.loggedIn ? Activity::LoggedIn : Activity::Idle;
        if (link().activity().current() != settledAs) fail(QStringLiteral("activity does not follow the login"));
        if (link().st.loggedIn && !link().st.pollingEnabled) fail(QStringLiteral("logged in and idle without polling"));
        if (win.findChild<TFormProgres*>()->isVisible()) fail(QStringLiteral("progress notice left shown"));
        if (win.FormCom->isVisible()) fail(QStringLiteral("port notice left shown"));
        if (win.configTransfer->running()) fail(QStringLiteral("a transfer still marked running"));
        if (link().st.sending) fail(QStringLiteral("the link still marked sending"));
        // A logged-in window keeps polling: the next status request comes within a second or two.
        if (link().st.loggedIn && open) {
            bool asked = false;
            auto c = connect(&link(), &Link::statusRequested, this, [&] { asked = true; });
            const quint64 until = link().tickCount() + 25;
            while (!asked && link().tickCount() < until) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            disconnect(c);
            if (!asked && link().st.loggedIn && wire.Connected()) fail(QStringLiteral("no status request while logged in"));
        }
    }

    quint32 seed_;
    std::mt19937 rng_;

public:
    FuzzPeople people;
    FixedPortCatalog catalog;
    Recorder recorder;
    SimWire wire{&recorder};
    std::unique_ptr<TMain> window;

private:
    QTimer driver_;
    int frameCountdown_ = -1;
    int actionsDone_ = 0;
    int restTicks_ = 0;
    bool done_ = false;
    int restartPresses_ = 0;
    int restartsSent_ = 0;
    int warnings_ = 0;
    std::vector<quint64> infoTicks_;
};
}  // namespace

class InterleavingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int sequences = 0, actions = 0, brokenCount = 0;

    bool runSeed(quint32 seed) {
        QElapsedTimer clock;
        clock.start();
        Sequence s(seed, dir);
        const qint64 built = clock.elapsed();
        const bool ok = s.run();
        if (qEnvironmentVariableIsSet("MX4_INTERLEAVINGS_VERBOSE"))
            std::printf("seed %u: %s, %lld ms (built in %lld, ended at tick %llu), %d actions: %s\n", seed, ok ? "ok" : "broken",
                        clock.elapsed(), built, (unsigned long long)s.window->link()->tickCount(), s.actions(),
                        qPrintable(s.log.join(" | ")));
        ++sequences;
        actions += s.actions();
        if (!ok) {
            ++brokenCount;
            std::printf("broken sequence, seed %u:\n  %s\n  actions: %s\n", seed, qPrintable(s.broken.join("\n  ")),
                        qPrintable(s.log.join(" | ")));
            std::fflush(stdout);
        }
        return ok;
    }

private Q_SLOTS:
    void initTestCase() {
        writeTestFile(dir.filePath("good.ncf"), BuildConfigFile(ConfigValues::defaults(), QStringLiteral("1234")));
        writeTestFile(dir.filePath("bad.ncf"), QByteArray("not a configuration"));
        QByteArray image = kFirmwareMagic + QByteArray(300, '\x5a');
        image.append(char(XorOf(image)));
        writeTestFile(dir.filePath("good.nfr"), image);
        image.back() = char(image.back() ^ 1);
        writeTestFile(dir.filePath("badcrc.nfr"), image);
    }

    void regressions() {
        for (quint32 seed : kRegressions) QVERIFY2(runSeed(seed), qPrintable(QString::number(seed)));
    }

    // In batches, so that no single test function runs for minutes.
    void randomSequences_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        const int total = qEnvironmentVariableIsSet("MX4_INTERLEAVINGS") ? qEnvironmentVariableIntValue("MX4_INTERLEAVINGS")
                                                                         : 1000;
        const int start = qEnvironmentVariableIntValue("MX4_INTERLEAVINGS_SEED") + 1;
        constexpr int kBatch = 50;
        for (int done = 0; done < total; done += kBatch)
            QTest::addRow("seeds %d..", start + done) << start + done << qMin(kBatch, total - done);
    }
    void randomSequences() {
        QFETCH(int, first);
        QFETCH(int, count);
        const int brokenBefore = brokenCount;
        for (int i = 0; i < count; ++i) runSeed(quint32(first + i));
        QCOMPARE(brokenCount - brokenBefore, 0);
    }

    void cleanupTestCase() {
        std::printf("interleavings: %d sequences, %d actions, %d broken\n", sequences, actions, brokenCount);
        std::fflush(stdout);
    }
};

QTEST_MAIN(InterleavingsTest)
#include "tst_interleavings.moc"

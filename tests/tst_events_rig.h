#pragma once
// What the event register tests share: a window on the simulated recorder with a fixed clock, the lines
// and colours of the event list, and the arrangements of the window's controls.

#include "events/EventDecode.h"
#include "events/EventRegister.h"
#include "link/Link.h"
#include "support/WindowRig.h"

#include <QAction>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

namespace ev {

inline const QDateTime kNow(QDate(2024, 3, 5), QTime(7, 8, 9));

inline QByteArray le16(int v) { return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF); }

enum class Line { Unpaced, Paced };

struct EventRig : SimRig {
    // Paced, a record takes 25 ms on the line at 4800 baud, so the window gets control between records
    // as it does with a real recorder; the tick is then the product's 100 ms. Unpaced, the wire hands
    // over the next record within the dispatch of the one before.
    explicit EventRig(Line line = Line::Unpaced) : SimRig(line == Line::Paced ? Link::kProductTickMs : kTestTickMs) {
        w().eventRegister->setClockSource([] { return kNow; });
        if (line == Line::Paced) {
            SimFaults f = recorder.faults();
            f.paced = true;
            recorder.setFaults(f);
        }
    }
    EventRegister& reg() { return *w().eventRegister; }

    // Connects and logs in, then lets the login reply's dispatch finish.
    void logIn() {
        w().Button_polacz->click();
        if (!link().st.loggedIn) qFatal("login failed");
        runTicks(1);
        people.clear();
    }
    // Clicks POBIERZ once no exchange is under way, so the download starts inside the click.
    void startDownload() {
        waitFor([&] { return !link().exchangeActive(); }, 40);
        w().ButtonPobierz->click();
    }
    bool waitIdle(int ticks = 3000) {
        return waitFor([&] { return !reg().downloading(); }, ticks);
    }
    int received(quint8 code) const { return int(recorder.receivedCodes().count(code)); }
};

inline QStringList linesOf(const QTextEdit* box) {
    QStringList out;
    if (box->document()->isEmpty()) return out;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) out.append(b.text());
    return out;
}

inline QList<QColor> coloursOf(const QTextEdit* box) {
    QList<QColor> out;
    if (box->document()->isEmpty()) return out;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next())
        out.append(b.begin().fragment().charFormat().foreground().color());
    return out;
}

// The lines and colours a download of these records shows, header and end included.
struct Expected {
    QStringList lines;
    QList<QColor> colours;
};
inline Expected expectedDownload(const QVector<QByteArray>& records, int headerSize, bool complete = true) {
    Expected e;
    const RegisterHeader header = *DecodeRegisterHeader(le16(headerSize), kNow);
    for (const QString& l : header.lines) {
        e.lines << l;
        e.colours << EventColour::Black;
    }
    for (const QByteArray& r : records)
        if (const auto line = DecodeEventRecord(r)) {
            e.lines << line->text;
            e.colours << line->colour;
        }
    if (complete) {
        e.colours << e.colours.last();
        e.lines << " Koniec historii";
    }
    return e;
}

enum class Arrangement { Downloading, Stopping, LoggedInIdle, LoggedOutIdle };

// The controls whose state differs from the arrangement, by name; empty when all agree.
inline QStringList wrongControls(TMain& w, Arrangement a) {
    QStringList wrong;
    auto expect = [&](QObject* o, bool enabled) {
        const bool is = qobject_cast<QWidget*>(o) ? static_cast<QWidget*>(o)->isEnabled()
                                                  : static_cast<QAction*>(o)->isEnabled();
        if (is != enabled) wrong << o->objectName() + (enabled ? " off" : " on");
    };
    const QList<QObject*> recorderCommands{w.Button_zmiana_hasla, w.ButtonRestart, w.ButtonResetlimit, w.ButtonZegar,
                                           w.Icon_get, w.Icon_put, w.Pobierz1, w.Zapisz1,
                                           w.ButtonPobierz, w.ButtonKasuj};
    expect(w.Button1, true);
    switch (a) {
    case Arrangement::Downloading:
        for (QObject* o : recorderCommands) expect(o, false);
        for (QObject* o : {(QObject*)w.ButtonKonfig, (QObject*)w.ButtonFirmware, (QObject*)w.ButtonCLR,
                           (QObject*)w.ButtonZapisz})
            expect(o, false);
        expect(w.ButtonSTOP, true);
        expect(w.Edit_haslo, true);
        break;
    case Arrangement::Stopping:
        // Records still come until the recorder confirms: nothing else may talk to it, but what does
        // not talk to it is back.
        for (QObject* o : recorderCommands) expect(o, false);
        for (QObject* o : {(QObject*)w.ButtonFirmware, (QObject*)w.ButtonCLR, (QObject*)w.ButtonZapisz,
                           (QObject*)w.Edit_haslo, (QObject*)w.Button_polacz})
            expect(o, false);
        for (QObject* o : {(QObject*)w.ButtonKonfig, (QObject*)w.ButtonSTOP, (QObject*)w.Button_rozlacz})
            expect(o, true);
        break;
    case Arrangement::LoggedInIdle:
        for (QObject* o : recorderCommands) expect(o, true);
        for (QObject* o : {(QObject*)w.ButtonKonfig, (QObject*)w.ButtonFirmware, (QObject*)w.ButtonCLR,
                           (QObject*)w.ButtonZapisz, (QObject*)w.ButtonSTOP})
            expect(o, true);
        expect(w.Edit_haslo, false);
        expect(w.Button_polacz, false);
        break;
    case Arrangement::LoggedOutIdle:
        for (QObject* o : recorderCommands) expect(o, false);
        expect(w.ButtonSTOP, false);
        for (QObject* o : {(QObject*)w.ButtonKonfig, (QObject*)w.ButtonFirmware, (QObject*)w.ButtonCLR,
                           (QObject*)w.ButtonZapisz, (QObject*)w.Edit_haslo, (QObject*)w.Button_polacz})
            expect(o, true);
        break;
    }
    return wrong;
}

}  // namespace ev

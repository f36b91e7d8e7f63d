// Compare before writing, against the simulator paced at 4800 baud with the product's 100 ms tick: the
// comparison's full read, the write of only the k changed items and their read-back, for k = 1, 3, 41,
// next to the line's own limit for the same bytes plus the fixed pauses.

#include "app/MainWindow.h"
#include "config/CompareDialog.h"
#include "config/ConfigArea.h"
#include "config/ConfigItems.h"
#include "config/ConfigTransfer.h"
#include "link/Link.h"
#include "link/PortCatalog.h"
#include "sim/Recorder.h"
#include "sim/SimWire.h"
#include "support/ScriptedPeople.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {
double wireMs(qint64 bytes) { return double(SimWire::wireTimeNs(bytes)) / 1e6; }

// The recorder's copy of an item made different from the window's.
QByteArray altered(const ConfigItem& item, QByteArray bytes) {
    switch (item.kind) {
    case ItemKind::Text: {
        const int zero = bytes.indexOf('\0');
        const QByteArray text = zero < 0 ? bytes : bytes.left(zero);
        return text.size() < 12 ? text + "1" : text.left(text.size() - 1);
    }
    case ItemKind::Matrix:
    case ItemKind::Options:
    case ItemKind::Temperature:
        bytes[item.kind == ItemKind::Matrix ? 0 : item.kind == ItemKind::Options ? 1 : 3] ^= 0x01;
        return bytes;
    }
    return bytes;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Recorder recorder;
    SimWire wire(&recorder);
    SimFaults faults;
    faults.paced = true;
    recorder.setFaults(faults);
    FixedPortCatalog catalog({{SimWire::defaultPortName(), QStringLiteral("symulator")}});
    ScriptedPeople people;
    TMain window({&wire, &catalog, &people});
    window.Button_polacz->click();
    if (window.Edit_logon->text() != QLatin1String("ZALOGOWANY")) {
        std::printf("login failed: %s\n", qPrintable(people.shown.join(" | ")));
        return 1;
    }
    auto settle = [&] {
        while (window.link()->exchangeActive() || window.link()->st.sending)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    settle();
    window.configTransfer->ReadConfiguration();
    std::printf("compare (41 items read) + write of the k changed items + their read-back; paced 4800 baud, 100 ms tick\n");
    std::printf("limit = wire time of every frame both ways + 3 x 0.5 s + 10 ms after each command\n");
    bool allWithin = true;
    for (int k : {1, 3, 41}) {
        settle();
        // k items differ: the recorder's copies are changed behind the window's back.
        QVector<int> changed;
        for (int i = 0; i < k; ++i) changed << (k == 41 ? i + 1 : 3 + 10 * i);
        for (int n : changed) {
            const ConfigItem& item = configItems()[size_t(n - 1)];
            recorder.setItem(n, altered(item, recorder.item(n)));
        }
        qint64 bytes = 0;
        for (const ConfigItem& item : configItems()) bytes += 5 + 4 + recorder.itemForCode(item.readCode).size();
        const ConfigValues values = window.Config->values();
        for (int n : changed) {
            const ConfigItem& item = configItems()[size_t(n - 1)];
            const qint64 payload = EncodeItem(item, values).size();
            bytes += (4 + payload + 4) + (5 + 4 + payload);
        }
        const double limit = wireMs(bytes) + 3 * 500.0 + 10.0 * (41 + 2 * k);
        QTimer answer;
        answer.setInterval(1);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<TFPorownanie*>(QApplication::activeModalWidget())) {
                answer.stop();
                d->ButtonZapiszZmienione->click();
            }
        });
        answer.start();
        people.clear();
        QElapsedTimer wall;
        wall.start();
        window.Porownaj1->trigger();
        const double ms = double(wall.nsecsElapsed()) / 1e6;
        const bool ok = people.shown == QStringList{QStringLiteral("information: Zapisano zmienione pozycje: %1").arg(k)};
        allWithin = allWithin && ok && ms <= 1.05 * limit;
        std::printf("k = %2d: %8.0f ms   limit %8.0f ms   %.3f x the limit   %s\n", k, ms, limit, ms / limit,
                    ok ? "verified" : qPrintable(people.shown.join(" | ")));
    }
    std::printf("%s\n", allWithin ? "every run within 1.05 x the limit" : "NOT every run within 1.05 x the limit");
    return 0;
}

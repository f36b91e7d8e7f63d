#pragma once
// Looks the system's serial ports up off the user-interface thread and hands the list back on it.
//
// A look-up through QSerialPortInfo walks the system's device tables (udev and /sys on Linux) and takes
// tens of milliseconds, too long for the thread that paints the window and receives the recorder's
// bytes. It runs on a thread of the global pool; one at a time, and a request while one runs is dropped
// (the next second asks again).

#include "link/PortCatalog.h"

#include <QFutureWatcher>
#include <QObject>

class PortWatcher : public QObject {
    Q_OBJECT
public:
    // `catalog` outlives the watcher.
    explicit PortWatcher(const PortCatalog* catalog, QObject* parent = nullptr);
    // Waits for a look-up under way: it reads the catalog.
    ~PortWatcher() override;

    // Starts a look-up unless one is under way (false then); listed() brings its result.
    bool lookUp();
    bool busy() const { return future_.isRunning(); }

Q_SIGNALS:
    void listed(const QVector<PortEntry>& ports);

private:
    const PortCatalog* catalog_;
    QFutureWatcher<QVector<PortEntry>> future_;
};

#include "link/PortWatcher.h"

#include <QtConcurrent/QtConcurrentRun>

PortWatcher::PortWatcher(const PortCatalog* catalog, QObject* parent) : QObject(parent), catalog_(catalog) {
    connect(&future_, &QFutureWatcher<QVector<PortEntry>>::finished, this, [this] {
        if (future_.future().isValid() && future_.future().resultCount() > 0) Q_EMIT listed(future_.result());
    });
}

PortWatcher::~PortWatcher() { future_.waitForFinished(); }

bool PortWatcher::lookUp() {
    if (future_.isRunning()) return false;
    const PortCatalog* catalog = catalog_;
    future_.setFuture(QtConcurrent::run([catalog] { return catalog->listPorts(); }));
    return true;
}

// The configuration subsystem in the window: transfer, files and the replies that carry items.

#include "app/MainWindow.h"

void TMain::wireConfig() {}

void TMain::configReply(quint8 code, const QByteArray& payload) {
    Q_UNUSED(code);
    Q_UNUSED(payload);
}

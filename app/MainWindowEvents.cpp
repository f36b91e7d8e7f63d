// The event register in the window: download, save, print, clear and erase.

#include "app/MainWindow.h"

void TMain::wireEvents() {}

void TMain::eventReply(quint8 code, const QByteArray& payload) {
    Q_UNUSED(code);
    Q_UNUSED(payload);
}

#include "maintenance/DialogSupport.h"

void centreDialogOn(QWidget* dialog, QWidget* parent) {
    dialog->adjustSize();
    if (!parent) return;
    dialog->move(parent->frameGeometry().center() - dialog->rect().center());
}

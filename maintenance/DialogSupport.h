#pragma once
// Small helpers the maintenance dialogs share.

#include <QWidget>

// Places `dialog` over the middle of `parent` at its preferred size.
void centreDialogOn(QWidget* dialog, QWidget* parent);
// A dialog frame with a title and only the system close button.
constexpr Qt::WindowFlags kCloseOnlyDialog =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Sets a flag for the life of a scope, however the scope ends.
struct BusyScope {
    bool& flag;
    explicit BusyScope(bool& f) : flag(f) { flag = true; }
    ~BusyScope() { flag = false; }
};

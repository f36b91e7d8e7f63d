#pragma once
// Exceptions never cross Qt's event loop: every entry point from the event loop runs inside guarded(),
// which hands anything thrown to the application's error hook.

#include "link/Errors.h"

#include <functional>

using ErrorHook = std::function<void(const AppError&)>;

// Set once at start-up by the main window; without a hook errors are written to the debug output.
void setErrorHook(ErrorHook hook);
void reportError(const AppError& error);

// Set when the main window closes; every wait ends when it is set.
extern bool shuttingDown;

template <class F>
void guarded(F&& f) {
    try {
        f();
    } catch (const AppError& e) {
        reportError(e);
    } catch (const std::exception& e) {
        reportError(AppError(QString::fromUtf8(e.what())));
    } catch (...) {
        reportError(AppError(QStringLiteral("Nieznany błąd")));
    }
}

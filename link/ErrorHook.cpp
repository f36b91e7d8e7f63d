#include "link/ErrorHook.h"

#include <QDebug>

bool shuttingDown = false;

static ErrorHook& hook() {
    static ErrorHook h;
    return h;
}

void setErrorHook(ErrorHook h) { hook() = std::move(h); }

void reportError(const AppError& error) {
    if (hook()) {
        // The hook shows a box; an error thrown from inside it must not escape either.
        try {
            hook()(error);
        } catch (...) {
            qWarning() << "error hook failed while reporting" << error.message();
        }
    } else {
        qWarning() << "error:" << error.message();
    }
}

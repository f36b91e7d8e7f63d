#include "config/FieldRules.h"

#include "config/Defaults.h"
#include "link/ErrorHook.h"
#include "link/Text.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

bool charAllowed(CharSet set, QChar c) {
    const ushort u = c.unicode();
    switch (set) {
    case CharSet::Digits:
        return u == 13 || u == 8 || (u >= '0' && u <= '9');
    case CharSet::Telephone:
        return u == 13 || u == 8 || u == '+' || (u >= '0' && u <= '9');
    case CharSet::NoSpace:
        return u != ' ' && isCp1250(c);
    case CharSet::Free:
        return isCp1250(c);
    }
    return false;
}

namespace {
class KeyFilter : public QObject {
public:
    KeyFilter(QObject* parent, CharSet set) : QObject(parent), set_(set) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
        // Only characters that would be typed are judged. Keys that type none deliver no text, or a
        // control character: Delete arrives as U+007F, Ctrl+C/V/X/A/Z as U+0003, U+0016, ... A shortcut
        // with Ctrl types nothing whatever text it carries; Ctrl+Alt is AltGr, which types letters.
        const auto mods = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        if (mods == Qt::ControlModifier) return false;
        for (QChar c : key->text())
            if (c.isPrint() && !charAllowed(set_, c)) return true;
        return false;
    }

private:
    CharSet set_;
};

class FocusRule : public QObject {
public:
    FocusRule(QObject* parent, QEvent::Type type, std::function<void()> rule)
        : QObject(parent), type_(type), rule_(std::move(rule)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != type_) return false;
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
        guarded(rule_);
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> rule_;
};
}  // namespace

void installKeyFilter(QWidget* field, CharSet set) { field->installEventFilter(new KeyFilter(field, set)); }

void onFocusEnter(QWidget* widget, std::function<void()> rule) {
    widget->installEventFilter(new FocusRule(widget, QEvent::FocusIn, std::move(rule)));
}

void onFocusExit(QWidget* widget, std::function<void()> rule) {
    widget->installEventFilter(new FocusRule(widget, QEvent::FocusOut, std::move(rule)));
}

QString pinAfterExit(const QString& text) { return text.size() < 4 ? kDefaultPin : text; }

QString limitAfterExit(const QString& text) { return text.isEmpty() ? QStringLiteral("0") : text; }

QString periodAfterExit(const QString& text) {
    const QString t = text.isEmpty() ? QStringLiteral("1") : text;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, 10);
    return ok && v == 0 ? QStringLiteral("1") : t;
}

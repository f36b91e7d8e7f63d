#include "config/Spoken.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVariant>

namespace {
const char* const kHint = "mx4Hint";
const char* const kWords = "mx4ColourWords";
const char* const kOtherwise = "mx4OtherWords";
const char* const kSaid = "mx4SaidWords";
const char* const kEmptyName = "mx4EmptyName";
const char* const kContext = "mx4NameContext";

void updateDescription(QWidget* w) {
    const QString hint = w->property(kHint).toString();
    const QString words = w->property(kSaid).toString();
    QString text = hint;
    if (!words.isEmpty()) text = text.isEmpty() ? words : text + QStringLiteral("; ") + words;
    if (w->accessibleDescription() == text) return;
    w->setAccessibleDescription(text);
    QAccessibleEvent event(w, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void rename(QWidget* w, const QString& name) {
    if (w->accessibleName() == name) return;
    w->setAccessibleName(name);
    QAccessibleEvent event(w, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

QString gaugeValue(const QProgressBar* gauge) {
    if (gauge->isTextVisible() && gauge->maximum() > gauge->minimum()) return gauge->text();
    return QStringLiteral("%1 z %2").arg(gauge->value() < gauge->minimum() ? gauge->minimum() : gauge->value())
        .arg(gauge->maximum());
}
}  // namespace

void describe(QWidget* widget, const QString& hint) {
    widget->setProperty(kHint, hint);
    updateDescription(widget);
}

void setColourWords(QWidget* widget, std::initializer_list<ColourWord> words, const QString& otherwise) {
    QVariantList list;
    for (const ColourWord& w : words) list << w.first << w.second;
    widget->setProperty(kWords, list);
    widget->setProperty(kOtherwise, otherwise);
    if (!widget->property(kHint).isValid()) widget->setProperty(kHint, widget->accessibleDescription());
    const QVariant painted = widget->property("mx4Background");
    if (painted.isValid()) sayColour(widget, painted.value<QColor>());
    else updateDescription(widget);
}

void sayColour(QWidget* widget, const QColor& colour) {
    const QVariant v = widget->property(kWords);
    if (!v.isValid()) return;
    const QVariantList list = v.toList();
    QString said = widget->property(kOtherwise).toString();
    for (int i = 0; i + 1 < list.size(); i += 2)
        if (list[i].value<QColor>() == colour) {
            said = list[i + 1].toString();
            break;
        }
    widget->setProperty(kSaid, said);
    updateDescription(widget);
}

void nameAfterValue(QLineEdit* field, const QString& caption) {
    auto update = [field, caption] {
        rename(field, field->text().isEmpty() ? caption : caption + QStringLiteral(": ") + field->text());
    };
    QObject::connect(field, &QLineEdit::textChanged, field, update);
    update();
}

void nameAfterValue(QProgressBar* gauge, const QString& caption) {
    auto update = [gauge, caption] {
        rename(gauge, caption + QStringLiteral(": ") + gaugeValue(gauge));
        QAccessibleValueChangeEvent event(gauge, gauge->value());
        QAccessible::updateAccessibility(&event);
    };
    QObject::connect(gauge, &QProgressBar::valueChanged, gauge, update);
    update();
}

void nameAfterValue(QLabel* label, const QString& whenEmpty, const QString& context) {
    label->setProperty(kEmptyName, whenEmpty);
    label->setProperty(kContext, context);
    showValue(label, label->text());
}

void showValue(QLabel* label, const QString& text) {
    label->setText(text);
    const QString context = label->property(kContext).toString();
    if (text.isEmpty()) rename(label, label->property(kEmptyName).toString());
    else rename(label, context.isEmpty() ? text : text + QStringLiteral(", ") + context);
}

#pragma once
// Layout checks on a shown window: controls that overlap, captions and fields too narrow for their text.

#include "config/ConfigWidgets.h"
#include "config/FieldRules.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QStringList>
#include <QToolButton>
#include <QWidget>

namespace layout {
// Visible siblings whose rectangles intersect, among the direct children of each container.
inline QStringList overlaps(QWidget* root) {
    QStringList found;
    QList<QWidget*> containers = root->findChildren<QWidget*>();
    containers.prepend(root);
    for (QWidget* parent : containers) {
        QList<QWidget*> kids;
        for (QObject* o : parent->children())
            if (auto* k = qobject_cast<QWidget*>(o); k && k->isVisible() && !k->isWindow()) kids.append(k);
        for (int i = 0; i < kids.size(); ++i)
            for (int j = i + 1; j < kids.size(); ++j)
                if (kids[i]->geometry().intersects(kids[j]->geometry()))
                    found.append(kids[i]->objectName() + "/" + kids[j]->objectName() + " in " + parent->objectName());
    }
    return found;
}

// Captions wider than the room they were given, and fields narrower than their typing limit needs.
inline QStringList clipped(QWidget* root) {
    QStringList found;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || b->text().isEmpty() || qobject_cast<QToolButton*>(b)) continue;
        const int indicator = qobject_cast<QCheckBox*>(b) ? 20 : 4;
        if (b->fontMetrics().horizontalAdvance(b->text()) > b->width() - indicator) found.append(b->objectName());
    }
    for (QLabel* l : root->findChildren<QLabel*>()) {
        // A label that wraps its words is as wide as it is given.
        if (!l->isVisible() || l->text().isEmpty() || l->wordWrap()) continue;
        if (l->fontMetrics().horizontalAdvance(l->text()) > l->width()) found.append(l->text());
    }
    for (ConfigEdit* e : root->findChildren<ConfigEdit*>()) {
        if (!e->isVisible() || e->typingLimit() > 15) continue;  // the 30-character texts scroll
        const bool numeric = e->charSet() == CharSet::Digits || e->charSet() == CharSet::Telephone;
        const QString full(e->typingLimit(), QLatin1Char(numeric ? '8' : 'W'));
        if (e->fontMetrics().horizontalAdvance(full) > e->width() - 6) found.append(e->objectName());
    }
    return found;
}

}  // namespace layout

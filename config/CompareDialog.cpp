#include "config/CompareDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFPorownanie::TFPorownanie(QWidget* parent, const QString& title, const QString& otherSide,
                           const QVector<FieldDifference>& rows, const QString& writeCaption,
                           const QString& loadCaption)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TFPorownanie"));
    setWindowTitle(title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    TablePorownanie = new QTableWidget(int(rows.size()), 3, this);
    TablePorownanie->setObjectName(QStringLiteral("TablePorownanie"));
    TablePorownanie->setAccessibleName(title);
    TablePorownanie->setHorizontalHeaderLabels({QStringLiteral("Pole"), QStringLiteral("W oknie"), otherSide});
    TablePorownanie->verticalHeader()->hide();
    TablePorownanie->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TablePorownanie->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int r = 0; r < rows.size(); ++r) {
        const FieldDifference& d = rows.at(r);
        int c = 0;
        for (const QString& text : {d.label, d.ours, d.theirs}) {
            auto* cell = new QTableWidgetItem(text);
            cell->setToolTip(d.name);
            TablePorownanie->setItem(r, c++, cell);
        }
    }
    TablePorownanie->resizeColumnsToContents();
    TablePorownanie->horizontalHeader()->setStretchLastSection(true);
    TablePorownanie->setMinimumSize(560, 240);
    layout->addWidget(TablePorownanie, 1);

    auto* buttons = new QHBoxLayout;
    auto add = [&](const QString& caption, const char* name, int choice) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, choice] { done(choice); });
        buttons->addWidget(b);
        return b;
    };
    if (!writeCaption.isEmpty()) ButtonZapiszZmienione = add(writeCaption, "ButtonZapiszZmienione", WriteChanged);
    ButtonWczytaj = add(loadCaption, "ButtonWczytaj", Load);
    buttons->addStretch(1);
    ButtonZamknij = add(QStringLiteral("Zamknij"), "ButtonZamknij", Close);
    layout->addLayout(buttons);
    if (parent) move(parent->geometry().center() - rect().center());
}

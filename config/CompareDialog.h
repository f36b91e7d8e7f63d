#pragma once
// "Porównanie z MX-4" and "Porównanie z plikiem": the fields where the window and the other side
// differ, one row each, and what to do about them.

#include "config/ConfigDiff.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

class TFPorownanie : public QDialog {
    Q_OBJECT
public:
    enum Choice { Close = 0, WriteChanged = 1, Load = 2 };

    // `otherSide` heads the third column ("W MX-4", "W pliku"); `writeCaption` is empty when nothing can
    // be written back, `loadCaption` names the button that takes the other side's values.
    TFPorownanie(QWidget* parent, const QString& title, const QString& otherSide,
                 const QVector<FieldDifference>& rows, const QString& writeCaption, const QString& loadCaption);

    QTableWidget* TablePorownanie = nullptr;
    QPushButton* ButtonZapiszZmienione = nullptr;  // null when there is nothing to write to
    QPushButton* ButtonWczytaj = nullptr;
    QPushButton* ButtonZamknij = nullptr;
};

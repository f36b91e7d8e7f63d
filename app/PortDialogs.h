#pragma once
// The notice shown while a port opens, and the modeless list of the system's serial ports.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Trwa otwieranie portu COM": empty caption, no system buttons.
class TFormCom : public QDialog {
    Q_OBJECT
public:
    explicit TFormCom(QWidget* parent);
    // Shows the notice centred on its parent without blocking it.
    void showNotice();
    QLabel* Label1 = nullptr;
};

// "Porty COM": port names beside the system's device names, and "Odświerz".
class TFormJakieCOM : public QDialog {
    Q_OBJECT
public:
    explicit TFormJakieCOM(QWidget* parent);
    void showBeside();
    QPlainTextEdit* PortyCom = nullptr;
    QPlainTextEdit* DevCom = nullptr;
    QPushButton* Button1 = nullptr;  // "Odświerz"
};

void centreOn(QWidget* dialog, QWidget* parent);

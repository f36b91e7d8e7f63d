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

// "Porty COM": port names beside the system's devices and what the search found on each port;
// "Odświerz", "Szukaj MX-4" and "Przerwij". Closed with its close box or Esc.
class TFormJakieCOM : public QDialog {
    Q_OBJECT
public:
    explicit TFormJakieCOM(QWidget* parent);
    void showBeside();
    // One line per port in each memo.
    void showPorts(const QStringList& names, const QStringList& devices, const QStringList& verdicts);
    QPlainTextEdit* PortyCom = nullptr;
    QPlainTextEdit* DevCom = nullptr;
    QPlainTextEdit* WynikCom = nullptr;  // the search's verdicts
    QPushButton* Button1 = nullptr;  // "Odświerz"
    QPushButton* ButtonSzukaj = nullptr;
    QPushButton* ButtonPrzerwij = nullptr;
};

void centreOn(QWidget* dialog, QWidget* parent);

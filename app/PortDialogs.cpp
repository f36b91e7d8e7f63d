#include "app/PortDialogs.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

void centreOn(QWidget* dialog, QWidget* parent) {
    dialog->adjustSize();
    if (!parent) return;
    const QRect frame = parent->frameGeometry();
    dialog->move(frame.center() - dialog->rect().center());
}

TFormCom::TFormCom(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TFormCom"));
    setWindowTitle(QString());
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Trwa otwieranie portu COM"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(Label1);
}

void TFormCom::showNotice() {
    centreOn(this, parentWidget());
    show();
    raise();
}

TFormJakieCOM::TFormJakieCOM(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFormJakieCOM"));
    setWindowTitle(QStringLiteral("Porty COM"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Dostępne porty COM w systemie"), this);
    layout->addWidget(title);
    auto* memos = new QHBoxLayout;
    PortyCom = new QPlainTextEdit(this);
    PortyCom->setObjectName(QStringLiteral("PortyCom"));
    PortyCom->setAccessibleName(QStringLiteral("Nazwy portów COM"));
    DevCom = new QPlainTextEdit(this);
    DevCom->setObjectName(QStringLiteral("DevCom"));
    DevCom->setAccessibleName(QStringLiteral("Urządzenia portów COM"));
    WynikCom = new QPlainTextEdit(this);
    WynikCom->setObjectName(QStringLiteral("WynikCom"));
    WynikCom->setAccessibleName(QStringLiteral("Wynik szukania MX-4"));
    for (QPlainTextEdit* memo : {PortyCom, DevCom, WynikCom}) {
        memo->setReadOnly(true);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setMinimumSize(140, 120);
        memos->addWidget(memo);
    }
    // The device with what the system knows of it is the long column; names and verdicts are short.
    const QFontMetrics metrics(font());
    PortyCom->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("MX-4 (symulator)")) + 24);
    PortyCom->setMaximumWidth(PortyCom->minimumWidth() + 20);
    WynikCom->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("błąd portu (Error: 16)")) + 24);
    WynikCom->setMaximumWidth(WynikCom->minimumWidth() + 20);
    DevCom->setMinimumWidth(360);
    memos->setStretchFactor(DevCom, 1);
    layout->addLayout(memos);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Odświerz"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    ButtonSzukaj = new QPushButton(QStringLiteral("Szukaj MX-4"), this);
    ButtonSzukaj->setObjectName(QStringLiteral("ButtonSzukaj"));
    ButtonSzukaj->setToolTip(QStringLiteral("Sprawdza po kolei porty i pyta o MX-4 hasłem z pola HASŁO"));
    ButtonPrzerwij = new QPushButton(QStringLiteral("Przerwij"), this);
    ButtonPrzerwij->setObjectName(QStringLiteral("ButtonPrzerwij"));
    for (QPushButton* b : {Button1, ButtonSzukaj, ButtonPrzerwij}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
}

void TFormJakieCOM::showBeside() {
    if (!isVisible()) centreOn(this, parentWidget());
    show();
    raise();
    // The keys go to the dialog at once: Esc closes it.
    activateWindow();
}

void TFormJakieCOM::showPorts(const QStringList& names, const QStringList& devices, const QStringList& verdicts) {
    PortyCom->clear();
    DevCom->clear();
    WynikCom->clear();
    for (int i = 0; i < names.size(); ++i) {
        PortyCom->appendPlainText(names.at(i));
        DevCom->appendPlainText(devices.value(i));
        WynikCom->appendPlainText(verdicts.value(i));
    }
}

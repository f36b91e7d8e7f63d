#include "app/PortDialogs.h"

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
    for (QPlainTextEdit* memo : {PortyCom, DevCom}) {
        memo->setReadOnly(true);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setMinimumSize(140, 120);
        memos->addWidget(memo);
    }
    DevCom->setMinimumWidth(220);
    layout->addLayout(memos);
    Button1 = new QPushButton(QStringLiteral("Odświerz"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    layout->addWidget(Button1);
}

void TFormJakieCOM::showBeside() {
    if (!isVisible()) centreOn(this, parentWidget());
    show();
    raise();
}

#include "maintenance/InfoDialog.h"

#include "maintenance/DialogSupport.h"
#include "ProgramVersion.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFInfo::TFInfo(QWidget* parent)
    : QDialog(parent, kCloseOnlyDialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("TFInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    Label1 = new QLabel(QStringLiteral("Konfigurator MX-4 v" MX4_SHOWN_VERSION), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label1);

    LabelSerwis = new QLabel(this);
    LabelSerwis->setObjectName(QStringLiteral("LabelSerwis"));
    LabelSerwis->setTextFormat(Qt::PlainText);
    LabelSerwis->setText(QStringLiteral("Serwis:\n"
                                        "Termoserwis Sp. z o.o.\n"
                                        "ul. Kwiatowa 15\n"
                                        "00-950 Warszawa\n"
                                        "tel. +48 22 100 20 30, +48 600 100 200\n"
                                        "e-mail: serwis@termoserwis.example"));
    layout->addWidget(LabelSerwis);

    LabelProducent = new QLabel(QStringLiteral("Producent: www.termoserwis.example"), this);
    LabelProducent->setObjectName(QStringLiteral("LabelProducent"));
    LabelProducent->setTextFormat(Qt::PlainText);
    LabelProducent->setTextInteractionFlags(Qt::NoTextInteraction);
    layout->addWidget(LabelProducent);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(Button1);
    connect(Button1, &QPushButton::clicked, this, &TFInfo::Button1Click);

    layout->setSizeConstraint(QLayout::SetFixedSize);
    centreDialogOn(this, parent);
}

#include "config/ConfigArea.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

ConfigArea::ConfigArea(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto box = [&](QGroupBox*& member, const char* name, const QString& caption) {
        member = new QGroupBox(caption, this);
        member->setObjectName(QLatin1String(name));
        layout->addWidget(member);
    };
    box(BoxTelefony, "BoxTelefony", QStringLiteral("Numery telefonów"));
    box(Boxwejscia, "Boxwejscia", QStringLiteral("Wejścia"));
    box(BoxOpcjeWejsc, "BoxOpcjeWejsc", QStringLiteral("Opcje wejść"));
    box(BoxOpcjeWyjsc, "BoxOpcjeWyjsc", QStringLiteral("Opcje wyjść"));
    box(BoxCzujnik, "BoxCzujnik", QStringLiteral("Czujnik temperatury"));
    auto* row = new QVBoxLayout(BoxTelefony);
    LabelSMS = new QLabel(QStringLiteral("0 z"), BoxTelefony);
    LabelSMS->setObjectName(QStringLiteral("LabelSMS"));
    LabelVoice = new QLabel(QStringLiteral("0 z"), BoxTelefony);
    LabelVoice->setObjectName(QStringLiteral("LabelVoice"));
    row->addWidget(LabelSMS);
    row->addWidget(LabelVoice);
}

void ConfigArea::setBoxesVisible(bool visible) {
    for (QGroupBox* b : {BoxTelefony, Boxwejscia, BoxOpcjeWejsc, BoxOpcjeWyjsc, BoxCzujnik}) b->setVisible(visible);
    setVisible(visible);
}

bool ConfigArea::boxesVisible() const { return !isHidden() && !BoxTelefony->isHidden(); }

#include "config/ProgressDialog.h"

#include "config/Spoken.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TFormProgres::TFormProgres(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TFormProgres"));
    setModal(false);
    auto* outer = new QVBoxLayout(this);
    Panel_bar = new QFrame(this);
    Panel_bar->setObjectName(QStringLiteral("Panel_bar"));
    Panel_bar->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(Panel_bar);
    Label_Bar = new QLabel(Panel_bar);
    Label_Bar->setObjectName(QStringLiteral("Label_Bar"));
    Label_Bar->setAlignment(Qt::AlignCenter);
    nameAfterValue(Label_Bar, QStringLiteral("Przesyłanie konfiguracji"));
    Bar = new QProgressBar(Panel_bar);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setRange(0, 100);
    nameAfterValue(Bar, QStringLiteral("Postęp przesyłania konfiguracji"));
    Bar->setMinimumWidth(300);
    QPalette p = Bar->palette();
    p.setColor(QPalette::Highlight, QColor(0, 0, 128));
    Bar->setPalette(p);
    layout->addWidget(Label_Bar);
    layout->addWidget(Bar);
    outer->addWidget(Panel_bar);
}

void TFormProgres::start(const QString& text) {
    showValue(Label_Bar, text);
    Bar->setValue(0);
    Panel_bar->show();
    if (parentWidget()) {
        adjustSize();
        move(parentWidget()->frameGeometry().center() - rect().center());
    }
    show();
}

void TFormProgres::setProgress(int value) {
    // QProgressBar repaints itself on the spot whenever the number it shows changes, once an item during
    // a transfer; with its updates held for the change it is painted with the next frame instead.
    if (value == Bar->value()) return;
    Bar->setUpdatesEnabled(false);
    Bar->setValue(value);
    Bar->setUpdatesEnabled(true);
}

void TFormProgres::finish() {
    Panel_bar->hide();
    hide();
}

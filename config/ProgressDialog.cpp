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
    paintTimer_.setSingleShot(true);
    paintTimer_.setInterval(250);
    connect(&paintTimer_, &QTimer::timeout, this, &TFormProgres::paintGauge);
}

void TFormProgres::start(const QString& text) {
    showValue(Label_Bar, text);
    paintGauge();
    Bar->setValue(0);
    Panel_bar->show();
    if (parentWidget()) {
        adjustSize();
        move(parentWidget()->frameGeometry().center() - rect().center());
    }
    show();
}

void TFormProgres::setProgress(int value) {
    // QProgressBar repaints itself on the spot whenever the number it shows changes: once an item during
    // a transfer, and each paint of the style's gauge costs more than the item itself. Its updates stay
    // held until the timer paints it, four times a second at most.
    if (value == Bar->value()) return;
    Bar->setUpdatesEnabled(false);
    Bar->setValue(value);
    if (!paintTimer_.isActive()) paintTimer_.start();
}

void TFormProgres::paintGauge() {
    paintTimer_.stop();
    Bar->setUpdatesEnabled(true);
}

void TFormProgres::finish() {
    paintGauge();
    Panel_bar->hide();
    hide();
}

#include "maintenance/BootDialog.h"

#include "config/Spoken.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/People.h"
#include "link/Shell.h"
#include "maintenance/DialogSupport.h"
#include "maintenance/FirmwareUpdate.h"
#include "maintenance/Maintenance.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

TFboot::TFboot(Maintenance* maintenance, QWidget* parent)
    : QDialog(parent, kCloseOnlyDialog),
      maintenance_(maintenance),
      update_(new FirmwareUpdate(maintenance->link(), maintenance->shell(), maintenance->people(), this)) {
    setObjectName(QStringLiteral("TFboot"));
    setWindowTitle(QStringLiteral("Bootloader"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Aktualizacja frimware"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = Label1->font();
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    Label1->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label1);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Plik"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    describe(Button1, QStringLiteral("Wybierz plik firmware"));
    ButtonStart = new QPushButton(QStringLiteral("START"), this);
    ButtonStart->setObjectName(QStringLiteral("ButtonStart"));
    ButtonStart->setEnabled(false);
    ButtonStart->setAutoDefault(false);
    Button1->setAutoDefault(false);
    buttons->addWidget(Button1);
    buttons->addWidget(ButtonStart);
    layout->addLayout(buttons);

    LabelNazwaPliku = new QLabel(this);
    LabelNazwaPliku->setObjectName(QStringLiteral("LabelNazwaPliku"));
    describe(LabelNazwaPliku, QStringLiteral("Wybrany plik firmware"));
    nameAfterValue(LabelNazwaPliku, QStringLiteral("Nie wybrano pliku firmware"));
    LabelNazwaPliku->setMinimumWidth(320);
    LabelNazwaPliku->setWordWrap(true);
    layout->addWidget(LabelNazwaPliku);

    BarBoot = new QProgressBar(this);
    BarBoot->setObjectName(QStringLiteral("BarBoot"));
    BarBoot->setRange(0, 100);
    BarBoot->setValue(0);
    nameAfterValue(BarBoot, QStringLiteral("Postęp aktualizacji"));
    BarBoot->setVisible(false);
    // Keep the room for the gauge so the dialog does not jump when it appears.
    QSizePolicy keep = BarBoot->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    BarBoot->setSizePolicy(keep);
    layout->addWidget(BarBoot);

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(ButtonStart, &QPushButton::clicked, this, [this] { guarded([this] { ButtonStartClick(); }); });
    connect(update_, &FirmwareUpdate::runningChanged, this, &TFboot::showRunning);
    connect(update_, &FirmwareUpdate::transferStarted, BarBoot, &QWidget::show);
    connect(update_, &FirmwareUpdate::progress, BarBoot, &QProgressBar::setValue);

    centreDialogOn(this, parent);
    FormCreate();
}

void TFboot::FormCreate() {
    showValue(LabelNazwaPliku, {});
    Link* link = maintenance_->link();
    link->st.pollingEnabled = false;
    link->startTimer();
    link->processPendingEvents();
}

void TFboot::FormClose() {
    if (closed_) return;
    closed_ = true;
    maintenance_->shell()->ShowLiveStatus();
}

void TFboot::Button1Click() {
    if (update_->running()) return;
    FileDialogRequest request;
    request.filter = QStringLiteral("MX-4 firmware (*.nfr)");
    request.defaultSuffix = QStringLiteral("nfr");
    const QString path = maintenance_->people()->openFileName(request);
    if (path.isEmpty()) return;
    showValue(LabelNazwaPliku, QDir::toNativeSeparators(path));
    // START offers what the label names: a file that fails, even one that cannot be opened, leaves no
    // image chosen.
    const auto offer = qScopeGuard([this] { ButtonStart->setEnabled(update_->ready() && !update_->running()); });
    update_->chooseFile(path);
}

void TFboot::ButtonStartClick() {
    // A second START while the transfer runs (a queued click, the keyboard) changes nothing.
    if (update_->running() || !update_->ready()) return;
    if (update_->run() != FirmwareUpdate::Outcome::NotStarted) done(QDialog::Accepted);
}

void TFboot::showRunning(bool running) {
    Button1->setEnabled(!running);
    ButtonStart->setEnabled(!running && update_->ready());
}

void TFboot::done(int result) {
    if (update_->running()) return;
    QDialog::done(result);
    FormClose();
}

void TFboot::reject() {
    if (update_->running()) return;
    QDialog::reject();
}

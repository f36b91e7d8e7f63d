#include "maintenance/PasswordDialog.h"

#include "config/Spoken.h"
#include "config/Defaults.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/Shell.h"
#include "maintenance/DialogSupport.h"
#include "maintenance/Maintenance.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

TFhaslo_nowe::TFhaslo_nowe(Maintenance* maintenance, QWidget* parent)
    : QDialog(parent, kCloseOnlyDialog), maintenance_(maintenance) {
    setObjectName(QStringLiteral("TFhaslo_nowe"));
    setWindowTitle(QStringLiteral("Fhaslo_nowe"));
    setModal(true);

    auto* grid = new QGridLayout(this);
    Edit_haslo_nowe = new QLineEdit(kDefaultPassword, this);
    Edit_haslo_nowe->setObjectName(QStringLiteral("Edit_haslo_nowe"));
    Edit_haslo_nowe->setAccessibleName(QStringLiteral("Nowe haslo"));
    describe(Edit_haslo_nowe, QStringLiteral("Nowe hasło dostępu (4 cyfry)"));
    Label1 = new QLabel(QStringLiteral("Nowe haslo :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(Edit_haslo_nowe);
    Button1 = new QPushButton(QStringLiteral("Zapisz"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Anuluj"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit_haslo_nowe, 0, 1);
    grid->addWidget(Button1, 1, 0);
    grid->addWidget(Button2, 1, 1);

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });

    centreDialogOn(this, parent);
    FormCreate();
}

void TFhaslo_nowe::FormCreate() { maintenance_->link()->st.pollingEnabled = false; }

void TFhaslo_nowe::FormClose() {
    if (closed_) return;
    closed_ = true;
    maintenance_->shell()->ShowLiveStatus();
}

void TFhaslo_nowe::Button1Click() {
    if (sending_) return;
    bool accepted = false;
    {
        BusyScope busy(sending_);
        Button1->setEnabled(false);
        Button2->setEnabled(false);
        struct Restore {
            TFhaslo_nowe* d;
            ~Restore() {
                d->Button1->setEnabled(true);
                d->Button2->setEnabled(true);
            }
        } restore{this};
        accepted = maintenance_->changePassword(Edit_haslo_nowe->text());
    }
    if (accepted) done(QDialog::Accepted);
}

void TFhaslo_nowe::Button2Click() { done(QDialog::Rejected); }

void TFhaslo_nowe::done(int result) {
    if (sending_) return;
    QDialog::done(result);
    FormClose();
}

void TFhaslo_nowe::reject() {
    if (sending_) return;
    QDialog::reject();
}

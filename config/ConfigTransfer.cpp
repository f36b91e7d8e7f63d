#include "config/ConfigTransfer.h"

#include "config/ConfigArea.h"
#include "config/ConfigFile.h"
#include "config/ProgressDialog.h"
#include "config/SafeSave.h"
#include "config/SaveDialogState.h"
#include "config/WorkingBuffer.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/People.h"
#include "link/SerialPort.h"
#include "link/Shell.h"

#include <QAction>
#include <QLineEdit>
#include <QProgressBar>
#include <QScopeGuard>

namespace {
constexpr int kReadTimeout = 110;
}  // namespace

ConfigTransfer::ConfigTransfer(Link* link, Shell* shell, People* people, ConfigArea* area, TFormProgres* progress,
                               QLineEdit* password, SaveDialogState* saveDialog, QObject* parent)
    : QObject(parent), link_(link), shell_(shell), people_(people), area_(area), progress_(progress),
      password_(password), saveDialog_(saveDialog) {}

bool ConfigTransfer::linkUsable() const { return link_->port()->Connected() && link_->st.loggedIn; }

void ConfigTransfer::beginTransfer(const QString& label) {
    running_ = true;
    shell_->HideLiveStatus();
    progress_->start(label);
}

void ConfigTransfer::endTransfer() {
    // However the transfer ended (done, an unanswered item, an error on the way), the window is as after
    // a transfer: the notice gone and, while still logged in, the live status back.
    progress_->finish();
    running_ = false;
    if (link_->st.loggedIn && link_->port()->Connected() && !shuttingDown) {
        shell_->armTransferButtons();
        shell_->ShowLiveStatus();
    }
}

void ConfigTransfer::ReadConfiguration() {
    if (running_) return;
    beginTransfer(QStringLiteral("Pobieram konfiguracje sterownika"));
    const auto finish = qScopeGuard([this] { endTransfer(); });
    link_->processPendingEvents();
    link_->PausePumping(5);
    for (const ConfigItem& item : configItems()) {
        if (!linkUsable()) break;
        link_->st.pollTicks = 0;
        link_->sleepBlocking(10);
        link_->SendFrame(item.readCode, QByteArrayLiteral("T"));
        if (!link_->WaitReply(kReadTimeout, item.readCode)) break;
        progress_->Bar->setValue(item.readCode * 100 / 84);
        link_->processPendingEvents();
    }
}

void ConfigTransfer::WriteConfiguration() {
    if (running_) return;
    // Every payload is checked before the first frame goes out, so a field the program could have
    // checked never leaves the recorder half-configured.
    {
        const ConfigValues now = area_->values();
        for (const ConfigItem& item : configItems()) EncodeItem(item, now);
    }
    beginTransfer(QStringLiteral("Wysyłam konfiguracje do nadajnika"));
    const auto finish = qScopeGuard([this] { endTransfer(); });
    link_->processPendingEvents();
    link_->PausePumping(5);
    for (const ConfigItem& item : configItems()) {
        if (!linkUsable()) break;
        // Encoded just before it is sent: an edit made during the write still reaches the recorder.
        const QByteArray payload = EncodeItem(item, area_->values());
        if (!link_->SendAndWait(item.writeCode, payload, item.writeTimeout)) break;
        progress_->Bar->setValue(progress_->Bar->value() + 1);
        paintSynchronised(item);
    }
}

void ConfigTransfer::paintSynchronised(const ConfigItem& item) {
    switch (item.kind) {
    case ItemKind::Text:
        area_->paintSynchronised(item.field);
        break;
    case ItemKind::Matrix:
        area_->ResetMatrixColours();
        break;
    case ItemKind::Options:
        area_->paintOptionsSynchronised();
        break;
    case ItemKind::Temperature:
        area_->paintTemperatureSynchronised();
        break;
    }
}

void ConfigTransfer::DecodeItem(int readCode, const QByteArray& payload) {
    const ConfigItem* item = itemForReadCode(readCode);
    if (!item) return;
    ConfigValues values = area_->values();
    if (!::DecodeItem(readCode, payload, values)) return;
    // Through the controls' own setters: a value that really changes is first painted red.
    area_->setValues(values);
    paintSynchronised(*item);
}

void ConfigTransfer::SaveConfigFile() {
    // A number field that holds no number stops the save before the dialog.
    const QByteArray bytes = BuildConfigFile(area_->values(), password_->text());
    // The configuration save sets the extension and the folder; the filter stays as the last save left it.
    saveDialog_->defaultSuffix = QStringLiteral("ncf");
    saveDialog_->directory = SaveDialogState::startDirectory();
    const QString path = people_->saveFileName(saveDialog_->request());
    if (path.isEmpty()) return;
    QString why;
    if (!saveFileSafely(path, bytes, &why)) {
        people_->beep();
        people_->error(QStringLiteral("Nie zapisano pliku konfiguracji %1: %2").arg(path, why));
    }
}

void ConfigTransfer::LoadConfigFile() {
    const QString path = people_->openFileName({SaveDialogState().filter, QStringLiteral("ncf"), SaveDialogState::startDirectory()});
    if (path.isEmpty()) return;
    QByteArray buffer;
    if (!ReadConfigFile(path, kConfigMagic, buffer, *people_)) return;
    const std::optional<LoadedConfig> loaded = ParseConfigFile(buffer, area_->values());
    if (!loaded) {
        people_->error(QStringLiteral("Zly format pliku"));
        return;
    }
    area_->setValues(loaded->values);
    password_->setText(loaded->password);
    people_->beep();
    people_->information(QStringLiteral("Odczytano plik konfiguracji"));
}

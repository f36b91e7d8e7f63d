#include "config/ConfigTransfer.h"

#include "config/CompareDialog.h"
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


ConfigTransfer::ConfigTransfer(Link* link, Shell* shell, People* people, ConfigArea* area, TFormProgres* progress,
                               QLineEdit* password, SaveDialogState* saveDialog, QObject* parent)
    : QObject(parent), link_(link), shell_(shell), people_(people), area_(area), progress_(progress),
      password_(password), saveDialog_(saveDialog), engine_(link) {}

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
    // The answers reach the window through the reply dispatcher, as every item reply does; the record
    // the engine fills is not needed here.
    ConfigValues read = area_->values();
    engine_.read(read, {}, [this](const ConfigItem& item, int) {
        progress_->setProgress(item.readCode * 100 / 84);
        if (item.number == kConfigItemCount) {
            shell_->ShowLiveStatus();
            shell_->armTransferButtons();
        }
    });
}

void ConfigTransfer::WriteConfiguration() {
    if (running_) return;
    // Every payload is checked before the first frame goes out, so a field the program could have
    // checked never leaves the recorder half-configured.
    ItemTransfer::checkEncodable(area_->values());
    beginTransfer(QStringLiteral("Wysyłam konfiguracje do nadajnika"));
    const auto finish = qScopeGuard([this] { endTransfer(); });
    link_->processPendingEvents();
    engine_.write([this] { return area_->values(); }, {}, [this](const ConfigItem& item, int) {
        progress_->setProgress(progress_->Bar->value() + 1);
        paintSynchronised(item);
    });
}

ConfigSide ConfigTransfer::windowSide() const { return {area_->values(), password_->text(), true, {}}; }

void ConfigTransfer::CompareWithRecorder() {
    if (running_) return;
    std::optional<ConfigSide> recorder;
    {
        beginTransfer(QStringLiteral("Pobieram konfiguracje sterownika"));
        const auto finish = qScopeGuard([this] { endTransfer(); });
        link_->processPendingEvents();
        // Into a record of its own: the window's values and colours stay as they are.
        ConfigValues read = area_->values();
        const ItemTransfer::Outcome outcome = engine_.read(read, {}, [this](const ConfigItem& item, int) {
            progress_->setProgress(item.readCode * 100 / 84);
        });
        if (outcome == ItemTransfer::Outcome::Done) recorder = ConfigSide{read, std::nullopt, false, engine_.undecodable()};
        else sayIfSilent();
    }
    if (!recorder) return;
    const QVector<FieldDifference> rows = DiffConfig(windowSide(), *recorder);
    if (rows.isEmpty()) {
        people_->information(QStringLiteral("Konfiguracja w oknie jest taka sama jak w MX-4"));
        return;
    }
    TFPorownanie dialog(shell_->dialogParent(), QStringLiteral("Porównanie z MX-4"), QStringLiteral("W MX-4"), rows,
                        QStringLiteral("Zapisz zmienione do MX-4"), QStringLiteral("Wczytaj z MX-4"));
    lastComparison_ = &dialog;
    const auto forget = qScopeGuard([this] { lastComparison_ = nullptr; });
    switch (dialog.exec()) {
    case TFPorownanie::WriteChanged:
        WriteChanged(ItemsOf(rows));
        break;
    case TFPorownanie::Load:
        // As a read would have left the window: every value the recorder's, every colour synchronised;
        // an item the recorder's answer did not carry keeps the window's value and colour.
        area_->setValues(recorder->values);
        for (const ConfigItem& item : configItems())
            if (!recorder->unreadableItems.contains(item.number)) paintSynchronised(item);
        break;
    default:
        break;
    }
}

void ConfigTransfer::sayIfSilent() {
    // The read of the status-query text fails without a word from the link; a comparison or a check
    // that ends there has not been done, and says so.
    if (engine_.failedSilently()) {
        people_->beep();
        people_->error(QStringLiteral("Brak odpowiedzi z MX-4"));
    }
}

bool ConfigTransfer::WriteChanged(const QVector<int>& items) {
    if (running_ || items.isEmpty()) return false;
    // The window as it is now is what goes out and what the recorder is checked against; an edit typed
    // while the write runs stays marked as changed.
    const ConfigValues sent = area_->values();
    ItemTransfer::checkEncodable(sent, items);
    std::optional<ConfigValues> back;
    QVector<int> unreadable;
    {
        beginTransfer(QStringLiteral("Wysyłam konfiguracje do nadajnika"));
        const auto finish = qScopeGuard([this] { endTransfer(); });
        link_->processPendingEvents();
        if (engine_.write([&sent] { return sent; }, items, [this, &items](const ConfigItem&, int done) {
                progress_->setProgress(done * 100 / (2 * int(items.size())));
            }) != ItemTransfer::Outcome::Done)
            return false;
        // What the recorder holds now, read back item by item.
        ConfigValues read = sent;
        if (engine_.read(read, items, [this, &items](const ConfigItem&, int done) {
                progress_->setProgress(50 + done * 100 / (2 * int(items.size())));
            }) != ItemTransfer::Outcome::Done) {
            sayIfSilent();
            return false;
        }
        back = read;
        unreadable = engine_.undecodable();
    }
    const QVector<FieldDifference> wrong = WrongAfterWrite(sent, *back, items, unreadable);
    const QVector<int> wrongItems = ItemsOf(wrong);
    // Items edited during the write keep their mark.
    const QVector<int> editedSince = ItemsOf(DiffConfig({area_->values(), std::nullopt, false, {}},
                                                        {sent, std::nullopt, false, {}}));
    for (const ConfigItem& item : ItemTransfer::itemsNumbered(items))
        if (!wrongItems.contains(item.number) && !editedSince.contains(item.number)) paintSynchronised(item);
    if (!wrong.isEmpty()) {
        QStringList labels;
        for (const FieldDifference& d : wrong) labels << d.label;
        people_->beep();
        people_->error(QStringLiteral("Weryfikacja nieudana: ") + labels.join(QStringLiteral(", ")));
        return false;
    }
    people_->information(QStringLiteral("Zapisano zmienione pozycje: %1").arg(items.size()));
    return true;
}

void ConfigTransfer::CompareWithFile() {
    const std::optional<LoadedConfig> file = chooseConfigFile();
    if (!file) return;
    const QVector<FieldDifference> rows = DiffConfig(windowSide(), {file->values, file->password, false, {}});
    if (rows.isEmpty()) {
        people_->information(QStringLiteral("Konfiguracja w oknie jest taka sama jak w pliku"));
        return;
    }
    TFPorownanie dialog(shell_->dialogParent(), QStringLiteral("Porównanie z plikiem"), QStringLiteral("W pliku"), rows,
                        QString(), QStringLiteral("Wczytaj z pliku"));
    lastComparison_ = &dialog;
    const auto forget = qScopeGuard([this] { lastComparison_ = nullptr; });
    if (dialog.exec() == TFPorownanie::Load) applyLoadedFile(*file);
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

std::optional<LoadedConfig> ConfigTransfer::chooseConfigFile() {
    const QString path = people_->openFileName({SaveDialogState().filter, QStringLiteral("ncf"), SaveDialogState::startDirectory()});
    if (path.isEmpty()) return std::nullopt;
    QByteArray buffer;
    if (!ReadConfigFile(path, kConfigMagic, buffer, *people_)) return std::nullopt;
    std::optional<LoadedConfig> loaded = ParseConfigFile(buffer, area_->values());
    if (!loaded) people_->error(QStringLiteral("Zly format pliku"));
    return loaded;
}

void ConfigTransfer::applyLoadedFile(const LoadedConfig& loaded) {
    area_->setValues(loaded.values);
    password_->setText(loaded.password);
    people_->beep();
    people_->information(QStringLiteral("Odczytano plik konfiguracji"));
}

void ConfigTransfer::LoadConfigFile() {
    if (const std::optional<LoadedConfig> loaded = chooseConfigFile()) applyLoadedFile(*loaded);
}

#pragma once
// Moves the whole configuration between the window and the recorder item by item, applies the items the
// recorder sends, and keeps configurations in files.

#include "config/ConfigDiff.h"
#include "config/ConfigFile.h"
#include "config/ConfigItems.h"
#include "config/ItemTransfer.h"

#include <QList>
#include <QObject>

class ConfigArea;
class Link;
class People;
class Shell;
class TFormProgres;
class QAction;
class QLineEdit;
class QWidget;
struct SaveDialogState;


class ConfigTransfer : public QObject {
    Q_OBJECT
public:
    // `password` is the login field, saved in and loaded from the file.
    ConfigTransfer(Link* link, Shell* shell, People* people, ConfigArea* area, TFormProgres* progress,
                   QLineEdit* password, SaveDialogState* saveDialog, QObject* parent = nullptr);

    // The window runs these in their activities (Reading, Writing), which keep every other command out.
    void ReadConfiguration();
    void WriteConfiguration();
    // A reply with an item's read code, whether or not a read runs.
    void DecodeItem(int readCode, const QByteArray& payload);
    void SaveConfigFile();
    void LoadConfigFile();

    // "Dane" > "Porównaj z MX-4" (in the Comparing activity): reads every item into a record of its own,
    // leaving the window as it is, then lists what differs and offers to write the changed items back or
    // to take the recorder's values.
    void CompareWithRecorder();
    // Writes only these items from the window, reads exactly them back and compares; true when the
    // recorder holds what the window does. Their controls then take the synchronised colours.
    bool WriteChanged(const QVector<int>& items);
    // "Plik" > "Porównaj z plikiem": the window against a configuration file; no recorder needed.
    void CompareWithFile();
    // The comparison dialog while it is shown (for the window's tests).
    class TFPorownanie* comparisonShown() const { return lastComparison_; }

    bool running() const { return running_; }

private:
    ConfigSide windowSide() const;
    std::optional<LoadedConfig> chooseConfigFile();
    void applyLoadedFile(const LoadedConfig& loaded);
    void beginTransfer(const QString& label);
    void endTransfer();
    void paintSynchronised(const ConfigItem& item);
    void sayIfSilent();

    Link* link_;
    Shell* shell_;
    People* people_;
    ConfigArea* area_;
    TFormProgres* progress_;
    QLineEdit* password_;
    SaveDialogState* saveDialog_;
    bool running_ = false;
    ItemTransfer engine_;
    class TFPorownanie* lastComparison_ = nullptr;
};

#pragma once
// Moves the whole configuration between the window and the recorder item by item, applies the items the
// recorder sends, and keeps configurations in files.

#include "config/ConfigItems.h"

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

// The window's controls a transfer switches.
struct TransferControls {
    QWidget* Icon_get = nullptr;
    QWidget* Icon_put = nullptr;
    QAction* Pobierz1 = nullptr;  // "Dane" > "Odczyt"
    QAction* Zapisz1 = nullptr;   // "Dane" > "Zapisz"
    // The other commands that talk to the recorder: none of them may start inside a transfer.
    QList<QWidget*> recorderCommands;
    QLineEdit* Edit_haslo = nullptr;  // saved in and loaded from the file
};

class ConfigTransfer : public QObject {
    Q_OBJECT
public:
    ConfigTransfer(Link* link, Shell* shell, People* people, ConfigArea* area, TFormProgres* progress,
                   TransferControls controls, SaveDialogState* saveDialog, QObject* parent = nullptr);

    void ReadConfiguration();
    void WriteConfiguration();
    // A reply with an item's read code, whether or not a read runs.
    void DecodeItem(int readCode, const QByteArray& payload);
    void SaveConfigFile();
    void LoadConfigFile();

    bool running() const { return running_; }

private:
    bool linkUsable() const;
    void beginTransfer(const QString& label);
    void endTransfer();
    void paintSynchronised(const ConfigItem& item);

    Link* link_;
    Shell* shell_;
    People* people_;
    ConfigArea* area_;
    TFormProgres* progress_;
    TransferControls c_;
    SaveDialogState* saveDialog_;
    bool running_ = false;
};

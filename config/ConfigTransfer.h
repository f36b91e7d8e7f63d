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
    QLineEdit* password_;
    SaveDialogState* saveDialog_;
    bool running_ = false;
};

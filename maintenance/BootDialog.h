#pragma once
// "Bootloader": choose a firmware image file and send it to the recorder.

#include <QDialog>

class FirmwareUpdate;
class Maintenance;
class QLabel;
class QProgressBar;
class QPushButton;

class TFboot : public QDialog {
    Q_OBJECT
public:
    TFboot(Maintenance* maintenance, QWidget* parent);

    QLabel* Label1 = nullptr;  // "Aktualizacja frimware"
    QPushButton* Button1 = nullptr;      // "Plik"
    QPushButton* ButtonStart = nullptr;  // "START"
    QLabel* LabelNazwaPliku = nullptr;
    QProgressBar* BarBoot = nullptr;
    FirmwareUpdate* update() const { return update_; }

    // "Plik": choose and check an image file.
    void Button1Click();
    // "START": run the transfer, then close.
    void ButtonStartClick();

    // Closing is refused while a transfer runs.
    void done(int result) override;
    void reject() override;

private:
    void FormCreate();
    void FormClose();
    void showRunning(bool running);

    Maintenance* maintenance_;
    FirmwareUpdate* update_;
    bool closed_ = false;
};

#pragma once
// "Fhaslo_nowe": type a new access password and send it to the recorder.

#include <QDialog>

class Maintenance;
class QLabel;
class QLineEdit;
class QPushButton;

class TFhaslo_nowe : public QDialog {
    Q_OBJECT
public:
    TFhaslo_nowe(Maintenance* maintenance, QWidget* parent);

    QLabel* Label1 = nullptr;  // "Nowe haslo :"
    QLineEdit* Edit_haslo_nowe = nullptr;
    QPushButton* Button1 = nullptr;  // "Zapisz"
    QPushButton* Button2 = nullptr;  // "Anuluj"

    // "Zapisz": send the new password; the dialog closes when the recorder confirmed it.
    void Button1Click();
    // "Anuluj": close, sending nothing.
    void Button2Click();

    // Closing is refused while the recorder's answer is awaited.
    void done(int result) override;
    void reject() override;

private:
    void FormCreate();
    void FormClose();

    Maintenance* maintenance_;
    bool sending_ = false;
    bool closed_ = false;
};

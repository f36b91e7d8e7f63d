#pragma once
// "Info": the program's name and where to get service.

#include <QDialog>

class QLabel;
class QPushButton;

class TFInfo : public QDialog {
    Q_OBJECT
public:
    explicit TFInfo(QWidget* parent);

    QLabel* Label1 = nullptr;  // bold program name
    QLabel* LabelSerwis = nullptr;
    QLabel* LabelProducent = nullptr;
    QPushButton* Button1 = nullptr;  // "OK"

    void Button1Click() { accept(); }
};

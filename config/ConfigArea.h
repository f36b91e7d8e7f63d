#pragma once
// The configuration area: five group boxes shown and hidden together.

#include <QWidget>

class QGroupBox;
class QLabel;

class ConfigArea : public QWidget {
    Q_OBJECT
public:
    explicit ConfigArea(QWidget* parent = nullptr);

    QGroupBox* BoxTelefony = nullptr;
    QGroupBox* Boxwejscia = nullptr;
    QGroupBox* BoxOpcjeWejsc = nullptr;
    QGroupBox* BoxOpcjeWyjsc = nullptr;
    QGroupBox* BoxCzujnik = nullptr;
    // Live counts of today's SMS and calls, shown beside the daily limits.
    QLabel* LabelSMS = nullptr;
    QLabel* LabelVoice = nullptr;

    void setBoxesVisible(bool visible);
    bool boxesVisible() const;
};

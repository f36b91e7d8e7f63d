#pragma once
// The configuration area: five group boxes shown and hidden together.

#include "config/ConfigValues.h"

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

    // Placeholder value store until the controls exist.
    ConfigValues values() const { return values_; }
    void setValues(const ConfigValues& v) { values_ = v; }
    TempSettings tempSettings() const { return values_.temp; }
    void paintSynchronised(TextField) {}
    void ResetMatrixColours() {}
    void paintOptionsSynchronised() {}
    void paintTemperatureSynchronised() {}

private:
    ConfigValues values_ = ConfigValues::defaults();
};

#pragma once
// The configuration area: five group boxes, shown and hidden together, holding every configuration
// value as the state of one named control, and the editing rules that keep those values within what the
// recorder accepts and paint a changed value red.
//
// The rest of the program reads and sets the values through values() and the setters below, which go
// through the same widget setters as the person's input: a value that really changes fires its change
// rule (red), setting the value already shown fires nothing, and a selector changed by the program fires
// nothing. A caller that wants the synchronised state paints it afterwards.

#include "config/ConfigValues.h"
#include "config/FieldRules.h"

#include <QColor>
#include <QWidget>

class ConfigCombo;
class ConfigEdit;
class SpinButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QTabWidget;

class ConfigArea : public QWidget {
    Q_OBJECT
public:
    explicit ConfigArea(QWidget* parent = nullptr);

    QGroupBox* BoxTelefony = nullptr;    // "Numery telefonów"
    QGroupBox* Boxwejscia = nullptr;     // "Wejścia"
    QGroupBox* BoxOpcjeWejsc = nullptr;  // "Opcje wejść"
    QGroupBox* BoxOpcjeWyjsc = nullptr;  // "Opcje wyjść"
    QGroupBox* BoxCzujnik = nullptr;     // "Czujnik temperatury"
    // Live counts of today's SMS and calls, shown between "Limit SMS:"/"Limit Voice:" and the limits.
    QLabel* LabelSMS = nullptr;
    QLabel* LabelVoice = nullptr;

    void setBoxesVisible(bool visible);
    bool boxesVisible() const;

    // ---- "Numery telefonów"
    ConfigEdit *Edit_Tel1 = nullptr, *Edit_Tel2 = nullptr, *Edit_Tel3 = nullptr, *Edit_Tel4 = nullptr;
    ConfigEdit *Edit_Tel5 = nullptr, *Edit_Tel6 = nullptr, *Edit_Tel7 = nullptr, *Edit_Tel8 = nullptr;
    ConfigCombo* Combo_operator = nullptr;
    ConfigEdit* Edit_operator = nullptr;
    ConfigEdit* Edit_pin = nullptr;
    ConfigEdit* JakiStan = nullptr;
    ConfigEdit* Edit_LimitSMS = nullptr;
    ConfigEdit* Edit_LimitVoice = nullptr;

    // ---- "Wejścia"
    ConfigEdit *Edit_IN1A = nullptr, *Edit_IN2A = nullptr, *Edit_IN3A = nullptr, *Edit_IN4A = nullptr,
               *Edit_IN5A = nullptr;
    ConfigEdit *Edit_IN1N = nullptr, *Edit_IN2N = nullptr, *Edit_IN3N = nullptr, *Edit_IN4N = nullptr,
               *Edit_IN5N = nullptr;
    ConfigEdit *Edit_ACa = nullptr, *Edit_ACn = nullptr, *Edit_DCa = nullptr, *Edit_DCn = nullptr;

    // ---- "Czujnik temperatury"
    ConfigEdit *Edit_T1a = nullptr, *Edit_T1ok = nullptr, *Edit_T1n = nullptr;
    ConfigEdit* Edit_T1Max = nullptr;      // read-only, rendered from TempSettings::highCode
    ConfigEdit* Edit_T1Min = nullptr;      // read-only, rendered from TempSettings::lowCode
    ConfigEdit* Edit_T1Korekta = nullptr;  // read-only, rendered from TempSettings::correctionCode
    ConfigEdit* TempZapisz = nullptr;      // read-only decimal number, stepped by SpinButton4
    SpinButton* SpinButton1 = nullptr;     // upper threshold
    SpinButton* SpinButton2 = nullptr;     // lower threshold
    SpinButton* SpinButton3 = nullptr;     // correction
    SpinButton* SpinButton4 = nullptr;     // recording interval

    // ---- "Opcje wejść"
    QTabWidget* TabSMSVoice = nullptr;
    QWidget* TabSheet1 = nullptr;  // "SMS": BoxIN1T1 .. BoxT3T8
    QWidget* TabSheet2 = nullptr;  // "Voice": BoxIN1S1 .. BoxT3S8
    QCheckBox* BoxAutoTest = nullptr;
    ConfigEdit* EditAutotest = nullptr;
    ConfigEdit* IleTest = nullptr;

    // ---- "Opcje wyjść"
    QGroupBox* GroupOUT[kOutputs] = {};  // "OUT1" .. "OUT4"
    ConfigEdit *Edit_Out1zal = nullptr, *Edit_Out2zal = nullptr, *Edit_OUT3Zal = nullptr, *Edit_OUT4Zal = nullptr;
    ConfigEdit *Edit_Out1wyl = nullptr, *Edit_Out2wyl = nullptr, *Edit_Out3Wyl = nullptr, *Edit_Out4Wyl = nullptr;
    QCheckBox *BoxOut1NC = nullptr, *BoxOut2NC = nullptr, *BoxOut3NC = nullptr, *BoxOut4NC = nullptr;
    QCheckBox *BoxOut1Mono = nullptr, *BoxOut2Mono = nullptr, *BoxOut3Mono = nullptr, *BoxOut4Mono = nullptr;
    ConfigEdit *Out1Czas = nullptr, *Out2Czas = nullptr, *Out3Czas = nullptr, *Out4Czas = nullptr;
    ConfigCombo *ComboOut1 = nullptr, *ComboOut2 = nullptr, *ComboOut3 = nullptr, *ComboOut4 = nullptr;
    QCheckBox* BoxPotw = nullptr;
    ConfigEdit* EditPotw = nullptr;

    // ---- Controls by value
    ConfigEdit* edit(TextField field) const { return edits_[int(field)]; }
    // row RowIN1..RowT3, kind Sms/Voice, phone 1..8
    QCheckBox* matrixBox(int row, int kind, int phone) const { return matrix_[row][kind][phone - 1]; }
    QCheckBox* outputNCBox(int output) const { return nc_[output]; }      // output 0..3
    QCheckBox* outputMonoBox(int output) const { return mono_[output]; }  // output 0..3
    ConfigCombo* outputCombo(int output) const { return comboOut_[output]; }

    // ---- Reading the values
    ConfigValues values() const;
    QString text(TextField field) const;
    bool matrixChecked(int row, int kind, int phone) const;
    bool outputNC(int output) const;
    bool outputMono(int output) const;
    bool potw() const;
    bool autoTest() const;
    int comboOut(int output) const;   // 0..3, -1 for none
    int operatorIndex() const;        // 0..4, -1 for none
    TempSettings tempSettings() const { return temp_; }

    // ---- Setting the values, as the person's input would
    void setValues(const ConfigValues& v);
    void setText(TextField field, const QString& text);
    void setMatrixChecked(int row, int kind, int phone, bool checked);
    void setOutputNC(int output, bool checked);
    void setOutputMono(int output, bool checked);
    void setPotw(bool checked);      // its click rule enables or disables EditPotw
    void setAutoTest(bool checked);  // its click rule enables or disables EditAutotest
    void setComboOut(int output, int index);  // outside 0..3: no entry selected
    void setOperatorIndex(int index);         // outside 0..4: no entry selected
    // Stores the three bytes and renders the displays (lower, upper, correction, in this order).
    void setTempSettings(const TempSettings& t);

    // ---- Synchronised colours
    static QColor synchronisedColour(TextField field);
    void paintSynchronised(TextField field);
    // All 128 matrix check boxes in the window colour.
    void ResetMatrixColours();
    // After the options record: the two limits light yellow; IleTest, BoxPotw, BoxAutoTest, the NC and
    // monostable boxes, the four times and the four selectors in the window colour.
    void paintOptionsSynchronised();
    // After the temperature record: Edit_T1Max, Edit_T1Min, Edit_T1Korekta and TempZapisz.
    void paintTemperatureSynchronised();
    // What the window shows at start: every edit and selector in its synchronised colour (the
    // temperature displays in the window colour), the check boxes in the colour of their panel.
    void paintStartColours();
    // Whether any control is marked as changed (red): an edit the person has not yet written to the
    // recorder, or a value loaded from a file.
    bool hasChangedFields() const;

    // ---- Renderers of TempSettings
    void ShowLowerThreshold();
    void ShowUpperThreshold();
    void ShowCorrection();

    // ---- Editing rules, named after the control and the event
    void Edit_pinExit();
    void Edit_LimitSMSExit();
    void Edit_LimitVoiceExit();
    void OutCzasExit(int output);  // Out1CzasExit .. Out4CzasExit
    void IleTestExit();
    void BoxPotwClick();
    void BoxAutoTestClick();
    void Combo_operatorCloseUp();
    void SpinButton1UpClick();
    void SpinButton1DownClick();
    void SpinButton2UpClick();
    void SpinButton2DownClick();
    void SpinButton3UpClick();
    void SpinButton3DownClick();
    void SpinButton4UpClick();
    void SpinButton4DownClick();

private:
    void buildTelefony();
    void buildWejscia();
    void buildOpcjeWejsc();
    void buildOpcjeWyjsc();
    void buildCzujnik();
    void wireRules();
    ConfigEdit* makeEdit(QWidget* parent, TextField field, CharSet set);
    ConfigEdit* makeDisplay(QWidget* parent, const char* name, const QString& caption, const QString& meaning);

    ConfigEdit* edits_[kTextFieldCount] = {};
    QCheckBox* matrix_[kMatrixRows][kMatrixKinds][kPhones] = {};
    QCheckBox* nc_[kOutputs] = {};
    QCheckBox* mono_[kOutputs] = {};
    ConfigCombo* comboOut_[kOutputs] = {};
    TempSettings temp_;
};

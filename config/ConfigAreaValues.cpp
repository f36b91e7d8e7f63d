// The configuration area's values as plain data, their setters and their synchronised colours.

#include "config/ConfigArea.h"

#include "config/ConfigWidgets.h"
#include "config/Palette.h"

#include <QCheckBox>

// ---------------------------------------------------------------- reading

QString ConfigArea::text(TextField field) const { return edit(field)->text(); }
bool ConfigArea::matrixChecked(int row, int kind, int phone) const { return matrixBox(row, kind, phone)->isChecked(); }
bool ConfigArea::outputNC(int output) const { return nc_[output]->isChecked(); }
bool ConfigArea::outputMono(int output) const { return mono_[output]->isChecked(); }
bool ConfigArea::potw() const { return BoxPotw->isChecked(); }
bool ConfigArea::autoTest() const { return BoxAutoTest->isChecked(); }
int ConfigArea::comboOut(int output) const { return comboOut_[output]->selectedIndex(); }
int ConfigArea::operatorIndex() const { return Combo_operator->selectedIndex(); }

ConfigValues ConfigArea::values() const {
    ConfigValues v;
    for (int f = 0; f < kTextFieldCount; ++f) v.texts[size_t(f)] = edits_[f]->text();
    for (int row = 0; row < kMatrixRows; ++row)
        for (int kind = 0; kind < kMatrixKinds; ++kind)
            for (int p = 0; p < kPhones; ++p) v.matrix[row][kind][p] = matrix_[row][kind][p]->isChecked();
    for (int i = 0; i < kOutputs; ++i) {
        v.outNC[i] = outputNC(i);
        v.outMono[i] = outputMono(i);
        v.comboOut[i] = comboOut(i);
    }
    v.potw = potw();
    v.autoTest = autoTest();
    v.operatorIndex = operatorIndex();
    v.temp = temp_;
    return v;
}

// ---------------------------------------------------------------- setting

// Only a text that differs is set: setting the same text would fire nothing, but would still move the
// cursor and drop the undo history of a field the person may be typing in.
void ConfigArea::setText(TextField field, const QString& text) {
    if (edit(field)->text() != text) edit(field)->setText(text);
}

void ConfigArea::setMatrixChecked(int row, int kind, int phone, bool checked) {
    matrixBox(row, kind, phone)->setChecked(checked);
}

void ConfigArea::setOutputNC(int output, bool checked) { nc_[output]->setChecked(checked); }
void ConfigArea::setOutputMono(int output, bool checked) { mono_[output]->setChecked(checked); }
void ConfigArea::setPotw(bool checked) { BoxPotw->setChecked(checked); }
void ConfigArea::setAutoTest(bool checked) { BoxAutoTest->setChecked(checked); }
void ConfigArea::setComboOut(int output, int index) { comboOut_[output]->setSelectedIndex(index); }
void ConfigArea::setOperatorIndex(int index) { Combo_operator->setSelectedIndex(index); }

void ConfigArea::setTempSettings(const TempSettings& t) {
    temp_ = t;
    ShowLowerThreshold();
    ShowUpperThreshold();
    ShowCorrection();
}

void ConfigArea::setValues(const ConfigValues& v) {
    for (int f = 0; f < kTextFieldCount; ++f) setText(TextField(f), v.texts[size_t(f)]);
    for (int row = 0; row < kMatrixRows; ++row)
        for (int kind = 0; kind < kMatrixKinds; ++kind)
            for (int p = 0; p < kPhones; ++p) matrix_[row][kind][p]->setChecked(v.matrix[row][kind][p]);
    for (int i = 0; i < kOutputs; ++i) {
        setOutputNC(i, v.outNC[i]);
        setOutputMono(i, v.outMono[i]);
        setComboOut(i, v.comboOut[i]);
    }
    setPotw(v.potw);
    setAutoTest(v.autoTest);
    setOperatorIndex(v.operatorIndex);
    setTempSettings(v.temp);
}

// ---------------------------------------------------------------- colours

QColor ConfigArea::synchronisedColour(TextField field) {
    switch (field) {
    case TextField::Edit_pin:
    case TextField::Edit_operator:
    case TextField::Edit_Tel1: case TextField::Edit_Tel2: case TextField::Edit_Tel3: case TextField::Edit_Tel4:
    case TextField::Edit_Tel5: case TextField::Edit_Tel6: case TextField::Edit_Tel7: case TextField::Edit_Tel8:
    case TextField::Edit_LimitSMS:
    case TextField::Edit_LimitVoice:
    case TextField::JakiStan:
        return Colour::LightYellow;
    case TextField::Edit_IN1A: case TextField::Edit_IN2A: case TextField::Edit_IN3A: case TextField::Edit_IN4A:
    case TextField::Edit_IN5A:
    case TextField::Edit_ACa: case TextField::Edit_DCa: case TextField::Edit_T1a:
    case TextField::Edit_Out1zal: case TextField::Edit_Out2zal: case TextField::Edit_OUT3Zal:
    case TextField::Edit_OUT4Zal:
        return Colour::LightOrange;
    case TextField::Edit_IN1N: case TextField::Edit_IN2N: case TextField::Edit_IN3N: case TextField::Edit_IN4N:
    case TextField::Edit_IN5N:
    case TextField::Edit_ACn: case TextField::Edit_DCn: case TextField::Edit_T1ok:
    case TextField::Edit_Out1wyl: case TextField::Edit_Out2wyl: case TextField::Edit_Out3Wyl:
    case TextField::Edit_Out4Wyl:
        return Colour::LightGreen;
    case TextField::Edit_T1n:
        return Colour::SkyBlue;
    case TextField::TempZapisz:
    case TextField::EditAutotest:
    case TextField::IleTest:
    case TextField::Out1Czas: case TextField::Out2Czas: case TextField::Out3Czas: case TextField::Out4Czas:
    case TextField::EditPotw:
    case TextField::Count:
        break;
    }
    return windowColour();
}

void ConfigArea::paintSynchronised(TextField field) { paintBackground(edit(field), synchronisedColour(field)); }

void ConfigArea::ResetMatrixColours() {
    for (auto& row : matrix_)
        for (auto& kind : row)
            for (QCheckBox* b : kind) paintBackground(b, windowColour());
}

void ConfigArea::paintOptionsSynchronised() {
    paintSynchronised(TextField::Edit_LimitSMS);
    paintSynchronised(TextField::Edit_LimitVoice);
    const QColor window = windowColour();
    paintBackground(IleTest, window);
    paintBackground(BoxPotw, window);
    paintBackground(BoxAutoTest, window);
    for (int i = 0; i < kOutputs; ++i) {
        paintBackground(nc_[i], window);
        paintBackground(mono_[i], window);
        paintBackground(edit(TextField(int(TextField::Out1Czas) + i)), window);
        paintBackground(comboOut_[i], window);
    }
}

void ConfigArea::paintTemperatureSynchronised() {
    for (QWidget* w : {static_cast<QWidget*>(Edit_T1Max), static_cast<QWidget*>(Edit_T1Min),
                       static_cast<QWidget*>(Edit_T1Korekta), static_cast<QWidget*>(TempZapisz)})
        paintBackground(w, windowColour());
}

void ConfigArea::paintStartColours() {
    for (int f = 0; f < kTextFieldCount; ++f) paintSynchronised(TextField(f));
    paintBackground(Combo_operator, Colour::LightYellow);
    for (ConfigCombo* c : comboOut_) paintBackground(c, windowColour());
    paintTemperatureSynchronised();
    const QColor panel = faceColour();
    for (QCheckBox* b : findChildren<QCheckBox*>()) paintBackground(b, panel);
}

bool ConfigArea::hasChangedFields() const {
    for (const QWidget* w : findChildren<QWidget*>())
        if ((qobject_cast<const ConfigEdit*>(w) || qobject_cast<const ConfigCombo*>(w) ||
             qobject_cast<const QCheckBox*>(w)) &&
            backgroundOf(w) == Colour::Red)
            return true;
    return false;
}

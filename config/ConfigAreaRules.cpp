// The editing rules of the configuration area: exit rules, change marking, the two check boxes that
// enable their texts, the operator selector and the spin buttons.

#include "config/ConfigArea.h"

#include "config/ConfigWidgets.h"
#include "config/Palette.h"
#include "config/TempRules.h"
#include "link/ErrorHook.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QToolButton>

namespace {
// Up and Down on a temperature display step it like its spin button.
class StepKeys : public QObject {
public:
    StepKeys(QWidget* display, SpinButton* spin) : QObject(display), spin_(spin) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up) spin_->up->click();
        else if (key == Qt::Key_Down) spin_->down->click();
        else return false;
        return true;
    }

private:
    SpinButton* spin_;
};

template <class Sender, class Signal, class F>
void on(Sender* sender, Signal signal, QObject* context, F f) {
    QObject::connect(sender, signal, context, [f](auto&&...) { guarded(f); });
}
}  // namespace

void ConfigArea::wireRules() {
    // A text that really changes, typed or set, marks its field.
    QList<ConfigEdit*> marked(std::begin(edits_), std::end(edits_));
    marked << Edit_T1Max << Edit_T1Min << Edit_T1Korekta;
    for (ConfigEdit* e : marked)
        on(e, &QLineEdit::textChanged, this, [e] { paintBackground(e, Colour::Red); });
    for (ConfigCombo* c : comboOut_)
        on(c, &ConfigCombo::userChanged, this, [c] { paintBackground(c, Colour::Red); });

    for (auto& row : matrix_)
        for (auto& kind : row)
            for (QCheckBox* b : kind) on(b, &QCheckBox::toggled, this, [b] { paintBackground(b, Colour::Red); });
    // The output boxes mark themselves when the person enters them, and whenever their state changes.
    for (int i = 0; i < kOutputs; ++i) {
        for (QCheckBox* b : {nc_[i], mono_[i]}) {
            onFocusEnter(b, [b] { paintBackground(b, Colour::Red); });
            on(b, &QCheckBox::toggled, this, [b] { paintBackground(b, Colour::Red); });
        }
    }
    onFocusEnter(BoxPotw, [this] { paintBackground(BoxPotw, Colour::Red); });
    onFocusEnter(BoxAutoTest, [this] { paintBackground(BoxAutoTest, Colour::Red); });
    on(BoxPotw, &QCheckBox::toggled, this, [this] { BoxPotwClick(); });
    on(BoxAutoTest, &QCheckBox::toggled, this, [this] { BoxAutoTestClick(); });

    onFocusExit(Edit_pin, [this] { Edit_pinExit(); });
    onFocusExit(Edit_LimitSMS, [this] { Edit_LimitSMSExit(); });
    onFocusExit(Edit_LimitVoice, [this] { Edit_LimitVoiceExit(); });
    for (int i = 0; i < kOutputs; ++i)
        onFocusExit(edit(TextField(int(TextField::Out1Czas) + i)), [this, i] { OutCzasExit(i); });
    onFocusExit(IleTest, [this] { IleTestExit(); });

    on(Combo_operator, &ConfigCombo::closedUp, this, [this] { Combo_operatorCloseUp(); });

    on(SpinButton1, &SpinButton::upClick, this, [this] { SpinButton1UpClick(); });
    on(SpinButton1, &SpinButton::downClick, this, [this] { SpinButton1DownClick(); });
    on(SpinButton2, &SpinButton::upClick, this, [this] { SpinButton2UpClick(); });
    on(SpinButton2, &SpinButton::downClick, this, [this] { SpinButton2DownClick(); });
    on(SpinButton3, &SpinButton::upClick, this, [this] { SpinButton3UpClick(); });
    on(SpinButton3, &SpinButton::downClick, this, [this] { SpinButton3DownClick(); });
    on(SpinButton4, &SpinButton::upClick, this, [this] { SpinButton4UpClick(); });
    on(SpinButton4, &SpinButton::downClick, this, [this] { SpinButton4DownClick(); });
    Edit_T1Max->installEventFilter(new StepKeys(Edit_T1Max, SpinButton1));
    Edit_T1Min->installEventFilter(new StepKeys(Edit_T1Min, SpinButton2));
    Edit_T1Korekta->installEventFilter(new StepKeys(Edit_T1Korekta, SpinButton3));
    TempZapisz->installEventFilter(new StepKeys(TempZapisz, SpinButton4));
}

// ---------------------------------------------------------------- exit rules

void ConfigArea::Edit_pinExit() { Edit_pin->setText(pinAfterExit(Edit_pin->text())); }
void ConfigArea::Edit_LimitSMSExit() { Edit_LimitSMS->setText(limitAfterExit(Edit_LimitSMS->text())); }
void ConfigArea::Edit_LimitVoiceExit() { Edit_LimitVoice->setText(limitAfterExit(Edit_LimitVoice->text())); }

void ConfigArea::OutCzasExit(int output) {
    ConfigEdit* e = edit(TextField(int(TextField::Out1Czas) + output));
    e->setText(periodAfterExit(e->text()));
}

void ConfigArea::IleTestExit() { IleTest->setText(periodAfterExit(IleTest->text())); }

// ---------------------------------------------------------------- check boxes and the operator

void ConfigArea::BoxPotwClick() {
    EditPotw->setEnabled(BoxPotw->isChecked());
    paintBackground(BoxPotw, Colour::Red);
}

void ConfigArea::BoxAutoTestClick() {
    EditAutotest->setEnabled(BoxAutoTest->isChecked());
    paintBackground(BoxAutoTest, Colour::Red);
}

void ConfigArea::Combo_operatorCloseUp() {
    const int index = Combo_operator->selectedIndex();
    if (index >= 0 && index < kOperatorOther) Edit_operator->setText(operatorNumber(index));
    else if (index == kOperatorOther) Edit_operator->clear();
}

// ---------------------------------------------------------------- temperature

// Only a text that differs is set: the same text again would lay the field out anew and tell assistive
// technology of a change, for every item of a read, as every item sets the whole area.
static void showIfChanged(ConfigEdit* field, const QString& text) {
    if (field->text() != text) field->setText(text);
}

void ConfigArea::ShowLowerThreshold() { showIfChanged(Edit_T1Min, thresholdText(temp_.lowCode)); }
void ConfigArea::ShowUpperThreshold() { showIfChanged(Edit_T1Max, thresholdText(temp_.highCode)); }
void ConfigArea::ShowCorrection() { showIfChanged(Edit_T1Korekta, correctionText(temp_.correctionCode)); }

// The thresholds' displays mark themselves when their text changes: a click at a limit changes nothing.
void ConfigArea::SpinButton1UpClick() {
    temp_.highCode = thresholdUp(temp_.highCode);
    ShowUpperThreshold();
}

void ConfigArea::SpinButton1DownClick() {
    temp_.highCode = thresholdDown(temp_.highCode);
    ShowUpperThreshold();
}

void ConfigArea::SpinButton2UpClick() {
    temp_.lowCode = thresholdUp(temp_.lowCode);
    ShowLowerThreshold();
}

void ConfigArea::SpinButton2DownClick() {
    temp_.lowCode = thresholdDown(temp_.lowCode);
    ShowLowerThreshold();
}

// The correction and the interval are marked on every click.
void ConfigArea::SpinButton3UpClick() {
    paintBackground(Edit_T1Korekta, Colour::Red);
    temp_.correctionCode = correctionUp(temp_.correctionCode);
    ShowCorrection();
}

void ConfigArea::SpinButton3DownClick() {
    paintBackground(Edit_T1Korekta, Colour::Red);
    temp_.correctionCode = correctionDown(temp_.correctionCode);
    ShowCorrection();
}

void ConfigArea::SpinButton4UpClick() {
    if (const auto next = intervalUp(TempZapisz->text())) {
        TempZapisz->setText(*next);
        paintBackground(TempZapisz, Colour::Red);
    }
}

void ConfigArea::SpinButton4DownClick() {
    if (const auto next = intervalDown(TempZapisz->text())) {
        TempZapisz->setText(*next);
        paintBackground(TempZapisz, Colour::Red);
    }
}

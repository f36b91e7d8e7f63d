// The configuration area's controls and their layout.

#include "config/ConfigArea.h"

#include "config/ConfigWidgets.h"
#include "config/Palette.h"
#include "config/Spoken.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, parent);
    if (buddy) l->setBuddy(buddy);
    return l;
}

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& text, const QString& accessible,
                    const QString& hint = {}) {
    auto* b = new QCheckBox(text, parent);
    b->setObjectName(name);
    b->setAccessibleName(accessible);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        describe(b, hint);
    }
    return b;
}

void hint(QWidget* w, const QString& text) {
    w->setToolTip(text);
    describe(w, text);
}

QGridLayout* tightGrid(QWidget* parent) {
    auto* g = new QGridLayout(parent);
    g->setContentsMargins(6, 4, 6, 6);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(3);
    return g;
}

const QStringList kOperatorEntries = {QStringLiteral("ORANGE"), QStringLiteral("T-MOBILE"), QStringLiteral("PLUS"),
                                      QStringLiteral("PLAY"), QStringLiteral("inny")};
const QStringList kRoleEntries = {QStringLiteral("Brak"), QStringLiteral("T MIN"), QStringLiteral("T MAX"),
                                  QStringLiteral("T ALR")};
}  // namespace

ConfigArea::ConfigArea(QWidget* parent) : QWidget(parent) {
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(4);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    left->setSpacing(4);
    right->setSpacing(4);
    columns->addLayout(left);
    columns->addLayout(right);
    auto box = [&](QGroupBox*& member, const char* name, const QString& title, QVBoxLayout* column) {
        member = new QGroupBox(title, this);
        member->setObjectName(QLatin1String(name));
        column->addWidget(member);
    };
    // Created in the order the keyboard walks them: the left column, then the right one.
    box(BoxTelefony, "BoxTelefony", QStringLiteral("Numery telefonów"), left);
    buildTelefony();
    box(Boxwejscia, "Boxwejscia", QStringLiteral("Wejścia"), left);
    buildWejscia();
    box(BoxCzujnik, "BoxCzujnik", QStringLiteral("Czujnik temperatury"), left);
    buildCzujnik();
    box(BoxOpcjeWejsc, "BoxOpcjeWejsc", QStringLiteral("Opcje wejść"), right);
    buildOpcjeWejsc();
    box(BoxOpcjeWyjsc, "BoxOpcjeWyjsc", QStringLiteral("Opcje wyjść"), right);
    buildOpcjeWyjsc();
    left->addStretch(1);
    right->addStretch(1);

    const ConfigValues start = ConfigValues::defaults();
    for (int f = 0; f < kTextFieldCount; ++f) edits_[f]->setText(start.texts[size_t(f)]);
    EditPotw->setEnabled(false);
    EditAutotest->setEnabled(false);
    wireRules();
    // Start-up: the temperature settings rendered, then every control in its start colour.
    temp_ = start.temp;
    ShowLowerThreshold();
    ShowUpperThreshold();
    ShowCorrection();
    // Red on a configuration control means changed since the last read or write; a screen reader says so.
    for (QWidget* w : findChildren<QWidget*>())
        if (qobject_cast<ConfigEdit*>(w) || qobject_cast<ConfigCombo*>(w) || qobject_cast<QCheckBox*>(w))
            setColourWords(w, {{Colour::Red, QStringLiteral("zmienione")}});
    paintStartColours();
}

void ConfigArea::setBoxesVisible(bool visible) {
    for (QGroupBox* b : {BoxTelefony, Boxwejscia, BoxOpcjeWejsc, BoxOpcjeWyjsc, BoxCzujnik}) b->setVisible(visible);
    setVisible(visible);
}

bool ConfigArea::boxesVisible() const { return !isHidden() && !BoxTelefony->isHidden(); }

ConfigEdit* ConfigArea::makeEdit(QWidget* parent, TextField field, CharSet set) {
    auto* e = new ConfigEdit(parent, fieldName(field), set, fieldMaxLength(field));
    e->setAccessibleName(fieldCaption(field));
    e->setDisplayChars(fieldMaxLength(field));
    edits_[int(field)] = e;
    return e;
}

ConfigEdit* ConfigArea::makeDisplay(QWidget* parent, const char* name, const QString& caption,
                                     const QString& meaning) {
    auto* e = new ConfigEdit(parent, QLatin1String(name), CharSet::Free, 0);
    e->setReadOnly(true);
    nameAfterValue(e, caption);
    describe(e, meaning);
    e->setAlignment(Qt::AlignRight);
    e->setDisplayChars(5);  // "-31,50"
    return e;
}

// ---------------------------------------------------------------- "Numery telefonów"

void ConfigArea::buildTelefony() {
    auto* layout = new QVBoxLayout(BoxTelefony);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(3);
    auto* numbers = new QGridLayout;
    numbers->setHorizontalSpacing(4);
    numbers->setVerticalSpacing(3);
    layout->addLayout(numbers);
    ConfigEdit** phones[kPhones] = {&Edit_Tel1, &Edit_Tel2, &Edit_Tel3, &Edit_Tel4,
                                    &Edit_Tel5, &Edit_Tel6, &Edit_Tel7, &Edit_Tel8};
    for (int i = 0; i < kPhones; ++i) {
        const auto field = TextField(int(TextField::Edit_Tel1) + i);
        *phones[i] = makeEdit(BoxTelefony, field, CharSet::Telephone);
        (*phones[i])->setAccessibleName(QStringLiteral("%1 (%2)").arg(i + 1).arg(fieldCaption(field)));
        const int row = i % 4, column = i < 4 ? 0 : 2;
        numbers->addWidget(caption(BoxTelefony, QString::number(i + 1), *phones[i]), row, column, Qt::AlignRight);
        numbers->addWidget(*phones[i], row, column + 1);
    }
    numbers->setColumnMinimumWidth(2, 24);
    numbers->setColumnStretch(4, 1);
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(3);
    layout->addLayout(g);

    Combo_operator = new ConfigCombo(BoxTelefony, QStringLiteral("Combo_operator"), kOperatorEntries, 0,
                                     kOperatorEntries[0]);
    Combo_operator->setAccessibleName(QStringLiteral("Operator GSM"));
    Edit_operator = makeEdit(BoxTelefony, TextField::Edit_operator, CharSet::Telephone);
    g->addWidget(caption(BoxTelefony, QStringLiteral("Operator GSM"), Combo_operator), 0, 0, Qt::AlignRight);
    g->addWidget(Combo_operator, 0, 1);
    g->addWidget(caption(BoxTelefony, QStringLiteral("Centrum SMS"), Edit_operator), 0, 2, Qt::AlignRight);
    g->addWidget(Edit_operator, 0, 3);

    Edit_pin = makeEdit(BoxTelefony, TextField::Edit_pin, CharSet::Digits);
    hint(Edit_pin, QStringLiteral("PIN karty SIM (4 cyfry)"));
    JakiStan = makeEdit(BoxTelefony, TextField::JakiStan, CharSet::Free);
    g->addWidget(caption(BoxTelefony, QStringLiteral("PIN"), Edit_pin), 1, 0, Qt::AlignRight);
    g->addWidget(Edit_pin, 1, 1);
    g->addWidget(caption(BoxTelefony, QStringLiteral("Pytanie o stan:"), JakiStan), 1, 2, Qt::AlignRight);
    g->addWidget(JakiStan, 1, 3);

    // "Limit SMS:" 3 z [10]: used today, then the limit.
    auto limitRow = [&](TextField field, QLabel*& used, const char* usedName, const QString& title,
                        const QString& tip, const QString& usedAccessible, const QString& usedTip, int column) {
        ConfigEdit* e = makeEdit(BoxTelefony, field, CharSet::Digits);
        hint(e, tip);
        used = new QLabel(QStringLiteral("0 z"), BoxTelefony);
        used->setObjectName(QLatin1String(usedName));
        used->setToolTip(usedTip);
        describe(used, usedTip);
        nameAfterValue(used, usedAccessible + QStringLiteral(": brak danych"), usedAccessible);
        used->setMinimumWidth(used->fontMetrics().horizontalAdvance(QStringLiteral("99 z")));
        used->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(used);
        row->addWidget(e);
        row->addStretch(1);
        g->addWidget(caption(BoxTelefony, title, e), 2, column, Qt::AlignRight);
        g->addLayout(row, 2, column + 1);
        return e;
    };
    Edit_LimitSMS = limitRow(TextField::Edit_LimitSMS, LabelSMS, "LabelSMS", QStringLiteral("Limit SMS:"),
                             QStringLiteral("Dobowy limit SMS"), QStringLiteral("SMS wysłane dziś"),
                             QStringLiteral("Ilość wykorzystanych SMS z limitu dobowego"), 0);
    Edit_LimitVoice = limitRow(TextField::Edit_LimitVoice, LabelVoice, "LabelVoice", QStringLiteral("Limit Voice:"),
                               QStringLiteral("Dobowy limit połączeń głosowych"),
                               QStringLiteral("Połączenia głosowe dziś"),
                               QStringLiteral("Ilość wykorzystanych połączeń głosowych z limitu dobowego"), 2);
    g->setColumnStretch(4, 1);
}

// ---------------------------------------------------------------- "Wejścia"

void ConfigArea::buildWejscia() {
    auto* g = tightGrid(Boxwejscia);
    g->addWidget(caption(Boxwejscia, QStringLiteral("Wejście Załączone")), 0, 1);
    g->addWidget(caption(Boxwejscia, QStringLiteral("Wejście Wyłączone")), 0, 2);
    struct Row {
        const char* label;
        TextField on, off;
        ConfigEdit **onMember, **offMember;
    };
    const Row rows[] = {
        {"IN1", TextField::Edit_IN1A, TextField::Edit_IN1N, &Edit_IN1A, &Edit_IN1N},
        {"IN2", TextField::Edit_IN2A, TextField::Edit_IN2N, &Edit_IN2A, &Edit_IN2N},
        {"IN3", TextField::Edit_IN3A, TextField::Edit_IN3N, &Edit_IN3A, &Edit_IN3N},
        {"IN4", TextField::Edit_IN4A, TextField::Edit_IN4N, &Edit_IN4A, &Edit_IN4N},
        {"IN5", TextField::Edit_IN5A, TextField::Edit_IN5N, &Edit_IN5A, &Edit_IN5N},
        {"Bateria", TextField::Edit_ACa, TextField::Edit_ACn, &Edit_ACa, &Edit_ACn},
        {"Zasilanie", TextField::Edit_DCa, TextField::Edit_DCn, &Edit_DCa, &Edit_DCn},
    };
    int r = 1;
    for (const Row& row : rows) {
        *row.onMember = makeEdit(Boxwejscia, row.on, CharSet::Free);
        *row.offMember = makeEdit(Boxwejscia, row.off, CharSet::Free);
        g->addWidget(caption(Boxwejscia, QLatin1String(row.label), *row.onMember), r, 0, Qt::AlignRight);
        g->addWidget(*row.onMember, r, 1);
        g->addWidget(*row.offMember, r, 2);
        ++r;
    }
    g->setColumnStretch(3, 1);
}

// ---------------------------------------------------------------- "Czujnik temperatury"

void ConfigArea::buildCzujnik() {
    auto* g = tightGrid(BoxCzujnik);
    Edit_T1a = makeEdit(BoxCzujnik, TextField::Edit_T1a, CharSet::Free);
    Edit_T1ok = makeEdit(BoxCzujnik, TextField::Edit_T1ok, CharSet::Free);
    Edit_T1n = makeEdit(BoxCzujnik, TextField::Edit_T1n, CharSet::Free);
    int r = 0;
    using Row = std::pair<const char*, ConfigEdit*>;
    for (auto [title, e] : std::initializer_list<Row>{{"Wysoka", Edit_T1a}, {"Norma", Edit_T1ok}, {"Niska", Edit_T1n}}) {
        g->addWidget(caption(BoxCzujnik, QLatin1String(title), e), r, 0, Qt::AlignRight);
        g->addWidget(e, r, 1);
        ++r;
    }

    Edit_T1Max = makeDisplay(BoxCzujnik, "Edit_T1Max", QStringLiteral("MAX"), QStringLiteral("Próg MAX, °C"));
    SpinButton1 = new SpinButton(BoxCzujnik, QStringLiteral("SpinButton1"), QStringLiteral("Próg MAX"));
    Edit_T1Min = makeDisplay(BoxCzujnik, "Edit_T1Min", QStringLiteral("MIN"), QStringLiteral("Próg MIN, °C"));
    SpinButton2 = new SpinButton(BoxCzujnik, QStringLiteral("SpinButton2"), QStringLiteral("Próg MIN"));
    Edit_T1Korekta = makeDisplay(BoxCzujnik, "Edit_T1Korekta", QStringLiteral("Korekta"),
                                 QStringLiteral("Korekta odczytu czujnika, °C"));
    SpinButton3 = new SpinButton(BoxCzujnik, QStringLiteral("SpinButton3"), QStringLiteral("Korekta"));
    TempZapisz = makeEdit(BoxCzujnik, TextField::TempZapisz, CharSet::Digits);
    TempZapisz->setReadOnly(true);
    TempZapisz->setAlignment(Qt::AlignRight);
    TempZapisz->setDisplayChars(5);
    hint(TempZapisz, QStringLiteral("Okres zapisu temperatury"));
    nameAfterValue(TempZapisz, QStringLiteral("Zapis"));
    SpinButton4 = new SpinButton(BoxCzujnik, QStringLiteral("SpinButton4"), QStringLiteral("Zapis"));

    auto* values = new QGridLayout;
    values->setHorizontalSpacing(2);
    values->setVerticalSpacing(3);
    struct Cell {
        const char* title;
        ConfigEdit* display;
        SpinButton* spin;
        int row, column;
    };
    for (const Cell& c : {Cell{"MAX", Edit_T1Max, SpinButton1, 0, 0}, Cell{"MIN", Edit_T1Min, SpinButton2, 1, 0},
                          Cell{"Korekta", Edit_T1Korekta, SpinButton3, 2, 0}, Cell{"Zapis", TempZapisz, SpinButton4, 3, 0}}) {
        values->addWidget(caption(BoxCzujnik, QLatin1String(c.title), c.display), c.row, c.column, Qt::AlignRight);
        values->addWidget(c.display, c.row, c.column + 1);
        values->addWidget(c.spin, c.row, c.column + 2);
    }
    values->setColumnMinimumWidth(0, 50);
    g->addLayout(values, 0, 2, 4, 1, Qt::AlignTop);
    g->setColumnStretch(3, 1);
}

// ---------------------------------------------------------------- "Opcje wejść"

void ConfigArea::buildOpcjeWejsc() {
    auto* layout = new QVBoxLayout(BoxOpcjeWejsc);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(3);
    TabSMSVoice = new QTabWidget(BoxOpcjeWejsc);
    TabSMSVoice->setObjectName(QStringLiteral("TabSMSVoice"));
    TabSMSVoice->setAccessibleName(QStringLiteral("Powiadomienia SMS i Voice"));
    auto sheet = [&](QWidget*& member, const char* name, int kind, const QString& title) {
        member = new QWidget;
        member->setObjectName(QLatin1String(name));
        auto* g = new QGridLayout(member);
        g->setContentsMargins(4, 3, 4, 3);
        g->setHorizontalSpacing(6);
        g->setVerticalSpacing(1);
        for (int phone = 1; phone <= kPhones; ++phone)
            g->addWidget(caption(member, QString::number(phone)), 0, phone, Qt::AlignHCenter);
        for (int row = 0; row < kMatrixRows; ++row) {
            g->addWidget(caption(member, matrixRowLabel(row)), row + 1, 0);
            for (int phone = 1; phone <= kPhones; ++phone) {
                auto* b = checkBox(member, matrixBoxName(row, kind, phone), {},
                                   QStringLiteral("%1 %2, telefon %3").arg(title, matrixRowLabel(row)).arg(phone));
                matrix_[row][kind][phone - 1] = b;
                g->addWidget(b, row + 1, phone, Qt::AlignHCenter);
            }
        }
        g->setColumnStretch(kPhones + 1, 1);
        TabSMSVoice->addTab(member, title);
    };
    sheet(TabSheet1, "TabSheet1", Sms, QStringLiteral("SMS"));
    sheet(TabSheet2, "TabSheet2", Voice, QStringLiteral("Voice"));
    layout->addWidget(TabSMSVoice);

    BoxAutoTest = checkBox(BoxOpcjeWejsc, QStringLiteral("BoxAutoTest"), QStringLiteral("Automatyczny SMS na telefon nr.1"),
                           QStringLiteral("Automatyczny SMS na telefon nr.1"));
    EditAutotest = makeEdit(BoxOpcjeWejsc, TextField::EditAutotest, CharSet::Free);
    hint(EditAutotest, QStringLiteral("Treść automatycznego SMS"));
    IleTest = makeEdit(BoxOpcjeWejsc, TextField::IleTest, CharSet::Digits);
    hint(IleTest, QStringLiteral("Co ile godzin wysłać automatyczny SMS"));
    IleTest->setAccessibleName(QStringLiteral("h (okres automatycznego SMS)"));
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(EditAutotest);
    row->addWidget(IleTest);
    row->addWidget(caption(BoxOpcjeWejsc, QStringLiteral("h"), IleTest));
    row->addStretch(1);
    layout->addWidget(BoxAutoTest, 0, Qt::AlignLeft);
    layout->addLayout(row);
}

// ---------------------------------------------------------------- "Opcje wyjść"

void ConfigArea::buildOpcjeWyjsc() {
    auto* layout = new QVBoxLayout(BoxOpcjeWyjsc);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(3);
    // Two by two, so that the column beside the notification matrices stays narrow.
    auto* groups = new QGridLayout;
    groups->setSpacing(4);
    layout->addLayout(groups);

    ConfigEdit** zal[kOutputs] = {&Edit_Out1zal, &Edit_Out2zal, &Edit_OUT3Zal, &Edit_OUT4Zal};
    ConfigEdit** wyl[kOutputs] = {&Edit_Out1wyl, &Edit_Out2wyl, &Edit_Out3Wyl, &Edit_Out4Wyl};
    QCheckBox** nc[kOutputs] = {&BoxOut1NC, &BoxOut2NC, &BoxOut3NC, &BoxOut4NC};
    QCheckBox** mono[kOutputs] = {&BoxOut1Mono, &BoxOut2Mono, &BoxOut3Mono, &BoxOut4Mono};
    ConfigEdit** czas[kOutputs] = {&Out1Czas, &Out2Czas, &Out3Czas, &Out4Czas};
    ConfigCombo** combo[kOutputs] = {&ComboOut1, &ComboOut2, &ComboOut3, &ComboOut4};
    const TextField zalField[kOutputs] = {TextField::Edit_Out1zal, TextField::Edit_Out2zal, TextField::Edit_OUT3Zal,
                                          TextField::Edit_OUT4Zal};
    const TextField wylField[kOutputs] = {TextField::Edit_Out1wyl, TextField::Edit_Out2wyl, TextField::Edit_Out3Wyl,
                                          TextField::Edit_Out4Wyl};
    const TextField czasField[kOutputs] = {TextField::Out1Czas, TextField::Out2Czas, TextField::Out3Czas,
                                           TextField::Out4Czas};
    const char* const czasHint[kOutputs] = {
        "Czas aktywności wyjścia PK w trybie monostabilnym", "Czas aktywności wyjścia OUT2 w trybie monostabilnym",
        "Czas aktywności wyjścia OUT3 w trybie monostabilnym", "Czas aktywności wyjścia OUT4 w trybie monostabilnym"};

    for (int i = 0; i < kOutputs; ++i) {
        const QString out = QStringLiteral("OUT%1").arg(i + 1);
        auto* group = new QGroupBox(out, BoxOpcjeWyjsc);
        group->setObjectName(QStringLiteral("GroupOUT%1").arg(i + 1));
        group->setAccessibleName(out);  // not the title of the box around it
        GroupOUT[i] = group;
        auto* g = tightGrid(group);
        *zal[i] = makeEdit(group, zalField[i], CharSet::NoSpace);
        *wyl[i] = makeEdit(group, wylField[i], CharSet::NoSpace);
        const QString ofOut = QStringLiteral(" (") + out + QLatin1Char(')');
        *nc[i] = checkBox(group, QStringLiteral("BoxOut%1NC").arg(i + 1), QStringLiteral("NC"),
                          QStringLiteral("NC") + ofOut, QStringLiteral("NC - zaznaczone"));
        *mono[i] = checkBox(group, QStringLiteral("BoxOut%1Mono").arg(i + 1), QStringLiteral("M/B"),
                            QStringLiteral("M/B") + ofOut, QStringLiteral("Monostabilny - zaznaczony"));
        *czas[i] = makeEdit(group, czasField[i], CharSet::Digits);
        hint(*czas[i], QString::fromUtf8(czasHint[i]));
        (*zal[i])->setAccessibleName(QStringLiteral("Zal") + ofOut);
        (*wyl[i])->setAccessibleName(QStringLiteral("Wyl") + ofOut);
        (*czas[i])->setAccessibleName(QStringLiteral("T [s]") + ofOut);
        *combo[i] = new ConfigCombo(group, QStringLiteral("ComboOut%1").arg(i + 1), kRoleEntries, -1, kRoleEntries[0]);
        (*combo[i])->setAccessibleName(QStringLiteral("Temp. steruje") + ofOut);
        nc_[i] = *nc[i];
        mono_[i] = *mono[i];
        comboOut_[i] = *combo[i];

        g->addWidget(caption(group, QStringLiteral("Zal"), *zal[i]), 0, 0, Qt::AlignRight);
        g->addWidget(*zal[i], 0, 1);
        g->addWidget(caption(group, QStringLiteral("Wyl"), *wyl[i]), 1, 0, Qt::AlignRight);
        g->addWidget(*wyl[i], 1, 1);
        auto* flags = new QHBoxLayout;
        flags->setSpacing(8);
        flags->addWidget(*nc[i]);
        flags->addWidget(*mono[i]);
        flags->addStretch(1);
        g->addLayout(flags, 2, 0, 1, 2);
        g->addWidget(caption(group, QStringLiteral("T [s]"), *czas[i]), 3, 0, Qt::AlignRight);
        g->addWidget(*czas[i], 3, 1);
        g->addWidget(caption(group, QStringLiteral("Temp. steruje"), *combo[i]), 4, 0, 1, 2);
        g->addWidget(*combo[i], 5, 0, 1, 2);
        groups->addWidget(group, i / 2, i % 2);
    }

    BoxPotw = checkBox(BoxOpcjeWyjsc, QStringLiteral("BoxPotw"), QStringLiteral("Wyślij potwierdzenie"),
                       QStringLiteral("Wyślij potwierdzenie"),
                       QStringLiteral("Czy wysłać SMS z potwierdzeniem wykonania operacji na wyjściach"));
    EditPotw = makeEdit(BoxOpcjeWyjsc, TextField::EditPotw, CharSet::Free);
    EditPotw->setAccessibleName(QStringLiteral("Treść potwierdzenia"));
    hint(EditPotw, QStringLiteral("Treść SMSa potwierdzającego wykonania operacji na wyjściach"));
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(BoxPotw);
    row->addWidget(EditPotw);
    row->addStretch(1);
    layout->addLayout(row);
}

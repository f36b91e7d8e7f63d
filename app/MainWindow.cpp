#include "app/MainWindow.h"

#include "app/PortDialogs.h"
#include "config/ConfigArea.h"
#include "config/ConfigWidgets.h"
#include "config/Defaults.h"
#include "config/FieldRules.h"
#include "config/Palette.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/People.h"
#include "link/PortCatalog.h"
#include "link/SerialPort.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
template <class W>
W* makeWidget(QWidget* parent, const char* name, const QString& accessibleName = {}) {
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    if (!accessibleName.isEmpty()) w->setAccessibleName(accessibleName);
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint = {}) {
    auto* b = makeWidget<QPushButton>(parent, name, caption.trimmed());
    b->setText(caption);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

QLabel* label(QWidget* parent, const QString& text, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, parent);
    if (buddy) l->setBuddy(buddy);
    return l;
}

QToolButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap pixmap, const QString& hint) {
    auto* b = makeWidget<QToolButton>(parent, name, hint);
    b->setIcon(parent->style()->standardIcon(pixmap));
    b->setIconSize(QSize(22, 22));
    b->setToolTip(hint);
    b->setAutoRaise(false);
    return b;
}

QLabel* statePanel(QWidget* parent, const char* name, const QString& caption, const QString& accessible) {
    auto* p = makeWidget<QLabel>(parent, name, accessible);
    p->setText(caption);
    p->setAlignment(Qt::AlignCenter);
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Sunken);
    p->setMinimumSize(36, 22);
    return p;
}

QLineEdit* valueField(QWidget* parent, const char* name, const QString& accessible) {
    auto* e = makeWidget<QLineEdit>(parent, name, accessible);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignCenter);
    e->setFixedWidth(70);
    return e;
}
}  // namespace

TMain::TMain(const AppDeps& deps, QWidget* parent)
    : QMainWindow(parent), port_(deps.port), catalog_(deps.catalog), people_(deps.people) {
    setObjectName(QStringLiteral("TMain"));
    setWindowTitle(QStringLiteral("MX-4 Konfig v 1.02"));
    link_ = new Link(port_, people_, deps.tickMs, this);
    link_->setHost(this);
    buildWindow();
    FormCreate();
    // The other windows, in this order: password, firmware and about dialogs, the transfer's progress
    // notice, the port-opening notice, the list of ports.
    wireMaintenance();
    wireConfig();
    FormCom = new TFormCom(this);
    FormJakieCOM = new TFormJakieCOM(this);
    wireEvents();
    wireControls();
}

TMain::~TMain() {
    setErrorHook({});
    if (port_) port_->ClosePort();
}

// ---------------------------------------------------------------- layout

void TMain::buildWindow() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    auto* outer = new QHBoxLayout(central);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    outer->addLayout(left);
    outer->setAlignment(left, Qt::AlignTop);

    buildTopPanel();
    left->addWidget(PanelKomunikacji);

    auto* row = new QHBoxLayout;
    buildOptionsAndModem(central, row);
    left->addLayout(row);

    buildStatePanel();
    left->addWidget(GroupBox6);

    ButtonKonfig = button(central, "ButtonKonfig", QStringLiteral("Konfiguracja"));
    left->addWidget(ButtonKonfig);

    buildEventPanel();
    left->addWidget(GroupBox8);

    Config = new ConfigArea(central);
    Config->setObjectName(QStringLiteral("ConfigArea"));
    outer->addWidget(Config, 0, Qt::AlignTop);
    Config->setBoxesVisible(false);

    buildMenu();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
}

void TMain::buildTopPanel() {
    PanelKomunikacji = makeWidget<QFrame>(nullptr, "PanelKomunikacji");
    PanelKomunikacji->setFrameShape(QFrame::StyledPanel);
    PanelKomunikacji->setFixedWidth(489);
    auto* grid = new QGridLayout(PanelKomunikacji);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);

    ButtonCom = button(PanelKomunikacji, "ButtonCom", QStringLiteral("COM?"), QStringLiteral("Pokaż porty COM"));
    ButtonCom->setFixedWidth(44);
    ComCombo = makeWidget<QComboBox>(PanelKomunikacji, "ComCombo", QStringLiteral("Port COM"));
    ComCombo->setEditable(false);
    ComCombo->setMinimumWidth(90);
    // Four digits typed or pasted; a longer password loaded from a file is shown whole.
    Edit_haslo = new ConfigEdit(PanelKomunikacji, QStringLiteral("Edit_haslo"), CharSet::Digits, 4);
    Edit_haslo->setAccessibleName(QStringLiteral("Hasło"));
    Edit_haslo->setText(kDefaultPassword);
    Edit_haslo->setToolTip(QStringLiteral("Hasło dostępu (4 cyfry)"));
    Edit_haslo->setFixedWidth(44);
    QLabel* hasloLabel = label(PanelKomunikacji, QStringLiteral("HASŁO"), Edit_haslo);
    Button_polacz = button(PanelKomunikacji, "Button_polacz", QStringLiteral("POŁĄCZ"));
    Button_rozlacz = button(PanelKomunikacji, "Button_rozlacz", QStringLiteral("ROZŁĄCZ"));
    Edit_status = makeWidget<QLineEdit>(PanelKomunikacji, "Edit_status", QStringLiteral("Stan połączenia"));
    Edit_logon = makeWidget<QLineEdit>(PanelKomunikacji, "Edit_logon", QStringLiteral("Stan logowania"));
    for (QLineEdit* e : {Edit_status, Edit_logon}) {
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignCenter);
        e->setFocusPolicy(Qt::NoFocus);
        e->setFixedWidth(100);
    }
    Icon_get = pictureButton(PanelKomunikacji, "Icon_get", QStyle::SP_ArrowDown,
                             QStringLiteral("Odczytaj konfiguracje z ZUMA"));
    Icon_put = pictureButton(PanelKomunikacji, "Icon_put", QStyle::SP_ArrowUp,
                             QStringLiteral("Zapisz konfiguracje do ZUMA"));
    SpeedButton2 = pictureButton(PanelKomunikacji, "SpeedButton2", QStyle::SP_DialogOpenButton,
                                 QStringLiteral("Otwórz konfiguracje z pliku"));
    SpeedButton1 = pictureButton(PanelKomunikacji, "SpeedButton1", QStyle::SP_DialogSaveButton,
                                 QStringLiteral("Zapisz konfiguracje do pliku"));

    grid->addWidget(ButtonCom, 0, 0);
    grid->addWidget(ComCombo, 0, 1, 1, 2);
    grid->addWidget(hasloLabel, 0, 3, Qt::AlignRight);
    grid->addWidget(Edit_haslo, 0, 4);
    grid->addWidget(Button_polacz, 0, 5);
    grid->addWidget(Icon_get, 0, 6);
    grid->addWidget(Icon_put, 0, 7);
    grid->addWidget(Edit_status, 1, 0, 1, 2);
    grid->addWidget(Edit_logon, 1, 2, 1, 3);
    grid->addWidget(Button_rozlacz, 1, 5);
    grid->addWidget(SpeedButton2, 1, 6);
    grid->addWidget(SpeedButton1, 1, 7);
}

void TMain::buildOptionsAndModem(QWidget* parent, QHBoxLayout* row) {
    GroupBox3 = makeWidget<QGroupBox>(parent, "GroupBox3");
    GroupBox3->setTitle(QStringLiteral("Opcje MX-4"));
    auto* g3 = new QGridLayout(GroupBox3);
    Button_zmiana_hasla = button(GroupBox3, "Button_zmiana_hasla", QStringLiteral("Zmiana hasła"));
    ButtonResetlimit = button(GroupBox3, "ButtonResetlimit", QStringLiteral("Zeruj liczniki"),
                              QStringLiteral("Zeruje liczniki SMS i Voice"));
    ButtonZegar = button(GroupBox3, "ButtonZegar", QStringLiteral("Ustaw Zegar"));
    ButtonRestart = button(GroupBox3, "ButtonRestart", QStringLiteral("Restart MX-4"));
    ButtonFirmware = button(GroupBox3, "ButtonFirmware", QStringLiteral("Aktualizacja"));
    TextWersja = makeWidget<QLabel>(GroupBox3, "TextWersja", QStringLiteral("Wersja firmware"));
    TextWersja->setText(QStringLiteral("MX-4 v ..."));
    TextWersja->setToolTip(QStringLiteral("Wersja frimware w sterowniku ZUMA"));
    g3->addWidget(Button_zmiana_hasla, 0, 0);
    g3->addWidget(ButtonResetlimit, 0, 1);
    g3->addWidget(ButtonZegar, 1, 0);
    g3->addWidget(ButtonRestart, 1, 1);
    g3->addWidget(ButtonFirmware, 2, 0);
    g3->addWidget(TextWersja, 2, 1, Qt::AlignCenter);
    row->addWidget(GroupBox3, 3);

    GroupBox7 = makeWidget<QGroupBox>(parent, "GroupBox7");
    GroupBox7->setTitle(QStringLiteral("Modem GSM"));
    auto* g7 = new QGridLayout(GroupBox7);
    StatusBar = makeWidget<QStatusBar>(GroupBox7, "StatusBar", QStringLiteral("Stan modemu GSM"));
    StatusBar->setSizeGripEnabled(false);
    StatusPanel = makeWidget<QLabel>(StatusBar, "StatusPanel", QStringLiteral("Stan modemu GSM"));
    StatusPanel->setMinimumWidth(170);
    StatusBar->addWidget(StatusPanel, 1);
    BarRSSI = makeWidget<QProgressBar>(GroupBox7, "BarRSSI", QStringLiteral("Poziom sygnału GSM"));
    BarRSSI->setRange(0, 20);
    BarRSSI->setValue(0);
    BarRSSI->setTextVisible(false);
    BarRSSI->setFixedHeight(14);
    {
        QPalette p = BarRSSI->palette();
        p.setColor(QPalette::Highlight, QColor(0, 0, 255));
        BarRSSI->setPalette(p);
    }
    LabelZd = makeWidget<QLabel>(GroupBox7, "LabelZd", QStringLiteral("Ilość zdarzeń do obsługi"));
    LabelZd->setText(QStringLiteral("Zd: 0"));
    LabelZd->setToolTip(QStringLiteral("Ilość zdarzeń do obsługi"));
    g7->addWidget(StatusBar, 0, 0, 1, 3);
    g7->addWidget(label(GroupBox7, QStringLiteral("Syg. GSM:"), BarRSSI), 1, 0);
    g7->addWidget(BarRSSI, 1, 1);
    g7->addWidget(LabelZd, 1, 2);
    row->addWidget(GroupBox7, 2);
}

void TMain::buildStatePanel() {
    GroupBox6 = makeWidget<QGroupBox>(nullptr, "GroupBox6");
    GroupBox6->setTitle(QStringLiteral("Stan"));
    auto* grid = new QGridLayout(GroupBox6);
    grid->setHorizontalSpacing(3);
    PanelIN1 = statePanel(GroupBox6, "PanelIN1", QStringLiteral("In1"), QStringLiteral("Wejście 1"));
    PanelIN2 = statePanel(GroupBox6, "PanelIN2", QStringLiteral("In2"), QStringLiteral("Wejście 2"));
    PanelIN3 = statePanel(GroupBox6, "PanelIN3", QStringLiteral("In3"), QStringLiteral("Wejście 3"));
    PanelIN4 = statePanel(GroupBox6, "PanelIN4", QStringLiteral("In4"), QStringLiteral("Wejście 4"));
    PanelIN5 = statePanel(GroupBox6, "PanelIN5", QStringLiteral("In5"), QStringLiteral("Wejście 5"));
    PanelFab = statePanel(GroupBox6, "PanelFab", QStringLiteral("F"), QStringLiteral("Flaga F"));
    PanelPK = statePanel(GroupBox6, "PanelPK", QStringLiteral("Out1"), QStringLiteral("Wyjście 1"));
    PanelOut2 = statePanel(GroupBox6, "PanelOut2", QStringLiteral("Out2"), QStringLiteral("Wyjście 2"));
    PanelOut3 = statePanel(GroupBox6, "PanelOut3", QStringLiteral("Out3"), QStringLiteral("Wyjście 3"));
    PanelOut4 = statePanel(GroupBox6, "PanelOut4", QStringLiteral("Out4"), QStringLiteral("Wyjście 4"));
    int column = 0;
    for (QLabel* p : {PanelIN1, PanelIN2, PanelIN3, PanelIN4, PanelIN5, PanelFab, PanelPK, PanelOut2, PanelOut3,
                      PanelOut4})
        grid->addWidget(p, 0, column++);
    Temp1 = valueField(GroupBox6, "Temp1", QStringLiteral("Temperatura"));
    Ubat = valueField(GroupBox6, "Ubat", QStringLiteral("Napięcie baterii"));
    Uzs = valueField(GroupBox6, "Uzs", QStringLiteral("Napięcie zasilacza 5V"));
    auto* values = new QHBoxLayout;
    auto addValue = [&](const QString& caption, QLineEdit* field) {
        auto* column = new QVBoxLayout;
        column->addWidget(label(GroupBox6, caption, field), 0, Qt::AlignHCenter);
        column->addWidget(field, 0, Qt::AlignHCenter);
        values->addLayout(column);
    };
    addValue(QStringLiteral("Temp."), Temp1);
    addValue(QStringLiteral("Bateria"), Ubat);
    addValue(QStringLiteral("Zasilacz 5V"), Uzs);
    grid->addLayout(values, 1, 0, 1, 10);
}

void TMain::buildEventPanel() {
    GroupBox8 = makeWidget<QGroupBox>(nullptr, "GroupBox8");
    GroupBox8->setTitle(QStringLiteral("Rejestr zdarzeń"));
    GroupBox8->setFixedSize(489, 329);
    auto* layout = new QVBoxLayout(GroupBox8);
    auto* buttons = new QHBoxLayout;
    ButtonPobierz = button(GroupBox8, "ButtonPobierz", QStringLiteral("POBIERZ"));
    ButtonSTOP = button(GroupBox8, "ButtonSTOP", QStringLiteral("STOP"));
    TempBar = makeWidget<QProgressBar>(GroupBox8, "TempBar", QStringLiteral("Postęp pobierania rejestru"));
    TempBar->setRange(0, 1);
    TempBar->setValue(0);
    ButtonKasuj = button(GroupBox8, "ButtonKasuj", QStringLiteral("KASUJ "));
    ButtonCLR = button(GroupBox8, "ButtonCLR", QStringLiteral("CLR"));
    Button1 = button(GroupBox8, "Button1", QStringLiteral("Drukuj"));
    ButtonZapisz = button(GroupBox8, "ButtonZapisz", QStringLiteral("Zapisz do pliku"));
    ButtonWykres = button(GroupBox8, "ButtonWykres", QStringLiteral("Wykres"), QStringLiteral("Wykres temperatury z rejestru zdarzeń"));
    for (QPushButton* b : {ButtonPobierz, ButtonSTOP, ButtonKasuj, ButtonCLR, Button1, ButtonWykres}) b->setMaximumWidth(64);
    buttons->addWidget(ButtonPobierz);
    buttons->addWidget(ButtonSTOP);
    buttons->addWidget(TempBar, 1);
    layout->addLayout(buttons);
    auto* output = new QHBoxLayout;
    output->addWidget(ButtonKasuj);
    output->addWidget(ButtonCLR);
    output->addWidget(Button1);
    output->addWidget(ButtonZapisz);
    output->addWidget(ButtonWykres);
    output->addStretch(1);
    layout->addLayout(output);
    trm = makeWidget<QTextEdit>(GroupBox8, "trm", QStringLiteral("Rejestr zdarzeń"));
    trm->setReadOnly(true);
    trm->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    trm->setAcceptRichText(true);
    trm->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    trm->setLineWrapMode(QTextEdit::NoWrap);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(13);
    trm->setFont(arial);
    trm->document()->setDefaultFont(arial);
    layout->addWidget(trm, 1);
}

void TMain::buildMenu() {
    QMenu* plik = menuBar()->addMenu(QStringLiteral("Plik"));
    plik->setObjectName(QStringLiteral("Plik1"));
    Odczyt1 = plik->addAction(QStringLiteral("Odczyt"));
    Odczyt1->setObjectName(QStringLiteral("Odczyt1"));
    Zapis1 = plik->addAction(QStringLiteral("Zapis"));
    Zapis1->setObjectName(QStringLiteral("Zapis1"));
    PorownajPlik1 = plik->addAction(QStringLiteral("Porównaj z plikiem"));
    PorownajPlik1->setObjectName(QStringLiteral("PorownajPlik1"));
    QMenu* dane = menuBar()->addMenu(QStringLiteral("Dane"));
    dane->setObjectName(QStringLiteral("Dane1"));
    Pobierz1 = dane->addAction(QStringLiteral("Odczyt"));
    Pobierz1->setObjectName(QStringLiteral("Pobierz1"));
    Zapisz1 = dane->addAction(QStringLiteral("Zapisz"));
    Zapisz1->setObjectName(QStringLiteral("Zapisz1"));
    Porownaj1 = dane->addAction(QStringLiteral("Porównaj z MX-4"));
    Porownaj1->setObjectName(QStringLiteral("Porownaj1"));
    QMenu* info = menuBar()->addMenu(QStringLiteral("Info"));
    info->setObjectName(QStringLiteral("Info1"));
    Oprogramie1 = info->addAction(QStringLiteral("O programie"));
    Oprogramie1->setObjectName(QStringLiteral("Oprogramie1"));
}

// ---------------------------------------------------------------- start-up and shutdown

void TMain::FormCreate() {
    shuttingDown = false;
    setErrorHook([this](const AppError& e) { HandleException(e); });
    portNames.clear();
    deviceNames.clear();
    EnterLoggedOut();
    Edit_status->setText(QStringLiteral("ROZŁĄCZONY"));
    paintBackground(Edit_status, Colour::Red);
    HideLiveStatus();
    trm->clear();
    RefreshPortList();
    link_->startTimer();
}

void TMain::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMain::FormClose() {
    // From here on nothing starts: every control is refused, and every wait under way ends.
    link_->activity().enter(Activity::ShuttingDown);
    shuttingDown = true;
    EnterLoggedOut();
    HideLiveStatus();
    guarded([this] { DropConnection(); });
    FormJakieCOM->hide();
    FormCom->hide();
    QCoreApplication::quit();
}

void TMain::ButtonKonfigClick() {
    const bool visible = !Config->boxesVisible();
    Config->setBoxesVisible(visible);
    centralWidget()->adjustSize();
    adjustSize();
}

void TMain::HandleException(const AppError& error) {
    // The command that raised it has been abandoned and its activity has ended: the controls are as the
    // table says for what is left ("POŁĄCZ" is usable again whenever a connect could start).
    applyControlTable();
    QString text = error.message();
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) text += QLatin1Char('.');
    people_->error(text);
    if (error.isConversionError()) {
        people_->beep();
        people_->plain(QStringLiteral("Port COM niedostępny"));
    }
    FormCom->hide();
    if (shuttingDown) {
        QCoreApplication::quit();
        QCoreApplication::processEvents();
    }
}

// ---------------------------------------------------------------- wiring

void TMain::wireControls() {
    onCommand(Button_polacz, Control::Button_polacz, Activity::Connecting, [this] { Button_polaczClick(); });
    onCommand(Button_rozlacz, Control::Button_rozlacz, Activity::LoggingOut, [this] { Button_rozlaczClick(); });
    onUsable(ButtonCom, Control::ButtonCom, [this] { ShowPortsDialog(); });
    onUsable(ButtonKonfig, Control::ButtonKonfig, [this] { ButtonKonfigClick(); });
    onUsable(FormJakieCOM->Button1, Control::Odswierz, [this] { ShowPortsDialog(); });
    connect(ComCombo, &QComboBox::activated, this, [this](int index) {
        whenUsable(Control::ComCombo, [&] { ComComboChange(index); });
    });
    onFocusExit(ComCombo, [this] { ComComboExit(); });

    onFocusExit(Edit_haslo, [this] {
        if (Edit_haslo->text().size() < 4) Edit_haslo->setText(kDefaultPassword);
    });

    connect(port_, &SerialPort::portLost, this, [this](const QString& m) { guarded([&] { onPortLost(m); }); });
    connect(link_->timer(), &QTimer::timeout, this, [this] {
        if (link_->tickCount() % 10 == 0) guarded([this] { checkPortPresent(); });
    });
    bindControls();
    applyControlTable();
}

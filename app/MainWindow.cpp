#include "app/MainWindow.h"

#include "app/PortDialogs.h"
#include "config/ConfigArea.h"
#include "config/ConfigWidgets.h"
#include "config/Defaults.h"
#include "config/FieldRules.h"
#include "config/Palette.h"
#include "config/Spoken.h"
#include "link/ErrorHook.h"
#include "link/Link.h"
#include "link/People.h"
#include "link/PortCatalog.h"
#include "link/PortHints.h"
#include "link/PortSearch.h"
#include "link/PortWatcher.h"
#include "link/SerialPort.h"
#include "ProgramVersion.h"

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
#include <QScreen>
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
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        describe(b, hint);
    }
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

// A panel shows its caption and tells by colour whether it is on; the words say the same.
QLabel* statePanel(QWidget* parent, const char* name, const QString& caption, const QString& meaning,
                   const QColor& onColour, const QString& onWord, const QString& offWord) {
    auto* p = makeWidget<QLabel>(parent, name, caption);
    p->setText(caption);
    describe(p, meaning);
    const QColor offColour = onColour == Colour::Green ? Colour::Red : Colour::Green;
    const QString prefix = caption + QStringLiteral(": ");
    setColourWords(p, {{onColour, prefix + onWord}, {offColour, prefix + offWord}}, prefix + QStringLiteral("brak danych"));
    p->setAlignment(Qt::AlignCenter);
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Sunken);
    p->setMinimumSize(36, 22);
    return p;
}

// A live value under its caption: named "caption: value", its meaning and its colour's words described.
QLineEdit* valueField(QWidget* parent, const char* name, const QString& caption, const QString& meaning) {
    auto* e = makeWidget<QLineEdit>(parent, name);
    nameAfterValue(e, caption);
    describe(e, meaning);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignCenter);
    e->setFixedWidth(70);
    return e;
}
}  // namespace

TMain::TMain(const AppDeps& deps, QWidget* parent)
    : QMainWindow(parent), port_(deps.port), catalog_(deps.catalog), people_(deps.people) {
    setObjectName(QStringLiteral("TMain"));
    setWindowTitle(QStringLiteral("MX-4 Konfig v " MX4_SHOWN_VERSION));
    link_ = new Link(port_, people_, deps.tickMs, this);
    link_->setHost(this);
    portWatcher_ = new PortWatcher(catalog_, this);
    portSearch_ = new PortSearch(catalog_, deps.tickMs, this);
    buildWindow();
    FormCreate();
    // The other windows, in this order: password, firmware and about dialogs, the transfer's progress
    // notice, the port-opening notice, the list of ports.
    wireMaintenance();
    wireConfig();
    FormCom = new TFormCom(this);
    FormJakieCOM = new TFormJakieCOM(this);
    wireEvents();
    wireArchive();
    wireControls();
    // Centred on the desktop at its start size.
    adjustSize();
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
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
    // The window can be enlarged; the event list takes the extra room.
    auto* outer = new QHBoxLayout(central);
    outer->setSizeConstraint(QLayout::SetMinimumSize);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    outer->addLayout(left, 1);

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
    left->addWidget(GroupBox8, 1);

    Config = new ConfigArea(central);
    Config->setObjectName(QStringLiteral("ConfigArea"));
    Config->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
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
    Edit_haslo->setAccessibleName(QStringLiteral("HASŁO"));
    Edit_haslo->setText(kDefaultPassword);
    Edit_haslo->setToolTip(QStringLiteral("Hasło dostępu (4 cyfry)"));
    describe(Edit_haslo, Edit_haslo->toolTip());
    Edit_haslo->setFixedWidth(44);
    QLabel* hasloLabel = label(PanelKomunikacji, QStringLiteral("HASŁO"), Edit_haslo);
    Button_polacz = button(PanelKomunikacji, "Button_polacz", QStringLiteral("POŁĄCZ"));
    Button_rozlacz = button(PanelKomunikacji, "Button_rozlacz", QStringLiteral("ROZŁĄCZ"));
    Edit_status = makeWidget<QLineEdit>(PanelKomunikacji, "Edit_status");
    Edit_logon = makeWidget<QLineEdit>(PanelKomunikacji, "Edit_logon");
    nameAfterValue(Edit_status, QStringLiteral("Stan połączenia"));
    nameAfterValue(Edit_logon, QStringLiteral("Stan logowania"));
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
    // The version label's name is the version it shows.
    TextWersja = makeWidget<QLabel>(GroupBox3, "TextWersja");
    TextWersja->setText(QStringLiteral("MX-4 v ..."));
    TextWersja->setToolTip(QStringLiteral("Wersja frimware w sterowniku ZUMA"));
    describe(TextWersja, TextWersja->toolTip());
    nameAfterValue(TextWersja, QStringLiteral("Wersja firmware"));
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
    StatusPanel = makeWidget<QLabel>(StatusBar, "StatusPanel");
    describe(StatusPanel, QStringLiteral("Stan modemu GSM"));
    nameAfterValue(StatusPanel, QStringLiteral("Modem GSM: brak danych"));
    StatusPanel->setMinimumWidth(170);
    StatusBar->addWidget(StatusPanel, 1);
    BarRSSI = makeWidget<QProgressBar>(GroupBox7, "BarRSSI");
    BarRSSI->setRange(0, 20);
    BarRSSI->setValue(0);
    BarRSSI->setTextVisible(false);
    nameAfterValue(BarRSSI, QStringLiteral("Syg. GSM"));
    describe(BarRSSI, QStringLiteral("Poziom sygnału GSM, 0 do 20"));
    BarRSSI->setFixedHeight(14);
    {
        QPalette p = BarRSSI->palette();
        p.setColor(QPalette::Highlight, QColor(0, 0, 255));
        BarRSSI->setPalette(p);
    }
    LabelZd = makeWidget<QLabel>(GroupBox7, "LabelZd");
    LabelZd->setText(QStringLiteral("Zd: 0"));
    LabelZd->setToolTip(QStringLiteral("Ilość zdarzeń do obsługi"));
    describe(LabelZd, LabelZd->toolTip());
    nameAfterValue(LabelZd, QStringLiteral("Zd"));
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
    const QString active = QStringLiteral("aktywne"), inactive = QStringLiteral("nieaktywne");
    const QString on = QStringLiteral("załączone"), off = QStringLiteral("wyłączone");
    QLabel** inputs[5] = {&PanelIN1, &PanelIN2, &PanelIN3, &PanelIN4, &PanelIN5};
    const char* const inputNames[5] = {"PanelIN1", "PanelIN2", "PanelIN3", "PanelIN4", "PanelIN5"};
    for (int i = 0; i < 5; ++i)
        *inputs[i] = statePanel(GroupBox6, inputNames[i], QStringLiteral("In%1").arg(i + 1),
                                QStringLiteral("Wejście %1").arg(i + 1), Colour::Green, active, inactive);
    PanelFab = statePanel(GroupBox6, "PanelFab", QStringLiteral("F"), QStringLiteral("Flaga F"), Colour::Green, active,
                          inactive);
    // An output that is on shows red.
    QLabel** outputs[4] = {&PanelPK, &PanelOut2, &PanelOut3, &PanelOut4};
    const char* const outputNames[4] = {"PanelPK", "PanelOut2", "PanelOut3", "PanelOut4"};
    for (int i = 0; i < 4; ++i)
        *outputs[i] = statePanel(GroupBox6, outputNames[i], QStringLiteral("Out%1").arg(i + 1),
                                 QStringLiteral("Wyjście %1").arg(i + 1), Colour::Red, on, off);
    int column = 0;
    for (QLabel* p : {PanelIN1, PanelIN2, PanelIN3, PanelIN4, PanelIN5, PanelFab, PanelPK, PanelOut2, PanelOut3,
                      PanelOut4})
        grid->addWidget(p, 0, column++);
    Temp1 = valueField(GroupBox6, "Temp1", QStringLiteral("Temp."), QStringLiteral("Temperatura, °C"));
    Ubat = valueField(GroupBox6, "Ubat", QStringLiteral("Bateria"), QStringLiteral("Napięcie baterii"));
    Uzs = valueField(GroupBox6, "Uzs", QStringLiteral("Zasilacz 5V"), QStringLiteral("Napięcie zasilacza 5V"));
    const QString noData = QStringLiteral("brak danych"), normal = QStringLiteral("norma");
    setColourWords(Temp1, {{Colour::Grey, noData}, {Colour::Green, normal}, {Colour::Red, QStringLiteral("wysoka")},
                           {Colour::SkyBlue, QStringLiteral("niska")}}, noData);
    for (QLineEdit* e : {Ubat, Uzs})
        setColourWords(e, {{Colour::Grey, noData}, {Colour::Green, normal}, {Colour::Red, QStringLiteral("poza normą")}},
                       noData);
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
    GroupBox8->setMinimumSize(489, 329);
    GroupBox8->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* layout = new QVBoxLayout(GroupBox8);
    auto* buttons = new QHBoxLayout;
    ButtonPobierz = button(GroupBox8, "ButtonPobierz", QStringLiteral("POBIERZ"));
    ButtonSTOP = button(GroupBox8, "ButtonSTOP", QStringLiteral("STOP"));
    TempBar = makeWidget<QProgressBar>(GroupBox8, "TempBar");
    TempBar->setRange(0, 1);
    TempBar->setValue(0);
    nameAfterValue(TempBar, QStringLiteral("Postęp pobierania rejestru"));
    ButtonKasuj = button(GroupBox8, "ButtonKasuj", QStringLiteral("KASUJ "));
    ButtonCLR = button(GroupBox8, "ButtonCLR", QStringLiteral("CLR"));
    Button1 = button(GroupBox8, "Button1", QStringLiteral("Drukuj"));
    ButtonZapisz = button(GroupBox8, "ButtonZapisz", QStringLiteral("Zapisz do pliku"));
    ButtonWykres = button(GroupBox8, "ButtonWykres", QStringLiteral("Wykres"), QStringLiteral("Wykres temperatury z rejestru zdarzeń"));
    ButtonDodajDoArchiwum = button(GroupBox8, "ButtonDodajDoArchiwum", QStringLiteral("Dodaj do archiwum"),
                                   QStringLiteral("Dodaj pobrany rejestr do archiwum obiektu"));
    ButtonArchiwum = button(GroupBox8, "ButtonArchiwum", QStringLiteral("Archiwum"),
                            QStringLiteral("Archiwum rejestru: okresy, przekroczenia, raport"));
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
    output->addStretch(1);
    layout->addLayout(output);
    // The register as a chart and in the site's archive, on a row of their own.
    auto* archive = new QHBoxLayout;
    archive->addWidget(ButtonWykres);
    archive->addWidget(ButtonDodajDoArchiwum);
    archive->addWidget(ButtonArchiwum);
    archive->addStretch(1);
    layout->addLayout(archive);
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
    // Alt opens the menus: each menu and entry has its accelerator.
    QMenu* plik = menuBar()->addMenu(QStringLiteral("&Plik"));
    plik->setObjectName(QStringLiteral("Plik1"));
    Odczyt1 = plik->addAction(QStringLiteral("&Odczyt"));
    Odczyt1->setObjectName(QStringLiteral("Odczyt1"));
    Zapis1 = plik->addAction(QStringLiteral("&Zapis"));
    Zapis1->setObjectName(QStringLiteral("Zapis1"));
    PorownajPlik1 = plik->addAction(QStringLiteral("&Porównaj z plikiem"));
    PorownajPlik1->setObjectName(QStringLiteral("PorownajPlik1"));
    QMenu* dane = menuBar()->addMenu(QStringLiteral("&Dane"));
    dane->setObjectName(QStringLiteral("Dane1"));
    Pobierz1 = dane->addAction(QStringLiteral("&Odczyt"));
    Pobierz1->setObjectName(QStringLiteral("Pobierz1"));
    Zapisz1 = dane->addAction(QStringLiteral("&Zapisz"));
    Zapisz1->setObjectName(QStringLiteral("Zapisz1"));
    Porownaj1 = dane->addAction(QStringLiteral("&Porównaj z MX-4"));
    Porownaj1->setObjectName(QStringLiteral("Porownaj1"));
    QMenu* info = menuBar()->addMenu(QStringLiteral("&Info"));
    info->setObjectName(QStringLiteral("Info1"));
    Oprogramie1 = info->addAction(QStringLiteral("&O programie"));
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
    if (!shuttingDown && !changesMayGo()) {
        event->ignore();
        return;
    }
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
    // Hidden again, the window stays where the person sees it.
    if (visible) keepOnScreen();
}

void TMain::keepOnScreen() {
    const QScreen* screen = this->screen();
    if (!screen || !isVisible()) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    // Left and up by what lies beyond the right and bottom edges; a window larger than the area keeps
    // its title bar and left edge on the screen.
    const int x = qMax(area.left(), frame.left() - qMax(0, frame.right() - area.right()));
    const int y = qMax(area.top(), frame.top() - qMax(0, frame.bottom() - area.bottom()));
    if (QPoint(x, y) != frame.topLeft()) move(pos() + QPoint(x, y) - frame.topLeft());
}

bool TMain::changesMayGo() {
    return !Config->hasChangedFields() ||
           people_->askYesNo(QStringLiteral("Zmienione pola nie zostały zapisane do MX-4 ani do pliku. Kontynuować?"),
                             Preselected::No);
}

void TMain::HandleException(const AppError& error) {
    // The command that raised it has been abandoned and its activity has ended: the controls are as the
    // table says for what is left ("POŁĄCZ" is usable again whenever a connect could start).
    applyControlTable();
    QString text = error.message();
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) text += QLatin1Char('.');
    // A port refused for lack of permission: what to do about it, on a line of its own.
    if (const auto* portError = dynamic_cast<const PortError*>(&error)) {
        const QString hint = permissionHint(portError->systemCode());
        if (!hint.isEmpty()) text += QLatin1Char('\n') + hint;
    }
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

    onCommand(FormJakieCOM->ButtonSzukaj, Control::ButtonSzukaj, Activity::Searching, [this] { ButtonSzukajClick(); });
    onUsable(FormJakieCOM->ButtonPrzerwij, Control::ButtonPrzerwij, [this] { portSearch_->cancel(); });
    // Closing "Porty COM" (its close box, Esc) ends a search under way: its verdicts and "Przerwij" are there.
    connect(FormJakieCOM, &QDialog::rejected, this, [this] { portSearch_->cancel(); });
    connect(portSearch_, &PortSearch::probing, this, [this](int, const PortEntry& p) {
        verdicts_[p.portName] = probingText();
        if (FormJakieCOM->isVisible()) fillPortsDialog();
    });
    connect(portSearch_, &PortSearch::probed, this, [this](int, const ProbeResult& r) {
        verdicts_[r.port.portName] = verdictText(r);
        if (FormJakieCOM->isVisible()) fillPortsDialog();
    });

    connect(port_, &SerialPort::portLost, this, [this](const QString& m) { guarded([&] { onPortLost(m); }); });
    connect(portWatcher_, &PortWatcher::listed, this,
            [this](const QVector<PortEntry>& ports) { guarded([&] { portsListed(ports); }); });
    connect(link_->timer(), &QTimer::timeout, this, [this] {
        if (link_->tickCount() % 10 == 0) guarded([this] { lookUpPorts(); });
    });
    bindControls();
    applyControlTable();
}

#include "archive/ArchiveWindow.h"

#include "config/SafeSave.h"
#include "config/Spoken.h"
#include "events/EventChart.h"
#include "events/EventPrint.h"
#include "link/ErrorHook.h"
#include "link/People.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QColor kHighRow(255, 220, 220);
const QColor kLowRow(220, 228, 255);

// MAX and MIN in whole degrees with their sign, as the main window shows the thresholds ("+8", "-1").
class DegreesBox : public QSpinBox {
public:
    explicit DegreesBox(QWidget* parent) : QSpinBox(parent) {
        setRange(-128, 127);
        setSuffix(QStringLiteral(" °C"));
        // A year's figures are recomputed when a value is done, not at every key ("-5" is never 0 first).
        setKeyboardTracking(false);
    }

protected:
    QString textFromValue(int value) const override {
        return ThresholdText(quint8(value + 128));
    }
    // The field's text comes with its suffix ("+9 °C"); the sign "+" is the configuration's way of writing.
    int valueFromText(const QString& text) const override { return bare(text).toInt(); }
    QValidator::State validate(QString& text, int& pos) const override {
        QString number = bare(text);
        return QSpinBox::validate(number, pos);
    }

private:
    QString bare(const QString& text) const {
        return QString(text).remove(suffix()).remove(QLatin1Char('+')).trimmed();
    }
};

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint = {}) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        describe(b, hint);
    }
    return b;
}

QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

QTableWidget* makeTable(QWidget* parent, const char* name, const QString& accessibleName, const QStringList& columns) {
    auto* t = new QTableWidget(0, int(columns.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setAccessibleName(accessibleName);
    t->setHorizontalHeaderLabels(columns);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setWordWrap(false);
    return t;
}

QTableWidgetItem* cell(const QString& text, const QString& description = {}) {
    auto* item = new QTableWidgetItem(text);
    if (!description.isEmpty()) {
        item->setToolTip(description);
        item->setData(Qt::AccessibleDescriptionRole, description);
    }
    return item;
}
}  // namespace

TFormArchiwum::TFormArchiwum(People* people, ArchiveAdding* adding, QWidget* parent)
    : QWidget(parent, Qt::Window), people_(people), adding_(adding), now_([] { return QDateTime::currentDateTime(); }) {
    setObjectName(QStringLiteral("TFormArchiwum"));
    setWindowTitle(QStringLiteral("Archiwum rejestru"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    build();
    connect(adding_, &ArchiveAdding::changed, this, [this](const QString& path) { guarded([&] { archiveChanged(path); }); });
    applyUsable();
    // Room for the chart, whole on a laptop's 1366 x 768 with the title bar and a panel.
    resize(1200, 650);
}

TFormArchiwum::~TFormArchiwum() = default;

void TFormArchiwum::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);

    // The archive: which file, which site, and adding to it.
    auto* fileRow = new QHBoxLayout;
    ButtonNowe = makeButton(this, "ButtonNowe", QStringLiteral("Nowe..."), QStringLiteral("Nowe archiwum obiektu"));
    ButtonOtworz = makeButton(this, "ButtonOtworz", QStringLiteral("Otwórz..."), QStringLiteral("Otwórz archiwum"));
    EditObiekt = new QLineEdit(this);
    EditObiekt->setObjectName(QStringLiteral("EditObiekt"));
    EditObiekt->setAccessibleName(QStringLiteral("Obiekt"));
    EditObiekt->setToolTip(QStringLiteral("Nazwa obiektu; zmiana jest zapisywana w historii archiwum"));
    describe(EditObiekt, EditObiekt->toolTip());
    EditObiekt->setMinimumWidth(180);
    LabelPlik = new QLabel(this);
    LabelPlik->setObjectName(QStringLiteral("LabelPlik"));
    LabelPlik->setTextFormat(Qt::PlainText);
    LabelPlik->setTextInteractionFlags(Qt::TextSelectableByMouse);
    nameAfterValue(LabelPlik, QStringLiteral("Nie otwarto archiwum"));
    ButtonDodaj = makeButton(this, "ButtonDodaj", QStringLiteral("Dodaj do archiwum"),
                             QStringLiteral("Dodaj pobrany rejestr zdarzeń do archiwum"));
    ButtonImportuj = makeButton(this, "ButtonImportuj", QStringLiteral("Importuj plik historii..."),
                                QStringLiteral("Dodaj do archiwum zapisane pliki historii (*.txt)"));
    fileRow->addWidget(ButtonNowe);
    fileRow->addWidget(ButtonOtworz);
    fileRow->addWidget(caption(this, QStringLiteral("Obiekt:"), EditObiekt));
    fileRow->addWidget(EditObiekt, 1);
    fileRow->addWidget(LabelPlik, 2);
    fileRow->addWidget(ButtonDodaj);
    fileRow->addWidget(ButtonImportuj);
    layout->addLayout(fileRow);

    // The period and the limits.
    auto* periodRow = new QHBoxLayout;
    const auto dateEdit = [this](const char* name, const QString& accessible) {
        auto* d = new QDateEdit(this);
        d->setObjectName(QLatin1String(name));
        d->setAccessibleName(accessible);
        d->setDisplayFormat(kDateFormat);
        d->setKeyboardTracking(false);
        d->setCalendarPopup(true);
        d->setDateRange(QDate(2000, 1, 1), QDate(2255, 12, 31));
        return d;
    };
    EditOd = dateEdit("EditOd", QStringLiteral("Od"));
    EditDo = dateEdit("EditDo", QStringLiteral("Do"));
    Button7dni = makeButton(this, "Button7dni", QStringLiteral("7 dni"), QStringLiteral("Ostatnie 7 dni archiwum"));
    Button30dni = makeButton(this, "Button30dni", QStringLiteral("30 dni"), QStringLiteral("Ostatnie 30 dni archiwum"));
    ButtonRok = makeButton(this, "ButtonRok", QStringLiteral("Rok"), QStringLiteral("Ostatni rok archiwum"));
    ButtonCalosc = makeButton(this, "ButtonCalosc", QStringLiteral("Całość"), QStringLiteral("Całe archiwum"));
    SpinMax = new DegreesBox(this);
    SpinMax->setObjectName(QStringLiteral("SpinMax"));
    SpinMax->setAccessibleName(QStringLiteral("MAX"));
    SpinMin = new DegreesBox(this);
    SpinMin->setObjectName(QStringLiteral("SpinMin"));
    SpinMin->setAccessibleName(QStringLiteral("MIN"));
    periodRow->addWidget(caption(this, QStringLiteral("Od"), EditOd));
    periodRow->addWidget(EditOd);
    periodRow->addWidget(caption(this, QStringLiteral("Do"), EditDo));
    periodRow->addWidget(EditDo);
    for (QPushButton* b : {Button7dni, Button30dni, ButtonRok, ButtonCalosc}) periodRow->addWidget(b);
    periodRow->addSpacing(24);
    periodRow->addWidget(caption(this, QStringLiteral("MAX"), SpinMax));
    periodRow->addWidget(SpinMax);
    periodRow->addWidget(caption(this, QStringLiteral("MIN"), SpinMin));
    periodRow->addWidget(SpinMin);
    periodRow->addStretch(1);
    layout->addLayout(periodRow);

    // The period: chart and excursions beside the summary; the log on a tab of its own.
    Zakladki = new QTabWidget(this);
    Zakladki->setObjectName(QStringLiteral("Zakladki"));
    Zakladki->setAccessibleName(QStringLiteral("Okres i historia archiwum"));
    auto* periodTab = new QWidget(Zakladki);
    periodTab->setObjectName(QStringLiteral("TabOkres"));
    auto* periodLayout = new QHBoxLayout(periodTab);
    periodLayout->setContentsMargins(4, 4, 4, 4);
    auto* left = new QVBoxLayout;
    Wykres = new TFormWykres(people_, periodTab, Qt::Widget);
    // The figures of the period are the summary beside the chart: the chart's own buttons and summary
    // would be a second set.
    for (QWidget* w : std::initializer_list<QWidget*>{Wykres->ButtonZapiszCSV, Wykres->ButtonDrukuj,
                                                      Wykres->ButtonZapiszPDF, Wykres->ButtonZamknij, Wykres->Podsumowanie})
        w->hide();
    Wykres->layout()->setContentsMargins(0, 0, 0, 0);
    left->addWidget(Wykres, 3);
    auto* excursionsCaption = new QLabel(QStringLiteral("Przekroczenia"), periodTab);
    left->addWidget(excursionsCaption);
    TabelaPrzekroczen =
        makeTable(periodTab, "TabelaPrzekroczen", QStringLiteral("Przekroczenia"),
                  {QStringLiteral("Początek"), QStringLiteral("Koniec"), QStringLiteral("Czas trwania"),
                   QStringLiteral("Temperatura skrajna"), QStringLiteral("Alarm MX-4")});
    excursionsCaption->setBuddy(TabelaPrzekroczen);
    left->addWidget(TabelaPrzekroczen, 1);
    periodLayout->addLayout(left, 1);

    auto* summary = new QGroupBox(QStringLiteral("Podsumowanie okresu"), periodTab);
    summary->setObjectName(QStringLiteral("GroupPodsumowanie"));
    summary->setFixedWidth(400);
    auto* summaryLayout = new QVBoxLayout(summary);
    summaryGrid_ = new QGridLayout;
    summaryGrid_->setHorizontalSpacing(8);
    summaryGrid_->setVerticalSpacing(2);
    const QVector<FigureLine> lines = PeriodFigureLines(ArchivePeriod{});
    for (int i = 0; i < lines.size(); ++i) {
        auto* label = new QLabel(lines.at(i).label + QLatin1Char(':'), summary);
        auto* value = new QLabel(summary);
        value->setObjectName(QStringLiteral("Wartosc%1").arg(i + 1));
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        nameAfterValue(value, lines.at(i).label + QStringLiteral(": –"), lines.at(i).label);
        summaryGrid_->addWidget(label, i, 0, Qt::AlignLeft | Qt::AlignTop);
        summaryGrid_->addWidget(value, i, 1, Qt::AlignLeft | Qt::AlignTop);
        summaryValues << value;
    }
    summaryGrid_->setColumnStretch(1, 1);
    summaryLayout->addLayout(summaryGrid_);
    EditSHA = new QLineEdit(summary);
    EditSHA->setObjectName(QStringLiteral("EditSHA"));
    EditSHA->setReadOnly(true);
    nameAfterValue(EditSHA, QStringLiteral("SHA-256 zdarzeń okresu"));
    describe(EditSHA, QStringLiteral("Suma SHA-256 zdarzeń okresu w postaci kanonicznej, jak w raporcie"));
    summaryLayout->addWidget(caption(summary, QStringLiteral("SHA-256 zdarzeń okresu:"), EditSHA));
    summaryLayout->addWidget(EditSHA);
    summaryLayout->addStretch(1);
    periodLayout->addWidget(summary);
    Zakladki->addTab(periodTab, QStringLiteral("Okres"));

    auto* logTab = new QWidget(Zakladki);
    logTab->setObjectName(QStringLiteral("TabHistoria"));
    auto* logLayout = new QVBoxLayout(logTab);
    LabelWeryfikacja = new QLabel(logTab);
    LabelWeryfikacja->setObjectName(QStringLiteral("LabelWeryfikacja"));
    LabelWeryfikacja->setTextFormat(Qt::PlainText);
    LabelWeryfikacja->setWordWrap(true);
    nameAfterValue(LabelWeryfikacja, QStringLiteral("Weryfikacja archiwum: brak archiwum"));
    logLayout->addWidget(LabelWeryfikacja);
    TabelaHistorii = makeTable(logTab, "TabelaHistorii", QStringLiteral("Historia archiwum"),
                               {QStringLiteral("Nr"), QStringLiteral("Data"), QStringLiteral("Użytkownik"),
                                QStringLiteral("Opis"), QStringLiteral("Skrót SHA-256")});
    TabelaHistorii->horizontalHeader()->setStretchLastSection(false);
    TabelaHistorii->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    logLayout->addWidget(TabelaHistorii, 1);
    Zakladki->addTab(logTab, QStringLiteral("Historia archiwum"));
    layout->addWidget(Zakladki, 1);

    auto* buttons = new QHBoxLayout;
    ButtonZapiszCSV = makeButton(this, "ButtonZapiszCSV", QStringLiteral("Zapisz CSV"),
                                 QStringLiteral("Zdarzenia okresu jako plik CSV"));
    ButtonDrukuj = makeButton(this, "ButtonDrukuj", QStringLiteral("Drukuj"), QStringLiteral("Drukuj raport okresu"));
    ButtonRaportPDF = makeButton(this, "ButtonRaportPDF", QStringLiteral("Raport PDF..."),
                                 QStringLiteral("Raport okresu jako plik PDF"));
    ButtonZamknij = makeButton(this, "ButtonZamknij", QStringLiteral("Zamknij"));
    buttons->addStretch(1);
    for (QPushButton* b : {ButtonZapiszCSV, ButtonDrukuj, ButtonRaportPDF, ButtonZamknij}) buttons->addWidget(b);
    layout->addLayout(buttons);

    const auto on = [this](QPushButton* b, void (TFormArchiwum::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(ButtonNowe, &TFormArchiwum::ButtonNoweClick);
    on(ButtonOtworz, &TFormArchiwum::ButtonOtworzClick);
    on(ButtonDodaj, &TFormArchiwum::ButtonDodajClick);
    on(ButtonImportuj, &TFormArchiwum::ButtonImportujClick);
    on(ButtonZapiszCSV, &TFormArchiwum::ButtonZapiszCSVClick);
    on(ButtonDrukuj, &TFormArchiwum::ButtonDrukujClick);
    on(ButtonRaportPDF, &TFormArchiwum::ButtonRaportPDFClick);
    connect(ButtonZamknij, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(EditObiekt, &QLineEdit::editingFinished, this, [this] { guarded([this] { EditObiektExit(); }); });
    const auto quick = [this](QPushButton* b, QuickPeriod q) {
        connect(b, &QPushButton::clicked, this, [this, q] { guarded([&] { showQuickPeriod(q); }); });
    };
    quick(Button7dni, QuickPeriod::Week);
    quick(Button30dni, QuickPeriod::Month);
    quick(ButtonRok, QuickPeriod::Year);
    quick(ButtonCalosc, QuickPeriod::Whole);
    for (QDateEdit* d : {EditOd, EditDo})
        connect(d, &QDateEdit::dateChanged, this, [this] { guarded([this] { showPeriod(); }); });
    for (QSpinBox* s : {SpinMax, SpinMin})
        connect(s, &QSpinBox::valueChanged, this, [this] { guarded([this] { showPeriod(); }); });
    connect(TabelaPrzekroczen, &QTableWidget::currentCellChanged, this,
            [this](int row) { guarded([&] { excursionChosen(row); }); });
    connect(TabelaPrzekroczen, &QTableWidget::cellClicked, this,
            [this](int row) { guarded([&] { excursionChosen(row); }); });
}

// ---------------------------------------------------------------- the archive

void TFormArchiwum::setDownloadAvailable(bool available) {
    downloadAvailable_ = available;
    applyUsable();
}

void TFormArchiwum::setLimits(const FigureLimits& limits) {
    const QSignalBlocker max(SpinMax), min(SpinMin);
    SpinMax->setValue(limits.max);
    SpinMin->setValue(limits.min);
    showPeriod();
}

FigureLimits TFormArchiwum::limits() const { return FigureLimits{SpinMax->value(), SpinMin->value()}; }

bool TFormArchiwum::openPath(const QString& path) {
    std::unique_ptr<RegisterArchive> archive = adding_->open(path);
    if (!archive) return false;
    showArchive(std::move(archive));
    return true;
}

void TFormArchiwum::showArchive(std::unique_ptr<RegisterArchive> archive) {
    archive_ = std::move(archive);
    reload();
    setPeriodDays(QuickPeriodDays(QuickPeriod::Whole, contents_));
}

// Reads the archive again; the caller shows the period it wants.
void TFormArchiwum::reload() {
    if (!archive_) {
        contents_ = ArchiveContents();
        check_ = ArchiveCheck();
        EditObiekt->clear();
        showValue(LabelPlik, QString());
        showValue(LabelWeryfikacja, QString());
        TabelaHistorii->setRowCount(0);
        applyUsable();
        return;
    }
    contents_ = ArchiveContents(archive_->records());
    check_ = archive_->verify();
    EditObiekt->setText(archive_->site());
    QString shown = QDir::toNativeSeparators(archive_->path());
    if (archive_->readOnly()) shown += QStringLiteral(" (tylko do odczytu)");
    showValue(LabelPlik, shown);
    showLog();
    applyUsable();
}

void TFormArchiwum::archiveChanged(const QString& path) {
    if (!archive_ || QFileInfo(path).canonicalFilePath() != QFileInfo(archive_->path()).canonicalFilePath()) return;
    // New records may lie beyond the days shown: the period keeps its start and reaches the newest day
    // when it reached the newest day before; the first records of an archive show whole.
    const bool wasEmpty = !contents_.lastDay().isValid();
    const bool toTheEnd = EditDo->date() >= contents_.lastDay();
    reload();
    if (wasEmpty)
        setPeriodDays(QuickPeriodDays(QuickPeriod::Whole, contents_));
    else if (toTheEnd && contents_.lastDay().isValid() && contents_.lastDay() > EditDo->date())
        setPeriodDays(FigurePeriod{EditOd->date(), contents_.lastDay()});
    else
        showPeriod();
}

void TFormArchiwum::showLog() {
    const QVector<ArchiveLogEntry> log = archive_->log();
    TabelaHistorii->setRowCount(int(log.size()));
    for (int i = 0; i < log.size(); ++i) {
        const ArchiveLogEntry& e = log.at(i);
        TabelaHistorii->setItem(i, 0, cell(QString::number(e.number)));
        TabelaHistorii->setItem(i, 1, cell(e.localTime.left(19).replace(QLatin1Char('T'), QLatin1Char(' ')), e.localTime));
        TabelaHistorii->setItem(i, 2, cell(e.user));
        TabelaHistorii->setItem(i, 3, cell(e.describe(), e.describe()));
        TabelaHistorii->setItem(i, 4, cell(e.hash.left(16), e.hash));
    }
    TabelaHistorii->resizeColumnsToContents();
    showValue(LabelWeryfikacja, QStringLiteral("Weryfikacja archiwum: ") + check_.text);
    QPalette palette = LabelWeryfikacja->palette();
    palette.setColor(QPalette::WindowText, check_.consistent ? QColor(0, 110, 0) : QColor(200, 0, 0));
    LabelWeryfikacja->setPalette(palette);
}

bool TFormArchiwum::hasRecords() const { return archive_ && contents_.lastDay().isValid(); }

void TFormArchiwum::applyUsable() {
    const bool open = archive_ != nullptr;
    const bool writable = open && !archive_->readOnly();
    // Without an archive "Dodaj" and "Importuj" choose one first.
    ButtonDodaj->setEnabled(downloadAvailable_ && (!open || writable));
    ButtonImportuj->setEnabled(!open || writable);
    EditObiekt->setEnabled(writable);
    for (QWidget* w : std::initializer_list<QWidget*>{EditOd, EditDo, Button7dni, Button30dni, ButtonRok, ButtonCalosc,
                                                      ButtonZapiszCSV, ButtonDrukuj, ButtonRaportPDF})
        w->setEnabled(hasRecords());
}

void TFormArchiwum::closeEvent(QCloseEvent* event) {
    // The archive's connection goes with the window.
    archive_.reset();
    reload();
    showPeriod();
    QWidget::closeEvent(event);
}

// ---------------------------------------------------------------- the buttons

void TFormArchiwum::ButtonNoweClick() {
    if (std::unique_ptr<RegisterArchive> archive = adding_->createArchive()) showArchive(std::move(archive));
}

void TFormArchiwum::ButtonOtworzClick() {
    if (std::unique_ptr<RegisterArchive> archive = adding_->openArchive()) showArchive(std::move(archive));
}

void TFormArchiwum::EditObiektExit() {
    if (!archive_ || archive_->readOnly()) return;
    const QString site = EditObiekt->text().trimmed();
    if (site.isEmpty() || site == archive_->site()) {
        EditObiekt->setText(archive_->site());
        return;
    }
    if (!adding_->renameSite(*archive_, site)) EditObiekt->setText(archive_->site());
}

void TFormArchiwum::ButtonDodajClick() {
    if (!downloadAvailable_ || !downloadSource_) return;
    // The register is taken before any dialog: what the list holds when the button was pressed.
    const ArchiveSource source = downloadSource_();
    if (archive_) {
        adding_->add(*archive_, {source});
        return;
    }
    // Into the archive chosen now, which is then shown whole once.
    if (std::unique_ptr<RegisterArchive> chosen = adding_->chooseArchive()) {
        adding_->add(*chosen, {source});
        showArchive(std::move(chosen));
    }
}

void TFormArchiwum::ButtonImportujClick() {
    if (archive_) {
        adding_->importHistoryFiles(*archive_);
        return;
    }
    if (std::unique_ptr<RegisterArchive> chosen = adding_->chooseArchive()) {
        adding_->importHistoryFiles(*chosen);
        showArchive(std::move(chosen));
    }
}

// ---------------------------------------------------------------- the period

void TFormArchiwum::setPeriodDays(const FigurePeriod& days) {
    {
        const QSignalBlocker from(EditOd), to(EditDo);
        if (days.first.isValid()) EditOd->setDate(days.first);
        if (days.last.isValid()) EditDo->setDate(days.last);
    }
    showPeriod();
}

void TFormArchiwum::showQuickPeriod(QuickPeriod quick) {
    if (!archive_) return;
    setPeriodDays(QuickPeriodDays(quick, contents_));
}

void TFormArchiwum::showPeriod() {
    const FigureLimits l = limits();
    // An archive without records has no days to show yet: the figures stay empty, as without an archive.
    if (hasRecords())
        period_ = ComputeArchivePeriod(contents_, l, FigurePeriod{EditOd->date(), EditDo->date()});
    else
        period_ = ArchivePeriod{l, {}, 0, 0, {}, {}};
    const PeriodFigures& f = period_.figures;

    const QVector<FigureLine> lines = PeriodFigureLines(period_);
    for (int i = 0; i < lines.size() && i < summaryValues.size(); ++i) showValue(summaryValues.at(i), lines.at(i).value);
    EditSHA->setText(hasRecords() ? period_.sha256 : QString());
    EditSHA->setCursorPosition(0);

    TabelaPrzekroczen->setRowCount(int(f.excursions.size()));
    QVector<ChartBand> bands;
    for (int i = 0; i < f.excursions.size(); ++i) {
        const Excursion& x = f.excursions.at(i);
        const QString kind = ExcursionKindText(x);
        const QStringList cells = ExcursionCells(x);
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = cell(cells.at(c), kind);
            item->setBackground(x.high ? kHighRow : kLowRow);
            TabelaPrzekroczen->setItem(i, c, item);
        }
        bands.append(ChartBand{x.start, x.end, x.high});
    }
    TabelaPrzekroczen->resizeColumnsToContents();

    // The chart: the samples and the events the report lists. The GSM link, recorded at every connection,
    // is left off: over weeks it is a wall of lines that hides the curve, and costs most of the drawing.
    QVector<TimedEvent> charted = PeriodTimedEvents(contents_, period_);
    charted.erase(std::remove_if(charted.begin(), charted.end(),
                                 [](const TimedEvent& e) { return e.code < 4 || e.code > 13 || e.code == 6; }),
                  charted.end());
    ChartSeries series = BuildTimedChartSeries(charted, ChartThresholds{quint8(l.min + 128), quint8(l.max + 128)});
    series.bands = bands;
    Wykres->showSeries(series, archive_ ? QStringLiteral("Archiwum: %1, %2").arg(archive_->site(), PeriodDaysText(f))
                                        : QString());
}

void TFormArchiwum::excursionChosen(int row) {
    const QVector<Excursion>& excursions = period_.figures.excursions;
    if (row < 0 || row >= excursions.size()) return;
    Wykres->zoomTo(excursions.at(row).start, excursions.at(row).end);
}

// ---------------------------------------------------------------- saving and the report

QString TFormArchiwum::defaultName(const QString& prefix, const QString& suffix) const {
    const PeriodFigures& f = period_.figures;
    return QDir::home().filePath(QStringLiteral("%1-%2-%3-%4.%5")
                                     .arg(prefix, SiteFileName(archive_ ? archive_->site() : QString()),
                                          f.firstDay.toString(Qt::ISODate), f.lastDay.toString(Qt::ISODate), suffix));
}

PeriodReport TFormArchiwum::report() const { return MakePeriodReport(*archive_, contents_, period_, now_()); }

void TFormArchiwum::ButtonZapiszCSVClick() {
    if (!archive_) return;
    const QString path = people_->saveFileName(
        FileDialogRequest{QStringLiteral("Plik CSV (*.csv)"), QStringLiteral("csv"), defaultName(QStringLiteral("archiwum"), QStringLiteral("csv"))});
    if (path.isEmpty()) return;
    const QVector<ArchiveRecord> records = contents_.records().mid(period_.firstRecord, period_.records());
    QString why;
    if (saveFileSafely(path, ArchiveCsv(records), &why)) {
        people_->information(QStringLiteral("Zapisano plik CSV"));
    } else {
        people_->beep();
        people_->error(QStringLiteral("Błąd zapisu"));
    }
}

bool TFormArchiwum::printReport(QPrinter& printer) {
    printer.setDocName(QStringLiteral("Raport temperatury"));
    return PaintPeriodReport(printer, report()) > 0;
}

void TFormArchiwum::ButtonDrukujClick() {
    if (!archive_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!people_->printerSetup(printer)) return;
    if (!printReport(printer)) {
        people_->beep();
        people_->error(QStringLiteral("Błąd drukowania"));
    }
}

void TFormArchiwum::ButtonRaportPDFClick() {
    if (!archive_) return;
    const PeriodFigures& f = period_.figures;
    const QString path = people_->saveFileName(FileDialogRequest{
        QStringLiteral("Plik PDF (*.pdf)"), QStringLiteral("pdf"),
        QDir::home().filePath(PeriodReportFileName(archive_->site(), f.firstDay, f.lastDay))});
    if (path.isEmpty()) return;
    const bool saved = SavePrintedPdf(path, [this](QPrinter& printer) { return printReport(printer); });
    if (saved) {
        people_->information(QStringLiteral("Zapisano raport PDF"));
    } else {
        people_->beep();
        people_->error(QStringLiteral("Błąd zapisu"));
    }
}

#pragma once
// The window "Archiwum rejestru": one register archive (a site's file), a period of it and what the period
// says. "Nowe..." and "Otwórz..." pick the archive, "Obiekt" names its site (a change is logged); "Dodaj
// do archiwum" adds the register the main window holds, "Importuj plik historii..." event text files. The
// period runs from "Od" to "Do" (or "7 dni", "30 dni", "Rok", "Całość", ending on the newest record),
// against MAX and MIN; a change of any of them shows the new period at once: the chart (excursions shaded
// red and blue), the figures, the excursions (a click on one brings it into the chart's view). The tab
// "Historia archiwum" shows the import log and the archive's verification. "Zapisz CSV" writes the period's
// rows, "Drukuj" and "Raport PDF..." the period's report.
//
// Modeless; closing it closes the archive. The figures, the sum and the report come from the archive's
// core (ArchivePeriod, PeriodReport), the same as mx4ctl's.

#include "archive/ArchiveAdding.h"
#include "archive/ArchivePeriod.h"
#include "archive/PeriodReport.h"
#include "archive/RegisterArchive.h"

#include <QDateTime>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class People;
class QDateEdit;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class TFormWykres;

class TFormArchiwum : public QWidget {
    Q_OBJECT
public:
    TFormArchiwum(People* people, ArchiveAdding* adding, QWidget* parent = nullptr);
    ~TFormArchiwum() override;

    // The register the main window holds, for "Dodaj do archiwum", and whether it may be taken now (the
    // main window's table says: a downloaded register, no download running).
    void setDownloadSource(std::function<ArchiveSource()> source) { downloadSource_ = std::move(source); }
    void setDownloadAvailable(bool available);
    // The PC's date and time for the report and the default file names; tests put a fixed moment here.
    void setClockSource(std::function<QDateTime()> now) { now_ = std::move(now); }

    // MAX and MIN in whole degrees (the main window's temperature settings when the window opens).
    void setLimits(const FigureLimits& limits);
    FigureLimits limits() const;

    // Shows the archive at `path` (errors said); the period becomes the whole archive.
    bool openPath(const QString& path);
    // Takes an archive that is open already.
    void showArchive(std::unique_ptr<RegisterArchive> archive);
    RegisterArchive* archive() const { return archive_.get(); }
    const ArchiveContents& contents() const { return contents_; }
    const ArchivePeriod& period() const { return period_; }
    const ArchiveCheck& check() const { return check_; }
    // The report of the period as it is shown.
    PeriodReport report() const;

    // The handlers of the buttons.
    void ButtonNoweClick();
    void ButtonOtworzClick();
    void EditObiektExit();
    void ButtonDodajClick();
    void ButtonImportujClick();
    void showQuickPeriod(QuickPeriod quick);
    void ButtonZapiszCSVClick();
    void ButtonDrukujClick();
    void ButtonRaportPDFClick();
    // A row of the excursion table: the chart shows that excursion.
    void excursionChosen(int row);

    QPushButton* ButtonNowe = nullptr;
    QPushButton* ButtonOtworz = nullptr;
    QLineEdit* EditObiekt = nullptr;
    QLabel* LabelPlik = nullptr;
    QPushButton* ButtonDodaj = nullptr;
    QPushButton* ButtonImportuj = nullptr;
    QDateEdit* EditOd = nullptr;
    QDateEdit* EditDo = nullptr;
    QPushButton* Button7dni = nullptr;
    QPushButton* Button30dni = nullptr;
    QPushButton* ButtonRok = nullptr;
    QPushButton* ButtonCalosc = nullptr;
    QSpinBox* SpinMax = nullptr;
    QSpinBox* SpinMin = nullptr;
    QTabWidget* Zakladki = nullptr;
    TFormWykres* Wykres = nullptr;
    QTableWidget* TabelaPrzekroczen = nullptr;
    QLineEdit* EditSHA = nullptr;
    QTableWidget* TabelaHistorii = nullptr;
    QLabel* LabelWeryfikacja = nullptr;
    QPushButton* ButtonZapiszCSV = nullptr;
    QPushButton* ButtonDrukuj = nullptr;
    QPushButton* ButtonRaportPDF = nullptr;
    QPushButton* ButtonZamknij = nullptr;
    // The summary's values, one a line of PeriodFigureLines.
    QVector<QLabel*> summaryValues;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    // The archive's records, log and verification read again (after an import, a change of the site).
    void reload();
    void archiveChanged(const QString& path);
    // The period and the limits as the controls give them: figures, chart, excursions, summary.
    void showPeriod();
    void setPeriodDays(const FigurePeriod& days);
    void showLog();
    bool hasRecords() const;
    void applyUsable();
    bool printReport(QPrinter& printer);
    QString defaultName(const QString& prefix, const QString& suffix) const;

    People* people_;
    ArchiveAdding* adding_;
    std::unique_ptr<RegisterArchive> archive_;
    ArchiveContents contents_;
    ArchivePeriod period_;
    ArchiveCheck check_;
    std::function<ArchiveSource()> downloadSource_;
    bool downloadAvailable_ = false;
    std::function<QDateTime()> now_;
    QGridLayout* summaryGrid_ = nullptr;
};

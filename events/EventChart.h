#pragma once
// The window "Wykres temperatury": a register as a temperature curve over the recorder's clock, with the
// thresholds MAX and MIN, every kind of event in a colour and a mark of its own, the legend under the
// plot, time ticks on whole hours or days and a readout of the sample under the pointer; zoom by dragging
// a rectangle or with the wheel, "Cały zakres" back. Under the chart the summary of the time in view; the
// records as spreadsheet rows, on paper and as a PDF page.
//
// The same window serves a download (showRegister) and the archive, which gives it any list of records
// (showRecords), shades its excursions (setBands) and zooms to one of them (zoomTo):
//
//     TFormWykres* chart = new TFormWykres(people, parent, Qt::Widget);   // or a window of its own
//     chart->setClockSource(now);                                         // the PC's date for the page
//     chart->showRecords(records, thresholds, QStringLiteral("Archiwum: chłodnia 2"));
//     chart->setBands({{excursion.start, excursion.end, excursion.high}, ...});
//     chart->showSeries(series, pageLine);                                // or a series built with its bands
//     chart->zoomTo(excursion.start, excursion.end);                      // a click on an excursion row

#include "events/EventChartData.h"

#include <QChartView>
#include <QDateTime>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

class People;
class QChart;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QScatterSeries;

// Dragging a rectangle zooms into it; the wheel zooms the time axis around the pointer. Tells where the
// pointer is over the plot.
class ChartView : public QChartView {
public:
    explicit ChartView(QChart* chart, QWidget* parent = nullptr);

    // The pointer's place in the chart's values while it is over the plot; nothing when it left.
    std::function<void(std::optional<QPointF>)> pointerMoved;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

// Puts the curve, the thresholds, the marks, the bands, the axes and the legend of `series` into `chart`
// (empty before), the whole period in view. `fontScale` enlarges the texts (for paper).
void FillChart(QChart* chart, const ChartSeries& series, double fontScale = 1.0);
// The words of the legend FillChart put under the plot, in order, and where it is in the chart.
QStringList ChartLegendTexts(QChart* chart);
QRectF ChartLegendArea(QChart* chart);

class TFormWykres : public QWidget {
    Q_OBJECT
public:
    // A window of its own by default; Qt::Widget puts it inside another window.
    TFormWykres(People* people, QWidget* parent, Qt::WindowFlags flags = Qt::Window);

    // The PC's date and time for the default file names and the page; tests put a fixed moment here.
    void setClockSource(std::function<QDateTime()> now) { now_ = std::move(now); }

    // Shows a downloaded register against `thresholds`; `version` is the recorder's, for the page.
    void showRegister(const QVector<EventRecord>& records, const ChartThresholds& thresholds, const QString& version);
    // Shows any list of records (in the order given; the time rule follows that order) against
    // `thresholds`, the whole period in view and no bands; `pageLine` is printed under the summary.
    void showRecords(const QVector<EventRecord>& records, const ChartThresholds& thresholds, const QString& pageLine);
    // Shows a series built beforehand (an archive's period, its bands in it), the whole period in view. No
    // records come with it: "Zapisz CSV" has no rows to write and is off until showRecords.
    void showSeries(const ChartSeries& series, const QString& pageLine);
    // Shades the given stretches (high red, low blue) and keeps what is in view.
    void setBands(const QVector<ChartBand>& bands);
    // Brings the time from `from` to `to` (seconds of the recorder's clock) into view with a little room
    // on either side; the summary follows.
    void zoomTo(qint64 from, qint64 to);
    // The time in view, milliseconds of the recorder's clock.
    std::pair<qint64, qint64> viewRange() const;

    // "Cały zakres": the whole period again.
    void ButtonCalyZakresClick();
    // "Zapisz CSV": the rows for a spreadsheet, through the safe save.
    void ButtonZapiszCSVClick();
    // "Drukuj": the printer set-up, then one landscape page.
    void ButtonDrukujClick();
    // "Zapisz PDF": the same page as a PDF file.
    void ButtonZapiszPDFClick();
    // "Zamknij" and Esc.
    void ButtonZamknijClick() { close(); }

    // One landscape page on `printer` (set up): the chart as it is in view with its legend, the summary,
    // the page line and the date of printing. False when the printer could not start.
    bool printPage(QPrinter& printer);

    // Where the pointer is in the chart's values (the view reports it; tests call it directly).
    void pointAt(std::optional<QPointF> value);

    const ChartSeries& series() const { return series_; }
    const ChartSummary& summary() const { return summary_; }
    QChart* chart() const;

    ChartView* Wykres = nullptr;
    QLabel* Podsumowanie = nullptr;  // the summary of the time in view
    QLabel* Odczyt = nullptr;        // the sample under the pointer
    QPushButton* ButtonCalyZakres = nullptr;
    QPushButton* ButtonZapiszCSV = nullptr;
    QPushButton* ButtonDrukuj = nullptr;
    QPushButton* ButtonZapiszPDF = nullptr;
    QPushButton* ButtonZamknij = nullptr;

private:
    void rebuildChart(std::optional<std::pair<qint64, qint64>> keep);
    void showSummary();

    People* people_;
    std::function<QDateTime()> now_;
    QVector<EventRecord> records_;
    ChartSeries series_;
    ChartSummary summary_;
    QString pageLine_;
    QScatterSeries* pointed_ = nullptr;  // the sample the readout names
    std::pair<double, double> fullTime_{0, 0};
    std::pair<double, double> fullTemperature_{0, 0};
};

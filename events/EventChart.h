#pragma once
// The window "Wykres temperatury": the downloaded register as a temperature curve over local time, with
// the thresholds MAX and MIN, the events as marks in the list's colours and the alarms as red and blue
// points; zoom by dragging a rectangle or with the wheel, "Cały zakres" back. Under the chart the summary;
// the register as spreadsheet rows, on paper and as a PDF page.

#include "events/EventChartData.h"

#include <QChartView>
#include <QWidget>

class People;
class QChart;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;

// Dragging a rectangle zooms into it; the wheel zooms the time axis around the pointer.
class ChartView : public QChartView {
public:
    explicit ChartView(QChart* chart, QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

// Puts the curve, the thresholds, the marks, the alarm points and the axes of `series` into `chart`
// (empty before), the whole period in view.
void FillChart(QChart* chart, const ChartSeries& series);

class TFormWykres : public QWidget {
    Q_OBJECT
public:
    TFormWykres(People* people, QWidget* parent);

    // Shows the chart of `records` against `thresholds`; `version` is the recorder's, for the page.
    void showRegister(const QVector<EventRecord>& records, const ChartThresholds& thresholds, const QString& version);

    // "Cały zakres": the whole period again.
    void ButtonCalyZakresClick();
    // "Zapisz CSV": the rows for a spreadsheet, through the safe save.
    void ButtonZapiszCSVClick();
    // "Drukuj": the printer set-up, then one landscape page.
    void ButtonDrukujClick();
    // "Zapisz PDF": the same page as a PDF file.
    void ButtonZapiszPDFClick();

    // One landscape page on `printer` (set up): the chart as it is in view, the summary and the recorder's
    // version. False when the printer could not start.
    bool printPage(QPrinter& printer);

    const ChartSeries& series() const { return series_; }
    const ChartSummary& summary() const { return summary_; }
    QChart* chart() const;

    ChartView* Wykres = nullptr;
    QLabel* Podsumowanie = nullptr;  // the summary line
    QPushButton* ButtonCalyZakres = nullptr;
    QPushButton* ButtonZapiszCSV = nullptr;
    QPushButton* ButtonDrukuj = nullptr;
    QPushButton* ButtonZapiszPDF = nullptr;

private:
    People* people_;
    QVector<EventRecord> records_;
    ChartSeries series_;
    ChartSummary summary_;
    QString version_;
};

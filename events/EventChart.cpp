#include "events/EventChart.h"

#include "config/SafeSave.h"
#include "events/EventDecode.h"
#include "link/ErrorHook.h"
#include "link/Errors.h"
#include "link/People.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QDir>
#include <QFile>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

namespace {
constexpr qint64 kHourMs = 3600 * 1000;
// The window's chart as it is laid out for paper, in the chart's own units; the page scales it.
constexpr double kPaperChartWidth = 1400;

// The marks are solid: a dashed line drawn smooth costs ten times as much, and a register has hundreds
// of marks. Events of the same colour differ in width: start-up, mains and alarms wide, GSM link and
// battery narrow.
double markWidth(int code) {
    switch (code) {
    case 6:
    case 9:
    case 10: return 1.0;
    default: return 1.5;
    }
}

QDateTimeAxis* timeAxis(QChart* chart) {
    const QList<QAbstractAxis*> axes = chart->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.first());
}
QValueAxis* temperatureAxis(QChart* chart) {
    const QList<QAbstractAxis*> axes = chart->axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}

void addSeries(QChart* chart, QAbstractSeries* s, QAbstractAxis* x, QAbstractAxis* y) {
    chart->addSeries(s);
    s->attachAxis(x);
    s->attachAxis(y);
}

QString csvName() { return QDir::home().filePath(QStringLiteral("rejestr.csv")); }
QString pdfName() { return QDir::home().filePath(QStringLiteral("wykres.pdf")); }
}  // namespace

// ---------------------------------------------------------------- the view

ChartView::ChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing);
}

void ChartView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    const QRectF area = chart()->plotArea();
    const double f = delta > 0 ? 0.8 : 1.25;
    const double x = qBound(area.left(), event->position().x(), area.right());
    // Only the time axis: the point under the pointer stays where it is.
    chart()->zoomIn(QRectF(x - (x - area.left()) * f, area.top(), area.width() * f, area.height()));
    event->accept();
}

// ---------------------------------------------------------------- the chart

void FillChart(QChart* chart, const ChartSeries& s) {
    chart->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    chart->setLocalizeNumbers(true);
    // Beside the plot, where the events' words fit.
    chart->legend()->setAlignment(Qt::AlignRight);

    auto* x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("yyyy-MM-dd hh:mm"));
    x->setTickCount(6);
    auto* y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%.1f"));
    y->setTitleText(QStringLiteral("°C"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    qint64 from = s.first, to = s.last;
    if (s.charted == 0) from = to = QDateTime::currentMSecsSinceEpoch();
    if (to - from < kHourMs) {
        from -= kHourMs / 2;
        to += kHourMs / 2;
    } else {
        const qint64 margin = (to - from) / 100;
        from -= margin;
        to += margin;
    }
    double lo = s.low, hi = s.high;
    for (const QPointF& p : s.temperature) {
        lo = qMin(lo, p.y());
        hi = qMax(hi, p.y());
    }
    lo = std::floor(lo) - 1;
    hi = std::ceil(hi) + 1;

    const auto threshold = [&](const QString& name, const QColor& colour) {
        auto* line = new QLineSeries;
        line->setName(name);
        line->setPen(QPen(colour, 1.5, Qt::DashLine));
        addSeries(chart, line, x, y);
        return line;
    };
    QLineSeries* high = threshold(s.highLabel, EventColour::Red);
    QLineSeries* low = threshold(s.lowLabel, EventColour::Blue);
    QVector<QLineSeries*> marks;
    for (const ChartMarkers& m : s.markers) {
        auto* line = new QLineSeries;
        line->setName(m.name);
        line->setPen(QPen(m.colour, markWidth(m.code)));
        addSeries(chart, line, x, y);
        marks << line;
    }
    // The curve over the marks and the thresholds, the alarm points over the curve. A line cannot hold a
    // gap, so each run of the curve is a line of its own and a sample standing alone a dot; the legend
    // names the curve once.
    bool named = false;
    const auto curvePart = [&](QXYSeries* part) {
        part->setName(QStringLiteral("Temperatura"));
        addSeries(chart, part, x, y);
        if (named)
            for (QLegendMarker* m : chart->legend()->markers(part)) m->setVisible(false);
        named = true;
    };
    QList<QPointF> alone;
    for (const QVector<QPointF>& run : s.curve) {
        if (run.size() == 1) {
            alone << run.first();
            continue;
        }
        auto* line = new QLineSeries;
        line->setPen(QPen(kCurveColour, 2));
        line->replace(QList<QPointF>(run.cbegin(), run.cend()));
        curvePart(line);
    }
    if (!alone.isEmpty()) {
        auto* dots = new QScatterSeries;
        dots->setColor(kCurveColour);
        dots->setBorderColor(kCurveColour);
        dots->setMarkerSize(5);
        dots->replace(alone);
        curvePart(dots);
    }

    // The thresholds and the marks are laid across what is in view, and again whenever that changes:
    // drawn over the whole period and beyond, a dashed line zoomed in far would be miles of dashes.
    const double high_ = s.high, low_ = s.low;
    const QVector<ChartMarkers> markers = s.markers;
    const auto place = [x, y, high, low, marks, markers, high_, low_] {
        const double left = double(x->min().toMSecsSinceEpoch()), right = double(x->max().toMSecsSinceEpoch());
        high->replace(QList<QPointF>{{left, high_}, {right, high_}});
        low->replace(QList<QPointF>{{left, low_}, {right, low_}});
        // Each mark from just below to just above the plot; the legs from one mark to the next run
        // outside it, where the chart does not draw.
        const double pad = (y->max() - y->min()) * 0.05;
        const double bottom = y->min() - pad, top = y->max() + pad;
        for (int i = 0; i < marks.size(); ++i) {
            QList<QPointF> points;
            bool up = true;
            for (qint64 t : markers.at(i).times) {
                if (t < left || t > right) continue;
                points << QPointF(double(t), up ? bottom : top) << QPointF(double(t), up ? top : bottom);
                up = !up;
            }
            marks.at(i)->replace(points);
        }
    };
    QObject::connect(x, &QDateTimeAxis::rangeChanged, chart, place);
    QObject::connect(y, &QValueAxis::rangeChanged, chart, place);

    const auto alarms = [&](const QVector<QPointF>& points, const QString& name, const QColor& colour) {
        if (points.isEmpty()) return;
        auto* dots = new QScatterSeries;
        dots->setName(name);
        dots->setColor(colour);
        dots->setBorderColor(colour);
        dots->setMarkerSize(9);
        dots->replace(QList<QPointF>(points.cbegin(), points.cend()));
        addSeries(chart, dots, x, y);
    };
    alarms(s.alarmsHigh, EventName(11), EventColour::Red);
    alarms(s.alarmsLow, EventName(13), EventColour::Blue);

    x->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
    y->setRange(lo, hi);
    y->applyNiceNumbers();
    place();
}

// ---------------------------------------------------------------- the window

TFormWykres::TFormWykres(People* people, QWidget* parent) : QWidget(parent, Qt::Window), people_(people) {
    setObjectName(QStringLiteral("FormWykres"));
    setWindowTitle(QStringLiteral("Wykres temperatury"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(1000, 620);

    auto* layout = new QVBoxLayout(this);
    Wykres = new ChartView(new QChart, this);
    Wykres->setObjectName(QStringLiteral("Wykres"));
    Wykres->setAccessibleName(QStringLiteral("Wykres temperatury"));
    layout->addWidget(Wykres, 1);
    Podsumowanie = new QLabel(this);
    Podsumowanie->setObjectName(QStringLiteral("Podsumowanie"));
    Podsumowanie->setWordWrap(true);
    Podsumowanie->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Podsumowanie);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        return b;
    };
    ButtonCalyZakres = button("ButtonCalyZakres", QStringLiteral("Cały zakres"));
    buttons->addStretch(1);
    ButtonZapiszCSV = button("ButtonZapiszCSV", QStringLiteral("Zapisz CSV"));
    ButtonDrukuj = button("ButtonDrukuj", QStringLiteral("Drukuj"));
    ButtonZapiszPDF = button("ButtonZapiszPDF", QStringLiteral("Zapisz PDF"));
    layout->addLayout(buttons);

    connect(ButtonCalyZakres, &QPushButton::clicked, this, [this] { guarded([this] { ButtonCalyZakresClick(); }); });
    connect(ButtonZapiszCSV, &QPushButton::clicked, this, [this] { guarded([this] { ButtonZapiszCSVClick(); }); });
    connect(ButtonDrukuj, &QPushButton::clicked, this, [this] { guarded([this] { ButtonDrukujClick(); }); });
    connect(ButtonZapiszPDF, &QPushButton::clicked, this, [this] { guarded([this] { ButtonZapiszPDFClick(); }); });
}

QChart* TFormWykres::chart() const { return Wykres->chart(); }

void TFormWykres::showRegister(const QVector<EventRecord>& records, const ChartThresholds& thresholds,
                               const QString& version) {
    records_ = records;
    version_ = version;
    series_ = BuildChartSeries(records_, thresholds);
    summary_ = SummariseChart(series_);
    // A fresh chart: the old one goes with its series and axes, and with its zoom.
    auto* chart = new QChart;
    FillChart(chart, series_);
    QChart* old = Wykres->chart();
    Wykres->setChart(chart);
    delete old;
    const QString text = ChartSummaryText(summary_);
    Podsumowanie->setText(text);
    Wykres->setAccessibleDescription(text);
}

void TFormWykres::ButtonCalyZakresClick() { chart()->zoomReset(); }

void TFormWykres::ButtonZapiszCSVClick() {
    const QString path = people_->saveFileName(
        FileDialogRequest{QStringLiteral("Plik CSV (*.csv)"), QStringLiteral("csv"), csvName()});
    if (path.isEmpty()) return;
    QString why;
    if (saveFileSafely(path, EventsCsv(records_), &why))
        people_->information(QStringLiteral("Zapisano plik CSV"));
    else
        people_->error(QStringLiteral("Błąd zapisu"));
}

void TFormWykres::ButtonDrukujClick() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!people_->printerSetup(printer)) return;
    if (!printPage(printer)) {
        people_->beep();
        people_->error(QStringLiteral("Błąd drukowania"));
    }
}

void TFormWykres::ButtonZapiszPDFClick() {
    const QString path = people_->saveFileName(
        FileDialogRequest{QStringLiteral("Plik PDF (*.pdf)"), QStringLiteral("pdf"), pdfName()});
    if (path.isEmpty()) return;
    // Written beside, then put in place whole like every other file.
    QTemporaryDir dir;
    bool saved = false;
    if (dir.isValid()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("wykres.pdf")));
        if (printPage(printer)) {
            QFile pdf(printer.outputFileName());
            QString why;
            saved = pdf.open(QIODevice::ReadOnly) && saveFileSafely(path, pdf.readAll(), &why);
        }
    }
    if (saved)
        people_->information(QStringLiteral("Zapisano plik PDF"));
    else
        people_->error(QStringLiteral("Błąd zapisu"));
}

bool TFormWykres::printPage(QPrinter& printer) {
    printer.setDocName(QStringLiteral("Wykres temperatury MX4"));
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF pageRect = printer.pageRect(QPrinter::DevicePixel);
    const QRectF page(0, 0, pageRect.width(), pageRect.height());

    QFont titleFont(QStringLiteral("Arial"), 14, QFont::Bold);
    QFont textFont(QStringLiteral("Arial"), 10);
    const QFontMetricsF titleMetrics(titleFont, &printer);
    const QFontMetricsF textMetrics(textFont, &printer);

    painter.setPen(Qt::black);
    painter.setFont(titleFont);
    const QRectF titleRect(page.left(), page.top(), page.width(), titleMetrics.height() * 1.4);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Wykres temperatury"));

    painter.setFont(textFont);
    const QString versionLine = QStringLiteral("Wersja rejestratora: ") + version_;
    const QRectF summaryBounds =
        textMetrics.boundingRect(QRectF(0, 0, page.width(), page.height()), Qt::TextWordWrap, Podsumowanie->text());
    const double footer = summaryBounds.height() + textMetrics.height() * 2.5;
    const QRectF chartRect(page.left(), titleRect.bottom(), page.width(), page.height() - titleRect.height() - footer);
    const QRectF summaryRect(page.left(), chartRect.bottom() + textMetrics.height() * 0.5, page.width(),
                             summaryBounds.height());
    painter.drawText(summaryRect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, Podsumowanie->text());
    painter.drawText(QRectF(page.left(), summaryRect.bottom() + textMetrics.height() * 0.5, page.width(),
                            textMetrics.height() * 1.5),
                     Qt::AlignLeft | Qt::AlignTop, versionLine);

    // The chart as it is in view, laid out anew at the page's proportions.
    QGraphicsScene scene;
    auto* paper = new QChart;
    FillChart(paper, series_);
    QDateTimeAxis* shownX = timeAxis(chart());
    QValueAxis* shownY = temperatureAxis(chart());
    if (shownX && shownY) {
        timeAxis(paper)->setRange(shownX->min(), shownX->max());
        temperatureAxis(paper)->setRange(shownY->min(), shownY->max());
    }
    scene.addItem(paper);
    const QSizeF size(kPaperChartWidth, kPaperChartWidth * chartRect.height() / chartRect.width());
    paper->setGeometry(QRectF(QPointF(0, 0), size));
    paper->setBackgroundRoundness(0);
    if (paper->layout()) paper->layout()->activate();
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, chartRect, QRectF(QPointF(0, 0), size));
    return painter.end();
}

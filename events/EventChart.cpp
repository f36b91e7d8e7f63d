#include "events/EventChart.h"

#include "config/SafeSave.h"
#include "config/Spoken.h"
#include "events/EventDecode.h"
#include "events/EventPrint.h"
#include "link/ErrorHook.h"
#include "link/Errors.h"
#include "link/People.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QShortcut>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

namespace {
constexpr qint64 kHourMs = 3600 * 1000;
// The window's chart as it is laid out for paper, in the chart's own units; the page scales it.
constexpr double kPaperChartWidth = 1400;
// The smallest text on paper, in points.
constexpr double kPaperTextPoints = 9;
// A kind's mark, in the chart's units.
constexpr int kMarkSize = 12;
constexpr double kPi = 3.14159265358979323846;

const QColor kHighBand(255, 0, 0, 45);
const QColor kLowBand(0, 0, 255, 45);

// ---------------------------------------------------------------- marks

QPainterPath markPath(ChartMark mark, double s) {
    // In a square of side s centred on the origin.
    const double r = s / 2;
    QPainterPath path;
    const auto polygon = [&](std::initializer_list<QPointF> points) {
        path.addPolygon(QPolygonF(points));
        path.closeSubpath();
    };
    const auto regular = [&](int corners, double radius, double inner) {
        QPolygonF p;
        const int n = inner > 0 ? corners * 2 : corners;
        for (int i = 0; i < n; ++i) {
            const double a = -kPi / 2 + i * 2 * kPi / n;
            const double d = inner > 0 && i % 2 == 1 ? inner : radius;
            p << QPointF(d * std::cos(a), d * std::sin(a));
        }
        path.addPolygon(p);
        path.closeSubpath();
    };
    const double t = s * 0.22;  // the half width of a cross's bar
    switch (mark) {
    case ChartMark::Square: path.addRect(QRectF(-r * 0.8, -r * 0.8, s * 0.8, s * 0.8)); break;
    case ChartMark::Circle: path.addEllipse(QPointF(0, 0), r * 0.85, r * 0.85); break;
    case ChartMark::Diamond: polygon({{0, -r}, {r, 0}, {0, r}, {-r, 0}}); break;
    case ChartMark::TriangleUp: polygon({{0, -r}, {r, r * 0.8}, {-r, r * 0.8}}); break;
    case ChartMark::TriangleDown: polygon({{0, r}, {r, -r * 0.8}, {-r, -r * 0.8}}); break;
    case ChartMark::Pentagon: regular(5, r, 0); break;
    case ChartMark::Star: regular(5, r, r * 0.45); break;
    case ChartMark::Plus:
        polygon({{-t, -r}, {t, -r}, {t, -t}, {r, -t}, {r, t}, {t, t}, {t, r}, {-t, r}, {-t, t}, {-r, t}, {-r, -t}, {-t, -t}});
        break;
    case ChartMark::Cross: {
        QPainterPath plus;
        plus.addPolygon(QPolygonF({{-t, -r}, {t, -r}, {t, -t}, {r, -t}, {r, t}, {t, t}, {t, r}, {-t, r}, {-t, t},
                                   {-r, t}, {-r, -t}, {-t, -t}}));
        plus.closeSubpath();
        path = QTransform().rotate(45).map(plus);
        break;
    }
    }
    return path;
}

QImage markImage(ChartMark mark, const QColor& colour, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(size / 2.0, size / 2.0);
    p.setPen(QPen(colour.darker(160), qMax(1.0, size / 12.0)));
    p.setBrush(colour);
    p.drawPath(markPath(mark, size - 2));
    return image;
}

// ---------------------------------------------------------------- the legend

// The chart's own legend cuts words short when they do not fit in one row; this one wraps its entries
// into as many rows as they need, under the plot, on screen and on paper alike.
struct LegendEntry {
    enum Kind { Line, Mark, Band } kind = Line;
    QPen pen;      // Line
    QImage image;  // Mark
    QColor fill;   // Band
    QString text;
};

class ChartLegend : public QGraphicsItem {
public:
    enum { Type = UserType + 41 };

    ChartLegend(QVector<LegendEntry> entries, const QFont& font, QGraphicsItem* parent)
        : QGraphicsItem(parent), entries_(std::move(entries)), font_(font) {
        // Laid out and drawn in the chart's units, whatever the device: a font in pixels does that.
        font_.setPixelSize(qMax(1, QFontInfo(font).pixelSize()));
    }

    int type() const override { return Type; }
    QStringList texts() const {
        QStringList out;
        for (const LegendEntry& e : entries_) out << e.text;
        return out;
    }

    // Rows across `width`, each centred; the height they take.
    qreal arrange(qreal width) {
        const QFontMetricsF fm(font_);
        const qreal icon = iconWidth(), gap = fm.height() * 0.4, spacing = fm.height() * 1.2;
        lineHeight_ = fm.height() * 1.35;
        places_.clear();
        QVector<int> rowStarts{0};
        QVector<qreal> rowWidths{0};
        qreal x = 0, y = 0;
        for (const LegendEntry& e : entries_) {
            const qreal w = icon + gap + fm.horizontalAdvance(e.text);
            if (x > 0 && x + w > width) {
                rowWidths.last() = x - spacing;
                rowStarts << places_.size();
                rowWidths << 0;
                x = 0;
                y += lineHeight_;
            }
            places_ << QPointF(x, y);
            x += w + spacing;
        }
        rowWidths.last() = x - spacing;
        for (int r = 0; r < rowStarts.size(); ++r) {
            const int end = r + 1 < rowStarts.size() ? rowStarts.at(r + 1) : places_.size();
            const qreal shift = qMax(0.0, (width - rowWidths.at(r)) / 2);
            for (int i = rowStarts.at(r); i < end; ++i) places_[i].rx() += shift;
        }
        prepareGeometryChange();
        width_ = width;
        height_ = entries_.isEmpty() ? 0 : y + lineHeight_;
        return height_;
    }

    QRectF boundingRect() const override { return QRectF(0, 0, width_, height_); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const QFontMetricsF fm(font_);
        const qreal icon = iconWidth(), gap = fm.height() * 0.4, side = fm.height() * 0.85;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setFont(font_);
        for (int i = 0; i < entries_.size() && i < places_.size(); ++i) {
            const LegendEntry& e = entries_.at(i);
            const QPointF at = places_.at(i);
            const qreal mid = at.y() + lineHeight_ / 2;
            switch (e.kind) {
            case LegendEntry::Line:
                painter->setPen(e.pen);
                painter->drawLine(QPointF(at.x(), mid), QPointF(at.x() + icon, mid));
                break;
            case LegendEntry::Mark:
                painter->drawImage(QRectF(at.x() + (icon - side) / 2, mid - side / 2, side, side), e.image);
                break;
            case LegendEntry::Band:
                painter->setPen(QPen(QColor(e.fill.red(), e.fill.green(), e.fill.blue()), 1));
                painter->setBrush(e.fill);
                painter->drawRect(QRectF(at.x(), mid - side / 2, icon, side));
                break;
            }
            painter->setPen(Qt::black);
            painter->drawText(QPointF(at.x() + icon + gap, mid + (fm.ascent() - fm.descent()) / 2), e.text);
        }
        painter->restore();
    }

private:
    qreal iconWidth() const { return QFontMetricsF(font_).height() * 1.8; }

    QVector<LegendEntry> entries_;
    QFont font_;
    QVector<QPointF> places_;
    qreal width_ = 0, height_ = 0, lineHeight_ = 0;
};

ChartLegend* legendOf(QChart* chart) {
    for (QGraphicsItem* item : chart->childItems())
        if (item->type() == ChartLegend::Type) return static_cast<ChartLegend*>(item);
    return nullptr;
}

// ---------------------------------------------------------------- axes

QCategoryAxis* timeAxis(QChart* chart) {
    const QList<QAbstractAxis*> axes = chart->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis*>(axes.first());
}
QValueAxis* temperatureAxis(QChart* chart) {
    const QList<QAbstractAxis*> axes = chart->axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}

// The time axis's ticks for what is in view and the room there is: whole minutes, hours or days of the
// recorder's clock, each labelled with its time and, for the first and at midnight, its date.
void placeTicks(QChart* chart, QCategoryAxis* x) {
    const QFontMetricsF fm(x->labelsFont());
    const double room = chart->plotArea().width() > 0 ? chart->plotArea().width() : chart->size().width() - 100;
    const int most = qMax(2, int(room / (fm.horizontalAdvance(QStringLiteral("2026-12-09")) * 1.5)));
    const QVector<ChartTick> ticks = TimeTicks(qint64(std::ceil(x->min())), qint64(x->max()), most);
    QStringList labels;
    QList<double> values;
    for (int i = 0; i < ticks.size(); ++i) {
        const ChartTick& t = ticks.at(i);
        if (double(t.at) <= x->min()) continue;
        QStringList lines;
        if (!t.time.isEmpty()) lines << t.time;
        if (!t.date.isEmpty()) lines << t.date;
        // The axis keeps its labels by their text: the comment makes each one its own.
        labels << QStringLiteral("<!--%1-->").arg(i) + lines.join(QStringLiteral("<br>"));
        values << double(t.at);
    }
    if (labels == x->categoriesLabels() && x->startValue() == x->min()) {
        bool same = true;
        for (int i = 0; i < labels.size() && same; ++i) same = x->endValue(labels.at(i)) == values.at(i);
        if (same) return;
    }
    for (const QString& old : x->categoriesLabels()) x->remove(old);
    x->setStartValue(x->min());
    for (int i = 0; i < labels.size(); ++i) x->append(labels.at(i), values.at(i));
}

void addSeries(QChart* chart, QAbstractSeries* s, QAbstractAxis* x, QAbstractAxis* y) {
    chart->addSeries(s);
    s->attachAxis(x);
    s->attachAxis(y);
}

QFont scaled(QFont font, double scale) {
    if (scale != 1.0) font.setPointSizeF(QFontInfo(font).pointSizeF() * scale);
    return font;
}

QString csvName(const QDate& today) {
    return QDir::home().filePath(QStringLiteral("rejestr-%1.csv").arg(today.toString(Qt::ISODate)));
}
QString pdfName(const QDate& today) {
    return QDir::home().filePath(QStringLiteral("wykres-%1.pdf").arg(today.toString(Qt::ISODate)));
}

// A figure never breaks across lines: the spaces inside it do not break.
QString unbrokenFigures(const ChartSummary& summary) {
    QStringList figures = ChartSummaryFigures(summary);
    for (QString& f : figures) f.replace(QLatin1Char(' '), QChar(0x00A0));
    return figures.join(QStringLiteral(" · "));
}
}  // namespace

// ---------------------------------------------------------------- the view

ChartView::ChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
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

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (pointerMoved) {
        const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
        if (chart()->plotArea().contains(at))
            pointerMoved(chart()->mapToValue(at));
        else
            pointerMoved(std::nullopt);
    }
    QChartView::mouseMoveEvent(event);
}

void ChartView::leaveEvent(QEvent* event) {
    if (pointerMoved) pointerMoved(std::nullopt);
    QChartView::leaveEvent(event);
}

// ---------------------------------------------------------------- the chart

void FillChart(QChart* chart, const ChartSeries& s, double fontScale) {
    chart->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    chart->setLocalizeNumbers(true);
    chart->legend()->hide();

    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setLabelsFont(scaled(x->labelsFont(), fontScale));
    auto* y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%.1f"));
    y->setTitleText(QStringLiteral("°C"));
    y->setLabelsFont(scaled(y->labelsFont(), fontScale));
    y->setTitleFont(scaled(y->titleFont(), fontScale));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    qint64 from = s.first, to = s.last;
    if (s.charted == 0) from = to = QDateTime::currentSecsSinceEpoch() * 1000;
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

    // The legend: the curve, the thresholds, each kind of event, the bands.
    QVector<LegendEntry> legend{{LegendEntry::Line, QPen(kCurveColour, 2), {}, {}, QStringLiteral("Temperatura")}};
    QVector<LegendEntry> bandEntries;
    const int markSize = qRound(kMarkSize * fontScale);

    // The bands under everything: each kind one area between a step line and the bottom of the plot.
    struct Band {
        QLineSeries* upper;
        QLineSeries* lower;
        QVector<ChartBand> bands;
    };
    QVector<Band> bands;
    for (const bool high : {true, false}) {
        QVector<ChartBand> some;
        for (const ChartBand& b : s.bands)
            if (b.high == high && b.to >= b.from) some << b;
        if (some.isEmpty()) continue;
        auto* upper = new QLineSeries(chart);
        auto* lower = new QLineSeries(chart);
        auto* area = new QAreaSeries(upper, lower);
        const QColor fill = high ? kHighBand : kLowBand;
        area->setName(high ? QStringLiteral("Powyżej MAX") : QStringLiteral("Poniżej MIN"));
        area->setPen(Qt::NoPen);
        area->setBrush(fill);
        addSeries(chart, area, x, y);
        bands << Band{upper, lower, some};
        bandEntries << LegendEntry{LegendEntry::Band, {}, {}, fill, area->name()};
    }

    const auto threshold = [&](const QString& name, const QColor& colour) {
        auto* line = new QLineSeries;
        line->setName(name);
        line->setPen(QPen(colour, 1.5, Qt::DashLine));
        addSeries(chart, line, x, y);
        legend << LegendEntry{LegendEntry::Line, line->pen(), {}, {}, name};
        return line;
    };
    QLineSeries* high = threshold(s.highLabel, EventColour::Red);
    QLineSeries* low = threshold(s.lowLabel, EventColour::Blue);

    // Events without a sample: a thin line across the plot in the kind's colour. The marks are solid: a
    // dashed line drawn smooth costs ten times as much, and a register has hundreds of them.
    QVector<QLineSeries*> lines;
    for (const ChartMarkers& m : s.markers) {
        auto* line = new QLineSeries;
        line->setName(m.name);
        line->setPen(QPen(m.colour, 1.2));
        addSeries(chart, line, x, y);
        lines << line;
    }

    // The curve over the marks and the thresholds. A line cannot hold a gap, so each run of the curve is a
    // line of its own and a sample standing alone a dot.
    QList<QPointF> alone;
    for (const QVector<QPointF>& run : s.curve) {
        if (run.size() == 1) {
            alone << run.first();
            continue;
        }
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("Temperatura"));
        line->setPen(QPen(kCurveColour, 2));
        line->replace(QList<QPointF>(run.cbegin(), run.cend()));
        addSeries(chart, line, x, y);
    }
    if (!alone.isEmpty()) {
        auto* dots = new QScatterSeries;
        dots->setName(QStringLiteral("Temperatura"));
        dots->setColor(kCurveColour);
        dots->setBorderColor(kCurveColour);
        dots->setMarkerSize(5 * fontScale);
        dots->replace(alone);
        addSeries(chart, dots, x, y);
    }

    // Each kind's marks over the curve: on the curve where the record has a sample, at the top of its line
    // where it has none.
    QVector<QScatterSeries*> marks;
    for (const ChartMarkers& m : s.markers) {
        auto* dots = new QScatterSeries;
        dots->setName(m.name);
        dots->setColor(m.colour);
        const QImage image = markImage(m.mark, m.colour, markSize);
        dots->setLightMarker(image);
        dots->setMarkerSize(markSize);
        addSeries(chart, dots, x, y);
        marks << dots;
        legend << LegendEntry{LegendEntry::Mark, {}, image, {}, m.name};
    }
    legend += bandEntries;

    // What depends on the view is laid across it again whenever it changes: drawn over the whole period
    // and beyond, a dashed line zoomed in far would be miles of dashes.
    const double highValue = s.high, lowValue = s.low;
    const QVector<ChartMarkers> markers = s.markers;
    const auto place = [x, y, high, low, lines, marks, markers, bands, highValue, lowValue] {
        const double left = x->min(), right = x->max();
        high->replace(QList<QPointF>{{left, highValue}, {right, highValue}});
        low->replace(QList<QPointF>{{left, lowValue}, {right, lowValue}});
        // Each line from just below to just above the plot; the legs from one line to the next run
        // outside it, where the chart does not draw.
        const double range = y->max() - y->min();
        const double bottom = y->min() - range * 0.05, top = y->max() + range * 0.05;
        const double markAt = y->max() - range * 0.03;
        for (int i = 0; i < lines.size(); ++i) {
            QList<QPointF> legs, dots;
            bool up = true;
            for (qint64 t : markers.at(i).times) {
                if (t < left || t > right) continue;
                legs << QPointF(double(t), up ? bottom : top) << QPointF(double(t), up ? top : bottom);
                dots << QPointF(double(t), markAt);
                up = !up;
            }
            lines.at(i)->replace(legs);
            for (const QPointF& p : markers.at(i).points)
                if (p.x() >= left && p.x() <= right) dots << p;
            marks.at(i)->replace(dots);
        }
        for (const Band& b : bands) {
            QList<QPointF> upper;
            for (const ChartBand& band : b.bands) {
                const double a = qMax(left, double(band.from) * 1000), z = qMin(right, double(band.to) * 1000);
                if (z < a) continue;
                upper << QPointF(a, y->min()) << QPointF(a, y->max()) << QPointF(z, y->max()) << QPointF(z, y->min());
            }
            b.upper->replace(upper);
            b.lower->replace(QList<QPointF>{{left, y->min()}, {right, y->min()}});
        }
    };
    QObject::connect(x, &QValueAxis::rangeChanged, chart, place);
    QObject::connect(y, &QValueAxis::rangeChanged, chart, place);
    QObject::connect(x, &QValueAxis::rangeChanged, chart, [chart, x] { placeTicks(chart, x); });
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [chart, x] { placeTicks(chart, x); });

    // The legend under the plot, in rows as wide as the chart.
    QFont legendFont = scaled(chart->legend()->font(), fontScale);
    auto* key = new ChartLegend(legend, legendFont, chart);
    const auto arrange = [chart, key] {
        qreal l = 0, t = 0, r = 0, b = 0;
        chart->getContentsMargins(&l, &t, &r, &b);
        const QRectF area = QRectF(QPointF(0, 0), chart->size()).marginsRemoved(QMarginsF(l, t, r, b));
        const qreal h = key->arrange(area.width() - 20);
        QMargins m = chart->margins();
        const int bottom = int(std::ceil(h)) + 12;
        if (m.bottom() != bottom) {
            m.setBottom(bottom);
            chart->setMargins(m);
        }
        key->setPos(area.left() + 10, area.bottom() - h - 6);
    };
    QObject::connect(chart, &QGraphicsWidget::geometryChanged, chart, arrange);
    arrange();

    x->setRange(double(from), double(to));
    y->setRange(lo, hi);
    y->applyNiceNumbers();
    place();
    placeTicks(chart, x);
}

QStringList ChartLegendTexts(QChart* chart) {
    ChartLegend* key = legendOf(chart);
    return key ? key->texts() : QStringList();
}

QRectF ChartLegendArea(QChart* chart) {
    ChartLegend* key = legendOf(chart);
    return key ? key->mapRectToParent(key->boundingRect()) : QRectF();
}

// ---------------------------------------------------------------- the window

TFormWykres::TFormWykres(People* people, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), people_(people), now_([] { return QDateTime::currentDateTime(); }) {
    setObjectName(QStringLiteral("FormWykres"));
    setWindowTitle(QStringLiteral("Wykres temperatury"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(1000, 660);

    auto* layout = new QVBoxLayout(this);
    Wykres = new ChartView(new QChart, this);
    Wykres->setObjectName(QStringLiteral("Wykres"));
    Wykres->setAccessibleName(QStringLiteral("Wykres temperatury"));
    Wykres->pointerMoved = [this](std::optional<QPointF> value) { guarded([&] { pointAt(value); }); };
    layout->addWidget(Wykres, 1);
    Podsumowanie = new QLabel(this);
    Podsumowanie->setObjectName(QStringLiteral("Podsumowanie"));
    Podsumowanie->setWordWrap(true);
    Podsumowanie->setTextFormat(Qt::PlainText);
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
    Odczyt = new QLabel(this);
    Odczyt->setObjectName(QStringLiteral("Odczyt"));
    Odczyt->setTextFormat(Qt::PlainText);
    Odczyt->setAlignment(Qt::AlignCenter);
    // Empty until the pointer is over the plot: a screen reader hears what it is for until then.
    nameAfterValue(Odczyt, QStringLiteral("Odczyt: wskaż punkt wykresu"));
    buttons->addWidget(Odczyt, 1);
    ButtonZapiszCSV = button("ButtonZapiszCSV", QStringLiteral("Zapisz CSV"));
    ButtonDrukuj = button("ButtonDrukuj", QStringLiteral("Drukuj"));
    ButtonZapiszPDF = button("ButtonZapiszPDF", QStringLiteral("Zapisz PDF"));
    ButtonZamknij = button("ButtonZamknij", QStringLiteral("Zamknij"));
    layout->addLayout(buttons);

    connect(ButtonCalyZakres, &QPushButton::clicked, this, [this] { guarded([this] { ButtonCalyZakresClick(); }); });
    connect(ButtonZapiszCSV, &QPushButton::clicked, this, [this] { guarded([this] { ButtonZapiszCSVClick(); }); });
    connect(ButtonDrukuj, &QPushButton::clicked, this, [this] { guarded([this] { ButtonDrukujClick(); }); });
    connect(ButtonZapiszPDF, &QPushButton::clicked, this, [this] { guarded([this] { ButtonZapiszPDFClick(); }); });
    connect(ButtonZamknij, &QPushButton::clicked, this, [this] { guarded([this] { ButtonZamknijClick(); }); });
    if (flags & Qt::Window) {
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        connect(escape, &QShortcut::activated, this, [this] { guarded([this] { ButtonZamknijClick(); }); });
    }
}

QChart* TFormWykres::chart() const { return Wykres->chart(); }

void TFormWykres::showRegister(const QVector<EventRecord>& records, const ChartThresholds& thresholds,
                               const QString& version) {
    showRecords(records, thresholds, QStringLiteral("Wersja rejestratora: ") + version);
}

void TFormWykres::showRecords(const QVector<EventRecord>& records, const ChartThresholds& thresholds,
                              const QString& pageLine) {
    records_ = records;
    pageLine_ = pageLine;
    series_ = BuildChartSeries(records_, thresholds);
    ButtonZapiszCSV->setEnabled(true);
    rebuildChart(std::nullopt);
}

void TFormWykres::showSeries(const ChartSeries& series, const QString& pageLine) {
    records_.clear();
    pageLine_ = pageLine;
    series_ = series;
    ButtonZapiszCSV->setEnabled(false);
    rebuildChart(std::nullopt);
}

void TFormWykres::setBands(const QVector<ChartBand>& bands) {
    series_.bands = bands;
    rebuildChart(viewRange());
}

void TFormWykres::rebuildChart(std::optional<std::pair<qint64, qint64>> keep) {
    // A fresh chart: the old one goes with its series and axes.
    auto* chart = new QChart;
    FillChart(chart, series_);
    QCategoryAxis* x = timeAxis(chart);
    QValueAxis* y = temperatureAxis(chart);
    fullTime_ = {x->min(), x->max()};
    fullTemperature_ = {y->min(), y->max()};

    pointed_ = new QScatterSeries;
    pointed_->setColor(Qt::transparent);
    pointed_->setBorderColor(Qt::black);
    pointed_->setPen(QPen(Qt::black, 1.5));
    pointed_->setMarkerSize(11);
    addSeries(chart, pointed_, x, y);
    showValue(Odczyt, QString());

    QChart* old = Wykres->chart();
    Wykres->setChart(chart);
    delete old;
    if (keep) x->setRange(double(keep->first), double(keep->second));
    connect(x, &QValueAxis::rangeChanged, this, [this] { guarded([this] { showSummary(); }); });
    showSummary();
}

void TFormWykres::showSummary() {
    const auto [from, to] = viewRange();
    summary_ = SummariseChart(series_, from, to);
    Podsumowanie->setText(unbrokenFigures(summary_));
    Wykres->setAccessibleDescription(ChartSummaryText(summary_) + QStringLiteral(" · Legenda: ") +
                                     ChartLegendTexts(chart()).join(QStringLiteral(", ")));
}

std::pair<qint64, qint64> TFormWykres::viewRange() const {
    QCategoryAxis* x = timeAxis(chart());
    if (!x) return {0, 0};
    return {qint64(std::ceil(x->min())), qint64(std::floor(x->max()))};
}

void TFormWykres::zoomTo(qint64 from, qint64 to) {
    QCategoryAxis* x = timeAxis(chart());
    if (!x || to < from) return;
    const qint64 room = qMax<qint64>((to - from) / 10, 5 * 60);
    x->setRange(double(from - room) * 1000, double(to + room) * 1000);
}

void TFormWykres::pointAt(std::optional<QPointF> value) {
    std::optional<QPointF> sample;
    if (value) {
        const auto [from, to] = viewRange();
        sample = NearestSample(series_, value->x(), double(from), double(to));
    }
    showValue(Odczyt, sample ? ChartReadoutText(*sample) : QString());
    if (pointed_) pointed_->replace(sample ? QList<QPointF>{*sample} : QList<QPointF>());
}

void TFormWykres::ButtonCalyZakresClick() {
    QCategoryAxis* x = timeAxis(chart());
    QValueAxis* y = temperatureAxis(chart());
    if (!x || !y) return;
    x->setRange(fullTime_.first, fullTime_.second);
    y->setRange(fullTemperature_.first, fullTemperature_.second);
}

void TFormWykres::ButtonZapiszCSVClick() {
    const QString path = people_->saveFileName(
        FileDialogRequest{QStringLiteral("Plik CSV (*.csv)"), QStringLiteral("csv"), csvName(now_().date())});
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
        FileDialogRequest{QStringLiteral("Plik PDF (*.pdf)"), QStringLiteral("pdf"), pdfName(now_().date())});
    if (path.isEmpty()) return;
    const bool saved = SavePrintedPdf(path, [this](QPrinter& printer) { return printPage(printer); });
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
    painter.drawText(titleRect, Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("Wydrukowano: ") + now_().toString(QStringLiteral("yyyy-MM-dd hh:mm")));

    const QString summary = Podsumowanie->text();
    const QRectF summaryBounds =
        textMetrics.boundingRect(QRectF(0, 0, page.width(), page.height()), Qt::TextWordWrap, summary);
    const double footer = summaryBounds.height() + textMetrics.height() * 2.5;
    const QRectF chartRect(page.left(), titleRect.bottom(), page.width(), page.height() - titleRect.height() - footer);
    const QRectF summaryRect(page.left(), chartRect.bottom() + textMetrics.height() * 0.5, page.width(),
                             summaryBounds.height());
    painter.drawText(summaryRect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, summary);
    painter.drawText(QRectF(page.left(), summaryRect.bottom() + textMetrics.height() * 0.5, page.width(),
                            textMetrics.height() * 1.5),
                     Qt::AlignLeft | Qt::AlignTop, pageLine_);

    // The chart as it is in view, laid out anew at the page's proportions, its texts no smaller than
    // kPaperTextPoints on paper: a chart unit is scale device pixels there.
    const double scale = chartRect.width() / kPaperChartWidth;
    const double smallest = QFontInfo(QFont()).pixelSize() * scale * 72.0 / printer.resolution();
    QGraphicsScene scene;
    auto* paper = new QChart;
    FillChart(paper, series_, qMax(1.0, kPaperTextPoints / smallest));
    QCategoryAxis* shownX = timeAxis(chart());
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

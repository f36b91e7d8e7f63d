#include "archive/PeriodReport.h"

#include "events/EventChartData.h"
#include "events/EventRecords.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QRegularExpression>
#include <cmath>
#include <functional>

namespace {
constexpr double kMarginMm = 15;
constexpr double kChartHeightMm = 85;
// The shading of the excursions and the colours of the limits, as the chart window has them.
const QColor kHighBand(255, 0, 0, 45);
const QColor kLowBand(0, 0, 255, 45);
const QColor kMaxColour(220, 0, 0);
const QColor kMinColour(0, 0, 220);
const QColor kRule(150, 150, 150);
const QColor kHeaderFill(230, 230, 230);

QString dateTimeOfLog(const QString& iso) {
    // "2026-12-09T10:15:00+01:00" as "2026-12-09 10:15:00".
    return iso.left(19).replace(QLatin1Char('T'), QLatin1Char(' '));
}

QString importSource(const ArchiveLogEntry& e) {
    if (e.kind == ArchiveLogEntry::Kind::File)
        return QStringLiteral("plik %1 (SHA-256 %2)").arg(e.source, e.sha256);
    return QStringLiteral("pobranie z ") + (e.recorderVersion.isEmpty() ? QStringLiteral("MX-4") : e.recorderVersion);
}

QString importCompleteness(const ArchiveLogEntry& e) {
    if (e.kind == ArchiveLogEntry::Kind::File)
        return QStringLiteral("%1 zdarzeń, pominięto wierszy %2; nowych %3")
            .arg(e.inSource)
            .arg(e.skippedLines.value_or(0))
            .arg(e.added);
    return QStringLiteral("odebrano %1 z %2 zdarzeń, %3; nowych %4")
        .arg(e.received.value_or(0))
        .arg(e.announced && *e.announced >= 0 ? QString::number(*e.announced) : QStringLiteral("?"))
        .arg(ArchiveEndingText(e.ending))
        .arg(e.added);
}

// A table: its columns (shares of the width), the header and the rows of cells.
struct Table {
    QString title;
    QVector<double> shares;
    QStringList header;
    QVector<QStringList> rows;
    QString empty;  // said instead of the table when it has no rows
};

// One piece of a page, laid out before anything is painted.
struct Block {
    double height = 0;
    std::function<void(QPainter&, double top)> paint;
    int table = -1;             // a row of this table: its header goes first on a page it continues on
    bool keepWithNext = false;  // a title or a header: on the page of what follows it
};

class ReportLayout {
public:
    ReportLayout(QPagedPaintDevice& device, const PeriodReport& report) : device_(device), report_(report) {
        pt_ = device.logicalDpiY() / 72.0;
        width_ = device.width();
        height_ = device.height();
        const QString family = QStringLiteral("Arial");
        text_ = QFont(family, 9);
        small_ = QFont(family, 8);
        bold_ = QFont(family, 9, QFont::Bold);
        heading_ = QFont(family, 11, QFont::Bold);
        title_ = QFont(family, 16, QFont::Bold);
        mono_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono_.setPointSize(9);
        headerHeight_ = lineHeight(text_) * 1.5 + 6 * pt_;
    }

    int paint() {
        buildBlocks();
        layOut();
        QPainter painter;
        if (!painter.begin(&device_)) return 0;
        painter.setRenderHint(QPainter::Antialiasing);
        const int pages = int(pages_.size());
        for (int page = 0; page < pages; ++page) {
            if (page > 0 && !device_.newPage()) return 0;
            paintPageHeader(painter, page + 1, pages);
            for (const auto& [index, top] : pages_.at(page)) {
                const Block& b = index >= 0 ? blocks_.at(index) : tableHeaders_.at(-index - 1);
                b.paint(painter, top);
            }
        }
        return painter.end() ? pages : 0;
    }

private:
    double lineHeight(const QFont& font) const { return QFontMetricsF(font, &device_).height() * 1.25; }
    double textHeight(const QFont& font, double width, const QString& text) const {
        return QFontMetricsF(font, &device_)
            .boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::AlignLeft, text)
            .height();
    }

    void add(double height, std::function<void(QPainter&, double)> paint, bool keepWithNext = false, int table = -1) {
        blocks_.append(Block{height, std::move(paint), table, keepWithNext});
    }
    void space(double points, bool keepWithNext = false) {
        add(points * pt_, [](QPainter&, double) {}, keepWithNext);
    }

    void paragraph(const QFont& font, const QString& text, bool keepWithNext = false) {
        const double h = textHeight(font, width_, text) + 2 * pt_;
        add(h, [this, font, text](QPainter& p, double top) {
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(QRectF(0, top, width_, 1e6), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        }, keepWithNext);
    }

    void buildBlocks() {
        const ArchivePeriod& period = report_.period;
        const PeriodFigures& f = period.figures;
        paragraph(title_, QStringLiteral("Raport temperatury"));
        paragraph(text_, QStringLiteral("Obiekt: %1    Okres: %2").arg(report_.site, PeriodDaysText(f)));
        space(6);
        figures(PeriodFigureLines(period));
        space(8);
        paragraph(heading_, QStringLiteral("Przebieg temperatury"), true);
        add(kChartHeightMm / 25.4 * 72 * pt_, [this](QPainter& p, double top) {
            paintChart(p, QRectF(0, top, width_, kChartHeightMm / 25.4 * 72 * pt_));
        });
        space(8);

        Table excursions{QStringLiteral("Przekroczenia (%1)").arg(f.excursions.size()),
                         {0.2, 0.2, 0.18, 0.27, 0.15},
                         {QStringLiteral("Początek"), QStringLiteral("Koniec"), QStringLiteral("Czas trwania"),
                          QStringLiteral("Temperatura skrajna"), QStringLiteral("Alarm MX-4")},
                         {},
                         QStringLiteral("Brak przekroczeń w okresie.")};
        for (const Excursion& x : f.excursions)
            excursions.rows << ExcursionCells(x);
        table(excursions);
        space(8);

        Table events{QStringLiteral("Zdarzenia (%1)").arg(f.events.size()),
                     {0.3, 0.7},
                     {QStringLiteral("Data i godzina"), QStringLiteral("Zdarzenie")},
                     {},
                     QStringLiteral("Brak alarmów, zaników zasilania, zdarzeń baterii i startów w okresie.")};
        for (const PeriodEvent& e : f.events) events.rows << QStringList{ClockText(e.clock), EventName(e.code)};
        table(events);
        space(8);

        Table imports{QStringLiteral("Importy, z których pochodzą zdarzenia okresu (%1)").arg(report_.imports.size()),
                      {0.2, 0.45, 0.35},
                      {QStringLiteral("Data"), QStringLiteral("Źródło"), QStringLiteral("Kompletność")},
                      {},
                      QStringLiteral("Brak zdarzeń w okresie.")};
        for (const ArchiveLogEntry& e : report_.imports)
            imports.rows << QStringList{dateTimeOfLog(e.localTime), importSource(e), importCompleteness(e)};
        table(imports);
        space(10);

        paragraph(heading_, QStringLiteral("Potwierdzenie"), true);
        paragraph(text_,
                  QStringLiteral("Sporządzono: %1, użytkownik: %2")
                      .arg(report_.made.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), report_.user),
                  true);
        paragraph(text_,
                  QStringLiteral("SHA-256 zdarzeń okresu (%1 zdarzeń, wiersze „data;kod;temperatura” w porządku "
                                 "archiwum):")
                      .arg(period.records()),
                  true);
        paragraph(mono_, period.sha256, true);
        paragraph(text_, QStringLiteral("Weryfikacja archiwum: ") + report_.check.text, true);
        space(14, true);
        paragraph(text_, QStringLiteral("Sprawdził (data, podpis): ") + QString(60, QLatin1Char('.')));
    }

    // The summary lines in two columns of label and value, each column its labels' width.
    void figures(const QVector<FigureLine>& lines) {
        const int perColumn = int(lines.size() + 1) / 2;
        const double row = lineHeight(text_);
        const QFontMetricsF bold(bold_, &device_);
        const double column = width_ / 2;
        double labelWidths[2] = {0, 0};
        for (int i = 0; i < lines.size(); ++i) {
            double& w = labelWidths[i < perColumn ? 0 : 1];
            w = qMax(w, bold.horizontalAdvance(lines.at(i).label + QLatin1Char(':')) + 6 * pt_);
        }
        add(row * perColumn, [this, lines, perColumn, row, column, labelWidths](QPainter& p, double top) {
            p.setPen(Qt::black);
            for (int i = 0; i < lines.size(); ++i) {
                const int c = i < perColumn ? 0 : 1;
                const double x = c * column, y = top + (i % perColumn) * row, labelWidth = labelWidths[c];
                p.setFont(bold_);
                p.drawText(QRectF(x, y, labelWidth, row), Qt::AlignLeft | Qt::AlignVCenter,
                           lines.at(i).label + QLatin1Char(':'));
                p.setFont(text_);
                p.drawText(QRectF(x + labelWidth, y, column - labelWidth, row), Qt::AlignLeft | Qt::AlignVCenter,
                           lines.at(i).value);
            }
        });
    }

    // The title, the header (repeated on each page the rows continue on) and one block a row.
    void table(const Table& t) {
        paragraph(heading_, t.title, true);
        if (t.rows.isEmpty()) {
            paragraph(text_, t.empty);
            return;
        }
        const double pad = 2.5 * pt_;
        QVector<double> lefts, widths;
        double x = 0;
        for (double share : t.shares) {
            lefts << x;
            widths << share * width_;
            x += share * width_;
        }
        const auto rowOf = [this, pad, lefts, widths](const QStringList& cells, const QFont& font, bool header) {
            double h = 0;
            for (int c = 0; c < cells.size(); ++c) h = qMax(h, textHeight(font, widths.at(c) - 2 * pad, cells.at(c)));
            h += 2 * pad;
            return Block{h,
                         [this, cells, font, header, pad, lefts, widths, h](QPainter& p, double top) {
                             if (header) p.fillRect(QRectF(0, top, width_, h), kHeaderFill);
                             p.setFont(font);
                             p.setPen(Qt::black);
                             for (int c = 0; c < cells.size(); ++c)
                                 p.drawText(QRectF(lefts.at(c) + pad, top + pad, widths.at(c) - 2 * pad, h),
                                            Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, cells.at(c));
                             p.setPen(QPen(kRule, 0.5 * pt_));
                             p.drawLine(QPointF(0, top + h), QPointF(width_, top + h));
                         },
                         -1, false};
        };
        const int index = int(tableHeaders_.size());
        Block header = rowOf(t.header, bold_, true);
        tableHeaders_.append(header);
        header.keepWithNext = true;
        blocks_.append(header);
        for (const QStringList& cells : t.rows) {
            Block row = rowOf(cells, text_, false);
            row.table = index;
            blocks_.append(row);
        }
    }

    // Pages of (block, top): a block that does not fit goes to the next page with whatever must stay
    // with it; a table's rows that go on there follow their header again.
    void layOut() {
        const double top = headerHeight_, bottom = height_;
        pages_ = {{}};
        double y = top;
        for (int i = 0; i < blocks_.size(); ++i) {
            const Block& b = blocks_.at(i);
            double need = b.height;
            for (int k = i; k < blocks_.size() - 1 && blocks_.at(k).keepWithNext; ++k) need += blocks_.at(k + 1).height;
            if (y + need > bottom && y > top) {
                pages_.append(QVector<QPair<int, double>>());
                y = top;
                if (b.table >= 0) {
                    pages_.last().append({-b.table - 1, y});
                    y += tableHeaders_.at(b.table).height;
                }
            }
            pages_.last().append({i, y});
            y += b.height;
        }
    }

    void paintPageHeader(QPainter& p, int page, int pages) {
        const double h = lineHeight(text_);
        const QRectF line(0, 0, width_, h);
        p.setPen(Qt::black);
        p.setFont(bold_);
        const QString right = QStringLiteral("Strona %1 z %2").arg(page).arg(pages);
        const QFontMetricsF bold(bold_, &device_), text(text_, &device_);
        const double rightWidth = bold.horizontalAdvance(right) + 4 * pt_;
        const QString middle = QStringLiteral("Okres: ") + PeriodDaysText(report_.period.figures);
        const double middleWidth = text.horizontalAdvance(middle) + 8 * pt_;
        p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, right);
        p.drawText(QRectF(0, 0, width_ - rightWidth - middleWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                   bold.elidedText(QStringLiteral("Obiekt: ") + report_.site, Qt::ElideRight,
                                   width_ - rightWidth - middleWidth));
        p.setFont(text_);
        p.drawText(QRectF(width_ - rightWidth - middleWidth, 0, middleWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                   middle);
        p.setPen(QPen(kRule, 0.75 * pt_));
        p.drawLine(QPointF(0, h + 2 * pt_), QPointF(width_, h + 2 * pt_));
    }

    // The chart of the period: the curve broken at gaps, MAX and MIN, the excursions shaded, ticks on
    // whole hours or days of the recorder's clock, a legend under it.
    void paintChart(QPainter& p, const QRectF& area) {
        const PeriodFigures& f = report_.period.figures;
        const FigureLimits& limits = report_.period.limits;
        const QFontMetricsF fm(small_, &device_);
        const double legendHeight = fm.height() * 1.6;
        // Room on the left for the temperatures, above for the unit, under it for the times and the legend.
        QRectF frame(area.left() + fm.horizontalAdvance(QStringLiteral("-00,0")) + 8 * pt_,
                     area.top() + fm.height() * 1.8, 0, 0);
        frame.setRight(area.right() - 4 * pt_);
        frame.setBottom(area.bottom() - legendHeight - fm.height() * 2.4);
        p.save();
        p.setFont(small_);
        if (!f.firstDay.isValid() || f.to <= f.from) {
            p.setPen(Qt::black);
            p.drawRect(frame);
            p.drawText(frame, Qt::AlignCenter, QStringLiteral("Brak danych"));
            p.restore();
            return;
        }

        double lo = qMin(limits.min, limits.max), hi = qMax(limits.min, limits.max);
        for (const QVector<QPointF>& run : report_.curve)
            for (const QPointF& pt : run) {
                lo = qMin(lo, pt.y());
                hi = qMax(hi, pt.y());
            }
        lo = std::floor(lo) - 1;
        hi = std::ceil(hi) + 1;
        static const double kSteps[] = {0.5, 1, 2, 5, 10, 20, 50, 100};
        double step = 100;
        for (double s : kSteps)
            if ((hi - lo) / s <= 8) {
                step = s;
                break;
            }
        lo = std::floor(lo / step) * step;
        hi = std::ceil(hi / step) * step;

        const double from = double(f.from), to = double(f.to);
        const auto xOf = [&](double clock) { return frame.left() + (clock - from) / (to - from) * frame.width(); };
        const auto yOf = [&](double celsius) { return frame.bottom() - (celsius - lo) / (hi - lo) * frame.height(); };

        // The excursions under everything, each at least a hair wide so a short one still shows.
        p.setPen(Qt::NoPen);
        for (const Excursion& x : f.excursions) {
            double a = xOf(double(qMax(x.start, f.from))), z = xOf(double(qMin(x.end, f.to)));
            if (z - a < 0.8 * pt_) z = a + 0.8 * pt_;
            p.setBrush(x.high ? kHighBand : kLowBand);
            p.drawRect(QRectF(QPointF(a, frame.top()), QPointF(qMin(z, frame.right()), frame.bottom())));
        }

        // The temperature axis with its grid.
        p.setPen(Qt::black);
        for (double v = lo; v <= hi + step / 2; v += step) {
            const double y = yOf(v);
            p.setPen(QPen(QColor(225, 225, 225), 0.5 * pt_));
            p.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
            p.setPen(Qt::black);
            p.drawText(QRectF(area.left(), y - fm.height() / 2, frame.left() - area.left() - 4 * pt_, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, CelsiusText(v));
        }
        p.drawText(QRectF(area.left(), area.top(), frame.left() - area.left() - 4 * pt_, fm.height()),
                   Qt::AlignRight | Qt::AlignTop, QStringLiteral("°C"));

        // The time axis: whole minutes, hours or days, as many as there is room for.
        const int most = qMax(2, int(frame.width() / (fm.horizontalAdvance(QStringLiteral("2026-12-09")) * 1.4)));
        const QVector<ChartTick> ticks = TimeTicks(f.from * 1000, f.to * 1000, most);
        for (const ChartTick& t : ticks) {
            const double x = xOf(double(t.at) / 1000);
            p.setPen(QPen(QColor(225, 225, 225), 0.5 * pt_));
            p.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
            p.setPen(Qt::black);
            p.drawLine(QPointF(x, frame.bottom()), QPointF(x, frame.bottom() + 3 * pt_));
            QStringList lines;
            if (!t.time.isEmpty()) lines << t.time;
            if (!t.date.isEmpty()) lines << t.date;
            const double w = fm.horizontalAdvance(QStringLiteral("2026-12-09")) * 1.2;
            p.drawText(QRectF(x - w / 2, frame.bottom() + 4 * pt_, w, fm.height() * 2.2), Qt::AlignHCenter | Qt::AlignTop,
                       lines.join(QLatin1Char('\n')));
        }

        // MAX and MIN.
        const auto limit = [&](int degrees, const QColor& colour) {
            p.setPen(QPen(colour, 1.0 * pt_, Qt::DashLine));
            p.drawLine(QPointF(frame.left(), yOf(degrees)), QPointF(frame.right(), yOf(degrees)));
        };
        limit(limits.max, kMaxColour);
        limit(limits.min, kMinColour);

        // The curve, run by run; a run of one sample is a dot.
        p.setClipRect(frame);
        p.setPen(QPen(kCurveColour, 0.9 * pt_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(kCurveColour);
        for (const QVector<QPointF>& run : report_.curve) {
            QPolygonF line;
            line.reserve(run.size());
            for (const QPointF& s : run) line << QPointF(xOf(s.x()), yOf(s.y()));
            if (line.size() == 1)
                p.drawEllipse(line.first(), 0.9 * pt_, 0.9 * pt_);
            else
                p.drawPolyline(line);
        }
        p.setClipping(false);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 0.75 * pt_));
        p.drawRect(frame);

        // The legend.
        struct Key {
            QString text;
            std::function<void(const QRectF&)> icon;
        };
        const QVector<Key> keys = {
            {QStringLiteral("Temperatura"),
             [&](const QRectF& r) {
                 p.setPen(QPen(kCurveColour, 1.5 * pt_));
                 p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
             }},
            {QStringLiteral("MAX ") + ThresholdText(quint8(limits.max + 128)),
             [&](const QRectF& r) {
                 p.setPen(QPen(kMaxColour, 1.0 * pt_, Qt::DashLine));
                 p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
             }},
            {QStringLiteral("MIN ") + ThresholdText(quint8(limits.min + 128)),
             [&](const QRectF& r) {
                 p.setPen(QPen(kMinColour, 1.0 * pt_, Qt::DashLine));
                 p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
             }},
            {QStringLiteral("Powyżej MAX"), [&](const QRectF& r) { p.fillRect(r, kHighBand); }},
            {QStringLiteral("Poniżej MIN"), [&](const QRectF& r) { p.fillRect(r, kLowBand); }},
        };
        double x = frame.left();
        const double y = area.bottom() - legendHeight;
        for (const Key& k : keys) {
            const QRectF icon(x, y + fm.height() * 0.2, fm.height() * 1.8, fm.height() * 0.8);
            k.icon(icon);
            p.setPen(Qt::black);
            const double w = fm.horizontalAdvance(k.text);
            p.drawText(QRectF(icon.right() + 4 * pt_, y, w + 2 * pt_, fm.height() * 1.2), Qt::AlignLeft | Qt::AlignVCenter,
                       k.text);
            x = icon.right() + 4 * pt_ + w + 14 * pt_;
        }
        p.restore();
    }

    QPagedPaintDevice& device_;
    const PeriodReport& report_;
    double pt_ = 1, width_ = 0, height_ = 0, headerHeight_ = 0;
    QFont text_, small_, bold_, heading_, title_, mono_;
    QVector<Block> blocks_;
    QVector<Block> tableHeaders_;
    QVector<QVector<QPair<int, double>>> pages_;
};
}  // namespace

PeriodReport MakePeriodReport(const RegisterArchive& archive, const ArchiveContents& contents,
                              const ArchivePeriod& period, const QDateTime& made) {
    PeriodReport r;
    r.site = archive.site();
    r.period = period;
    r.curve = PeriodCurve(contents, period);
    for (const ArchiveLogEntry& e : archive.log())
        if (period.entries.contains(e.number)) r.imports.append(e);
    r.check = archive.verify();
    r.made = made;
    r.user = CurrentUserName();
    return r;
}

int PaintPeriodReport(QPagedPaintDevice& device, const PeriodReport& report) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    ReportLayout layout(device, report);
    return layout.paint();
}

QByteArray PeriodReportPdf(const PeriodReport& report) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Raport temperatury"));
        writer.setCreator(QStringLiteral("MX-4 Konfig"));
        if (PaintPeriodReport(writer, report) == 0) return QByteArray();
    }
    return buffer.data();
}

QString SiteFileName(const QString& site) {
    QString name = site.trimmed();
    // \w with Unicode's letters: "Chłodnia" stays whole.
    name.replace(QRegularExpression(QStringLiteral("[^\\w]+"), QRegularExpression::UseUnicodePropertiesOption),
                 QStringLiteral("-"));
    name.remove(QRegularExpression(QStringLiteral("^-+|-+$")));
    return name.isEmpty() ? QStringLiteral("archiwum") : name;
}

QString PeriodReportFileName(const QString& site, const QDate& first, const QDate& last) {
    return QStringLiteral("raport-%1-%2-%3.pdf")
        .arg(SiteFileName(site), first.toString(Qt::ISODate), last.toString(Qt::ISODate));
}

#include "trendpdf.h"

#include "trendtexts.h"

#include "macc.h"
#include "outputfile.h"
#include "template.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace tarel::trend {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

// Geometry in pixels at 96 per inch, as the forms are laid out.
constexpr double kResolution = 1200;
constexpr double kScale = kResolution / 96;
const double kPageWidth = report::mm(210);
const double kPageHeight = report::mm(297);
const double kMargin = report::mm(15);
const double kBlockHeight = report::mm(31);
const double kHeaderHeight = report::mm(42);
const double kFooterHeight = report::mm(8);
const double kChartWidth = report::mm(78);

// The forms' font (MAC C Swiss) where it draws Unicode text, else the
// metric-compatible family the forms are drawn in without it.
QFont formFont(double pixels, bool bold = false)
{
    report::Font font{QString::fromLatin1(report::kMaccSwiss), pixels, bold};
    if (!report::convertsText(font))
        font.name = QStringLiteral("Arial");
    return report::displayFont(font);
}

QString number(double value, int decimals = 2) { return QLocale(QLocale::Macedonian).toString(value, 'f', decimals); }
QString count(qint64 value) { return QString::number(value); }

// One block of a page: a flagged cell or a doctor.
struct Block {
    enum class Kind { Cell, Doctor, Heading } kind = Kind::Cell;
    int index = 0; // into the flagged cells or the doctors
};

class Writer {
public:
    Writer(const Trend &trend) : m_trend(trend), m_flagged(flaggedCells(cellSeries(trend)))
    {
        for (const Period &period : trend.periods)
            m_labels << periodLabel(period);
        for (std::size_t i = 0; i < m_flagged.size(); ++i)
            m_blocks.push_back({Block::Kind::Cell, int(i)});
        if (!trend.doctors.empty()) {
            m_blocks.push_back({Block::Kind::Heading, 0});
            for (std::size_t i = 0; i < trend.doctors.size(); ++i)
                m_doctorOrder.push_back(int(i));
            std::stable_sort(m_doctorOrder.begin(), m_doctorOrder.end(), [&](int a, int b) {
                return trend.doctors[std::size_t(a)].flag() == Flag::Silent
                    && trend.doctors[std::size_t(b)].flag() != Flag::Silent;
            });
            for (const int doctor : m_doctorOrder)
                m_blocks.push_back({Block::Kind::Doctor, doctor});
        }
        paginate();
    }

    bool paint(QPdfWriter &writer)
    {
        QPainter painter;
        if (!painter.begin(&writer))
            return false;
        for (std::size_t page = 0; page < m_pages.size(); ++page) {
            if (page > 0 && !writer.newPage())
                return false;
            painter.save();
            painter.scale(kScale, kScale);
            double top = kMargin;
            if (page == 0) {
                paintHeader(painter, top);
                top += kHeaderHeight;
            }
            for (const Block &block : m_pages[page]) {
                paintBlock(painter, block, top);
                top += block.kind == Block::Kind::Heading ? headingHeight() : kBlockHeight;
            }
            painter.setFont(formFont(10));
            painter.setPen(Qt::black);
            painter.drawText(QRectF(kMargin, kPageHeight - kMargin - kFooterHeight + report::mm(3),
                                    kPageWidth - 2 * kMargin, kFooterHeight),
                             Qt::AlignRight | Qt::AlignTop,
                             QStringLiteral("Страна %1 од %2").arg(page + 1).arg(m_pages.size()));
            painter.restore();
        }
        return painter.end();
    }

private:
    static double headingHeight() { return report::mm(12); }

    void paginate()
    {
        const double bottom = kPageHeight - kMargin - kFooterHeight;
        double top = kMargin + kHeaderHeight;
        m_pages.emplace_back();
        for (std::size_t i = 0; i < m_blocks.size(); ++i) {
            const double height = m_blocks[i].kind == Block::Kind::Heading ? headingHeight() : kBlockHeight;
            // A heading stays with the block after it.
            const double needed = m_blocks[i].kind == Block::Kind::Heading ? height + kBlockHeight : height;
            if (top + needed > bottom && !m_pages.back().empty()) {
                m_pages.emplace_back();
                top = kMargin;
            }
            m_pages.back().push_back(m_blocks[i]);
            top += height;
        }
    }

    void paintHeader(QPainter &painter, double top) const
    {
        const double width = kPageWidth - 2 * kMargin;
        painter.setPen(Qt::black);
        painter.setFont(formFont(19, true));
        painter.drawText(QRectF(kMargin, top, width, report::mm(9)), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("Споредба со претходните периоди"));
        const std::pair<QString, QString> lines[] = {
            {QStringLiteral("Извештај"), m_trend.title.isEmpty() ? m_trend.report : m_trend.title},
            {QStringLiteral("Лекар"), doctorWords(m_trend)},
            {QStringLiteral("Подрачје"), areaWords(m_trend.area)},
            {QStringLiteral("Период"), QStringLiteral("%1, споредено со %2 претходни периоди")
                                          .arg(periodLabel(m_trend.periods.back()))
                                          .arg(m_trend.historyCount())},
            {QStringLiteral("Означени"),
             QStringLiteral("броеви: %1; лекари без посети: %2")
                 .arg(m_flagged.size())
                 .arg(std::count_if(m_trend.doctors.begin(), m_trend.doctors.end(),
                                    [](const DoctorVisits &doctor) { return doctor.flag() == Flag::Silent; }))},
        };
        double y = top + report::mm(11);
        for (const auto &[caption, text] : lines) {
            painter.setFont(formFont(12, true));
            painter.drawText(QRectF(kMargin, y, report::mm(25), report::mm(5)), Qt::AlignLeft, caption);
            painter.setFont(formFont(12));
            painter.drawText(QRectF(kMargin + report::mm(25), y, width - report::mm(25), report::mm(5)),
                             Qt::AlignLeft, QFontMetricsF(formFont(12)).elidedText(text, Qt::ElideRight,
                                                                                     width - report::mm(25)));
            y += report::mm(5.5);
        }
    }

    // The lines of text beside a block's chart.
    void paintLines(QPainter &painter, double top, const QString &heading, const QStringList &lines) const
    {
        const double width = kPageWidth - 2 * kMargin - kChartWidth - report::mm(4);
        painter.setPen(Qt::black);
        painter.setFont(formFont(12, true));
        const QFontMetricsF bold(formFont(12, true));
        painter.drawText(QRectF(kMargin, top, width, report::mm(5)), Qt::AlignLeft,
                         bold.elidedText(heading, Qt::ElideRight, width));
        painter.setFont(formFont(11));
        const QFontMetricsF plain(formFont(11));
        double y = top + report::mm(5.5);
        for (const QString &line : lines) {
            painter.drawText(QRectF(kMargin, y, width, report::mm(4.5)), Qt::AlignLeft,
                             plain.elidedText(line, Qt::ElideRight, width));
            y += report::mm(4.5);
        }
    }

    void paintBlock(QPainter &painter, const Block &block, double top) const
    {
        const QRectF chart(kPageWidth - kMargin - kChartWidth, top + report::mm(1), kChartWidth,
                           kBlockHeight - report::mm(4));
        switch (block.kind) {
        case Block::Kind::Heading:
            painter.setPen(Qt::black);
            painter.setFont(formFont(15, true));
            painter.drawText(QRectF(kMargin, top + report::mm(3), kPageWidth - 2 * kMargin, report::mm(7)),
                             Qt::AlignLeft, QStringLiteral("Лекари: избрани посети по периоди"));
            return;
        case Block::Kind::Cell: {
            const CellSeries &one = m_flagged[std::size_t(block.index)];
            const CountCell &cell = m_trend.cells[std::size_t(one.cell)];
            const result::TableShape &shape = m_trend.shape();
            const CellStatistics &figures = one.statistics;
            paintLines(painter, top, flagWords(figures.flag) + QStringLiteral(": ")
                                         + rowWords(shape.rows()[std::size_t(cell.row)]),
                       {QStringLiteral("Колона: %1 (ќелија %2)")
                            .arg(columnWords(shape.columns()[std::size_t(cell.column)]), cell.name),
                        QStringLiteral("Овој период: %1; просек: %2; ст. девијација: %3")
                            .arg(count(one.value()), number(*figures.mean), number(*figures.sd)),
                        one.ratio() ? QStringLiteral("Однос кон просекот: %1").arg(number(*one.ratio()))
                                    : QStringLiteral("Просекот е 0."),
                        QStringLiteral("Шифри: %1").arg(shape.rows()[std::size_t(cell.row)].codes)});
            paintSeriesChart(painter, chart, one.values, figures, m_labels);
            break;
        }
        case Block::Kind::Doctor: {
            const DoctorVisits &doctor = m_trend.doctors[std::size_t(block.index)];
            const std::span<const qint64> values(doctor.values);
            const CellStatistics figures = cellStatistics(values.back(), values.first(values.size() - 1));
            const Flag flag = doctor.flag();
            paintLines(painter, top,
                       (flag == Flag::None ? QString() : flagWords(flag) + QStringLiteral(": ")) + doctor.code
                           + u' ' + report::maccToUnicode(doctor.name),
                       {QStringLiteral("Овој период: %1 посети").arg(count(doctor.values.back())),
                        figures.mean ? QStringLiteral("Просек на претходните: %1").arg(number(*figures.mean))
                                     : QStringLiteral("Нема претходни периоди.")});
            paintSeriesChart(painter, chart, doctor.values, figures, m_labels);
            break;
        }
        }
        painter.setPen(QPen(QColor(190, 190, 190), 0.5));
        painter.drawLine(QPointF(kMargin, top + kBlockHeight - report::mm(1.5)),
                         QPointF(kPageWidth - kMargin, top + kBlockHeight - report::mm(1.5)));
    }

    const Trend &m_trend;
    std::vector<CellSeries> m_flagged;
    std::vector<int> m_doctorOrder;
    QStringList m_labels;
    std::vector<Block> m_blocks;
    std::vector<std::vector<Block>> m_pages;
};

} // namespace

void paintSeriesChart(QPainter &painter, const QRectF &area, const std::vector<qint64> &values,
                      const CellStatistics &statistics, const QStringList &periodLabels)
{
    if (values.empty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont small = formFont(9);
    const QFontMetricsF metrics(small);
    const double labelWidth = metrics.horizontalAdvance(QStringLiteral("00000")) + 4;
    const QRectF plot = area.adjusted(labelWidth, 2, -4, -metrics.height() - 2);

    double low = 0;
    double high = double(*std::max_element(values.begin(), values.end()));
    if (statistics.mean && statistics.sd) {
        low = std::min(low, *statistics.mean - 3 * *statistics.sd);
        high = std::max(high, *statistics.mean + 3 * *statistics.sd);
    }
    low = std::max(low, 0.0);
    if (high <= low)
        high = low + 1;
    const auto x = [&](std::size_t i) {
        return values.size() == 1 ? plot.center().x() : plot.left() + plot.width() * double(i) / double(values.size() - 1);
    };
    const auto y = [&](double value) { return plot.bottom() - plot.height() * (value - low) / (high - low); };
    const auto band = [&](double from, double to) {
        return QRectF(QPointF(plot.left(), y(std::min(to, high))), QPointF(plot.right(), y(std::max(from, low))));
    };

    painter.setPen(Qt::NoPen);
    if (statistics.mean && statistics.sd) {
        const double mean = *statistics.mean, sd = *statistics.sd;
        painter.setBrush(QColor(253, 236, 206));
        painter.drawRect(band(mean - 3 * sd, mean + 3 * sd));
        painter.setBrush(QColor(222, 235, 247));
        painter.drawRect(band(mean - 2 * sd, mean + 2 * sd));
        painter.setPen(QPen(QColor(90, 90, 90), 0.8, Qt::DashLine));
        painter.drawLine(QPointF(plot.left(), y(mean)), QPointF(plot.right(), y(mean)));
    }
    painter.setPen(QPen(Qt::black, 0.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());

    QPainterPath line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const QPointF point(x(i), y(double(values[i])));
        if (i == 0)
            line.moveTo(point);
        else
            line.lineTo(point);
    }
    painter.setPen(QPen(QColor(31, 78, 121), 1.2));
    painter.drawPath(line);
    painter.setBrush(QColor(31, 78, 121));
    for (std::size_t i = 0; i + 1 < values.size(); ++i)
        painter.drawEllipse(QPointF(x(i), y(double(values[i]))), 1.5, 1.5);
    painter.setPen(QPen(QColor(192, 0, 0), 1));
    painter.setBrush(QColor(192, 0, 0));
    painter.drawEllipse(QPointF(x(values.size() - 1), y(double(values.back()))), 2.5, 2.5);

    painter.setFont(small);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), plot.top() - 2, labelWidth - 3, metrics.height()),
                     Qt::AlignRight | Qt::AlignTop, QString::number(std::llround(high)));
    painter.drawText(QRectF(area.left(), plot.bottom() - metrics.height() + 2, labelWidth - 3, metrics.height()),
                     Qt::AlignRight | Qt::AlignBottom, QString::number(std::llround(low)));
    if (!periodLabels.isEmpty()) {
        painter.drawText(QRectF(plot.left(), plot.bottom() + 1, plot.width() / 2, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop, periodLabels.front());
        painter.drawText(QRectF(plot.center().x(), plot.bottom() + 1, plot.width() / 2, metrics.height()),
                         Qt::AlignRight | Qt::AlignTop, periodLabels.back());
    }
    painter.restore();
}

Result<void> writeTrendPdf(const Trend &trend, const QString &path)
{
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    bool painted = false;
    {
        QPdfWriter writer(&file.device());
        writer.setTitle(QStringLiteral("Споредба со претходните периоди: %1")
                            .arg(trend.title.isEmpty() ? trend.report : trend.title));
        writer.setCreator(QStringLiteral("Tarel"));
        writer.setResolution(int(kResolution));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        painted = Writer(trend).paint(writer);
    }
    if (!painted) {
        QString problem = file.writeFailure();
        if (problem.isEmpty())
            problem = Text::tr("the PDF writer could not finish");
        file.cancel();
        return file.error(problem);
    }
    return file.commit();
}

} // namespace tarel::trend

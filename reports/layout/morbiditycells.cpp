#include "morbiditycells.h"

#include "catalogue.h"
#include "morbiditycount.h"
#include "template.h"

#include <vector>

namespace tarel::reports {

QString countCellName(const MorbidityProfile &profile, int row, int k)
{
    return QStringLiteral("Memo") + QString::number(profile.cellStride * row + profile.cellBase + k);
}

QString subtotalCellName(const tabulation::ChapterBlock &block, int column)
{
    return QStringLiteral("S") + block.code + QString::number(column);
}

QString grandTotalCellName(int column) { return QStringLiteral("v") + QString::number(column); }

QString morbidityCountText(qint64 count) { return count == 0 ? QStringLiteral("-") : QString::number(count); }

Result<void> writeMorbidityCells(const MorbidityProfile &profile, const tabulation::RowCatalogue &catalogue,
                                 const tabulation::CounterGrid &grid, const MorbidityHeader &header,
                                 report::TfrxReport &templ)
{
    const int columns = profile.columns();
    const tabulation::GridTotals totals = tabulation::totalsOf(grid, catalogue.blocks());

    std::vector<std::pair<QString, QString>> texts;
    texts.reserve(std::size_t((profile.rows + int(catalogue.blocks().size()) + 1) * columns) + 5);
    auto add = [&](QString name, QString text) { texts.emplace_back(std::move(name), std::move(text)); };

    for (int row = 1; row <= profile.rows; ++row)
        for (int k = 0; k < columns; ++k)
            add(countCellName(profile, row, k), morbidityCountText(grid.value(row, k)));
    for (std::size_t b = 0; b < catalogue.blocks().size(); ++b)
        for (int k = 0; k < columns; ++k)
            add(subtotalCellName(catalogue.blocks()[b], kFirstDataColumn + k),
                morbidityCountText(qint32(totals.blocks[b][std::size_t(k)])));
    for (int k = 0; k < columns; ++k)
        add(grandTotalCellName(kFirstDataColumn + k), morbidityCountText(qint32(totals.grand[std::size_t(k)])));
    const std::pair<const char *, const QString &> headerCells[] = {{"GradSelo", header.area},
                                                                    {"lekar", header.doctor},
                                                                    {"pzu", header.institution},
                                                                    {"dataod", header.from},
                                                                    {"datado", header.to}};
    for (const auto &[name, text] : headerCells)
        add(QString::fromLatin1(name), text);
    return templ.setCellTexts(texts);
}

std::optional<MorbidityCell> morbidityCellOf(const MorbidityProfile &profile,
                                             const tabulation::RowCatalogue &catalogue, QStringView name)
{
    const int columns = profile.columns();
    auto columnOf = [&](QStringView digits) -> std::optional<int> {
        bool ok = false;
        const int column = digits.toInt(&ok);
        if (!ok || column < kFirstDataColumn || column >= kFirstDataColumn + columns
            || digits != QString::number(column))
            return std::nullopt;
        return column - kFirstDataColumn;
    };
    if (name.startsWith(u"memo", Qt::CaseInsensitive)) {
        bool ok = false;
        const QStringView digits = name.mid(4);
        const int number = digits.toInt(&ok);
        if (!ok || digits != QString::number(number))
            return std::nullopt;
        const int offset = number - profile.cellBase;
        if (offset < profile.cellStride)
            return std::nullopt;
        const int row = offset / profile.cellStride;
        const int k = offset % profile.cellStride;
        if (row < 1 || row > profile.rows || k >= columns)
            return std::nullopt;
        return MorbidityCell{row, row, k};
    }
    if (name.startsWith(u"v", Qt::CaseInsensitive)) {
        if (const std::optional<int> k = columnOf(name.mid(1)))
            return MorbidityCell{1, profile.rows, *k};
        return std::nullopt;
    }
    if (name.startsWith(u"s", Qt::CaseInsensitive)) {
        // "S" + code + column: the codes are not all of one length, so every
        // block is tried.
        for (const tabulation::ChapterBlock &block : catalogue.blocks()) {
            const QStringView rest = name.mid(1);
            if (!rest.startsWith(block.code))
                continue;
            if (const std::optional<int> k = columnOf(rest.mid(block.code.size())))
                return MorbidityCell{block.first, block.last, *k};
        }
    }
    return std::nullopt;
}

} // namespace tarel::reports

#include "suggestions.h"

#include "catalogue.h"

#include <QRegularExpression>

namespace tarel::engine {

namespace {

// The categories of a printed code text: single codes ("A18.0+" is A18) and
// ranges ("A07-A08", "E10 do E14"), as first and last category.
std::vector<std::pair<QString, QString>> printedRanges(const QString &text)
{
    static const QRegularExpression piece(
        QStringLiteral("([A-Z][0-9]{2})(?:\\.[0-9]+\\+?)?(?:\\s*(?:-|do)\\s*([A-Z][0-9]{2}))?"));
    std::vector<std::pair<QString, QString>> ranges;
    for (QRegularExpressionMatchIterator it = piece.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString first = match.captured(1);
        const QString last = match.captured(2).isEmpty() ? first : match.captured(2);
        ranges.emplace_back(first, last);
    }
    return ranges;
}

} // namespace

std::vector<int> suggestedRows(const tabulation::RowCatalogue &catalogue, QStringView category)
{
    std::vector<int> rows;
    if (category.size() < 3)
        return rows;
    // Codes of one letter and two digits sort as text.
    const QString code = category.left(3).toString().toUpper();
    for (const tabulation::CatalogueRow &row : catalogue.rows()) {
        QStringList lines;
        for (const QStringList &cell : row.code)
            lines += cell;
        const QString text = lines.join(QLatin1Char(' '));
        for (const auto &[first, last] : printedRanges(text)) {
            if (first <= code && code <= last) {
                rows.push_back(row.number);
                break;
            }
        }
    }
    return rows;
}

} // namespace tarel::engine

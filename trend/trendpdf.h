#pragma once

// The trend as a PDF on A4 pages, in Macedonian and in the forms' fonts:
// what was asked, then each flagged cell (most severe first) and each doctor
// (the silent ones first) as a block of its figures beside a small chart of
// its periods: the counts, the requested one marked, the mean and the bands
// of 2 and 3 standard deviations. Written completely or not at all.

#include "trend.h"

#include "result.h"

#include <QString>

class QPainter;
class QRectF;

namespace tarel::trend {

Result<void> writeTrendPdf(const Trend &trend, const QString &path);

// A small chart of a series over its periods (the last is the requested
// one), with its mean and the 2 and 3 sd bands when given, in the rectangle.
void paintSeriesChart(QPainter &painter, const QRectF &area, const std::vector<qint64> &values,
                      const CellStatistics &statistics, const QStringList &periodLabels);

} // namespace tarel::trend

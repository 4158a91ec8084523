#pragma once

// Small templates and prepared reports shared by the report tests.

#include "prepared.h"
#include "template.h"

#include <QImage>
#include <QString>

namespace tarel::report::testing {

inline TfrxMemoView makeCell(const QString &name, double left, double top, double width,
                             double height, const QString &text = {},
                             std::uint8_t frame = FrameAll)
{
    TfrxMemoView cell;
    cell.name = name;
    cell.left = left;
    cell.top = top;
    cell.width = width;
    cell.height = height;
    cell.frame = frame;
    cell.setText(text);
    return cell;
}

inline OutputCell outputCell(const QString &name, double left, double top, double width,
                             double height, const QString &text,
                             const QString &fontName = QStringLiteral("Arial"),
                             double fontHeight = 13, std::uint8_t frame = FrameAll)
{
    OutputCell cell;
    cell.name = name;
    cell.left = left;
    cell.top = top;
    cell.width = width;
    cell.height = height;
    cell.text = text;
    cell.font.name = fontName;
    cell.font.height = fontHeight;
    cell.frame = frame;
    return cell;
}

// A4 landscape with 5 mm margins.
inline OutputPage a4Page(std::vector<OutputCell> cells = {})
{
    OutputPage page;
    page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 5;
    page.cells = std::move(cells);
    return page;
}

inline PreparedReport onePageReport(std::vector<OutputCell> cells)
{
    PreparedReport report;
    report.templateName = QStringLiteral("frxTest");
    report.pages.push_back(a4Page(std::move(cells)));
    return report;
}

// A pixel counts as ink when it is clearly darker than the white page.
inline bool isInk(QRgb pixel) { return qGray(pixel) < 160; }

} // namespace tarel::report::testing

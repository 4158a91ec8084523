#include "prepared.h"

namespace tarel::report {

bool OutputCell::operator==(const OutputCell &other) const
{
    return name == other.name && left == other.left && top == other.top && width == other.width
        && height == other.height && frame == other.frame && hAlign == other.hAlign
        && vAlign == other.vAlign && font == other.font && font.name == other.font.name
        && text == other.text;
}

bool PreparedReport::operator==(const PreparedReport &other) const
{
    const bool sameResult = result == other.result || (result && other.result && *result == *other.result);
    return templateName == other.templateName && title == other.title && pages == other.pages && sameResult;
}

namespace {

OutputCell place(const TfrxReport &report, const TfrxReportPage &page,
                 const TfrxReportTitle *band, const TfrxMemoView &cell, double dx, double dy)
{
    OutputCell out;
    out.name = cell.name;
    out.left = cell.left + dx;
    out.top = cell.top + dy;
    out.width = cell.width;
    out.height = cell.height;
    out.frame = cell.frame;
    out.hAlign = cell.hAlign;
    out.vAlign = cell.vAlign;
    out.font = report.resolvedFont(page, band, cell);
    out.text = cell.text();
    return out;
}

} // namespace

OutputPage preparePage(const TfrxReport &report, const TfrxReportPage &page)
{
    OutputPage out;
    out.paperSize = page.paperSize;
    out.paperWidth = page.paperWidth;
    out.paperHeight = page.paperHeight;
    out.landscape = page.landscape;
    out.leftMargin = page.leftMargin;
    out.rightMargin = page.rightMargin;
    out.topMargin = page.topMargin;
    out.bottomMargin = page.bottomMargin;
    out.cells.reserve(page.cells.size() + (page.title ? page.title->cells.size() : 0));
    // Cells on the page keep their stored positions within the printable area.
    for (const TfrxMemoView &cell : page.cells)
        out.cells.push_back(place(report, page, nullptr, cell, 0, 0));
    // The title band's stored top is a design value: the band prints at the
    // top of the printable area.
    if (page.title) {
        for (const TfrxMemoView &cell : page.title->cells)
            out.cells.push_back(place(report, page, &*page.title, cell, 0, 0));
    }
    return out;
}

PreparedReport prepare(const TfrxReport &report)
{
    Preparer preparer(report);
    while (preparer.prepareNext()) {
    }
    return preparer.takeResult();
}

Preparer::Preparer(const TfrxReport &report) : m_report(&report)
{
    m_result.templateName = report.name;
    m_result.result = report.result;
    m_result.title = report.title;
    m_result.pages.reserve(report.pages.size());
}

bool Preparer::atEnd() const
{
    return m_cancelled || m_next >= m_report->pages.size();
}

int Preparer::templatePageCount() const { return int(m_report->pages.size()); }

bool Preparer::prepareNext()
{
    if (atEnd())
        return false;
    // No page has a data band: every template page gives one output page.
    m_result.pages.push_back(preparePage(*m_report, m_report->pages[m_next]));
    ++m_next;
    return true;
}

} // namespace tarel::report

#include "prepared.h"

#include <QCoreApplication>

namespace tarel::report {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

} // namespace

bool OutputCell::operator==(const OutputCell &other) const
{
    return name == other.name && left == other.left && top == other.top && width == other.width
        && height == other.height && frame == other.frame && hAlign == other.hAlign
        && vAlign == other.vAlign && font == other.font && font.name == other.font.name
        && text == other.text && delimiters == other.delimiters;
}

QString preparationErrorText(const PreparationErrors &errors)
{
    return Text::tr("The following error(s) have occured:") + QLatin1Char('\n')
        + errors.join(QLatin1Char('\n'));
}

PreparationErrors checkPreparation(const TfrxReport &report)
{
    // The program registers no data sources, so every one a template lists
    // is missing.
    PreparationErrors errors;
    for (const QString &dataSet : report.dataSets)
        errors << Text::tr("Cannot find data set \"%1\"").arg(dataSet);
    return errors;
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
    out.delimiters = cell.delimiters;
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

PreparedReport prepare(const TfrxReport &report, PreparationErrors *errors)
{
    Preparer preparer(report);
    while (preparer.prepareNext()) {
    }
    if (errors)
        *errors = preparer.errors();
    return preparer.takeResult();
}

Preparer::Preparer(const TfrxReport &report) : m_report(&report)
{
    m_result.templateName = report.name;
    m_result.annotations = report.annotations;
    m_result.title = report.title;
    m_result.pages.reserve(report.pages.size());
    m_errors = checkPreparation(report);
}

bool Preparer::atEnd() const
{
    return m_cancelled || !m_errors.isEmpty() || m_next >= m_report->pages.size();
}

int Preparer::templatePageCount() const { return int(m_report->pages.size()); }

bool Preparer::prepareNext()
{
    if (atEnd())
        return false;
    // No page has a data band, so a page prints only because empty pages are
    // printed; with that setting off it gives no output page.
    if (m_report->preparation.printIfEmpty)
        m_result.pages.push_back(preparePage(*m_report, m_report->pages[m_next]));
    ++m_next;
    return true;
}

} // namespace tarel::report

#include "printedrows.h"

#include "catalogue.h"
#include "macc.h"

namespace tarel::engine {

PrintedRows::PrintedRows(const report::PreparedReport &report)
{
    for (const report::OutputPage &page : report.pages)
        for (const report::OutputCell &cell : page.cells)
            if (!m_fonts.contains(cell.text))
                m_fonts.insert(cell.text, cell.font);
}

QString PrintedRows::ordinal(const tabulation::CatalogueRow &row)
{
    return row.ordinal.isEmpty() ? QString::number(row.number) : report::maccToUnicode(row.ordinal.trimmed());
}

QString PrintedRows::label(const tabulation::CatalogueRow &row) const
{
    return read(row.label, report::Font{QStringLiteral("MAC C Swiss")});
}

QString PrintedRows::codeText(const tabulation::CatalogueRow &row) const
{
    return read(row.code, report::Font{QStringLiteral("Times New Roman")});
}

// Each piece in the font of the cell that prints it (or, in a report that
// does not print it, the font such pieces mostly have); pieces are joined by
// a blank unless one ends or the next begins with a hyphen.
QString PrintedRows::read(const QList<QStringList> &pieces, const report::Font &unprinted) const
{
    QString text;
    for (const QStringList &piece : pieces) {
        const QString stored = piece.join(u'\n');
        const QString shown = report::readableText(m_fonts.value(stored, unprinted), stored).replace(u'\n', u' ');
        if (!text.isEmpty() && !text.endsWith(u' ') && !text.endsWith(u'-') && !shown.startsWith(u'-'))
            text += u' ';
        text += shown;
    }
    return text.simplified();
}

} // namespace tarel::engine

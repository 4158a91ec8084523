#include "form.h"

#include "macc.h"

namespace tarel::reports {

namespace {

// The value of the header field, to read or (in HeaderValues being made) to
// set.
template <typename Values>
auto &valueOf(Values &values, HeaderField::Value value)
{
    switch (value) {
    case HeaderField::From: return values.from;
    case HeaderField::To: return values.to;
    case HeaderField::PrintedOn: return values.printedOn;
    case HeaderField::Doctor: return values.doctor;
    case HeaderField::Area: return values.area;
    case HeaderField::Naziv: return values.institution.naziv;
    case HeaderField::Adresa: return values.institution.adresa;
    case HeaderField::Mesto: return values.institution.mesto;
    case HeaderField::DanBroj: return values.institution.danBroj;
    case HeaderField::Ziro: return values.institution.ziro;
    case HeaderField::Deponent: break;
    }
    return values.institution.deponent;
}

} // namespace

QString countText(const result::TableShape &shape, qint64 count)
{
    return count == 0 && shape.zeroAsDash() ? QStringLiteral("-") : QString::number(count);
}

Result<report::TfrxReport> fillForm(const Form &form, const result::CountTable &counts, const HeaderValues &values)
{
    std::vector<std::pair<QString, QString>> all;
    all.reserve(form.cells.size() + form.header.size());
    for (const FormCell &cell : form.cells)
        all.emplace_back(cell.name, countText(*form.shape, counts.value(cell.row, cell.column)));
    for (const HeaderField &field : form.header) {
        QString text = valueOf(values, field.value);
        if (field.captionInCell)
            text.prepend(QString::fromLatin1(field.caption) + QLatin1Char(' '));
        all.emplace_back(QString::fromLatin1(field.cell), text);
    }
    report::TfrxReport filled = form.blank;
    if (Result<void> written = filled.setCellTexts(all); !written)
        return written.error();
    return filled;
}

std::vector<result::HeaderLine> headerLines(const Form &form, const HeaderValues &values)
{
    // Every header cell prints in a MAC C font.
    std::vector<result::HeaderLine> lines;
    for (const HeaderField &field : form.header)
        lines.push_back({report::maccToUnicode(QString::fromLatin1(field.caption)),
                         report::maccToUnicode(valueOf(values, field.value))});
    return lines;
}

HeaderValues printedHeaderValues(const Form &form, const std::function<QString(const QString &)> &printed)
{
    HeaderValues values;
    for (const HeaderField &field : form.header) {
        QString text = printed(QString::fromLatin1(field.cell));
        const QString caption = QString::fromLatin1(field.caption) + QLatin1Char(' ');
        if (field.captionInCell && text.startsWith(caption))
            text.remove(0, caption.size());
        valueOf(values, field.value) = text;
    }
    return values;
}

const FormCell *countCellNamed(const Form &form, QStringView name)
{
    for (const FormCell &cell : form.cells)
        if (name.compare(cell.name, Qt::CaseInsensitive) == 0)
            return &cell;
    return nullptr;
}

} // namespace tarel::reports

// The six forms as documents: each carries its printed heading as its title,
// and the CSV of a morbidity form keeps every table row on one line, with the
// pieces of a label or code text printed as cells of their own in its fields.

#include "children.h"
#include "export.h"
#include "generalmedicine.h"
#include "morbiditycells.h"
#include "morbiditycount.h"
#include "prepared.h"
#include "schoolyouth.h"
#include "visitreports.h"

#include <gtest/gtest.h>

using namespace tarel;

namespace {

struct Form {
    report::TfrxReport templ;
    QString headingCell;                       // the cell printing the heading
    const tabulation::RowCatalogue *catalogue; // of a morbidity form
    const reports::MorbidityProfile *profile;
};

std::vector<Form> sixForms()
{
    std::vector<Form> forms;
    for (const reports::MorbidityReportDefinition &definition :
         {reports::generalMedicineReport(), reports::schoolYouthReport(), reports::childrenReport()}) {
        const Result<const tabulation::RowCatalogue *> catalogue = definition.catalogue();
        if (!catalogue) {
            ADD_FAILURE() << catalogue.message().toStdString();
            continue;
        }
        forms.push_back({definition.buildTemplate(**catalogue), QStringLiteral("Memo1"), *catalogue,
                         definition.profile});
    }
    for (reports::VisitReport visit :
         {reports::VisitReport::SchoolYouth, reports::VisitReport::Children, reports::VisitReport::GeneralMedicine})
        forms.push_back({reports::buildVisitTemplate(visit), QStringLiteral("title"), nullptr, nullptr});
    return forms;
}

// A morbidity form as a run with no visits fills it.
report::PreparedReport filledWithNoVisits(const Form &form)
{
    report::TfrxReport filled = form.templ;
    tabulation::CounterGrid grid;
    grid.zero(form.profile->zeroRows, form.profile->columns());
    const reports::MorbidityHeader header{QStringLiteral("Grad i Selo"), QStringLiteral("Site lekari"), QString(),
                                          QString(), QStringLiteral("31.03.2024")};
    const Result<void> written = reports::writeMorbidityCells(*form.profile, *form.catalogue, grid, header, filled);
    EXPECT_TRUE(written.ok()) << written.message().toStdString();
    return report::prepare(filled);
}

// The fields of RFC 4180 text, row by row.
std::vector<QStringList> parseCsv(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes.mid(3)); // after the byte order mark
    std::vector<QStringList> rows(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            rows.back() << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            rows.back() << field;
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    rows.pop_back(); // after the last line end
    return rows;
}

const QStringList *rowStartingWith(const std::vector<QStringList> &rows, const QString &ordinal)
{
    for (const QStringList &row : rows)
        if (!row.isEmpty() && row[0] == ordinal)
            return &row;
    return nullptr;
}

} // namespace

TEST(FormExports, EachFormIsTitledByItsPrintedHeading)
{
    for (const Form &form : sixForms()) {
        const report::TfrxMemoView *heading = form.templ.findCell(form.headingCell);
        ASSERT_NE(heading, nullptr) << form.templ.name.toStdString();
        EXPECT_EQ(form.templ.title, heading->text().simplified()) << form.templ.name.toStdString();
        const report::PreparedReport prepared = report::prepare(form.templ);
        EXPECT_EQ(prepared.title, form.templ.title) << form.templ.name.toStdString();
        // The document title reads in Cyrillic, as printed.
        EXPECT_TRUE(report::documentTitle(prepared).startsWith(QStringLiteral("УТВРДЕНИ ЗАБОЛУВАЊА"))
                    || report::documentTitle(prepared).startsWith(QStringLiteral("Извештај за посета")))
            << report::documentTitle(prepared).toStdString();
    }
}

TEST(FormExports, EveryTableRowOfAMorbidityFormIsOneCsvRow)
{
    for (const Form &form : sixForms()) {
        if (!form.catalogue)
            continue;
        const std::string name = form.templ.name.toStdString();
        const report::PreparedReport prepared = filledWithNoVisits(form);
        const std::vector<QStringList> rows = parseCsv(report::csvText(prepared));
        // Below the three header lines every line with a text holds a count,
        // a column number or a heading over the counts: no piece of a label
        // or a code lands on a line of its own.
        for (std::size_t i = 3; i < rows.size(); ++i) {
            const QStringList &row = rows[i];
            const bool anyText = std::any_of(row.begin(), row.end(), [](const QString &f) { return !f.isEmpty(); });
            const bool countColumns = std::any_of(row.begin() + std::min<qsizetype>(3, row.size()), row.end(),
                                                  [](const QString &f) { return !f.isEmpty(); });
            EXPECT_TRUE(!anyText || countColumns) << name << " line " << i + 1 << ": "
                                                  << row.join(QLatin1Char('|')).toStdString();
            // Code lists are one line; labels may keep their second line.
            if (row.size() > 2) {
                EXPECT_FALSE(row[2].contains(u'\n')) << name << ": " << row[2].toStdString();
            }
        }
        // The header date and the heading are fields of their own.
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[1].mid(0, 3), QStringList({QStringLiteral("Дата до:"), QStringLiteral("31.03.2024"),
                                                  report::documentTitle(prepared)}))
            << name;
    }
}

TEST(FormExports, PiecesOfALabelOrCodeJoinTheirRow)
{
    // Children: row 80 prints its label's second line as two cells, row 83
    // its code's second line as "(bez " and "D55.0)".
    const std::vector<Form> forms = sixForms();
    ASSERT_EQ(forms.size(), 6u);
    const std::vector<QStringList> rows = parseCsv(report::csvText(filledWithNoVisits(forms[2])));
    const QStringList *row80 = rowStartingWith(rows, QStringLiteral("80"));
    ASSERT_NE(row80, nullptr);
    EXPECT_EQ(row80->mid(1, 2), QStringList({QStringLiteral("Анемија поради дефицит на гликоза 6-фосфат\n"
                                                            "дехидрогенеза (G6PD)"),
                                             QStringLiteral("D55.0")}));
    const QStringList *row83 = rowStartingWith(rows, QStringLiteral("83"));
    ASSERT_NE(row83, nullptr);
    EXPECT_EQ(row83->value(2), QStringLiteral("D51-D55,D58-D64 (без D55.0)"));
}

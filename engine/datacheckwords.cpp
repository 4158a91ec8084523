#include "datacheckwords.h"

#include "catalogue.h"
#include "dateformat.h"
#include "engine.h"
#include "export.h"
#include "morbidityform.h"
#include "reportparts.h"
#include "suggestions.h"

#include <QCoreApplication>

namespace tarel::engine {

namespace {

// This file's words, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

const ReportDefinition *reportOf(const DataCheck &check) { return findReport(check.report); }

bool isMorbidity(const DataCheck &check)
{
    const ReportDefinition *report = reportOf(check);
    return report && report->kind == ReportKind::Morbidity;
}

// An ISO date of the request as the form prints its dates.
QString printedDate(const QString &iso)
{
    const QDate date = QDate::fromString(iso, Qt::ISODate);
    return date.isValid() ? shortDateText(date) : iso;
}

} // namespace

QString dataCheckHeading(const DataCheck &check, const report::PreparedReport &printed)
{
    const QString title = printed.title.trimmed().isEmpty() ? check.report : report::documentTitle(printed);
    return Text::tr("%1, %2 to %3. Every visit the report selects is either counted or listed here with the reason "
                    "it is not.")
        .arg(title, printedDate(check.from), printedDate(check.to));
}

std::vector<DataCheckFigure> dataCheckFigures(const DataCheck &check)
{
    const bool morbidity = isMorbidity(check);
    std::vector<DataCheckFigure> figures{
        {Text::tr("Visits selected"), check.selected,
         Text::tr("Rows the report's statements return for the period and the request (the visit reports: urban "
                  "and rural together).")},
        {Text::tr("Counted"), check.counted,
         morbidity ? Text::tr("Visits that add to at least one number of the form.")
                   : Text::tr("Visits counted in the column of all visits.")},
    };
    if (morbidity)
        figures.push_back({Text::tr("Diagnosis in no row"), check.noRow,
                           Text::tr("The visit's diagnosis is in no row of the report's list, so it counts nowhere. "
                                    "The table below names them; correct a wrong diagnosis in the "
                                    "patient-administration program.")});
    figures.push_back({Text::tr("Age in no band"), check.outsideBands,
                       Text::tr("The patient's age at the last day of the period is in none of the report's age "
                                "bands (an adult in a children's report). Nothing to mend unless the birth date is "
                                "wrong.")});
    if (morbidity)
        figures.push_back({Text::tr("Counted in two rows"), check.countedTwice,
                           Text::tr("Visits whose diagnosis the form lists in two rows, so each is counted in both, "
                                    "as the form means it; the chapter subtotal and the total count such a visit "
                                    "twice. Nothing to mend.")});
    figures.insert(figures.end(),
                   {{Text::tr("No birth date"), check.emptyBirthDate,
                     Text::tr("Counted visits of patients without a birth date: they count as born on 30 December "
                              "1899. Enter the birth date.")},
                    {Text::tr("Person listed twice"), check.repeatedPersons,
                     Text::tr("Extra rows of visits whose citizen number belongs to more than one insured person: "
                              "such a visit counts once for each. Remove the duplicate insured person.")},
                    {Text::tr("Citizen number unknown"), check.unmatchedVisits,
                     Text::tr("Visits of the period whose citizen number matches no insured person: no report "
                              "selects them. Correct the citizen number or register the person.")},
                    {Text::tr("No settlement code"), check.noSettlementCode,
                     Text::tr("Rows left out only because the insured person has no settlement code, so neither "
                              "urban nor rural takes them. Enter the settlement code.")},
                    {Text::tr("Visit date not YYYY-MM-DD"), check.nonIsoVisitDates,
                     Text::tr("Visits in the whole database whose date is not written as a date (YYYY-MM-DD): no "
                              "period selects them reliably. Correct the visit date.")}});
    return figures;
}

std::vector<QString> suggestedRowsText(const DataCheck &check, const report::PreparedReport &printed)
{
    std::vector<QString> texts(check.noRowDiagnoses.size());
    const ReportDefinition *report = reportOf(check);
    if (!isMorbidity(check))
        return texts;
    const reports::MorbidityReport *morbidity = morbidityOf(*report);
    if (!morbidity)
        return texts;
    const Result<const tabulation::RowCatalogue *> catalogue = morbidity->catalogue();
    if (!catalogue)
        return texts;
    // The rows as the result's table names them; a report saved before
    // results kept their counts names them by the catalogue.
    const result::TableShape *shape =
        printed.result && !printed.result->counts.empty() ? &printed.result->counts.shape() : nullptr;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        QStringList suggested;
        for (const int row : suggestedRows(**catalogue, check.noRowDiagnoses[i].category)) {
            const int line = shape ? shape->rowOf(QString::number(row)) : -1;
            if (line >= 0) {
                const result::RowIdentity &identity = shape->rows()[std::size_t(line)];
                suggested << Text::tr("row %1 (%2)").arg(identity.number, identity.codes);
            } else {
                const tabulation::CatalogueRow &entry = (*catalogue)->rows()[std::size_t(row - 1)];
                QStringList code;
                for (const QStringList &piece : entry.code)
                    code << piece.join(u' ');
                const QString ordinal = entry.ordinal.trimmed().isEmpty() ? QString::number(row) : entry.ordinal.trimmed();
                suggested << Text::tr("row %1 (%2)").arg(ordinal, code.join(u' '));
            }
        }
        texts[i] = suggested.join(QStringLiteral("; "));
    }
    return texts;
}

} // namespace tarel::engine

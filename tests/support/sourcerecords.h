#pragma once

// What the tests that compare the ways of reading visits share: every field
// of every record a way reads, the selections compared (every doctor and
// area of the morbidity statement, and the visit statements) and their
// names in a failure.

#include "visitsource.h"

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace tarel::testing {

inline const char *nameOf(data::VisitSourceKind kind)
{
    switch (kind) {
    case data::VisitSourceKind::Statements:
        return "statements";
    case data::VisitSourceKind::ServerJoin:
        return "server join";
    case data::VisitSourceKind::ProgramJoin:
        return "program join";
    case data::VisitSourceKind::ProgramJoinAllPersons:
        return "program join, all persons";
    case data::VisitSourceKind::ProgramJoinPerVisit:
        return "program join, persons per visit";
    case data::VisitSourceKind::Automatic:
        break;
    }
    return "automatic";
}

// The ways compared with the statements as written.
inline constexpr data::VisitSourceKind kOtherSources[] = {data::VisitSourceKind::ServerJoin,
                                                          data::VisitSourceKind::ProgramJoinAllPersons,
                                                          data::VisitSourceKind::ProgramJoinPerVisit};

inline constexpr data::VisitFields kAllFields = (data::FieldSettlement << 1) - 1;

// Every field of every record, one text per record, sorted; a failed read's
// message in error. With stopAt, the sink fails at the first record whose
// surname is that text.
inline QStringList recordsOf(data::Database &database, data::VisitSourceKind kind,
                             const data::VisitSelection &selection, data::SourceFigures *figures, QString *error,
                             const QString &stopAt = {})
{
    QStringList records;
    const Result<void> read = data::visitSourceOf(database, kind)->read(
        selection, kAllFields,
        [&](const data::VisitRecord &r) -> Result<void> {
            if (!stopAt.isEmpty() && r.surname == stopAt)
                return fail(QStringLiteral("stopped"));
            QStringList fields;
            for (QStringView field : {r.category, r.subCategory, r.citizenNumber, r.birthDate, r.kind,
                                      r.insuranceBasis, r.member, r.rowNumber, r.visitDate, r.surname, r.name,
                                      r.doctor, r.settlement})
                fields << field.toString();
            fields << (r.urban ? QStringLiteral("urban") : QStringLiteral("-"));
            records << fields.join(QChar(0x1f));
            return {};
        },
        {}, figures);
    if (!read)
        *error = read.message();
    records.sort();
    return records;
}

// Where two lists of records part: the first record of either that the
// other lacks, with its fields shown apart.
inline std::string firstDifference(const QStringList &expected, const QStringList &got)
{
    const auto shown = [](const QString &record) {
        return QString(record).replace(QChar(0x1f), QLatin1String(" | ")).toStdString();
    };
    std::string missing;
    for (const QString &record : expected)
        if (!got.contains(record)) {
            missing = "missing: " + shown(record) + "\n";
            break;
        }
    for (const QString &record : got)
        if (!expected.contains(record))
            return missing + "extra: " + shown(record) + " (" + std::to_string(got.size()) + " records against "
                + std::to_string(expected.size()) + ")";
    if (!missing.empty())
        return missing;
    for (const QString &record : got)
        if (!expected.contains(record))
            return "extra: " + shown(record) + " (" + std::to_string(got.size()) + " records against "
                + std::to_string(expected.size()) + ")";
    return "the same records, " + std::to_string(got.size()) + " against " + std::to_string(expected.size());
}

// The morbidity statement for all doctors and each doctor given, in every
// area, and the visit statements, over the period.
inline std::vector<data::VisitSelection> selectionsOver(QDate from, QDate to, const QStringList &doctors)
{
    std::vector<data::VisitSelection> selections;
    std::vector<std::optional<QString>> choices{std::nullopt};
    for (const QString &doctor : doctors)
        choices.emplace_back(doctor);
    for (const std::optional<QString> &doctor : choices)
        for (data::AreaFilter area : {data::AreaFilter::Both, data::AreaFilter::Urban, data::AreaFilter::Rural}) {
            data::VisitSelection selection;
            selection.queryName = QStringLiteral("qIzvestajDeca");
            selection.from = from;
            selection.to = to;
            selection.doctorCode = doctor;
            selection.area = area;
            selections.push_back(selection);
        }
    data::VisitSelection visits;
    visits.statement = data::VisitSelection::Statement::Visits;
    visits.from = from;
    visits.to = to;
    selections.push_back(visits);
    return selections;
}

inline std::string describe(const data::VisitSelection &s)
{
    const std::string period = s.from.toString(Qt::ISODate).toStdString() + " to " + s.to.toString(Qt::ISODate).toStdString();
    if (s.statement == data::VisitSelection::Statement::Visits)
        return "visit statements " + period;
    return "morbidity " + period + ", doctor " + s.doctorCode.value_or(QStringLiteral("all")).toStdString() + ", "
        + data::areaText(s.area).toStdString();
}

} // namespace tarel::testing

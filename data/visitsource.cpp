#include "visitsource.h"

#include "database.h"
#include "serversession.h"
#include "messagetext.h"
#include "sourcereading.h"

#include <QSqlError>
#include <QSqlQuery>

namespace tarel::data {

namespace {

QString shownOrNone(QStringView text) { return text.isEmpty() ? QStringLiteral("(none)") : shownText(text); }

} // namespace

std::unique_ptr<VisitSource> visitSourceOf(Database &database, VisitSourceKind kind)
{
    if (kind == VisitSourceKind::Automatic) {
        switch (database.engine()) {
        case Engine::SQLite:
            kind = VisitSourceKind::ProgramJoin;
            break;
        case Engine::PostgreSQL:
        case Engine::Firebird:
        case Engine::MySQL:
        case Engine::Other:
            kind = VisitSourceKind::ServerJoin;
            break;
        }
    }
    switch (kind) {
    case VisitSourceKind::ProgramJoin:
        if (database.engine() == Engine::SQLite)
            return makeProgramJoinSource(database);
        return makeServerJoinSource(database);
    case VisitSourceKind::ServerJoin:
        return makeServerJoinSource(database);
    case VisitSourceKind::Automatic:
    case VisitSourceKind::Statements:
        break;
    }
    return makeStatementsSource(database);
}

Error cancelledError() { return fail(QStringLiteral("The run was cancelled"), ErrorKind::Cancelled); }

Result<void> requireReadTables(Database &database, const VisitSelection &selection, VisitFields fields,
                               const QString &purpose)
{
    const bool morbidity = selection.statement == VisitSelection::Statement::Morbidity;
    QStringList visit{QStringLiteral("RED_BR"), QStringLiteral("DATA"), QStringLiteral("PRE"), QStringLiteral("IME"),
                      QStringLiteral("MB")};
    if (morbidity)
        visit << QStringLiteral("VidNaUsluga");
    if (morbidity && selection.doctorCode)
        visit << QStringLiteral("LEKAR_S");
    QStringList person{QStringLiteral("MB")};
    if (!morbidity || selection.area != AreaFilter::Both)
        person << QStringLiteral("MESTO_S");
    for (const NamedField &entry : kNamedFields) {
        QStringList &columns = entry.person ? person : visit;
        const QString name = QString::fromUtf16(entry.name);
        if ((fields & entry.field) && !columns.contains(name, Qt::CaseInsensitive))
            columns << name;
    }
    if (Result<void> visits = database.requireTable(TableOfVisits, visit, purpose); !visits)
        return visits;
    if (Result<void> persons = database.requireTable(TableOfPersons, person, purpose); !persons)
        return persons;
    return database.requireTable(TableOfInstitution, {}, purpose);
}

QString visitLine(QStringView rowNumber, QStringView visitDate, QStringView surname, QStringView name)
{
    QString person = (surname.toString() + QLatin1Char(' ') + name.toString()).trimmed();
    return QStringLiteral("Visit RED_BR %1 of %2, %3.")
        .arg(shownOrNone(rowNumber), shownOrNone(visitDate),
             person.isEmpty() ? QStringLiteral("(no name)") : shownText(person));
}

Error atVisit(Error error, QStringView rowNumber, QStringView visitDate, QStringView surname, QStringView name)
{
    error.message += QLatin1Char('\n') + visitLine(rowNumber, visitDate, surname, name);
    return error;
}

bool ReadTicker::report()
{
    m_nextReport = m_rows + kProgressEvery;
    if (m_control.progress)
        m_control.progress({m_stage, m_rows, m_estimate > 0 ? std::max(m_estimate, m_rows) : 0});
    return !cancelled();
}

double periodShare(int firstDay, int lastDay, QDate from, QDate to)
{
    if (lastDay < firstDay || !from.isValid() || !to.isValid())
        return 1;
    const int start = std::max(firstDay, dayNumberOf(from));
    const int end = std::min(lastDay, dayNumberOf(to));
    return end < start ? 0 : double(end - start + 1) / double(lastDay - firstDay + 1);
}

bool isNonIsoVisitDate(StoredKind kind, QStringView text)
{
    if (kind == StoredKind::Null || text.isEmpty())
        return false;
    int day = 0;
    return kind != StoredKind::Text || !parseIsoDay(text, &day);
}

namespace {

// One count of a statement, with the selection's parameters bound.
Result<qint64> countOf(Database &database, const VisitSelection &selection, const QStringList &lines)
{
    std::vector<std::pair<QString, QString>> texts;
    if (selection.statement == VisitSelection::Statement::Morbidity && selection.doctorCode)
        texts.emplace_back(QLatin1String(DoctorParameter), *selection.doctorCode);
    Query query(database, QStringLiteral("figures"), lines);
    if (Result<void> opened = query.open(selection.from, selection.to, texts); !opened)
        return opened.error();
    if (!query.next())
        return query.error() ? *query.error() : fail(QStringLiteral("A count returned no row"));
    return query.value(0).toLongLong();
}

} // namespace

Result<SourceFigures> figuresByStatements(Database &database, const VisitSelection &selection,
                                          const QString &rowIdentity)
{
    const bool morbidity = selection.statement == VisitSelection::Statement::Morbidity;
    const QString join = QStringLiteral("from  PREGLEDI1 inner join osigurenici on osigurenici.mb = pregledi1.mb");
    // The statement's conditions on the visit table.
    QStringList visitConditions{periodCondition()};
    if (morbidity) {
        visitConditions << kindCondition();
        if (selection.doctorCode)
            visitConditions << morbidityFilterLine(true, AreaFilter::Both);
    }
    // The whole selection, without its select list.
    QStringList selected = QStringList{join} + visitConditions;
    if (morbidity)
        selected << morbidityFilterLine(false, selection.area);
    else
        selected << QStringLiteral("and ((%1) or (%2))").arg(urbanVisitCondition(), ruralVisitCondition());

    SourceFigures figures;
    if (!rowIdentity.isEmpty()) {
        const Result<qint64> repeated = countOf(
            database, selection,
            QStringList{QStringLiteral("select count(*) - count(distinct %1)").arg(rowIdentity)} + selected);
        if (!repeated)
            return repeated.error();
        figures.repeatedPersons = *repeated;
    } else {
        // Without an identity of rows: the selected rows less the visits
        // that at least one of their persons selects (the area conditions
        // name only osigurenici's columns, so they hold inside a subquery
        // over osigurenici).
        const Result<qint64> rows = countOf(database, selection, QStringList{QStringLiteral("select count(*)")} + selected);
        if (!rows)
            return rows.error();
        QStringList visits = QStringList{QStringLiteral("select count(*) from PREGLEDI1")} + visitConditions;
        const QString area = morbidity ? morbidityFilterLine(false, selection.area)
                                       : QStringLiteral("and ((%1) or (%2))").arg(urbanVisitCondition(), ruralVisitCondition());
        visits << QStringLiteral("and exists (select 1 from osigurenici where osigurenici.mb = pregledi1.mb %1)").arg(area);
        const Result<qint64> distinct = countOf(database, selection, visits);
        if (!distinct)
            return distinct.error();
        figures.repeatedPersons = *rows - *distinct;
    }

    const Result<qint64> unmatched = countOf(
        database, selection,
        QStringList{QStringLiteral("select count(*) from PREGLEDI1")} + visitConditions
            + QStringList{QStringLiteral(
                "and not exists (select 1 from osigurenici where osigurenici.mb = pregledi1.mb)")});
    if (!unmatched)
        return unmatched.error();
    figures.unmatchedVisits = *unmatched;

    if (!morbidity || selection.area != AreaFilter::Both) {
        const Result<qint64> noCode = countOf(
            database, selection,
            QStringList{QStringLiteral("select count(*) ") + join} + visitConditions
                + QStringList{QStringLiteral("and osigurenici.MESTO_S is null")});
        if (!noCode)
            return noCode.error();
        figures.noSettlementCode = *noCode;
    }

    // Every distinct visit date once, with its rows.
    const bool sqlite = database.engine() == Engine::SQLite;
    QSqlQuery dates(database.connection());
    dates.setForwardOnly(true);
    const QString datesText = sqlite
        ? QStringLiteral("select typeof(DATA), DATA, count(*) from PREGLEDI1 group by DATA")
        : serverSessionOf(database.engine())->visitDates;
    if (!dates.exec(adaptStatement(datesText, database.engine())))
        return database.failure(dates.lastError());
    while (dates.next()) {
        const QVariant value = dates.value(1);
        const QString type = dates.value(0).toString();
        const StoredKind kind = value.isNull() ? StoredKind::Null
            : type == u"text"                  ? StoredKind::Text
                                               : StoredKind::Other;
        if (isNonIsoVisitDate(kind, value.toString()))
            figures.nonIsoVisitDates += dates.value(2).toLongLong();
    }
    if (dates.lastError().isValid())
        return database.failure(dates.lastError());
    return figures;
}

} // namespace tarel::data

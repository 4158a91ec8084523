// The sources that read through the SQL layer: the statements as written,
// and one statement of the needed columns that the database engine joins.

#include "database.h"
#include "serversession.h"
#include "sourcereading.h"

#include <QSqlQuery>

namespace tarel::data {

namespace {

// A column of the result and the record field it fills.
struct Column {
    int index;
    QStringView VisitRecord::*member;
    bool date;
};

// The four values that name a visit in an error, by column of the result.
struct IdentityColumns {
    int rowNumber = -1, visitDate = -1, surname = -1, name = -1;
};

// Hands the rows of an open query to the sink. The rows of a visit
// statement carry their area in urban, or (one statement for both) in the
// column urbanColumn.
Result<void> walk(Query &query, const std::vector<Column> &columns, const IdentityColumns &identity, bool urban,
                  int urbanColumn, const VisitSink &sink, ReadTicker &ticker)
{
    std::vector<QString> texts(columns.size());
    VisitRecord record;
    record.urban = urban;
    bool first = true;
    while (query.next()) {
        if (first && !ticker.report())
            return cancelledError();
        first = false;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            texts[i] = columns[i].date ? query.dateText(columns[i].index) : query.text(columns[i].index);
            record.*columns[i].member = texts[i];
        }
        if (urbanColumn >= 0)
            record.urban = query.value(urbanColumn).toInt() == 1;
        if (Result<void> taken = sink(record); !taken)
            return atVisit(taken.error(), query.text(identity.rowNumber), query.dateText(identity.visitDate),
                           query.text(identity.surname), query.text(identity.name));
        if (!ticker.row())
            return cancelledError();
    }
    if (query.error())
        return *query.error();
    if (ticker.cancelled())
        return cancelledError();
    return {};
}

std::vector<std::pair<QString, QString>> doctorParameter(const VisitSelection &selection)
{
    std::vector<std::pair<QString, QString>> texts;
    if (selection.statement == VisitSelection::Statement::Morbidity && selection.doctorCode)
        texts.emplace_back(QLatin1String(DoctorParameter), *selection.doctorCode);
    return texts;
}

// The expression that tells the visits of a join apart, for the figures;
// empty where the engine has none.
QString rowIdentityOf(const Database &database)
{
    if (database.engine() == Engine::SQLite)
        return QStringLiteral("pregledi1.rowid");
    return serverSessionOf(database.engine())->rowIdentity;
}

Result<void> fillFigures(Database &database, const VisitSelection &selection, SourceFigures *figures)
{
    if (!figures)
        return {};
    Result<SourceFigures> counted = figuresByStatements(database, selection, rowIdentityOf(database));
    if (!counted)
        return counted.error();
    *figures = *counted;
    return {};
}

// The statements as the program writes them: select * over the join, every
// column converted, the urban statement and then the rural one.
class StatementsSource final : public VisitSource {
public:
    explicit StatementsSource(Database &database) : m_database(database) {}

    Result<void> read(const VisitSelection &selection, VisitFields fields, const VisitSink &sink,
                      const ReadControl &control, SourceFigures *figures) override
    {
        const WaitControl waits(m_database, control);
        const ReadTransaction transaction(m_database);
        if (!transaction.begun())
            return transaction.begun().error();
        ReadTicker ticker(control, ReadProgress::Stage::Visits, 0);
        if (selection.statement == VisitSelection::Statement::Morbidity) {
            Query query(m_database, selection.queryName,
                        morbidityStatementFor(selection.doctorCode.has_value(), selection.area));
            if (Result<void> walked = walkStatement(query, selection, fields, false, sink, ticker); !walked)
                return walked;
            if (!ticker.finish())
                return cancelledError();
            return fillFigures(m_database, selection, figures);
        }
        const std::pair<const char *, QStringList> passes[] = {
            {"qPosetaDecaGrad", qPosetaDecaGradStatement()}, {"qPosetaDecaSelo", qPosetaDecaSeloStatement()}};
        for (const auto &[name, statement] : passes) {
            Query query(m_database, QString::fromLatin1(name), statement);
            if (Result<void> walked = walkStatement(query, selection, fields, name == passes[0].first, sink, ticker);
                !walked)
                return walked;
        }
        if (!ticker.finish())
            return cancelledError();
        return fillFigures(m_database, selection, figures);
    }

private:
    static Result<void> walkStatement(Query &query, const VisitSelection &selection, VisitFields fields, bool urban,
                                      const VisitSink &sink, ReadTicker &ticker)
    {
        if (Result<void> opened = query.open(selection.from, selection.to, doctorParameter(selection)); !opened)
            return opened;
        std::vector<Column> columns;
        for (const NamedField &entry : kNamedFields) {
            if (!(fields & entry.field))
                continue;
            const int index = query.field(QStringView(entry.name));
            if (index < 0)
                return fail(QStringLiteral("%1: Field '%2' not found").arg(query.name(), QStringView(entry.name)));
            columns.push_back({index, entry.member, entry.date});
        }
        const IdentityColumns identity{query.field(u"RED_BR"), query.field(u"DATA"), query.field(u"PRE"),
                                       query.field(u"IME")};
        return walk(query, columns, identity, urban, -1, sink, ticker);
    }

    Database &m_database;
};

// One statement for the whole selection with only the columns the run
// reads (and the four that name a visit in an error); the database engine
// joins, and for the visit reports both areas come in one result with a
// column that tells them apart. The conditions are the statements' own
// texts, so the rows are theirs.
class ServerJoinSource final : public VisitSource {
public:
    explicit ServerJoinSource(Database &database) : m_database(database) {}

    Result<void> read(const VisitSelection &selection, VisitFields fields, const VisitSink &sink,
                      const ReadControl &control, SourceFigures *figures) override
    {
        const WaitControl waits(m_database, control);
        const ReadTransaction transaction(m_database);
        if (!transaction.begun())
            return transaction.begun().error();

        QStringList selectList{QStringLiteral("pregledi1.RED_BR"), QStringLiteral("pregledi1.DATA"),
                               QStringLiteral("pregledi1.PRE"), QStringLiteral("pregledi1.IME")};
        const IdentityColumns identity{0, 1, 2, 3};
        std::vector<Column> columns;
        for (const NamedField &entry : kNamedFields) {
            if (!(fields & entry.field))
                continue;
            columns.push_back({int(selectList.size()), entry.member, entry.date});
            selectList << QStringLiteral("%1.%2").arg(entry.person ? QStringLiteral("osigurenici")
                                                                   : QStringLiteral("pregledi1"),
                                                      QStringView(entry.name));
        }
        const bool morbidity = selection.statement == VisitSelection::Statement::Morbidity;
        int urbanColumn = -1;
        QStringList lines;
        if (morbidity) {
            lines = morbidityStatementFor(selection.doctorCode.has_value(), selection.area);
        } else {
            urbanColumn = int(selectList.size());
            selectList << QStringLiteral("case when %1 then 1 else 0 end").arg(urbanVisitCondition());
            lines = QStringList{QString(), periodCondition(),
                                QStringLiteral("and ((%1) or (%2))").arg(urbanVisitCondition(), ruralVisitCondition())};
        }
        lines[0] = QStringLiteral("select %1 from  PREGLEDI1 inner join osigurenici on osigurenici.mb = pregledi1.mb")
                       .arg(selectList.join(QStringLiteral(", ")));

        ReadTicker ticker(control, ReadProgress::Stage::Visits, periodVisitEstimate(selection));
        Query query(m_database, morbidity ? selection.queryName : QStringLiteral("qPosetaDeca"), lines);
        if (Result<void> opened = query.open(selection.from, selection.to, doctorParameter(selection)); !opened)
            return opened;
        if (Result<void> walked = walk(query, columns, identity, false, urbanColumn, sink, ticker); !walked)
            return walked;
        if (!ticker.finish())
            return cancelledError();
        return fillFigures(m_database, selection, figures);
    }

private:
    // The visits of the period: the rows of PREGLEDI1 as the engine's
    // statistics or the last row number tell, times the share of the visit
    // dates' span the period covers, where the first and last date are known
    // at once (SQLite's dates' index, a server's statistics); 0 when unknown.
    qint64 periodVisitEstimate(const VisitSelection &selection)
    {
        const Engine engine = m_database.engine();
        const ServerSession *server = serverSessionOf(engine);
        const QString rows = server ? server->visitEstimate : QStringLiteral("select max(rowid) from PREGLEDI1");
        if (rows.isEmpty())
            return 0;
        QSqlQuery query(m_database.connection());
        query.setForwardOnly(true);
        if (!query.exec(adaptStatement(rows, engine)) || !query.next())
            return 0;
        const qint64 visits = std::max<qint64>(0, query.value(0).toLongLong());
        const QString span = server ? server->visitDateSpan : QStringLiteral("select min(DATA), max(DATA) from PREGLEDI1");
        int first = 0, last = 0;
        if (span.isEmpty() || !query.exec(adaptStatement(span, engine)) || !query.next()
            || !parseIsoDay(query.value(0).toString(), &first) || !parseIsoDay(query.value(1).toString(), &last))
            return visits;
        return qint64(double(visits) * periodShare(first, last, selection.from, selection.to));
    }

    Database &m_database;
};

} // namespace

std::unique_ptr<VisitSource> makeStatementsSource(Database &database)
{
    return std::make_unique<StatementsSource>(database);
}

std::unique_ptr<VisitSource> makeServerJoinSource(Database &database)
{
    return std::make_unique<ServerJoinSource>(database);
}

} // namespace tarel::data

// The sources that read through the SQL layer: the statements as written,
// one statement of the needed columns that the database engine joins, and
// the program's join of the two tables read through the engine's driver.

#include "database.h"
#include "programjoin.h"
#include "serversession.h"
#include "sourcereading.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <utility>

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

// The visits of the period: the rows of PREGLEDI1 as the engine's
// statistics or the last row number tell, times the share of the visit
// dates' span the period covers, where the first and last date are known at
// once (SQLite's dates' index, a server's statistics); 0 when unknown.
qint64 periodVisitEstimate(Database &database, const VisitSelection &selection)
{
    const Engine engine = database.engine();
    const ServerSession *server = serverSessionOf(engine);
    const QString rows = server ? server->visitEstimate : QStringLiteral("select max(rowid) from PREGLEDI1");
    if (rows.isEmpty())
        return 0;
    QSqlQuery query(database.connection());
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

        ReadTicker ticker(control, ReadProgress::Stage::Visits, periodVisitEstimate(m_database, selection));
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
    Database &m_database;
};

// ---- The program's join over the SQL layer -----------------------------------

// A visit joined with its persons by the server (with the figures' count
// statements) costs about as much as this many persons read and held here
// (docs/performance.md: on 250,500 persons a day's 1,400 visits read faster
// through the server's join, a month's 41,000 through the program's).
constexpr qint64 kPersonsPerJoinedVisit = 16;

// How the server compares MB of a visit with MB of a person, as far as the
// program's join can follow it.
enum class KeyComparison {
    Other,          // by a collation (case, trailing blanks, ...) or a type the join does not follow
    Bytes,          // byte for byte: equal when the bytes are
    BytesNulPadded, // byte for byte, the shorter padded with NUL bytes (Firebird's OCTETS)
};

// The types and collations of the key and settlement columns, by lower-case
// "table.column", as the catalogue of the engine tells them.
struct CatalogueColumn {
    QString type;
    QString collation;
};

QHash<QString, CatalogueColumn> catalogueColumns(Database &database, const QString &statement)
{
    QHash<QString, CatalogueColumn> columns;
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    if (!query.exec(statement))
        return {};
    while (query.next())
        columns.insert(query.value(0).toString().trimmed().toLower() + QLatin1Char('.')
                           + query.value(1).toString().trimmed().toLower(),
                       {query.value(2).toString().trimmed().toLower(), query.value(3).toString().trimmed().toLower()});
    return columns;
}

// What the catalogue tells of the columns the program's join depends on.
struct JoinColumns {
    KeyComparison keys = KeyComparison::Other;
    // DATA holds only real days (Firebird's DATE: the years 1 to 9999),
    // which read as ISO texts: no visit date is anything else.
    bool datesAreDays = false;
};

// How both tables' MB compare, from the catalogue (one small read, once a
// run); and, where the area matters, whether MESTO_S is an integer, which
// the join compares with the urban codes. Anything the catalogue does not
// tell, or tells otherwise, is Other: the server then joins.
JoinColumns joinColumnsOf(Database &database, bool settlement)
{
    // Through ODBC only MySQL's keys, which come as hex() (see keyColumn).
    if (database.connection().driverName() == u"QODBC" && database.engine() != Engine::MySQL)
        return {};
    switch (database.engine()) {
    case Engine::MySQL: {
        const QHash<QString, CatalogueColumn> columns = catalogueColumns(
            database, QStringLiteral("select table_name, column_name, data_type, coalesce(collation_name, '') "
                                     "from information_schema.columns where table_schema = database() "
                                     "and table_name in ('pregledi1', 'osigurenici') "
                                     "and lower(column_name) in ('mb', 'mesto_s')"));
        const CatalogueColumn visit = columns.value(QStringLiteral("pregledi1.mb"));
        const CatalogueColumn person = columns.value(QStringLiteral("osigurenici.mb"));
        static const QStringList texts{QStringLiteral("varchar"), QStringLiteral("tinytext"), QStringLiteral("text"),
                                       QStringLiteral("mediumtext"), QStringLiteral("longtext")};
        static const QStringList bytes{QStringLiteral("varbinary"), QStringLiteral("tinyblob"), QStringLiteral("blob"),
                                       QStringLiteral("mediumblob"), QStringLiteral("longblob")};
        static const QStringList integers{QStringLiteral("tinyint"), QStringLiteral("smallint"),
                                          QStringLiteral("mediumint"), QStringLiteral("int"), QStringLiteral("bigint")};
        // A binary collation without padding (MariaDB's *_nopad_bin,
        // MySQL 8's utf8mb4_0900_bin) compares the bytes; the *_bin
        // collations of older versions pad with blanks, CHAR drops them.
        const auto binaryText = [](const CatalogueColumn &column) {
            return texts.contains(column.type)
                && (column.collation.endsWith(QLatin1String("_nopad_bin")) || column.collation == u"utf8mb4_0900_bin");
        };
        const bool keys = (bytes.contains(visit.type) && bytes.contains(person.type))
            || (binaryText(visit) && binaryText(person) && visit.collation == person.collation);
        if (!keys || (settlement && !integers.contains(columns.value(QStringLiteral("osigurenici.mesto_s")).type)))
            return {};
        return {KeyComparison::Bytes, false};
    }
    case Engine::Firebird: {
        // Types: 37 VARCHAR, 7 SMALLINT, 8 INTEGER, 16 BIGINT, 12 DATE;
        // character set 1 OCTETS.
        const QHash<QString, CatalogueColumn> columns = catalogueColumns(
            database, QStringLiteral("select rf.rdb$relation_name, rf.rdb$field_name, "
                                     "f.rdb$field_type || '/' || coalesce(f.rdb$field_scale, 0), "
                                     "coalesce(f.rdb$character_set_id, -1) "
                                     "from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = rf.rdb$field_source "
                                     "where rf.rdb$relation_name in ('PREGLEDI1', 'OSIGURENICI') "
                                     "and rf.rdb$field_name in ('MB', 'MESTO_S', 'DATA')"));
        const auto octets = [&](const QString &name) {
            const CatalogueColumn column = columns.value(name);
            return column.type == u"37/0" && column.collation == u"1";
        };
        const QString code = columns.value(QStringLiteral("osigurenici.mesto_s")).type;
        if (!octets(QStringLiteral("pregledi1.mb")) || !octets(QStringLiteral("osigurenici.mb"))
            || (settlement && code != u"7/0" && code != u"8/0" && code != u"16/0"))
            return {};
        return {KeyComparison::BytesNulPadded, columns.value(QStringLiteral("pregledi1.data")).type == u"12/0"};
    }
    case Engine::SQLite:
    case Engine::PostgreSQL:
    case Engine::Other:
        break;
    }
    return {};
}

// MB as the join compares it: bytes as they are, a text as its UTF-16 units
// (equal when the texts the server compared are); padded with NUL bytes,
// without its trailing NULs. The view is valid until the buffers change.
std::pair<const char *, std::size_t> keyOf(const QVariant &value, KeyComparison comparison, QByteArray &bytes,
                                           QString &text)
{
    const char *data = nullptr;
    std::size_t size = 0;
    std::size_t unit = 1;
    if (value.typeId() == QMetaType::QByteArray) {
        bytes = value.toByteArray();
        data = bytes.constData();
        size = std::size_t(bytes.size());
    } else {
        text = value.toString();
        data = reinterpret_cast<const char *>(text.utf16());
        size = std::size_t(text.size()) * 2;
        unit = 2;
    }
    if (comparison == KeyComparison::BytesNulPadded)
        while (size >= unit && std::all_of(data + size - unit, data + size, [](char c) { return c == 0; }))
            size -= unit;
    return {data, size};
}

// Appends a value's text to a person's entry: as its bytes where it is
// ASCII, else as UTF-16.
void putText(std::string &entry, const QString &text, std::string &narrow)
{
    narrow.resize(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.utf16()[i];
        if (unit >= 0x80) {
            putUtf16Value(entry, text);
            return;
        }
        narrow[std::size_t(i)] = char(unit);
    }
    putAsciiValue(entry, reinterpret_cast<const unsigned char *>(narrow.data()), int(narrow.size()));
}

// The program's join for the engines read through a driver of the SQL layer
// (Firebird, MariaDB/MySQL, and these behind ODBC): the persons' needed
// columns read once and held by MB, then the visits that meet the
// statement's own conditions on the visit table (the period, the kinds of
// service, the doctor; as the statement writes them, so the server selects
// the same visits), each joined with its persons here, where the figures are
// counted as on SQLite. Only where the server compares the two MB columns
// byte for byte (joinColumnsOf), and the period has enough visits to be
// worth reading every person (fewVisits); else the server joins.
class DriverJoinSource final : public VisitSource {
public:
    explicit DriverJoinSource(Database &database) : m_database(database) {}

    Result<void> read(const VisitSelection &selection, VisitFields fields, const VisitSink &sink,
                      const ReadControl &control, SourceFigures *figures) override
    {
        const WaitControl waits(m_database, control);
        const ReadTransaction transaction(m_database);
        if (!transaction.begun())
            return transaction.begun().error();
        PersonJoin join(selection, fields, figures);
        const JoinColumns catalogue = joinColumnsOf(m_database, join.needsSettlement());
        const KeyComparison comparison = catalogue.keys;
        if (comparison == KeyComparison::Other || fewVisits(selection))
            return makeServerJoinSource(m_database)->read(selection, fields, sink, control, figures);
        ReadTicker ticker(control, ReadProgress::Stage::Persons, 0);
        PersonTable persons;
        if (Result<void> loaded = loadPersons(join, comparison, persons, ticker); !loaded)
            return loaded;
        if (!ticker.startStage(ReadProgress::Stage::Visits, periodVisitEstimate(m_database, selection)))
            return cancelledError();
        if (Result<void> joined = joinVisits(selection, join, comparison, persons, sink, ticker); !joined)
            return joined;
        if (!ticker.finish())
            return cancelledError();
        if (figures && !catalogue.datesAreDays) {
            const Result<qint64> nonIso = nonIsoVisitDatesOf(m_database);
            if (!nonIso)
                return nonIso.error();
            figures->nonIsoVisitDates = *nonIso;
        }
        return {};
    }

private:
    // Whether the period has fewer visits than the persons /
    // kPersonsPerJoinedVisit: then the server's join, through the MB index,
    // costs less than reading every person. The persons as the engine's
    // statistics tell (MariaDB's table rows, the selectivity of Firebird's
    // index on MB; none: every period reads them), the period's visits
    // counted through the dates' index up to that bound.
    bool fewVisits(const VisitSelection &selection)
    {
        const bool firebird = m_database.engine() == Engine::Firebird;
        QSqlQuery persons(m_database.connection());
        persons.setForwardOnly(true);
        if (!persons.exec(firebird ? QStringLiteral("select max(1 / i.rdb$statistics) from rdb$indices i "
                                                    "join rdb$index_segments s on s.rdb$index_name = i.rdb$index_name "
                                                    "where i.rdb$relation_name = 'OSIGURENICI' and s.rdb$field_name = 'MB' "
                                                    "and s.rdb$field_position = 0 and i.rdb$statistics > 0")
                                   : QStringLiteral("select table_rows from information_schema.tables "
                                                    "where table_schema = database() and table_name = 'osigurenici'"))
            || !persons.next())
            return false;
        const qint64 bound = qint64(persons.value(0).toDouble()) / kPersonsPerJoinedVisit;
        if (bound <= 0)
            return false;
        const QStringList lines = firebird
            ? QStringList{QStringLiteral("select count(*) from (select first %1 1 as visit from PREGLEDI1").arg(bound),
                          periodCondition(), QStringLiteral(") as period")}
            : QStringList{QStringLiteral("select count(*) from (select 1 as visit from PREGLEDI1"), periodCondition(),
                          QStringLiteral("limit %1) as period").arg(bound)};
        Query visits(m_database, QStringLiteral("period"), lines);
        return visits.open(selection.from, selection.to) && visits.next() && visits.value(0).toLongLong() < bound;
    }

    // The column of MB the join compares. Qt's ODBC driver reads a text
    // only up to its first NUL character: there MB comes as the hexadecimal
    // digits of its bytes (MySQL's hex()).
    QString keyColumn() const
    {
        return m_database.connection().driverName() == u"QODBC" ? QStringLiteral("hex(MB)") : QStringLiteral("MB");
    }

    Result<void> loadPersons(const PersonJoin &join, KeyComparison comparison, PersonTable &persons,
                             ReadTicker &ticker)
    {
        const bool settlement = join.needsSettlement();
        QStringList columns{keyColumn()};
        if (settlement)
            columns << QStringLiteral("MESTO_S");
        const int firstValue = int(columns.size());
        std::vector<bool> dates;
        for (const NamedField *entry : join.personFields()) {
            columns << QString::fromUtf16(entry->name);
            dates.push_back(entry->date);
        }
        // Prepared as the statements are, so each value comes as the SQL
        // layer reads it in a run's statement.
        QSqlQuery query(m_database.connection());
        query.setForwardOnly(true);
        if (!query.prepare(adaptStatement(
                QStringLiteral("select %1 from osigurenici").arg(columns.join(QStringLiteral(", "))), m_database.engine()))
            || !query.exec())
            return m_database.failure(query.lastError());
        std::string entry, narrow;
        QByteArray keyBytes;
        QString keyText;
        bool first = true;
        while (query.next()) {
            // The first row: the database answers.
            if (std::exchange(first, false) && !ticker.report())
                return cancelledError();
            if (!ticker.row())
                return cancelledError();
            const QVariant mb = query.value(0);
            if (mb.isNull())
                continue; // matches no visit
            quint8 flags = HasSettlement;
            if (settlement) {
                const QVariant code = query.value(1);
                flags = code.isNull() ? 0 : settlementFlagsOf(code.toLongLong());
            }
            const auto [key, size] = keyOf(mb, comparison, keyBytes, keyText);
            PersonTable::startEntry(entry, key, size, flags);
            for (std::size_t i = 0; i < dates.size(); ++i) {
                const QVariant value = query.value(firstValue + int(i));
                putText(entry, dates[i] ? Query::dateTextOf(value) : Query::textOf(value), narrow);
            }
            if (Result<void> added = persons.add(key, size, false, entry); !added)
                return added;
        }
        if (query.lastError().isValid())
            return m_database.failure(query.lastError());
        persons.finish();
        return {};
    }

    Result<void> joinVisits(const VisitSelection &selection, PersonJoin &join, KeyComparison comparison,
                            const PersonTable &persons, const VisitSink &sink, ReadTicker &ticker)
    {
        // MB, the record's fields of the visit, then what names a visit in
        // an error (Firebird: the record's key, by which the four values are
        // read again; else the four values), read only then: last, since
        // Qt's ODBC driver takes a row's values from the driver as far as
        // the last one asked for.
        QStringList select{keyColumn()};
        const auto columnOf = [&](const QString &name) {
            qsizetype index = select.indexOf(name);
            if (index < 0) {
                index = select.size();
                select << name;
            }
            return int(index);
        };
        std::vector<Column> columns;
        for (const NamedField *entry : join.visitFields())
            columns.push_back({columnOf(QString::fromUtf16(entry->name)), entry->member, entry->date});
        const int citizenColumn = join.wantsCitizenNumber() ? columnOf(QStringLiteral("MB")) : -1;
        const bool byRecordKey = m_database.engine() == Engine::Firebird;
        const IdentityColumns identity = byRecordKey
            ? IdentityColumns{columnOf(QStringLiteral("RDB$DB_KEY"))}
            : IdentityColumns{columnOf(QStringLiteral("RED_BR")), columnOf(QStringLiteral("DATA")),
                              columnOf(QStringLiteral("PRE")), columnOf(QStringLiteral("IME"))};
        const bool morbidity = selection.statement == VisitSelection::Statement::Morbidity;
        QStringList lines{QStringLiteral("select %1 from PREGLEDI1").arg(select.join(QStringLiteral(", "))),
                          periodCondition()};
        if (morbidity) {
            lines << kindCondition();
            if (selection.doctorCode)
                lines << morbidityFilterLine(true, AreaFilter::Both);
        }
        Query query(m_database, morbidity ? selection.queryName : QStringLiteral("qPosetaDeca"), lines);
        if (Result<void> opened = query.open(selection.from, selection.to, doctorParameter(selection)); !opened)
            return opened;
        std::vector<QString> texts(columns.size());
        QString citizenNumber;
        QByteArray keyBytes;
        QString keyText;
        VisitRecord &record = join.record();
        while (query.next()) {
            if (!ticker.row())
                return cancelledError();
            for (std::size_t i = 0; i < columns.size(); ++i) {
                texts[i] = columns[i].date ? query.dateText(columns[i].index) : query.text(columns[i].index);
                record.*columns[i].member = texts[i];
            }
            const QVariant mb = query.value(0);
            if (join.wantsCitizenNumber()) {
                citizenNumber = query.text(citizenColumn);
                record.citizenNumber = citizenNumber;
            }
            if (mb.isNull()) {
                join.unmatchedVisit();
                continue;
            }
            const auto [key, size] = keyOf(mb, comparison, keyBytes, keyText);
            if (Result<void> taken = join.joinHeld(persons, key, size, false, PersonTable::hashOf(key, size, false), sink);
                !taken)
                return byRecordKey ? namedByRecordKey(taken.error(), query.value(identity.rowNumber).toByteArray())
                                   : atVisit(taken.error(), query.text(identity.rowNumber),
                                             query.dateText(identity.visitDate), query.text(identity.surname),
                                             query.text(identity.name));
        }
        if (query.error())
            return *query.error();
        return {};
    }

    // The sink's error with the line that names the visit, read again by its
    // record key in the same snapshot.
    Error namedByRecordKey(Error error, const QByteArray &recordKey) const
    {
        QSqlQuery query(m_database.connection());
        query.setForwardOnly(true);
        if (query.exec(QStringLiteral("select RED_BR, DATA, PRE, IME from PREGLEDI1 where RDB$DB_KEY = x'%1'")
                           .arg(QString::fromLatin1(recordKey.toHex())))
            && query.next())
            return atVisit(std::move(error), Query::textOf(query.value(0)), Query::dateTextOf(query.value(1)),
                           Query::textOf(query.value(2)), Query::textOf(query.value(3)));
        return atVisit(std::move(error), {}, {}, {}, {});
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

std::unique_ptr<VisitSource> makeDriverJoinSource(Database &database)
{
    return std::make_unique<DriverJoinSource>(database);
}

} // namespace tarel::data

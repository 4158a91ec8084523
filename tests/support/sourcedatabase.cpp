#include "sourcedatabase.h"

#include "statements.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <gtest/gtest.h>

namespace tarel::testing {

namespace {
int counter = 0;
}

SourceDatabase::SourceDatabase()
{
    m_path = m_dir.filePath(QStringLiteral("source.sqlite"));
    m_connection = QStringLiteral("test-writer-%1").arg(++counter);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    if (!db.open())
        ADD_FAILURE() << db.lastError().text().toStdString();
    for (const QString &statement : data::sourceSchemaStatements())
        exec(statement);
}

SourceDatabase::~SourceDatabase()
{
    QSqlDatabase::database(m_connection).close();
    QSqlDatabase::removeDatabase(m_connection);
}

void SourceDatabase::exec(const QString &statement)
{
    QSqlQuery query(QSqlDatabase::database(m_connection));
    if (!query.exec(statement))
        ADD_FAILURE() << query.lastError().text().toStdString() << " in " << statement.toStdString();
}

void SourceDatabase::insert(const QString &table,
                            std::initializer_list<std::pair<const char *, QVariant>> values)
{
    QStringList names, marks;
    for (const auto &[name, value] : values) {
        names << QString::fromLatin1(name);
        marks << QStringLiteral("?");
    }
    QSqlQuery query(QSqlDatabase::database(m_connection));
    query.prepare(QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (const auto &[name, value] : values)
        query.addBindValue(value);
    if (!query.exec())
        ADD_FAILURE() << query.lastError().text().toStdString();
}

void SourceDatabase::addVisit(const Visit &v, bool withPerson)
{
    auto dateOrNull = [](const QString &text) { return text.isEmpty() ? QVariant() : QVariant(text); };
    insert(QStringLiteral("PREGLEDI1"), {{"RED_BR", v.redBr},
                                         {"PRE", v.pre},
                                         {"IME", v.ime},
                                         {"MB", v.mb},
                                         {"LEKAR_S", v.lekar},
                                         {"S_DIJA", v.sDija},
                                         {"S_DIJA2", v.sDija2},
                                         {"VidNaUsluga", v.vid},
                                         {"DATA", dateOrNull(v.data)}});
    if (withPerson)
        insert(QStringLiteral("osigurenici"), {{"MB", v.mb},
                                               {"DAT_R", dateOrNull(v.datR)},
                                               {"MESTO_S", v.mesto},
                                               {"OSNOV", v.osnov},
                                               {"CLEN", v.clen},
                                               {"LEKAR_S", QStringLiteral("X99")}});
}

void SourceDatabase::addDoctor(const QString &code, const QString &surname, const QString &name, bool active)
{
    insert(QStringLiteral("Lekari"), {{"lekar_s", code}, {"pre", surname}, {"ime", name}, {"aktiven", active ? 1 : 0}});
}

void SourceDatabase::addInstitution(const QString &naziv)
{
    insert(QStringLiteral("PZO"), {{"naziv", naziv}});
}

} // namespace tarel::testing

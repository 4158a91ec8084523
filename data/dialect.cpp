#include "dialect.h"

#include <QRegularExpression>

namespace tarel::data {

namespace {

// The four source tables, in any case, as whole words.
const QRegularExpression &tableNames()
{
    static const QRegularExpression names(QStringLiteral(R"(\b(PREGLEDI1|osigurenici|Lekari|PZO)\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    return names;
}

QString lowerTableNames(QString text)
{
    QString result;
    qsizetype last = 0;
    for (const QRegularExpressionMatch &match : tableNames().globalMatch(text)) {
        result += QStringView(text).mid(last, match.capturedStart() - last);
        result += match.captured(1).toLower();
        last = match.capturedEnd();
    }
    result += QStringView(text).mid(last);
    return result;
}

} // namespace

QString engineName(Engine engine)
{
    switch (engine) {
    case Engine::SQLite:
        return QStringLiteral("SQLite");
    case Engine::PostgreSQL:
        return QStringLiteral("PostgreSQL");
    case Engine::Firebird:
        return QStringLiteral("Firebird");
    case Engine::MySQL:
        return QStringLiteral("MariaDB/MySQL");
    case Engine::Other:
        break;
    }
    return QStringLiteral("SQL");
}

QString adaptStatement(const QString &statement, Engine engine)
{
    static const QRegularExpression concatenation(QStringLiteral(R"(\+\s*'([^']*)'\s*\+)"));
    static const QRegularExpression concatenated(QStringLiteral(R"(([\w.]+)\s*\+\s*'([^']*)'\s*\+\s*([\w.]+))"));
    static const QRegularExpression emptyEquals(
        QStringLiteral(R"(((?:\w+\.)?MESTO_S)\s*=\s*'')"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression emptyDiffers(
        QStringLiteral(R"(((?:\w+\.)?MESTO_S)\s*<>\s*'')"), QRegularExpression::CaseInsensitiveOption);

    QString text = statement;
    if (engine == Engine::MySQL) {
        text.replace(concatenated, QStringLiteral("concat(\\1,'\\2',\\3)"));
        text = lowerTableNames(text);
    } else {
        text.replace(concatenation, QStringLiteral("||'\\1'||"));
    }
    text.replace(emptyEquals, QStringLiteral("1=0"));
    text.replace(emptyDiffers, QStringLiteral("\\1 IS NOT NULL"));
    return text;
}

QString adaptSchemaStatement(const QString &statement, Engine engine)
{
    static const QRegularExpression text(QStringLiteral(R"(\bTEXT\b)"));
    static const QRegularExpression time(QStringLiteral(R"(([(,]\s*)TIME\b)"));
    static const QRegularExpression ifNotExists(QStringLiteral(R"(\s+IF\s+NOT\s+EXISTS\b)"),
                                                QRegularExpression::CaseInsensitiveOption);
    QString result = statement;
    switch (engine) {
    case Engine::Firebird:
        result.replace(text, QStringLiteral("VARCHAR(500) CHARACTER SET OCTETS"));
        result.replace(time, QStringLiteral("\\1\"TIME\""));
        result.replace(ifNotExists, QString());
        break;
    case Engine::MySQL:
        result.replace(text, QStringLiteral("VARCHAR(500)"));
        result = lowerTableNames(result);
        if (result.trimmed().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
            result += QStringLiteral(" CHARACTER SET utf8mb4 COLLATE utf8mb4_nopad_bin");
        break;
    case Engine::SQLite:
    case Engine::PostgreSQL:
    case Engine::Other:
        break;
    }
    return result;
}

} // namespace tarel::data

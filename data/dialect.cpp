#include "dialect.h"

#include <QRegularExpression>

namespace tarel::data {

QString adaptStatement(const QString &statement, Engine engine)
{
    Q_UNUSED(engine); // the same rewrites serve SQLite and PostgreSQL
    static const QRegularExpression concatenation(QStringLiteral(R"(\+\s*'([^']*)'\s*\+)"));
    static const QRegularExpression emptyEquals(
        QStringLiteral(R"(((?:\w+\.)?MESTO_S)\s*=\s*'')"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression emptyDiffers(
        QStringLiteral(R"(((?:\w+\.)?MESTO_S)\s*<>\s*'')"), QRegularExpression::CaseInsensitiveOption);

    QString text = statement;
    text.replace(concatenation, QStringLiteral("||'\\1'||"));
    text.replace(emptyEquals, QStringLiteral("1=0"));
    text.replace(emptyDiffers, QStringLiteral("\\1 IS NOT NULL"));
    return text;
}

} // namespace tarel::data

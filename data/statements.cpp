#include "statements.h"

#include <algorithm>

namespace tarel::data {

namespace {

const QString Select = QStringLiteral(
    "select * from  PREGLEDI1 inner join osigurenici on osigurenici.mb = pregledi1.mb");
const QString DateRange = QStringLiteral("WHERE DATA  between  :datumod and :datumdo");

// Lines 3 to 7 of a visit statement: the 38 codes over five lines of 7, 8, 8,
// 8 and 7 comparisons.
QStringList spreadOverFiveLines(const QString &firstPrefix, const QString &comparison,
                                const QString &joiner, const QString &lastSuffix)
{
    static constexpr int perLine[] = {7, 8, 8, 8, 7};
    QStringList lines;
    std::size_t code = 0;
    for (int line = 0; line < 5; ++line) {
        QString text = line == 0 ? firstPrefix : joiner.trimmed() + QLatin1Char(' ');
        for (int i = 0; i < perLine[line]; ++i, ++code) {
            if (i > 0)
                text += joiner;
            text += comparison + QString::number(UrbanSettlementCodes[code]);
        }
        if (line == 4)
            text += lastSuffix;
        lines << text;
    }
    return lines;
}

} // namespace

bool isUrbanSettlement(int code)
{
    // Every joined row asks: the codes in order, searched by halves.
    static const std::array<int, UrbanSettlementCodes.size()> sorted = [] {
        std::array<int, UrbanSettlementCodes.size()> codes = UrbanSettlementCodes;
        std::sort(codes.begin(), codes.end());
        return codes;
    }();
    return std::binary_search(sorted.begin(), sorted.end(), code);
}

QString areaText(AreaFilter area)
{
    switch (area) {
    case AreaFilter::Urban:
        return QStringLiteral("Grad");
    case AreaFilter::Rural:
        return QStringLiteral("Selo");
    case AreaFilter::Both:
        break;
    }
    return QStringLiteral("Grad i Selo");
}

namespace {
constexpr std::pair<AreaFilter, const char *> kAreaNames[] = {
    {AreaFilter::Urban, "urban"}, {AreaFilter::Rural, "rural"}, {AreaFilter::Both, "both"}};
} // namespace

QString areaName(AreaFilter area)
{
    for (const auto &[filter, name] : kAreaNames)
        if (filter == area)
            return QString::fromLatin1(name);
    return {};
}

std::optional<AreaFilter> areaNamed(QStringView name)
{
    for (const auto &[filter, text] : kAreaNames)
        if (name == QLatin1String(text))
            return filter;
    return std::nullopt;
}

QStringList runTables()
{
    return {QLatin1String(TableOfVisits.name), QLatin1String(TableOfPersons.name),
            QLatin1String(TableOfInstitution.name)};
}

QStringList qLekarStatement()
{
    return {QStringLiteral("select lekar_s,pre+' '+ime as ime,ops_s from Lekari"),
            QStringLiteral("where aktiven=true")};
}

QStringList qPZUStatement() { return {QStringLiteral("select * from PZO")}; }

QStringList morbidityStatement()
{
    return {Select, DateRange,
            QStringLiteral("and (pregledi1.vidnausluga='1' or pregledi1.vidnausluga='2')"),
            QStringLiteral("/*dodaden uslov*/"), QStringLiteral("order by data")};
}

QStringList qPosetaDecaGradStatement()
{
    QStringList lines{Select, DateRange};
    lines << spreadOverFiveLines(QStringLiteral("and ("), QStringLiteral("osigurenici.MESTO_S ="),
                                 QStringLiteral(" or "),
                                 QStringLiteral(" or osigurenici.MESTO_S='')"));
    lines << QStringLiteral("order by data");
    return lines;
}

QStringList qPosetaDecaSeloStatement()
{
    QStringList lines{Select, DateRange};
    lines << spreadOverFiveLines(QStringLiteral("and "), QStringLiteral("MESTO_S <>"),
                                 QStringLiteral(" and "), QStringLiteral(" and MESTO_S<>''"));
    lines << QStringLiteral("order by data");
    return lines;
}

QString morbidityFilterLine(bool oneDoctor, AreaFilter area)
{
    QString line;
    if (oneDoctor)
        line = QStringLiteral("and pregledi1.Lekar_s =:") + QLatin1String(DoctorParameter);
    switch (area) {
    case AreaFilter::Urban: {
        QStringList comparisons;
        for (int code : UrbanSettlementCodes)
            comparisons << QStringLiteral("osigurenici.MESTO_S =") + QString::number(code);
        line += QStringLiteral(" and (") + comparisons.join(QStringLiteral(" or ")) + QLatin1Char(')');
        break;
    }
    case AreaFilter::Rural:
        for (int code : UrbanSettlementCodes)
            line += QStringLiteral(" and MESTO_S <>") + QString::number(code);
        break;
    case AreaFilter::Both:
        break;
    }
    return line;
}

QStringList morbidityStatementFor(bool oneDoctor, AreaFilter area)
{
    QStringList lines = morbidityStatement();
    lines[4] = morbidityFilterLine(oneDoctor, area);
    return lines;
}

namespace {
// Lines 3 to 7 of a visit statement, joined, without the leading "and ".
QString areaLinesOf(const QStringList &statement)
{
    QString condition = statement.mid(2, 5).join(QLatin1Char('\n'));
    if (condition.startsWith(QLatin1String("and ")))
        condition.remove(0, 4);
    return condition;
}
} // namespace

QString periodCondition() { return DateRange; }
QString kindCondition() { return morbidityStatement()[2]; }
QString urbanVisitCondition() { return areaLinesOf(qPosetaDecaGradStatement()); }
QString ruralVisitCondition() { return areaLinesOf(qPosetaDecaSeloStatement()); }

} // namespace tarel::data

#include <QFile>
#include <QRegularExpression>

namespace tarel::data {

namespace {
QStringList statementsOf(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList statements;
    QString text;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        text += line + QLatin1Char('\n');
    }
    for (const QString &part : text.split(QLatin1Char(';')))
        if (!part.trimmed().isEmpty())
            statements << part.trimmed();
    return statements;
}
} // namespace

QStringList sourceSchemaStatements() { return statementsOf(QStringLiteral(":/data/schema.sql")); }
QStringList sourceIndexStatements() { return statementsOf(QStringLiteral(":/data/indexes.sql")); }

} // namespace tarel::data

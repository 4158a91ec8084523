#include "runresult.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <cmath>

namespace tarel::result {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

constexpr std::pair<Area, const char *> kAreaNames[] = {
    {Area::Both, "both"}, {Area::Urban, "urban"}, {Area::Rural, "rural"}};
constexpr std::pair<RowKind, const char *> kRowKinds[] = {
    {RowKind::Counted, "counted"}, {RowKind::Subtotal, "subtotal"}, {RowKind::Total, "total"}};
constexpr std::pair<Sex, const char *> kSexes[] = {{Sex::Any, ""}, {Sex::Male, "m"}, {Sex::Female, "f"}};
constexpr std::pair<const char *, QString Institution::*> kParticulars[] = {
    {"naziv", &Institution::naziv},     {"adresa", &Institution::adresa}, {"mesto", &Institution::mesto},
    {"danBroj", &Institution::danBroj}, {"ziro", &Institution::ziro},     {"deponent", &Institution::deponent}};

// Tables larger than any form, refused before they are allocated.
constexpr qsizetype kMaxRows = 100000;
constexpr qsizetype kMaxColumns = 1000;
constexpr qint64 kMaxCells = 4000000;
constexpr double kMaxCount = 9007199254740992.0; // 2^53: every whole number below it reads back exactly

template <typename Enum, std::size_t N>
const char *nameOf(const std::pair<Enum, const char *> (&names)[N], Enum value)
{
    for (const auto &[known, name] : names)
        if (known == value)
            return name;
    return names[0].second;
}

template <typename Enum, std::size_t N>
std::optional<Enum> valueNamed(const std::pair<Enum, const char *> (&names)[N], QStringView name)
{
    for (const auto &[known, text] : names)
        if (name == QLatin1String(text))
            return known;
    return std::nullopt;
}

std::optional<QDate> isoDate(const QJsonValue &value)
{
    const QString text = value.toString();
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (text.size() != 10 || !date.isValid())
        return std::nullopt;
    return date;
}

QJsonArray indexes(const std::vector<int> &values)
{
    QJsonArray array;
    for (const int value : values)
        array.append(value);
    return array;
}

// Reads the values of the "result" part, keeping the first problem.
class Reader {
public:
    std::optional<QString> problem;

    void failWith(const QString &what)
    {
        if (!problem)
            problem = what;
    }
    QString text(const QJsonObject &object, const char *key)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined())
            return {};
        if (!value.isString())
            failWith(Text::tr("\"%1\" is not a text").arg(QLatin1String(key)));
        return value.toString();
    }
    int index(const QJsonValue &value, int below, const char *key)
    {
        const double number = value.toDouble(-2);
        if (!value.isDouble() || number != std::floor(number) || number < -1 || number >= below) {
            failWith(Text::tr("\"%1\" holds %2, not a number of the table").arg(QLatin1String(key)).arg(value.toDouble()));
            return -1;
        }
        return int(number);
    }
    std::vector<int> indexes(const QJsonObject &object, const char *key, int below)
    {
        std::vector<int> values;
        for (const QJsonValue &value : object.value(QLatin1String(key)).toArray()) {
            const int index = this->index(value, below, key);
            if (index >= 0)
                values.push_back(index);
        }
        return values;
    }
    QStringList texts(const QJsonValue &value, const char *key)
    {
        QStringList list;
        for (const QJsonValue &entry : value.toArray()) {
            if (!entry.isString())
                failWith(Text::tr("\"%1\" holds something other than texts").arg(QLatin1String(key)));
            list << entry.toString();
        }
        return list;
    }
};

} // namespace

QString areaName(Area area) { return QLatin1String(nameOf(kAreaNames, area)); }

std::optional<Area> areaNamed(QStringView name) { return valueNamed(kAreaNames, name); }

QJsonObject RunRequest::toJson() const
{
    QJsonObject asked{{QStringLiteral("report"), report},
                      {QStringLiteral("from"), from.toString(Qt::ISODate)},
                      {QStringLiteral("to"), to.toString(Qt::ISODate)},
                      {QStringLiteral("alias"), alias}};
    if (byDoctorAndArea) {
        asked.insert(QStringLiteral("doctor"), doctor ? QJsonValue(QJsonObject{{QStringLiteral("code"), doctor->code},
                                                                               {QStringLiteral("name"), doctor->name}})
                                                      : QJsonValue());
        asked.insert(QStringLiteral("area"), areaName(area));
    }
    if (!database.isEmpty())
        asked.insert(QStringLiteral("database"), database);
    return asked;
}

Result<RunRequest> RunRequest::fromJson(const QJsonObject &object)
{
    RunRequest asked;
    asked.report = object.value(QStringLiteral("report")).toString();
    if (asked.report.isEmpty())
        return fail(Text::tr("The report's request names no report"));
    for (const auto &[key, date] : {std::pair{"from", &asked.from}, std::pair{"to", &asked.to}}) {
        const std::optional<QDate> read = isoDate(object.value(QLatin1String(key)));
        if (!read)
            return fail(Text::tr("The report's request has no valid date '%1'").arg(QLatin1String(key)));
        *date = *read;
    }
    asked.byDoctorAndArea = object.contains(QStringLiteral("doctor")) || object.contains(QStringLiteral("area"));
    const QJsonValue doctor = object.value(QStringLiteral("doctor"));
    if (doctor.isObject())
        asked.doctor = Doctor{doctor[QStringLiteral("code")].toString(), doctor[QStringLiteral("name")].toString()};
    const QString area = object.value(QStringLiteral("area")).toString(QStringLiteral("both"));
    const std::optional<Area> named = areaNamed(area);
    if (!named)
        return fail(Text::tr("The report's request has an unknown area '%1'").arg(area.left(40)));
    asked.area = *named;
    asked.alias = object.value(QStringLiteral("alias")).toString();
    asked.database = object.value(QStringLiteral("database")).toString();
    return asked;
}

QJsonObject countsToJson(const RunResult &result)
{
    QJsonObject institution;
    for (const auto &[key, member] : kParticulars)
        institution.insert(QLatin1String(key), result.institution.*member);
    QJsonArray header;
    for (const HeaderLine &line : result.header)
        header.append(QJsonObject{{QStringLiteral("caption"), line.caption}, {QStringLiteral("text"), line.text}});
    QJsonObject object{{QStringLiteral("title"), result.title},
                       {QStringLiteral("institution"), institution},
                       {QStringLiteral("header"), header}};
    if (result.printedOn.isValid())
        object.insert(QStringLiteral("printedOn"), result.printedOn.toString(Qt::ISODate));
    if (result.counts.empty())
        return object;
    const TableShape &shape = result.counts.shape();
    QJsonArray rows;
    for (const RowIdentity &row : shape.rows()) {
        QJsonObject entry{{QStringLiteral("kind"), QLatin1String(nameOf(kRowKinds, row.kind))},
                          {QStringLiteral("key"), row.key},
                          {QStringLiteral("number"), row.number},
                          {QStringLiteral("label"), row.label},
                          {QStringLiteral("codes"), row.codes},
                          {QStringLiteral("chapter"), row.chapter}};
        if (!row.sums.empty())
            entry.insert(QStringLiteral("sums"), indexes(row.sums));
        rows.append(entry);
    }
    QJsonArray columns;
    for (const ColumnIdentity &column : shape.columns()) {
        QJsonObject entry{{QStringLiteral("key"), column.key},
                          {QStringLiteral("number"), column.number},
                          {QStringLiteral("headings"), QJsonArray::fromStringList(column.headings)},
                          {QStringLiteral("band"), column.band},
                          {QStringLiteral("sex"), QLatin1String(nameOf(kSexes, column.sex))}};
        if (!column.sums.empty())
            entry.insert(QStringLiteral("sums"), indexes(column.sums));
        columns.append(entry);
    }
    QJsonArray counts;
    for (int row = 0; row < shape.rowCount(); ++row) {
        QJsonArray line;
        for (int column = 0; column < shape.columnCount(); ++column)
            line.append(double(result.counts.value(row, column)));
        counts.append(line);
    }
    object.insert(QStringLiteral("rowHeadings"), QJsonArray::fromStringList(shape.rowHeadings()));
    object.insert(QStringLiteral("rowHeadingNumbers"), QJsonArray::fromStringList(shape.rowHeadingNumbers()));
    object.insert(QStringLiteral("zeroAsDash"), shape.zeroAsDash());
    object.insert(QStringLiteral("rows"), rows);
    object.insert(QStringLiteral("columns"), columns);
    object.insert(QStringLiteral("counts"), counts);
    return object;
}

Result<void> readCountsJson(const QJsonObject &object, RunResult &into)
{
    Reader r;
    into.title = r.text(object, "title");
    const QJsonObject institution = object.value(QStringLiteral("institution")).toObject();
    for (const auto &[key, member] : kParticulars)
        into.institution.*member = r.text(institution, key);
    for (const QJsonValue &value : object.value(QStringLiteral("header")).toArray()) {
        const QJsonObject line = value.toObject();
        into.header.push_back({r.text(line, "caption"), r.text(line, "text")});
    }
    if (object.contains(QStringLiteral("printedOn"))) {
        const std::optional<QDate> printed = isoDate(object.value(QStringLiteral("printedOn")));
        if (!printed)
            r.failWith(Text::tr("\"printedOn\" is not a date"));
        into.printedOn = printed.value_or(QDate());
    }
    if (r.problem)
        return fail(*r.problem);
    if (!object.contains(QStringLiteral("rows")))
        return {};

    const QJsonArray rowValues = object.value(QStringLiteral("rows")).toArray();
    const QJsonArray columnValues = object.value(QStringLiteral("columns")).toArray();
    const QJsonArray counts = object.value(QStringLiteral("counts")).toArray();
    if (rowValues.size() > kMaxRows || columnValues.size() > kMaxColumns
        || qint64(rowValues.size()) * qint64(columnValues.size()) > kMaxCells)
        return fail(Text::tr("the count table is larger than any form's"));
    std::vector<RowIdentity> rows;
    for (const QJsonValue &value : rowValues) {
        const QJsonObject entry = value.toObject();
        RowIdentity row;
        const std::optional<RowKind> kind = valueNamed(kRowKinds, entry.value(QStringLiteral("kind")).toString());
        if (!kind)
            r.failWith(Text::tr("a row of the count table has no kind"));
        row.kind = kind.value_or(RowKind::Counted);
        row.key = r.text(entry, "key");
        row.number = r.text(entry, "number");
        row.label = r.text(entry, "label");
        row.codes = r.text(entry, "codes");
        row.chapter = r.index(entry.value(QStringLiteral("chapter")), int(kMaxRows), "chapter");
        row.sums = r.indexes(entry, "sums", int(rowValues.size()));
        rows.push_back(std::move(row));
    }
    std::vector<ColumnIdentity> columns;
    for (const QJsonValue &value : columnValues) {
        const QJsonObject entry = value.toObject();
        ColumnIdentity column;
        column.key = r.text(entry, "key");
        column.number = r.text(entry, "number");
        column.headings = r.texts(entry.value(QStringLiteral("headings")), "headings");
        column.band = r.index(entry.value(QStringLiteral("band")), int(kMaxColumns), "band");
        const std::optional<Sex> sex = valueNamed(kSexes, entry.value(QStringLiteral("sex")).toString());
        if (!sex)
            r.failWith(Text::tr("a column of the count table has an unknown sex"));
        column.sex = sex.value_or(Sex::Any);
        column.sums = r.indexes(entry, "sums", int(columnValues.size()));
        columns.push_back(std::move(column));
    }
    const QStringList headings = r.texts(object.value(QStringLiteral("rowHeadings")), "rowHeadings");
    const QStringList numbers = r.texts(object.value(QStringLiteral("rowHeadingNumbers")), "rowHeadingNumbers");
    if (r.problem)
        return fail(*r.problem);
    Result<std::shared_ptr<const TableShape>> shape =
        TableShape::make(std::move(rows), std::move(columns), headings, numbers,
                         object.value(QStringLiteral("zeroAsDash")).toBool());
    if (!shape)
        return shape.error();
    CountTable table(*shape);
    if (counts.size() != rowValues.size())
        return fail(Text::tr("the count table has %1 rows of counts for %2 rows").arg(counts.size()).arg(rowValues.size()));
    for (int row = 0; row < (*shape)->rowCount(); ++row) {
        const QJsonArray line = counts[row].toArray();
        if (line.size() != columnValues.size())
            return fail(Text::tr("row %1 of the count table has %2 counts for %3 columns")
                            .arg(row + 1)
                            .arg(line.size())
                            .arg(columnValues.size()));
        for (int column = 0; column < (*shape)->columnCount(); ++column) {
            const double count = line[column].toDouble(-1);
            if (!line[column].isDouble() || count < 0 || count >= kMaxCount || count != std::floor(count))
                return fail(Text::tr("row %1 of the count table holds something other than a count").arg(row + 1));
            table.setValue(row, column, qint64(count));
        }
    }
    into.counts = std::move(table);
    return {};
}

} // namespace tarel::result

#include "datacheck.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace tarel::result {

namespace {

constexpr const char *kFormat = "tarel-data-check";
constexpr int kVersion = 1;

// The figures after "notCounted" and "noRowDiagnoses", in the order they are written.
struct Figure {
    const char *name;
    qint64 DataCheck::*member;
};
constexpr Figure kTrailingFigures[] = {
    {"countedTwice", &DataCheck::countedTwice},       {"emptyBirthDate", &DataCheck::emptyBirthDate},
    {"repeatedPersons", &DataCheck::repeatedPersons}, {"unmatchedVisits", &DataCheck::unmatchedVisits},
    {"noSettlementCode", &DataCheck::noSettlementCode}, {"nonIsoVisitDates", &DataCheck::nonIsoVisitDates},
};

QJsonObject requestObject(const DataCheck &check)
{
    return {{QStringLiteral("from"), check.from},
            {QStringLiteral("to"), check.to},
            {QStringLiteral("doctor"), check.doctor.isEmpty() ? QJsonValue() : QJsonValue(check.doctor)},
            {QStringLiteral("area"), check.area}};
}

// A JSON value as compact text.
QByteArray jsonText(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray csvField(const QString &text)
{
    QString value = text;
    if (value.contains(u',') || value.contains(u'"') || value.contains(u'\n') || value.contains(u'\r')) {
        value.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        value = u'"' + value + u'"';
    }
    return value.toUtf8();
}

} // namespace

QJsonObject DataCheck::toJson() const
{
    QJsonObject object{{QStringLiteral("format"), QLatin1String(kFormat)},
                       {QStringLiteral("version"), kVersion},
                       {QStringLiteral("report"), report},
                       {QStringLiteral("request"), requestObject(*this)},
                       {QStringLiteral("selected"), selected},
                       {QStringLiteral("counted"), counted},
                       {QStringLiteral("notCounted"),
                        QJsonObject{{QStringLiteral("noRow"), noRow}, {QStringLiteral("outsideBands"), outsideBands}}}};
    QJsonArray diagnoses;
    for (const Diagnosis &diagnosis : noRowDiagnoses)
        diagnoses.append(QJsonObject{{QStringLiteral("category"), diagnosis.category},
                                     {QStringLiteral("subcategory"), diagnosis.subcategory},
                                     {QStringLiteral("visits"), diagnosis.visits}});
    object.insert(QStringLiteral("noRowDiagnoses"), diagnoses);
    for (const Figure &figure : kTrailingFigures)
        object.insert(QLatin1String(figure.name), this->*figure.member);
    return object;
}

QByteArray DataCheck::toJsonText() const
{
    QByteArray out = "{\"format\": \"" + QByteArray(kFormat) + "\", \"version\": " + QByteArray::number(kVersion)
        + ",\n \"report\": " + jsonText(report) + ",\n \"request\": {\"from\": " + jsonText(from)
        + ", \"to\": " + jsonText(to) + ", \"doctor\": "
        + (doctor.isEmpty() ? QByteArray("null") : jsonText(doctor)) + ", \"area\": " + jsonText(area) + "},\n"
        + " \"selected\": " + QByteArray::number(selected) + ",\n \"counted\": " + QByteArray::number(counted)
        + ",\n \"notCounted\": {\"noRow\": " + QByteArray::number(noRow)
        + ", \"outsideBands\": " + QByteArray::number(outsideBands) + "},\n \"noRowDiagnoses\": [";
    for (std::size_t i = 0; i < noRowDiagnoses.size(); ++i) {
        const Diagnosis &d = noRowDiagnoses[i];
        out += (i == 0 ? "\n  " : ",\n  ");
        out += "{\"category\": " + jsonText(d.category) + ", \"subcategory\": " + jsonText(d.subcategory)
            + ", \"visits\": " + QByteArray::number(d.visits) + "}";
    }
    out += noRowDiagnoses.empty() ? "]" : "\n ]";
    for (const Figure &figure : kTrailingFigures)
        out += ",\n \"" + QByteArray(figure.name) + "\": " + QByteArray::number(this->*figure.member);
    out += "}\n";
    return out;
}

Result<DataCheck> DataCheck::fromJson(const QJsonObject &object)
{
    auto problem = [](const QString &what) {
        return fail(QStringLiteral("The data check is not readable: %1").arg(what), ErrorKind::File);
    };
    if (object.value(QStringLiteral("format")).toString() != QLatin1String(kFormat)
        || object.value(QStringLiteral("version")).toInt(-1) != kVersion)
        return problem(QStringLiteral("it is not a data check of version %1").arg(kVersion));
    DataCheck check;
    auto count = [&](const QJsonObject &from, const char *name, qint64 &into) {
        const QJsonValue value = from.value(QLatin1String(name));
        const double number = value.toDouble(-1);
        // Whole numbers a double holds exactly, and so a qint64 too.
        if (!value.isDouble() || number < 0 || number > 9007199254740992.0 || number != std::floor(number))
            return false;
        into = qint64(number);
        return true;
    };
    check.report = object.value(QStringLiteral("report")).toString();
    const QJsonObject request = object.value(QStringLiteral("request")).toObject();
    check.from = request.value(QStringLiteral("from")).toString();
    check.to = request.value(QStringLiteral("to")).toString();
    check.doctor = request.value(QStringLiteral("doctor")).toString();
    check.area = request.value(QStringLiteral("area")).toString();
    const QJsonObject notCounted = object.value(QStringLiteral("notCounted")).toObject();
    if (!count(object, "selected", check.selected) || !count(object, "counted", check.counted)
        || !count(notCounted, "noRow", check.noRow) || !count(notCounted, "outsideBands", check.outsideBands))
        return problem(QStringLiteral("a figure of the selected, counted or not counted visits is missing"));
    for (const Figure &figure : kTrailingFigures)
        if (!count(object, figure.name, check.*figure.member))
            return problem(QStringLiteral("\"%1\" is missing or not a count").arg(QLatin1String(figure.name)));
    for (const QJsonValue &entry : object.value(QStringLiteral("noRowDiagnoses")).toArray()) {
        const QJsonObject diagnosis = entry.toObject();
        Diagnosis d{diagnosis.value(QStringLiteral("category")).toString(),
                    diagnosis.value(QStringLiteral("subcategory")).toString(), 0};
        if (!count(diagnosis, "visits", d.visits))
            return problem(QStringLiteral("an uncounted diagnosis has no number of visits"));
        check.noRowDiagnoses.push_back(std::move(d));
    }
    return check;
}

QByteArray dataCheckCsv(const DataCheck &check)
{
    QByteArray out = "field,value\r\n";
    auto line = [&](const char *name, const QString &value) {
        out += QByteArray(name) + ',' + csvField(value) + "\r\n";
    };
    line("report", check.report);
    line("from", check.from);
    line("to", check.to);
    line("doctor", check.doctor);
    line("area", check.area);
    line("selected", QString::number(check.selected));
    line("counted", QString::number(check.counted));
    line("noRow", QString::number(check.noRow));
    line("outsideBands", QString::number(check.outsideBands));
    for (const Figure &figure : kTrailingFigures)
        line(figure.name, QString::number(check.*figure.member));
    out += "\r\ncategory,subcategory,visits\r\n";
    for (const DataCheck::Diagnosis &d : check.noRowDiagnoses)
        out += csvField(d.category) + ',' + csvField(d.subcategory) + ',' + QByteArray::number(d.visits) + "\r\n";
    return out;
}

} // namespace tarel::result

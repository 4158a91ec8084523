#include "visitsource.h"

#include "database.h"

#include <QCoreApplication>

#include <array>

namespace tarel::data {

namespace {

// The fields of a record and the names they have in the joined result: the
// first occurrence of a name is the visit's (MB, PRE, IME, LEKAR_S).
struct NamedField {
    VisitField field;
    const char16_t *name;
    QStringView VisitRecord::*member;
    bool date;
};
constexpr std::array<NamedField, 13> fieldNames = {{
    {FieldCategory, u"S_DIJA", &VisitRecord::category, false},
    {FieldSubCategory, u"S_DIJA2", &VisitRecord::subCategory, false},
    {FieldCitizenNumber, u"MB", &VisitRecord::citizenNumber, false},
    {FieldBirthDate, u"DAT_R", &VisitRecord::birthDate, true},
    {FieldKind, u"VidNaUsluga", &VisitRecord::kind, false},
    {FieldInsuranceBasis, u"OSNOV", &VisitRecord::insuranceBasis, false},
    {FieldMember, u"CLEN", &VisitRecord::member, false},
    {FieldRowNumber, u"RED_BR", &VisitRecord::rowNumber, false},
    {FieldVisitDate, u"DATA", &VisitRecord::visitDate, true},
    {FieldSurname, u"PRE", &VisitRecord::surname, false},
    {FieldName, u"IME", &VisitRecord::name, false},
    {FieldDoctor, u"LEKAR_S", &VisitRecord::doctor, false},
    {FieldSettlement, u"MESTO_S", &VisitRecord::settlement, false},
}};

constexpr qint64 kProgressEvery = 4096;

// Reads the statements through the SQL layer, as the program sends them.
class SqlVisitSource final : public VisitSource {
public:
    explicit SqlVisitSource(Database &database) : m_database(database) {}

    Result<void> read(const VisitSelection &selection, VisitFields fields, const VisitSink &sink,
                      const ReadControl &control) override
    {
        const ReadTransaction transaction(m_database);
        if (!transaction.begun())
            return transaction.begun().error();
        qint64 rows = 0;
        if (selection.statement == VisitSelection::Statement::Morbidity) {
            std::vector<std::pair<QString, QString>> texts;
            if (selection.doctorCode)
                texts.emplace_back(QLatin1String(DoctorParameter), *selection.doctorCode);
            Query query(m_database, selection.queryName,
                        morbidityStatementFor(selection.doctorCode.has_value(), selection.area));
            if (Result<void> opened = query.open(selection.from, selection.to, texts); !opened)
                return opened;
            return walk(query, fields, false, sink, control, rows);
        }
        // The urban statement, then the rural one.
        const std::pair<const char *, QStringList> passes[] = {
            {"qPosetaDecaGrad", qPosetaDecaGradStatement()}, {"qPosetaDecaSelo", qPosetaDecaSeloStatement()}};
        for (const auto &[name, statement] : passes) {
            Query query(m_database, QString::fromLatin1(name), statement);
            if (Result<void> opened = query.open(selection.from, selection.to); !opened)
                return opened;
            if (Result<void> walked = walk(query, fields, name == passes[0].first, sink, control, rows); !walked)
                return walked;
        }
        return {};
    }

private:
    static Result<void> walk(Query &query, VisitFields fields, bool urban, const VisitSink &sink,
                             const ReadControl &control, qint64 &rows)
    {
        struct Column {
            int index;
            QStringView VisitRecord::*member;
            bool date;
        };
        std::vector<Column> columns;
        for (const NamedField &entry : fieldNames) {
            if (!(fields & entry.field))
                continue;
            const int index = query.field(QStringView(entry.name));
            if (index < 0)
                return fail(QCoreApplication::translate("Text", "%1: Field '%2' not found")
                                .arg(query.name(), QStringView(entry.name)));
            columns.push_back({index, entry.member, entry.date});
        }
        std::vector<QString> texts(columns.size());
        VisitRecord record;
        record.urban = urban;
        while (query.next()) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                texts[i] = columns[i].date ? query.dateText(columns[i].index) : query.text(columns[i].index);
                record.*columns[i].member = texts[i];
            }
            if (Result<void> taken = sink(record); !taken)
                return taken;
            if (++rows % kProgressEvery == 0) {
                if (control.cancel && control.cancel->load(std::memory_order_relaxed))
                    return cancelledError();
                if (control.progress)
                    control.progress(rows, 0);
            }
        }
        if (query.error())
            return *query.error();
        if (control.cancel && control.cancel->load(std::memory_order_relaxed))
            return cancelledError();
        return {};
    }

    Database &m_database;
};

} // namespace

std::unique_ptr<VisitSource> visitSourceOf(Database &database)
{
    return std::make_unique<SqlVisitSource>(database);
}

Error cancelledError() { return fail(QStringLiteral("The run was cancelled"), ErrorKind::Cancelled); }

} // namespace tarel::data

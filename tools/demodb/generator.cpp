#include "generator.h"

#include "demodata.h"
#include "random.h"
#include "statements.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace tarel::demodb {

namespace {

// Days are Julian day numbers throughout.
int dayOf(QDate date) { return int(date.toJulianDay()); }
QDate dateOf(int day) { return QDate::fromJulianDay(day); }

// 0 Monday ... 5 Saturday, 6 Sunday.
int weekdayOf(int day) { return day % 7; }

// An ISO date "YYYY-MM-DD".
std::string isoText(int day)
{
    const QDate date = dateOf(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year(), date.month(), date.day());
    return text;
}

// Picks texts of a weighted mix.
class TextMix {
public:
    explicit TextMix(std::span<const WeightedText> mix) : m_mix(mix)
    {
        std::vector<std::uint64_t> weights;
        for (const WeightedText &entry : mix)
            weights.push_back(std::uint64_t(entry.weight));
        m_pick.assign(weights);
    }
    int pickIndex(Random &random) const { return m_pick.pick(random); }
    const char *text(int index) const { return m_mix[std::size_t(index)].text; }
    const char *pick(Random &random) const { return text(pickIndex(random)); }

private:
    std::span<const WeightedText> m_mix;
    WeightedPick m_pick;
};

// A prepared statement with positional parameters from 1.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isValid() const { return m_statement != nullptr; }

    // A null text binds NULL. The text must stay valid until run(): the
    // constant tables, a person's citizen number, a buffer of the caller.
    void text(int index, const char *value)
    {
        if (value)
            sqlite3_bind_text(m_statement, index, value, -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(m_statement, index);
    }
    void text(int index, const std::string &value)
    {
        sqlite3_bind_text(m_statement, index, value.data(), int(value.size()), SQLITE_TRANSIENT);
    }
    void integer(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }
    void null(int index) { sqlite3_bind_null(m_statement, index); }

    // Runs the insert and makes the statement ready for the next row.
    bool run()
    {
        const int status = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        return status == SQLITE_DONE;
    }

private:
    sqlite3_stmt *m_statement = nullptr;
};

// One insured person: the fields that visits and a second listing share.
struct Person {
    std::array<char, 14> mb{};   // 13 digits and a terminating zero
    int birthDay = 0;            // the date the citizen number carries
    bool birthKnown = true;      // false: DAT_R is NULL
    bool female = false;
    bool minor = false;          // under 18 at the last day
    int surname = 0;
    int name = 0;
    int father = 0;
    int doctor = 0;              // index among the doctors of the database
    int settlement = 0;          // MESTO_S; 0 for NULL
    int osnov = 0;               // indexes into the mixes
    int clen = 0;
};

enum class AgeClass { Infant, Child, Adult };

struct Visit {
    int day = 0;
    int person = 0;              // index of the person; negative: -1 - index of an unknown person
    std::uint16_t diagnosis = 0;
    std::uint8_t subCategory = 0;
    std::uint8_t kind = 0;
    std::uint8_t doctor = 0;
    std::uint8_t service = 0;
};

// Marks a sub-category taken from the diagnosis entry itself.
inline constexpr std::uint8_t FixedSubCategory = 0xFF;

class Writer {
public:
    Writer(const DemoOptions &options, QDate lastDay)
        : m_options(options),
          m_lastDay(dayOf(lastDay)),
          m_firstDay(dayOf(lastDay.addMonths(-options.months).addDays(1))),
          m_people(splitmix(options.seed, 1)),
          m_visits(splitmix(options.seed, 2)),
          m_details(splitmix(options.seed, 3)),
          m_anomalies(splitmix(options.seed, 4)),
          m_osnov(osnovMix()),
          m_clenAdults(clenMixAdults()),
          m_clenMinors(clenMixMinors()),
          m_kinds(visitKindMix()),
          m_subCategories(subCategoryMix()),
          m_services(serviceMix())
    {
        for (const char *surname : surnames()) {
            m_maleSurnames.emplace_back(surname);
            m_femaleSurnames.push_back(femaleSurname(surname));
        }
        std::vector<std::uint64_t> infant, child, adult;
        for (const DiagnosisEntry &entry : diagnoses()) {
            infant.push_back(std::uint64_t(entry.infant));
            child.push_back(std::uint64_t(entry.child));
            adult.push_back(std::uint64_t(entry.adult));
        }
        m_diagnoses[int(AgeClass::Infant)].assign(infant);
        m_diagnoses[int(AgeClass::Child)].assign(child);
        m_diagnoses[int(AgeClass::Adult)].assign(adult);
    }

    QDate firstDay() const { return dateOf(m_firstDay); }
    qint64 visitCount() const { return qint64(m_visitRows.size()); }
    int doctorCount() const { return m_doctorCount; }
    int inactiveDoctors() const
    {
        int count = 0;
        for (int i = 0; i < m_doctorCount; ++i)
            count += doctorList()[std::size_t(i)].active ? 0 : 1;
        return count;
    }

    void plan()
    {
        m_doctorCount = 10 + m_people.below(6);
        for (int i = 0; i < m_doctorCount; ++i)
            if (doctorList()[std::size_t(i)].active)
                m_activeDoctors.push_back(i);
        planPersons();
        planVisits();
    }

    Result<qint64> write(sqlite3 *db)
    {
        if (Result<void> done = writeDoctorsAndInstitution(db); !done)
            return done.error();
        Result<qint64> persons = writePersons(db);
        if (!persons)
            return persons;
        if (Result<void> done = writeVisits(db); !done)
            return done.error();
        return persons;
    }

private:
    static std::uint64_t splitmix(std::uint64_t seed, std::uint64_t stream)
    {
        std::uint64_t state = seed ^ (stream * 0xD1B54A32D192ED03ULL);
        return splitmix64(state);
    }

    // The day `months` months before `day` (after it for a negative count),
    // limited to the target month's length.
    static int monthsBefore(int day, int months) { return dayOf(dateOf(day).addMonths(-months)); }

    // A citizen number DDMMYYY RR SSS K: birth date with the year's last three
    // digits, region, sex serial (000-499 male, 500-999 female), check digit.
    void assignCitizenNumber(Person &person)
    {
        const QDate birth = dateOf(person.birthDay);
        static constexpr int Regions[] = {41, 42, 43, 44, 45, 46, 47, 48, 49};
        const int region = Regions[m_people.below(9)];
        for (;;) {
            const int serial = (person.female ? 500 : 0) + m_people.below(500);
            char digits[14];
            std::snprintf(digits, sizeof digits, "%02d%02d%03d%02d%03d", birth.day(), birth.month(),
                          ((birth.year() % 1000) + 1000) % 1000, region, serial);
            static constexpr int Weights[] = {7, 6, 5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
            int sum = 0;
            for (int i = 0; i < 12; ++i)
                sum += Weights[i] * (digits[i] - '0');
            int check = 11 - sum % 11;
            if (check > 9)
                check = 0;
            digits[12] = char('0' + check);
            digits[13] = 0;
            const std::uint64_t key = std::strtoull(digits, nullptr, 10);
            if (m_usedNumbers.insert(key).second) {
                std::memcpy(person.mb.data(), digits, 14);
                return;
            }
        }
    }

    int drawSettlement(Random &random)
    {
        if (random.perMille(3))
            return 0;
        if (random.perMille(600)) {
            // Half of the urban population lives in the seat of the institution.
            if (random.perMille(500))
                return data::UrbanSettlementCodes[0];
            return data::UrbanSettlementCodes[std::size_t(random.below(int(data::UrbanSettlementCodes.size())))];
        }
        const std::span<const int> rural = ruralSettlementCodes();
        return rural[std::size_t(random.below(int(rural.size())))];
    }

    void planPersons()
    {
        const qint64 count = std::max<qint64>(40, m_options.visits / 4);
        std::vector<std::uint64_t> groupWeights;
        for (const AgeGroup &group : ageGroups())
            groupWeights.push_back(std::uint64_t(group.persons));
        const WeightedPick groups(groupWeights);

        m_persons.resize(std::size_t(count));
        std::vector<std::uint64_t> visitWeights(static_cast<std::size_t>(count));
        const int periodStart = m_firstDay;
        for (qint64 i = 0; i < count; ++i) {
            Person &person = m_persons[std::size_t(i)];
            const AgeGroup &group = ageGroups()[std::size_t(groups.pick(m_people))];
            // Born after the day `toMonths` months back, on or before the day
            // `fromMonths` months back: completed age in [from, to) months.
            const int earliest = monthsBefore(m_lastDay, group.toMonths) + 1;
            const int latest = monthsBefore(m_lastDay, group.fromMonths);
            person.birthDay = m_people.between(earliest, latest);
            person.birthKnown = !m_people.perMille(2);
            person.female = m_people.perMille(520);
            person.minor = group.fromMonths < 18 * 12;
            person.surname = m_people.below(int(m_maleSurnames.size()));
            person.name = m_people.below(int((person.female ? femaleNames() : maleNames()).size()));
            person.father = m_people.below(int(maleNames().size()));
            person.doctor = m_activeDoctors[std::size_t(m_people.below(int(m_activeDoctors.size())))];
            person.settlement = drawSettlement(m_people);
            person.osnov = m_osnov.pickIndex(m_people);
            person.clen = (person.minor ? m_clenMinors : m_clenAdults).pickIndex(m_people);
            assignCitizenNumber(person);

            // Visits in proportion to the person's visit rate and to the part
            // of the period the person has lived.
            const int from = person.birthKnown ? std::max(periodStart, person.birthDay) : periodStart;
            const std::uint64_t daysAlive = std::uint64_t(std::max(1, m_lastDay - from + 1));
            const std::uint64_t rate = person.birthKnown ? std::uint64_t(group.visitRate) : 10;
            visitWeights[std::size_t(i)] = rate * std::uint64_t(m_people.between(1, 6)) * daysAlive;
        }
        m_personPick.assign(visitWeights);

        // A few persons listed twice, as re-registrations leave them.
        if (count >= 100) {
            const qint64 twice = std::max<qint64>(1, count / 500);
            std::vector<bool> chosen(std::size_t(count), false);
            while (qint64(m_listedTwice.size()) < twice) {
                const int index = int(m_people.below(std::uint64_t(count)));
                if (!chosen[std::size_t(index)]) {
                    chosen[std::size_t(index)] = true;
                    m_listedTwice.push_back(index);
                }
            }
        }

        // Citizen numbers of visits whose person is not registered.
        const qint64 unknown = std::min<qint64>(m_options.visits, 3 + m_options.visits / 20000);
        for (qint64 i = 0; i < unknown; ++i) {
            Person person;
            person.birthDay = m_people.between(monthsBefore(m_lastDay, 80 * 12), m_lastDay);
            person.female = m_people.perMille(500);
            person.surname = m_people.below(int(m_maleSurnames.size()));
            person.name = m_people.below(int((person.female ? femaleNames() : maleNames()).size()));
            person.father = m_people.below(int(maleNames().size()));
            person.doctor = m_activeDoctors[std::size_t(m_people.below(int(m_activeDoctors.size())))];
            assignCitizenNumber(person);
            m_unknownPersons.push_back(person);
        }
    }

    int drawVisitDay(int earliest)
    {
        int day = m_visits.between(earliest, m_lastDay);
        // Few visits on Saturdays, fewer on Sundays.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int weekday = weekdayOf(day);
            if (!(weekday == 6 && m_visits.perMille(950)) && !(weekday == 5 && m_visits.perMille(700)))
                break;
            day = m_visits.between(earliest, m_lastDay);
        }
        return day;
    }

    AgeClass ageClassAt(const Person &person, int day) const
    {
        if (!person.birthKnown)
            return AgeClass::Adult;
        if (day < monthsBefore(person.birthDay, -12))
            return AgeClass::Infant;
        if (day < monthsBefore(person.birthDay, -18 * 12))
            return AgeClass::Child;
        return AgeClass::Adult;
    }

    void planVisits()
    {
        const qint64 count = m_options.visits;
        const int unknown = int(m_unknownPersons.size());
        const int middle = m_firstDay + (m_lastDay - m_firstDay) / 2;
        std::vector<Visit> drawn(static_cast<std::size_t>(count));
        for (qint64 i = 0; i < count; ++i) {
            Visit &visit = drawn[std::size_t(i)];
            const Person *person = nullptr;
            if (i < unknown) {
                visit.person = -1 - int(i);
                person = &m_unknownPersons[std::size_t(i)];
            } else {
                visit.person = m_personPick.pick(m_visits);
                person = &m_persons[std::size_t(visit.person)];
            }
            const int earliest = person->birthKnown ? std::max(m_firstDay, person->birthDay) : m_firstDay;
            visit.day = drawVisitDay(std::min(earliest, m_lastDay));

            // Mostly the person's own doctor; the inactive doctors worked in
            // the first half of the period only.
            int doctor = person->doctor;
            if (m_visits.perMille(150)) {
                const int other = m_visits.below(m_doctorCount);
                if (doctorList()[std::size_t(other)].active || visit.day < middle)
                    doctor = other;
            }
            visit.doctor = std::uint8_t(doctor);

            const int diagnosis = m_diagnoses[int(ageClassAt(*person, visit.day))].pick(m_visits);
            visit.diagnosis = std::uint16_t(diagnosis);
            visit.subCategory = diagnoses()[std::size_t(diagnosis)].subCategory
                ? FixedSubCategory
                : std::uint8_t(m_subCategories.pickIndex(m_visits));
            visit.kind = std::uint8_t(m_kinds.pickIndex(m_visits));
            visit.service = std::uint8_t(m_services.pickIndex(m_visits));
        }

        if (m_options.anomalies)
            plantAnomalies(drawn);

        // In order of date, as the program records them; RED_BR follows that order.
        const int days = m_lastDay - m_firstDay + 1;
        std::vector<qint64> start(std::size_t(days) + 1, 0);
        for (const Visit &visit : drawn)
            ++start[std::size_t(visit.day - m_firstDay) + 1];
        for (int d = 0; d < days; ++d)
            start[std::size_t(d) + 1] += start[std::size_t(d)];
        m_visitRows.resize(drawn.size());
        for (const Visit &visit : drawn)
            m_visitRows[std::size_t(start[std::size_t(visit.day - m_firstDay)]++)] = visit;
    }

    static int diagnosisIndex(const char *category)
    {
        const std::span<const DiagnosisEntry> all = diagnoses();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (std::strcmp(all[i].category, category) == 0 && !all[i].subCategory)
                return int(i);
        return -1;
    }

    // What a statistician should notice in the last calendar month: the
    // first doctor's visits are not entered; for each age group, two more of
    // its visits become acute bronchitis (J20) for every one it had, so that
    // J20 triples; and children come with whooping cough (A37), which no
    // earlier month has: one extra visit for every 25 of the month, first
    // visits with their own doctors. Drawn from a stream of their own: the
    // rows the anomalies leave alone are those written without them.
    void plantAnomalies(std::vector<Visit> &drawn)
    {
        const QDate last = dateOf(m_lastDay);
        const int monthStart = std::max(m_firstDay, dayOf(QDate(last.year(), last.month(), 1)));
        std::erase_if(drawn, [&](const Visit &visit) { return visit.doctor == 0 && visit.day >= monthStart; });

        const int bronchitis = diagnosisIndex("J20");
        const auto ageClassOf = [&](const Visit &visit) {
            const Person &person = visit.person < 0 ? m_unknownPersons[std::size_t(-1 - visit.person)]
                                                    : m_persons[std::size_t(visit.person)];
            return ageClassAt(person, visit.day);
        };
        const auto plant = [&](Visit &visit, int diagnosis) {
            visit.diagnosis = std::uint16_t(diagnosis);
            visit.subCategory = std::uint8_t(m_subCategories.pickIndex(m_anomalies));
        };
        std::array<std::vector<Visit *>, 3> others; // by age class: the month's visits free to become J20
        std::array<qint64, 3> bronchitisVisits{};
        qint64 monthVisits = 0;
        for (Visit &visit : drawn) {
            if (visit.day < monthStart)
                continue;
            ++monthVisits;
            const AgeClass age = ageClassOf(visit);
            if (visit.diagnosis == bronchitis)
                ++bronchitisVisits[std::size_t(age)];
            else
                others[std::size_t(age)].push_back(&visit);
        }
        for (std::size_t age = 0; age < others.size(); ++age) {
            std::vector<Visit *> &free = others[age];
            const qint64 wanted = std::min<qint64>(2 * bronchitisVisits[age], qint64(free.size()));
            // The first `wanted` of a partial shuffle.
            for (qint64 i = 0; i < wanted; ++i) {
                const std::size_t chosen =
                    std::size_t(i) + std::size_t(m_anomalies.below(std::uint64_t(free.size()) - std::uint64_t(i)));
                std::swap(free[std::size_t(i)], free[chosen]);
                plant(*free[std::size_t(i)], bronchitis);
            }
        }

        // Children of other doctors than the first, on a day of the month
        // when they are children; a bounded number of tries, so that a
        // database without children ends.
        const qint64 coughs = monthVisits / 25;
        for (qint64 added = 0, tries = 0; added < coughs && tries < 1000 * (coughs + 1); ++tries) {
            Visit visit;
            visit.person = int(m_anomalies.below(std::uint64_t(m_persons.size())));
            visit.day = m_anomalies.between(monthStart, m_lastDay);
            const Person &person = m_persons[std::size_t(visit.person)];
            if (person.doctor == 0 || ageClassAt(person, visit.day) != AgeClass::Child)
                continue;
            visit.doctor = std::uint8_t(person.doctor);
            visit.kind = 0; // "1": a first visit, which the morbidity reports count
            visit.service = std::uint8_t(m_services.pickIndex(m_anomalies));
            plant(visit, diagnosisIndex("A37"));
            drawn.push_back(visit);
            ++added;
        }
    }

    Result<void> writeDoctorsAndInstitution(sqlite3 *db)
    {
        Statement doctor(db, "INSERT INTO Lekari (lekar_s, pre, ime, ops_s, aktiven) VALUES (?1, ?2, ?3, ?4, ?5)");
        if (!doctor.isValid())
            return sqlError(db);
        for (int i = 0; i < m_doctorCount; ++i) {
            const DoctorEntry &entry = doctorList()[std::size_t(i)];
            doctor.text(1, entry.code);
            doctor.text(2, entry.surname);
            doctor.text(3, entry.name);
            doctor.text(4, institution().opsS);
            doctor.integer(5, entry.active ? 1 : 0);
            if (!doctor.run())
                return sqlError(db);
        }

        Statement pzo(db, "INSERT INTO PZO (naziv, REG_BROJ, MB_STATISTIKA, ADRESA, MESTO, DAN_BROJ, DEPONENT,"
                          " ZIRO, TELEFON, KOEF_ODDAL_PR, OPS_S) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        if (!pzo.isValid())
            return sqlError(db);
        const InstitutionEntry &entry = institution();
        pzo.text(1, entry.naziv);
        pzo.text(2, entry.regBroj);
        pzo.text(3, entry.mbStatistika);
        pzo.text(4, entry.adresa);
        pzo.text(5, entry.mesto);
        pzo.text(6, entry.danBroj);
        pzo.text(7, entry.deponent);
        pzo.text(8, entry.ziro);
        pzo.text(9, entry.telefon);
        pzo.integer(10, entry.koefOddalPr);
        pzo.text(11, entry.opsS);
        if (!pzo.run())
            return sqlError(db);
        return {};
    }

    std::string digits(int count)
    {
        std::string text(std::size_t(count), '0');
        for (char &c : text)
            c = char('0' + m_details.below(10));
        return text;
    }

    const std::string &surnameOf(const Person &person) const
    {
        return person.female ? m_femaleSurnames[std::size_t(person.surname)]
                             : m_maleSurnames[std::size_t(person.surname)];
    }
    static const char *nameOf(const Person &person)
    {
        return (person.female ? femaleNames() : maleNames())[std::size_t(person.name)];
    }

    bool writePerson(Statement &insert, const Person &person, qint64 card)
    {
        Random &random = m_details;
        static constexpr const char *Activities[] = {"01.11", "47.11", "85.31", "86.21", "84.11", "49.41"};
        const char *osnov = m_osnov.text(person.osnov);
        const bool worker = osnov && QByteArray(osnov).trimmed() == "1";
        const bool adult = !person.minor;

        insert.text(1, person.mb.data());
        insert.text(2, digits(12));                                              // ZDR_LEG
        insert.text(3, random.perMille(800) ? std::string("006") : digits(3));   // OPS_S
        insert.text(4, digits(7));                                               // ZB
        insert.text(5, (person.minor ? m_clenMinors : m_clenAdults).text(person.clen));
        insert.text(6, surnameOf(person));
        insert.text(7, maleNames()[std::size_t(person.father)]);                 // TIME
        insert.text(8, nameOf(person));
        if (person.birthKnown)
            insert.text(9, isoText(person.birthDay));
        else
            insert.null(9);
        if (person.settlement == 0 || random.perMille(50))                      // MESTO_R_S
            insert.null(10);
        else
            insert.integer(10, random.perMille(700) ? person.settlement : drawSettlement(random));
        if (person.minor) {                                                      // OPRE, OIME
            insert.text(11, m_maleSurnames[std::size_t(person.surname)]);
            insert.text(12, maleNames()[std::size_t(person.father)]);
        } else {
            insert.null(11);
            insert.null(12);
        }
        insert.text(13, osnov);
        insert.null(14);                                                         // MB_O
        std::string address = std::string("ul. ") + streets()[std::size_t(random.below(int(streets().size())))]
            + " " + std::to_string(random.between(1, 150));
        insert.text(15, address.substr(0, 25));
        if (person.settlement == 0)
            insert.null(16);
        else
            insert.integer(16, person.settlement);
        const int phone = random.below(10);                                      // TELEFON
        if (phone < 5)
            insert.text(17, "047/2" + digits(2) + "-" + digits(3));
        else if (phone < 8)
            insert.text(17, "07" + digits(1) + "/" + digits(3) + "-" + digits(3));
        else
            insert.null(17);
        if (worker && adult) {                                                   // RO_S, DEJNOST
            insert.text(18, "40" + digits(5));
            insert.text(19, Activities[random.below(6)]);
        } else {
            insert.null(18);
            insert.null(19);
        }
        insert.text(20, doctorList()[std::size_t(person.doctor)].code);
        insert.text(21, std::to_string(card));                                   // BR_PRI
        const int registered = std::max(person.birthDay, monthsBefore(m_lastDay, 20 * 12));
        insert.text(22, isoText(random.between(std::min(registered, m_lastDay), m_lastDay)));
        insert.null(23);                                                         // BR_ODJ
        insert.null(24);                                                         // DATA_ODJ
        char karton[16];
        std::snprintf(karton, sizeof karton, "%06lld", static_cast<long long>(card % 1000000));
        insert.text(25, karton);
        insert.integer(26, person.minor && random.perMille(600) ? 1 : 0);       // UCEN_30
        insert.integer(27, 0);                                                   // UCEN_70
        insert.integer(28, adult && random.perMille(250) ? 1 : 0);               // PUSAC
        insert.integer(29, adult && random.perMille(20) ? 1 : 0);                // ALKOHOLICAR
        insert.null(30);                                                         // SOSTOJBA
        insert.null(31);                                                         // DATA_SOST
        return insert.run();
    }

    Result<qint64> writePersons(sqlite3 *db)
    {
        Statement insert(db, "INSERT INTO osigurenici (MB, ZDR_LEG, OPS_S, ZB, CLEN, PRE, TIME, IME, DAT_R,"
                             " MESTO_R_S, OPRE, OIME, OSNOV, MB_O, ADRESA, MESTO_S, TELEFON, RO_S, DEJNOST,"
                             " LEKAR_S, BR_PRI, DATA_PRI, BR_ODJ, DATA_ODJ, KARTON, UCEN_30, UCEN_70, PUSAC,"
                             " ALKOHOLICAR, SOSTOJBA, DATA_SOST) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9,"
                             " ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25,"
                             " ?26, ?27, ?28, ?29, ?30, ?31)");
        if (!insert.isValid())
            return sqlError(db);
        qint64 card = 0;
        for (const Person &person : m_persons)
            if (!writePerson(insert, person, ++card))
                return sqlError(db);
        for (int index : m_listedTwice)
            if (!writePerson(insert, m_persons[std::size_t(index)], ++card))
                return sqlError(db);
        return card;
    }

    Result<void> writeVisits(sqlite3 *db)
    {
        Statement insert(db, "INSERT INTO PREGLEDI1 (RED_BR, MB, PRE, TIME, IME, LEKAR_S, RO_S, S_DIJA, S_USLUGA,"
                             " VidNaUsluga, DATA, S_DIJA2) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
        if (!insert.isValid())
            return sqlError(db);
        // The visit dates as texts, once per day of the period.
        std::vector<std::string> dayTexts;
        for (int day = m_firstDay; day <= m_lastDay; ++day)
            dayTexts.push_back(isoText(day));

        qint64 number = 0;
        for (const Visit &visit : m_visitRows) {
            const Person &person = visit.person < 0 ? m_unknownPersons[std::size_t(-1 - visit.person)]
                                                    : m_persons[std::size_t(visit.person)];
            const DiagnosisEntry &diagnosis = diagnoses()[visit.diagnosis];
            insert.integer(1, ++number);
            insert.text(2, person.mb.data());
            insert.text(3, surnameOf(person));
            insert.text(4, maleNames()[std::size_t(person.father)]);
            insert.text(5, nameOf(person));
            insert.text(6, doctorList()[visit.doctor].code);
            insert.null(7);
            insert.text(8, diagnosis.category);
            insert.text(9, m_services.text(visit.service));
            insert.text(10, m_kinds.text(visit.kind));
            // About one visit in 5,000 carries its date as an old import wrote
            // it, "DD.MM.YYYY": no period selects it, and the data check
            // counts it. Chosen by number, so the other rows stay as they are.
            if (number % 4999 == 17) {
                const QDate date = dateOf(visit.day);
                char text[16];
                std::snprintf(text, sizeof text, "%02d.%02d.%04d", date.day(), date.month(), date.year());
                insert.text(11, std::string(text));
            } else {
                insert.text(11, dayTexts[std::size_t(visit.day - m_firstDay)]);
            }
            insert.text(12, visit.subCategory == FixedSubCategory ? diagnosis.subCategory
                                                                  : m_subCategories.text(visit.subCategory));
            if (!insert.run())
                return sqlError(db);
        }
        return {};
    }

    static Error sqlError(sqlite3 *db) { return fail(QString::fromUtf8(sqlite3_errmsg(db))); }

    const DemoOptions &m_options;
    const int m_lastDay;
    const int m_firstDay;
    Random m_people;   // persons and the plan of the database
    Random m_visits;   // visits
    Random m_details;  // fields no other draw depends on
    Random m_anomalies; // the planted anomalies, so that the other rows stay as they are without them
    TextMix m_osnov, m_clenAdults, m_clenMinors, m_kinds, m_subCategories, m_services;
    std::array<WeightedPick, 3> m_diagnoses;
    std::vector<std::string> m_maleSurnames, m_femaleSurnames;
    int m_doctorCount = 0;
    std::vector<int> m_activeDoctors;
    std::vector<Person> m_persons;
    std::vector<int> m_listedTwice;
    std::vector<Person> m_unknownPersons;
    std::unordered_set<std::uint64_t> m_usedNumbers;
    WeightedPick m_personPick;
    std::vector<Visit> m_visitRows;
};

// Closes the connection and removes the temporary file unless released.
class TemporaryDatabase {
public:
    explicit TemporaryDatabase(QString path) : m_path(std::move(path)) {}
    ~TemporaryDatabase()
    {
        close();
        if (!m_kept)
            QFile::remove(m_path);
    }
    sqlite3 *db = nullptr;
    bool close()
    {
        if (!db)
            return true;
        const bool closed = sqlite3_close(db) == SQLITE_OK;
        db = nullptr;
        return closed;
    }
    void keep() { m_kept = true; }
    const QString &path() const { return m_path; }

private:
    QString m_path;
    bool m_kept = false;
};

Result<void> exec(sqlite3 *db, const QString &statement)
{
    char *message = nullptr;
    if (sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        return fail(text);
    }
    return {};
}

// A new, empty file beside the target that no one else uses.
Result<QString> createTemporaryFile(const QString &path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate =
            QStringLiteral("%1.partial-%2-%3").arg(path).arg(QCoreApplication::applicationPid()).arg(attempt);
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return candidate;
        if (!file.exists())
            return fail(QStringLiteral("cannot create '%1': %2").arg(candidate, file.errorString()));
    }
    return fail(QStringLiteral("cannot create a temporary file beside '%1'").arg(path));
}

} // namespace

Result<DemoStats> writeDemoDatabase(const QString &path, const DemoOptions &options)
{
    QElapsedTimer timer;
    timer.start();
    if (options.visits < 0 || options.visits > MaxVisits)
        return fail(QStringLiteral("the number of visits must be from 0 to %1").arg(MaxVisits));
    if (options.months < 1 || options.months > MaxMonths)
        return fail(QStringLiteral("the period must be from 1 to %1 months").arg(MaxMonths));
    const QDate lastDay = options.lastDay.isValid() ? options.lastDay : QDate::currentDate();
    if (lastDay.year() < 1900 || lastDay.year() > 2999)
        return fail(QStringLiteral("the last day must lie in the years 1900 to 2999"));

    const QFileInfo target(path);
    if (!target.dir().exists())
        return fail(QStringLiteral("the folder '%1' does not exist").arg(target.dir().path()));
    if (target.exists() && !options.force)
        return fail(QStringLiteral("'%1' already exists (use --force to replace it)").arg(path));
    if (target.isDir())
        return fail(QStringLiteral("'%1' is a folder").arg(path));

    Result<QString> temporaryPath = createTemporaryFile(path);
    if (!temporaryPath)
        return temporaryPath.error();
    TemporaryDatabase temporary(*temporaryPath);
    auto failed = [&](const QString &what) {
        return fail(QStringLiteral("cannot write '%1': %2").arg(path, what));
    };

    if (sqlite3_open_v2(temporary.path().toUtf8().constData(), &temporary.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return failed(temporary.db ? QString::fromUtf8(sqlite3_errmsg(temporary.db)) : QStringLiteral("out of memory"));

    const QStringList schema = data::sourceSchemaStatements();
    const QStringList indexes = data::sourceIndexStatements();
    if (schema.isEmpty())
        return failed(QStringLiteral("the table definitions are missing from the program"));

    // Nothing of the file is of use before the rename, so no journal and no syncing.
    QStringList steps{QStringLiteral("PRAGMA journal_mode=OFF"), QStringLiteral("PRAGMA synchronous=OFF"),
                      QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"), QStringLiteral("PRAGMA cache_size=-65536"),
                      QStringLiteral("PRAGMA temp_store=MEMORY"), QStringLiteral("BEGIN")};
    steps << schema;
    for (const QString &step : steps)
        if (Result<void> done = exec(temporary.db, step); !done)
            return failed(done.message());

    Writer writer(options, lastDay);
    writer.plan();
    Result<qint64> persons = writer.write(temporary.db);
    if (!persons)
        return failed(persons.message());

    for (const QString &step : indexes + QStringList{QStringLiteral("COMMIT")})
        if (Result<void> done = exec(temporary.db, step); !done)
            return failed(done.message());
    if (!temporary.close())
        return failed(QStringLiteral("the database could not be closed"));

    if (!options.force && QFileInfo::exists(path))
        return fail(QStringLiteral("'%1' already exists (use --force to replace it)").arg(path));
    if (std::rename(QFile::encodeName(temporary.path()).constData(), QFile::encodeName(path).constData()) != 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    temporary.keep();

    DemoStats stats;
    stats.visits = writer.visitCount();
    stats.persons = *persons;
    stats.doctors = writer.doctorCount();
    stats.inactiveDoctors = writer.inactiveDoctors();
    stats.firstDay = writer.firstDay();
    stats.lastDay = lastDay;
    stats.seconds = double(timer.nsecsElapsed()) / 1e9;
    return stats;
}

QString summaryLine(const QString &path, const DemoStats &stats)
{
    return QStringLiteral("Wrote %1: %2 visits (%3 to %4), %5 persons, %6 doctors in %7 s")
        .arg(path)
        .arg(stats.visits)
        .arg(stats.firstDay.toString(Qt::ISODate), stats.lastDay.toString(Qt::ISODate))
        .arg(stats.persons)
        .arg(stats.doctors)
        .arg(stats.seconds, 0, 'f', 2);
}

} // namespace tarel::demodb

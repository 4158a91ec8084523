#pragma once

// What the program's join of the visits with their insured persons is on
// every engine (data/ only): the record's fields split between the two
// tables, the statement's area and the source's figures decided for each
// joined row, and the join of a visit with the persons a PersonTable holds.

#include "persontable.h"
#include "sourcereading.h"

#include <vector>

namespace tarel::data {

// The visits are joined in batches of kJoinBatch: their persons' slots are
// fetched into the cache for the whole batch, and each visit's first entry
// kJoinAhead visits ahead of its join (a visit's persons lie anywhere in the
// table; waiting for each in turn took most of the time of a join).
inline constexpr std::size_t kJoinBatch = 64;
inline constexpr std::size_t kJoinAhead = 8;

// The flags of an integer settlement code: it equals an urban code when its
// value does.
inline quint8 settlementFlagsOf(qint64 code)
{
    const bool urban = code >= 0 && code <= 999999 && isUrbanSettlement(int(code));
    return HasSettlement | (urban ? UrbanCode : 0);
}

class PersonJoin {
public:
    PersonJoin(const VisitSelection &selection, VisitFields fields, SourceFigures *figures)
        : m_selection(selection), m_fields(fields), m_figures(figures),
          m_morbidity(selection.statement == VisitSelection::Statement::Morbidity),
          m_areaMatters(!m_morbidity || selection.area != AreaFilter::Both)
    {
        if (m_figures)
            *m_figures = {};
        for (const NamedField &entry : kNamedFields) {
            if (!(fields & entry.field))
                continue;
            if (entry.person)
                m_personFields.push_back(&entry);
            else if (entry.field != FieldCitizenNumber)
                m_visitFields.push_back(&entry);
        }
        m_personTexts.resize(m_personFields.size());
    }

    // The record's fields of PREGLEDI1 (but its MB) and of osigurenici.
    const std::vector<const NamedField *> &visitFields() const { return m_visitFields; }
    const std::vector<const NamedField *> &personFields() const { return m_personFields; }
    bool wantsCitizenNumber() const { return m_fields & FieldCitizenNumber; }
    // Whether the persons' settlement codes are needed: they decide the
    // area (and the figures count them when missing); else every person
    // reads as having one.
    bool needsSettlement() const { return m_areaMatters; }
    SourceFigures *figures() const { return m_figures; }
    // The record handed over; the caller sets the visit's fields.
    VisitRecord &record() { return m_record; }

    // A joined row of a person with these flags (PersonFlag): whether the
    // statement selects it; a missing settlement code is counted.
    bool takes(quint8 flags)
    {
        const bool hasCode = flags & HasSettlement;
        const bool urban = flags & UrbanCode;
        if (m_figures && m_areaMatters && !hasCode)
            ++m_figures->noSettlementCode;
        m_record.urban = !m_morbidity && urban;
        if (!m_morbidity)
            return urban || hasCode;
        switch (m_selection.area) {
        case AreaFilter::Urban:
            return urban;
        case AreaFilter::Rural:
            return hasCode && !urban;
        case AreaFilter::Both:
            break;
        }
        return true;
    }
    // A visit whose MB matches no insured person.
    void unmatchedVisit()
    {
        if (m_figures)
            ++m_figures->unmatchedVisits;
    }
    // The rows a visit gave: those beyond the first are repeated persons.
    void visitGave(qint64 rows)
    {
        if (m_figures && rows > 1)
            m_figures->repeatedPersons += rows - 1;
    }

    // Hands the sink the rows of a visit (its fields set in the record) with
    // the persons the table holds under its key (hash: PersonTable::hashOf);
    // a sink's error comes back as it is.
    Result<void> joinHeld(const PersonTable &persons, const char *key, std::size_t keySize, bool blob, quint64 hash,
                          const VisitSink &sink)
    {
        m_matches.clear();
        persons.forEach(key, keySize, blob, hash,
                        [&](quint8 flags, const char *values) { m_matches.push_back({flags, values}); });
        if (m_matches.empty()) {
            unmatchedVisit();
            return {};
        }
        qint64 rows = 0;
        for (const Match &match : m_matches) {
            if (!takes(match.flags))
                continue;
            const char *values = match.values;
            for (std::size_t i = 0; i < m_personFields.size(); ++i)
                m_record.*m_personFields[i]->member = getValue(values, m_personTexts[i]);
            if (Result<void> taken = sink(m_record); !taken)
                return taken;
            ++rows;
        }
        visitGave(rows);
        return {};
    }

private:
    struct Match {
        quint8 flags;
        const char *values;
    };
    const VisitSelection &m_selection;
    VisitFields m_fields;
    SourceFigures *m_figures;
    bool m_morbidity;
    bool m_areaMatters;
    std::vector<const NamedField *> m_visitFields;
    std::vector<const NamedField *> m_personFields;
    std::vector<Match> m_matches;
    std::vector<std::u16string> m_personTexts;
    VisitRecord m_record;
};

} // namespace tarel::data

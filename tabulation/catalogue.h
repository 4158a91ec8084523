#pragma once

// The row catalogue of a morbidity report: its diagnosis rows with their
// printed texts and counting rules, and its chapter blocks. Catalogues are
// data files of the reports, read and checked when loaded.

#include "result.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace tarel::tabulation {

// A rule term: S_DIJA equals the category and, when subCategories is given,
// S_DIJA2 equals one of the listed texts ("" standing for the empty text).
struct RuleTerm {
    QString category;
    bool anySubCategory = true;
    QStringList subCategories;
};

struct CatalogueRow {
    int number = 0;           // 1-based row number in page order
    QString ordinal;          // printed ordinal
    QList<QStringList> label; // printed label: cells side by side, each a list of lines
    QList<QStringList> code;  // printed code text, the same way
    std::vector<RuleTerm> rule; // ranges already expanded to single categories
};

struct ChapterBlock {
    int first = 0; // first and last row, inclusive
    int last = 0;
    QString code;      // key in the subtotal cell names ("1", "011", ...)
    QString numeral;   // printed chapter numeral
    QString codeRange; // printed code range ("A00 - B99")
};

class RowCatalogue {
public:
    // Parses and checks a catalogue text; the error names the source and line.
    static Result<RowCatalogue> parse(const QString &text, const QString &sourceName);
    // Reads a catalogue file or resource (":/...") and parses it.
    static Result<RowCatalogue> load(const QString &path);

    const std::vector<CatalogueRow> &rows() const { return m_rows; }
    const std::vector<ChapterBlock> &blocks() const { return m_blocks; }
    int rowCount() const { return int(m_rows.size()); }

    // The rows (1-based, ascending) whose rule holds for a visit's S_DIJA and
    // S_DIJA2: exact, case-sensitive comparisons of the whole texts. Looked up
    // in an index built once at load; the result is the same as testing every
    // rule. The reference stays valid as long as the catalogue.
    const std::vector<int> &classify(QStringView sDija, QStringView sDija2) const;

    // The same result by testing every row's rule one by one: the reference
    // the index is checked against, and the naive classifier of the benchmarks.
    std::vector<int> classifyByTestingEveryRule(QStringView sDija, QStringView sDija2) const;

private:
    struct CategoryEntry {
        std::vector<int> anySubCategory;                       // rows counting the category whatever S_DIJA2 holds
        std::vector<std::pair<QString, std::vector<int>>> bySubCategory; // S_DIJA2 text -> all rows (sorted, merged)
    };
    void buildIndex();

    std::vector<CatalogueRow> m_rows;
    std::vector<ChapterBlock> m_blocks;
    QHash<QString, CategoryEntry> m_index;
};

} // namespace tarel::tabulation

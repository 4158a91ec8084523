#pragma once

// Checks shared by the tests of the three row catalogues: the rows a category
// and sub-category count in, the visits counted in more than one row, the
// printed ordinals and the chapter blocks.

#include "catalogue.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tarel::testing {

using namespace tarel::tabulation;
using namespace Qt::StringLiterals;

struct Expect {
    const char *what;
    const char16_t *sDija;
    std::vector<const char16_t *> sDija2; // each of these texts gives the rows
    std::vector<int> rows;
};

inline void expectRows(const RowCatalogue &catalogue, const std::vector<Expect> &cases)
{
    for (const Expect &c : cases)
        for (const char16_t *sub : c.sDija2)
            EXPECT_EQ(catalogue.classify(QStringView(c.sDija), QStringView(sub)), c.rows)
                << c.what << ": S_DIJA \"" << QString::fromUtf16(c.sDija).toStdString() << "\", S_DIJA2 \""
                << QString::fromUtf16(sub).toStdString() << "\"";
}

// A visit counted in more than one row: the category, the S_DIJA2 texts (none
// listed: whatever S_DIJA2 holds) and the rows.
struct Shared {
    QString category;
    QStringList sDija2;
    std::vector<int> rows;
};

// Every category code with every S_DIJA2 text the catalogue knows counts in
// at most one row, except the listed shared visits, which count in exactly
// their rows.
inline void expectSharedExactly(const RowCatalogue &catalogue, const std::vector<Shared> &shared)
{
    QStringList subs{QString(), u"x"_s};
    for (int d = 0; d <= 9; ++d)
        subs.append(QString::number(d));
    for (const CatalogueRow &row : catalogue.rows())
        for (const RuleTerm &term : row.rule)
            for (const QString &text : term.subCategories)
                if (!subs.contains(text))
                    subs.append(text);

    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        for (int number = 0; number <= 99; ++number) {
            const QString category = u"%1%2"_s.arg(QChar(letter)).arg(number, 2, 10, QLatin1Char('0'));
            for (const QString &sub : subs) {
                const std::vector<int> &rows = catalogue.classify(category, sub);
                const auto listed = std::find_if(shared.begin(), shared.end(), [&](const Shared &s) {
                    return s.category == category && (s.sDija2.isEmpty() || s.sDija2.contains(sub));
                });
                if (listed != shared.end())
                    EXPECT_EQ(rows, listed->rows) << category.toStdString() << " \"" << sub.toStdString() << "\"";
                else
                    EXPECT_LE(rows.size(), 1u) << category.toStdString() << " \"" << sub.toStdString()
                                               << "\" counts in rows " << ::testing::PrintToString(rows);
            }
        }
    }
}

inline QStringList categoriesFrom(QChar letter, int first, int last)
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out.append(u"%1%2"_s.arg(letter).arg(n, 2, 10, QLatin1Char('0')));
    return out;
}

// The printed ordinals: the row number up to lastNumbered, then the given
// texts, then the numbers continuing from lastNumbered + 1.
inline void expectOrdinals(const RowCatalogue &catalogue, int lastNumbered, const QStringList &lettered)
{
    for (const CatalogueRow &row : catalogue.rows()) {
        QString expected;
        if (row.number <= lastNumbered)
            expected = QString::number(row.number);
        else if (row.number <= lastNumbered + lettered.size())
            expected = lettered[row.number - lastNumbered - 1];
        else
            expected = QString::number(row.number - int(lettered.size()));
        EXPECT_EQ(row.ordinal, expected) << "row " << row.number;
    }
}

struct BlockCase {
    int first;
    int last;
    const char *code;
};

inline void expectBlocks(const RowCatalogue &catalogue, const std::vector<BlockCase> &expected)
{
    ASSERT_EQ(catalogue.blocks().size(), expected.size());
    for (size_t b = 0; b < expected.size(); ++b) {
        const ChapterBlock &block = catalogue.blocks()[b];
        EXPECT_EQ(block.first, expected[b].first) << "block " << b + 1;
        EXPECT_EQ(block.last, expected[b].last) << "block " << b + 1;
        EXPECT_EQ(block.code, QString::fromUtf8(expected[b].code)) << "block " << b + 1;
    }
}

inline QString joined(const QList<QStringList> &cells)
{
    QStringList out;
    for (const QStringList &lines : cells)
        out.append(lines.join(u" / "_s));
    return out.join(u" + "_s);
}

inline std::vector<Shared> sharedRange(QChar letter, int first, int last, QStringList sDija2, std::vector<int> rows)
{
    std::vector<Shared> out;
    for (const QString &category : categoriesFrom(letter, first, last))
        out.push_back({category, sDija2, rows});
    return out;
}

} // namespace tarel::testing

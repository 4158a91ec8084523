#include "catalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

using namespace tarel::tabulation;
using namespace Qt::StringLiterals;

namespace {

// The catalogue files of the three morbidity reports, read from the source tree.
QString reportFile(const char *folder)
{
    const QDir tests = QFileInfo(QString::fromUtf8(__FILE__)).absoluteDir();
    return tests.absoluteFilePath(u"../../reports/%1/catalogue.txt"_s.arg(QString::fromUtf8(folder)));
}

} // namespace

// The index must give exactly the rows of testing every rule, for every
// category code, every S_DIJA2 text a rule lists and texts no rule lists.
TEST(RowCatalogueIndex, EqualsTestingEveryRuleForAllThreeReports)
{
    for (const char *folder : {"general_medicine", "school_youth", "children"}) {
        const auto loaded = RowCatalogue::load(reportFile(folder));
        ASSERT_TRUE(loaded.ok()) << loaded.message().toStdString();
        const RowCatalogue &catalogue = loaded.value();

        QSet<QString> subCategories{u""_s, u"*"_s, u"0+"_s, u"1+"_s, u"x"_s, u"00"_s, u"0 "_s, u" 0"_s, u"+"_s};
        for (int d = 0; d <= 9; ++d)
            subCategories.insert(QString::number(d));
        QSet<QString> ruled; // categories some rule names
        for (const CatalogueRow &row : catalogue.rows()) {
            for (const RuleTerm &term : row.rule) {
                ruled.insert(term.category);
                for (const QString &text : term.subCategories)
                    subCategories.insert(text);
            }
        }
        const QStringList fewSubCategories{u""_s, u"0"_s, u"0+"_s};

        QStringList categories{u""_s, u"A"_s, u"A1"_s, u"A001"_s, u"A01 "_s, u" A01"_s, u"a01"_s, u"z99"_s,
                               u"A18.0"_s, u"1A0"_s};
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            for (int number = 0; number <= 99; ++number)
                categories.append(u"%1%2"_s.arg(QChar(letter)).arg(number, 2, 10, QLatin1Char('0')));

        int compared = 0;
        int counted = 0;
        for (const QString &category : categories) {
            // A category no rule names is looked up like any other: a few texts suffice.
            const QStringList subs = ruled.contains(category) ? subCategories.values() : fewSubCategories;
            for (const QString &sub : subs) {
                const std::vector<int> expected = catalogue.classifyByTestingEveryRule(category, sub);
                ASSERT_EQ(catalogue.classify(category, sub), expected)
                    << folder << ": S_DIJA \"" << category.toStdString() << "\", S_DIJA2 \"" << sub.toStdString()
                    << "\"";
                ++compared;
                counted += expected.empty() ? 0 : 1;
            }
        }
        EXPECT_GT(compared, 20000) << folder;
        EXPECT_GT(counted, 1000) << folder; // the comparison was not between empty lists only
    }
}

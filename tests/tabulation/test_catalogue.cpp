#include "catalogue.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel::tabulation;
using namespace Qt::StringLiterals;

namespace {

// A rule as compact text: categories in rule order, each with its S_DIJA2
// texts in braces when it has a condition ("A18{0+}", "K59{|0}" for empty and "0").
QString ruleText(const CatalogueRow &row)
{
    QStringList terms;
    for (const RuleTerm &term : row.rule)
        terms.append(term.anySubCategory ? term.category
                                         : term.category + u'{' + term.subCategories.join(u'|') + u'}');
    return terms.join(u' ');
}

// Cells joined by " + ", lines by " / ", each text in quotes.
QString printedText(const QList<QStringList> &cells)
{
    QStringList out;
    for (const QStringList &lines : cells) {
        QStringList quoted;
        for (const QString &line : lines)
            quoted.append(u'"' + line + u'"');
        out.append(quoted.join(u" / "_s));
    }
    return out.join(u" + "_s);
}

// A one-row catalogue with its block.
QString oneRow(const QString &rowLine)
{
    return rowLine + u"\nblock 1 rows 1-1 code \"1\" numeral \" I\" range \"A00 - B99\"\n"_s;
}

} // namespace

TEST(RowCatalogueParse, EveryNotationOfTheRowLines)
{
    struct Case {
        const char *what;
        const char *line;
        const char *ordinal;
        const char *label;
        const char *code;
        const char *rule;
    };
    const Case cases[] = {
        {"no counts part: the code text's category", R"~(1 "Tifusni i paratifusni groznici"; "A01")~", "1",
         R"~("Tifusni i paratifusni groznici")~", R"~("A01")~", "A01"},
        {"no counts part: ranges over lines with trailing commas",
         R"~(1 "Drugi"; "A00,A04,A07-A08," / "B25")~", "1", R"~("Drugi")~", R"~("A00,A04,A07-A08," / "B25")~",
         "A00 A04 A07 A08 B25"},
        {"sub-category condition", R"~(1 "Tuberkoloza"; "A18.0+"; counts A18 with S_DIJA2 "0+")~", "1",
         R"~("Tuberkoloza")~", R"~("A18.0+")~", "A18{0+}"},
        {"S_DIJA2 in backticks", R"~(1 "T"; "A18.0+"; counts A18 with `S_DIJA2` "0+")~", "1", R"~("T")~",
         R"~("A18.0+")~", "A18{0+}"},
        {"empty, commas and the next term after a comma",
         R"~(1 "D"; "K52-K53"; counts K52-K53, K59 with S_DIJA2 empty, "0", "1", Z02 with S_DIJA2 "2")~", "1",
         R"~("D")~", R"~("K52-K53")~", "K52 K53 K59{|0|1} Z02{2}"},
        {"'or' and semicolons between terms",
         R"~(1 "D"; "A17-A19"; counts A17, A19; A18 with `S_DIJA2` "1+", "2" or "8+")~", "1", R"~("D")~",
         R"~("A17-A19")~", "A17 A19 A18{1+|2|8+}"},
        {"', or empty' closes a list",
         R"~(1 "D"; "H60"; counts H60; H70 with `S_DIJA2` "1", "9" or empty)~", "1", R"~("D")~", R"~("H60")~",
         "H60 H70{1|9|}"},
        {"'to' range, each with", R"~(1 "D"; "E10.9"; counts E10 to E12, each with `S_DIJA2` "9")~", "1",
         R"~("D")~", R"~("E10.9")~", "E10{9} E11{9} E12{9}"},
        {"dash range, each with", R"~(1 "D"; "E10.9"; counts E10-E11, each with `S_DIJA2` "9")~", "1", R"~("D")~",
         R"~("E10.9")~", "E10{9} E11{9}"},
        {"ordinal in brackets", R"~(1 ("a") "Transportni"; "V01-V02")~", "a", R"~("Transportni")~",
         R"~("V01-V02")~", "V01 V02"},
        {"printed ordinal", R"~(1 (printed "a)") "Transportni"; "V01"; counts V01)~", "a)", R"~("Transportni")~",
         R"~("V01")~", "V01"},
        {"cells joined by a plus sign", R"~(1 "Q" + "-treska"; "A78")~", "1", R"~("Q" + "-treska")~", R"~("A78")~",
         "A78"},
        {"cells side by side", R"~(1 "Hodkin-" "ova bolest"; "C81"; counts C81)~", "1",
         R"~("Hodkin-" + "ova bolest")~", R"~("C81")~", "C81"},
        {"lines and cells mixed", R"~(1 "Anemija" / "dehidrogeneza" "(G6PD)"; "D55.0"; counts D55 with `S_DIJA2` "0")~",
         "1", R"~("Anemija" / "dehidrogeneza" + "(G6PD)")~", R"~("D55.0")~", "D55{0}"},
        {"empty line in a cell and blanks kept",
         R"~(1 "Povratni treski "; "K52-K55 " / "" + "(bez K59.3)"; counts K52)~", "1", R"~("Povratni treski ")~",
         R"~("K52-K55 " / "" + "(bez K59.3)")~", "K52"},
        {"quoted texts side by side in the code", R"~(1 "D"; "A17-A19 (" "bez" "A18.0+)"; counts A17)~", "1",
         R"~("D")~", R"~("A17-A19 (" + "bez" + "A18.0+)")~", "A17"},
        {"font letters in texts", R"~(1 "[istozomijaza ~ { } | ` @ ^"; "B65"; counts B65)~", "1",
         R"~("[istozomijaza ~ { } | ` @ ^")~", R"~("B65")~", "B65"},
    };
    for (const Case &c : cases) {
        const auto parsed = RowCatalogue::parse(oneRow(QString::fromUtf8(c.line)), u"test.txt"_s);
        ASSERT_TRUE(parsed.ok()) << c.what << ": " << parsed.message().toStdString();
        ASSERT_EQ(parsed->rowCount(), 1) << c.what;
        const CatalogueRow &row = parsed->rows().front();
        EXPECT_EQ(row.number, 1) << c.what;
        EXPECT_EQ(row.ordinal, QString::fromUtf8(c.ordinal)) << c.what;
        EXPECT_EQ(printedText(row.label), QString::fromUtf8(c.label)) << c.what;
        EXPECT_EQ(printedText(row.code), QString::fromUtf8(c.code)) << c.what;
        EXPECT_EQ(ruleText(row), QString::fromUtf8(c.rule)) << c.what;
    }
}

TEST(RowCatalogueParse, BlocksCommentsAndBlankLines)
{
    const QString text = uR"(# comment
1 "One"; "A01"

  # indented comment
2 "Two"; "A02"
3 "Three"; "B01"
block 1 rows 1-2 code "1" numeral " I" range "A00 - A99"
block 2 rows 3-3 code "011" numeral "XI" range "B00 - B99 "
)"_s;
    const auto parsed = RowCatalogue::parse(text, u"test.txt"_s);
    ASSERT_TRUE(parsed.ok()) << parsed.message().toStdString();
    EXPECT_EQ(parsed->rowCount(), 3);
    ASSERT_EQ(parsed->blocks().size(), 2u);
    const ChapterBlock &second = parsed->blocks()[1];
    EXPECT_EQ(second.first, 3);
    EXPECT_EQ(second.last, 3);
    EXPECT_EQ(second.code, u"011"_s);
    EXPECT_EQ(second.numeral, u"XI"_s);
    EXPECT_EQ(second.codeRange, u"B00 - B99 "_s);
    EXPECT_EQ(parsed->blocks()[0].numeral, u" I"_s);
}

TEST(RowCatalogueParse, LoadErrorsNameTheSourceAndLine)
{
    const QString block = u"block 1 rows 1-2 code \"1\" numeral \"I\" range \"A\""_s;
    struct Case {
        const char *what;
        QString text;
        QString expected; // the message starts with it
    };
    const Case cases[] = {
        {"unreadable line", u"1 \"A\"; \"A01\"\n2 = \"B\"; \"A02\"\n"_s + block, u"cat.txt line 2: unexpected character '='"_s},
        {"unclosed quote", u"1 \"A; \"A01\"\n2 \"B\"; \"A02\"\n"_s + block, u"cat.txt line 1: "_s},
        {"no code text", u"1 \"A\"\n2 \"B\"; \"A02\"\n"_s + block, u"cat.txt line 1: expected ';'"_s},
        {"word instead of counts", u"1 \"A\"; \"A01\"; count A01\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: expected 'counts'"_s},
        {"counts without terms", u"1 \"A\"; \"A01\"; counts\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: expected a category"_s},
        {"code text without categories", u"1 \"A\"; \"\"\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: row 1 counts no category"_s},
        {"code text that needs a counts part", u"1 \"A\"; \"A18.0+\"\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: the code text \"A18.0+\" is not a list of categories"_s},
        {"row numbers skip", u"1 \"A\"; \"A01\"\n3 \"B\"; \"A02\"\n"_s + block, u"cat.txt line 2: row 3 follows row 1"_s},
        {"first row not 1", u"2 \"A\"; \"A01\"\n3 \"B\"; \"A02\"\n"_s + block, u"cat.txt line 1: the first row is numbered 2"_s},
        {"range backwards", u"1 \"A\"; \"x\"; counts A64-A57\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: the range A64-A57 runs backwards"_s},
        {"range over two letters", u"1 \"A\"; \"x\"; counts B10-A20\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: the range B10-A20 spans two letters"_s},
        {"lower-case category", u"1 \"A\"; \"x\"; counts a01\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: 'a01' is not a category"_s},
        {"category of two characters", u"1 \"A\"; \"x\"; counts A1\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: 'A1' is not a category"_s},
        {"category of four characters", u"1 \"A\"; \"x\"; counts A001\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: 'A001' is not a category"_s},
        {"condition on a range without each", u"1 \"A\"; \"x\"; counts A01-A02 with S_DIJA2 \"1\"\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: a sub-category condition on a range is written 'each with'"_s},
        {"condition without texts", u"1 \"A\"; \"x\"; counts A01 with S_DIJA2\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: expected a quoted S_DIJA2 text or 'empty'"_s},
        {"condition on another field", u"1 \"A\"; \"x\"; counts A01 with S_DIJA \"1\"\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: expected S_DIJA2 after 'with'"_s},
        {"missing separator between terms", u"1 \"A\"; \"x\"; counts A01 A02\n2 \"B\"; \"A02\"\n"_s + block,
         u"cat.txt line 1: expected ',' or ';'"_s},
        {"no rows", u"# nothing\n"_s, u"cat.txt: the catalogue has no rows"_s},
        {"no blocks", u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\n"_s,
         u"cat.txt line 2: the catalogue has no chapter blocks"_s},
        {"blocks end early",
         u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\nblock 1 rows 1-1 code \"1\" numeral \"I\" range \"A\"\n"_s,
         u"cat.txt line 3: the blocks cover rows 1 to 1 but the catalogue has 2 rows"_s},
        {"block beyond the rows",
         u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\nblock 1 rows 1-3 code \"1\" numeral \"I\" range \"A\"\n"_s,
         u"cat.txt line 3: block 1 ends at row 3 but the catalogue has 2 rows"_s},
        {"block not at row 1",
         u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\nblock 1 rows 2-2 code \"1\" numeral \"I\" range \"A\"\n"_s,
         u"cat.txt line 3: block 1 starts at row 2, expected row 1"_s},
        {"gap between blocks",
         u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\n3 \"C\"; \"A03\"\n"
         "block 1 rows 1-1 code \"1\" numeral \"I\" range \"A\"\n"
         "block 2 rows 3-3 code \"2\" numeral \"II\" range \"B\"\n"_s,
         u"cat.txt line 5: block 2 starts at row 3, expected row 2"_s},
        {"overlapping blocks",
         u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\n"
         "block 1 rows 1-2 code \"1\" numeral \"I\" range \"A\"\n"
         "block 2 rows 2-2 code \"2\" numeral \"II\" range \"B\"\n"_s,
         u"cat.txt line 4: block 2 starts at row 2, expected row 3"_s},
        {"block code used twice",
         u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\n"
         "block 1 rows 1-1 code \"1\" numeral \"I\" range \"A\"\n"
         "block 2 rows 2-2 code \"1\" numeral \"II\" range \"B\"\n"_s,
         u"cat.txt line 4: the block code \"1\" is used twice"_s},
        {"empty block code", u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\nblock 1 rows 1-2 code \"\" numeral \"I\" range \"A\"\n"_s,
         u"cat.txt line 3: block 1 has an empty code"_s},
        {"block numbers out of order",
         u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\n"
         "block 1 rows 1-1 code \"1\" numeral \"I\" range \"A\"\n"
         "block 3 rows 2-2 code \"2\" numeral \"II\" range \"B\"\n"_s,
         u"cat.txt line 4: block 3 follows block 1"_s},
        {"block rows backwards", u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\nblock 1 rows 2-1 code \"1\" numeral \"I\" range \"A\"\n"_s,
         u"cat.txt line 3: block 1 runs backwards"_s},
        {"block without its range", u"1 \"A\"; \"A01\"\n2 \"B\"; \"A02\"\nblock 1 rows 1-2 code \"1\" numeral \"I\"\n"_s,
         u"cat.txt line 3: expected 'range'"_s},
    };
    for (const Case &c : cases) {
        const auto parsed = RowCatalogue::parse(c.text, u"cat.txt"_s);
        ASSERT_FALSE(parsed.ok()) << c.what;
        EXPECT_TRUE(parsed.message().startsWith(c.expected))
            << c.what << "\n  got:      " << parsed.message().toStdString()
            << "\n  expected: " << c.expected.toStdString() << "...";
    }
}

TEST(RowCatalogueLoad, ReadsAFileAndNamesAMissingOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"catalogue.txt"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(oneRow(u"1 \"[igeloza\"; \"A03\""_s).toUtf8());
    file.close();

    const auto loaded = RowCatalogue::load(path);
    ASSERT_TRUE(loaded.ok()) << loaded.message().toStdString();
    EXPECT_EQ(loaded->rows().front().label.front().front(), u"[igeloza"_s);

    const auto missing = RowCatalogue::load(dir.filePath(u"none.txt"_s));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.message().contains(u"none.txt"_s)) << missing.message().toStdString();

    QFile broken(dir.filePath(u"broken.txt"_s));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("1 \"A\"; \"A01\"\r\n2 \"B\"; \"A02\" junk\r\n");
    broken.close();
    const auto bad = RowCatalogue::load(broken.fileName());
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.message(), broken.fileName() + u" line 2: expected ';' but found 'junk'"_s);
}

TEST(RowCatalogueClassify, ExactWholeTextComparisons)
{
    const QString text = uR"(1 "One"; "A01"
2 "Two"; "A01-A02"; counts A01-A02
3 "Three"; "A02.1"; counts A02 with S_DIJA2 "1", empty
4 "Four"; "A02"; counts A02, A02 with S_DIJA2 "1"
5 "Five"; "A03.0+"; counts A03 with S_DIJA2 "0+"
block 1 rows 1-5 code "1" numeral "I" range "A00 - A99"
)"_s;
    const auto parsed = RowCatalogue::parse(text, u"test.txt"_s);
    ASSERT_TRUE(parsed.ok()) << parsed.message().toStdString();
    const RowCatalogue &catalogue = parsed.value();
    struct Case {
        const char *what;
        QString sDija;
        QString sDija2;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {"category in two rows", u"A01"_s, u""_s, {1, 2}},
        {"listed sub-category joins the unconditional rows", u"A02"_s, u"1"_s, {2, 3, 4}},
        {"empty text listed", u"A02"_s, u""_s, {2, 3, 4}},
        {"unlisted sub-category", u"A02"_s, u"5"_s, {2, 4}},
        {"sub-category with a mark", u"A03"_s, u"0+"_s, {5}},
        {"mark missing", u"A03"_s, u"0"_s, {}},
        {"sub-category with a trailing blank", u"A03"_s, u"0+ "_s, {}},
        {"lower case", u"a01"_s, u""_s, {}},
        {"trailing blank", u"A01 "_s, u""_s, {}},
        {"leading blank", u" A01"_s, u""_s, {}},
        {"sub-category written into the category", u"A03.0"_s, u""_s, {}},
        {"empty category", u""_s, u""_s, {}},
        {"unknown category", u"Z99"_s, u"1"_s, {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(catalogue.classify(c.sDija, c.sDija2), c.rows) << c.what;
        EXPECT_EQ(catalogue.classifyByTestingEveryRule(c.sDija, c.sDija2), c.rows) << c.what;
    }
    // The result is a reference into the catalogue: no list is built per visit.
    EXPECT_EQ(&catalogue.classify(u"A01", u""), &catalogue.classify(u"A01", u"7"));
    EXPECT_EQ(&catalogue.classify(u"X00", u""), &catalogue.classify(u"Y00", u""));
}

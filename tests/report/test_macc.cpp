#include "macc.h"

#include <gtest/gtest.h>

using namespace tarel::report;
using namespace Qt::StringLiterals;

TEST(Macc, ConvertsTheLettersOfStoredTexts)
{
    struct Case {
        const char *what;
        QString stored;
        QString drawn;
    };
    const Case cases[] = {
        {"lower case with ~", u"Ve molime po~ekajte"_s, u"Ве молиме почекајте"_s},
        {"{ is sh", u"Izve{taj"_s, u"Извештај"_s},
        {"upper case with ^ and [", u"UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT NA U^ILI[NI DECA I MLADINA"_s,
         u"УТВРДЕНИ ЗАБОЛУВАЊА - СОСТОЈБИ СПОРЕД ВОЗРАСТА И ПОЛОТ НА УЧИЛИШНИ ДЕЦА И МЛАДИНА"_s},
        {"digits and punctuation kept", u"{ifra po MKB - 10"_s, u"шифра по МКБ - 10"_s},
        {"} is kj", u"75i pove}e"_s, u"75и повеќе"_s},
        {"] is KJ", u"KU]NI POSETI"_s, u"КУЌНИ ПОСЕТИ"_s},
        {"@ is ZH", u"@iro smetka:"_s, u"Жиро сметка:"_s},
        {"| is gj", u"Efekti od tu|o telo {to navleglo niz priroden otvor"_s,
         u"Ефекти од туѓо тело што навлегло низ природен отвор"_s},
        {"` is zh", u"Vo zavisnost od konfiguracijata na kompjuterot, kreiraweto na izve{tajot mo`e da trae i do 5 minuti"_s,
         u"Во зависност од конфигурацијата на компјутерот, креирањето на извештајот може да трае и до 5 минути"_s},
        {"alphabet start", u"a b v g d | e `"_s, u"а б в г д ѓ е ж"_s},
        {"the remaining upper pairs", u"\\ Y J Q W X"_s, u"Ѓ Ѕ Ј Љ Њ Џ"_s},
        {"other characters kept", u"0123456789 -(),.:/+*>%_\"'"_s, u"0123456789 -(),.:/+*>%_\"'"_s},
        {"Cyrillic already converted is kept", u"Ж"_s, u"Ж"_s},
        {"empty", QString(), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(maccToUnicode(c.stored), c.drawn) << c.what;
}

TEST(Macc, TableCoversAllSixtyTwoLetters)
{
    const QString latin = u"abvgd|e`zyijklqmnwoprst}ufhc~x{ABVGD\\E@ZYIJKLQMNWOPRST]UFHC^X["_s;
    ASSERT_EQ(latin.size(), 62);
    const QString cyrillic = maccToUnicode(latin);
    for (qsizetype i = 0; i < latin.size(); ++i) {
        const char16_t c = cyrillic[i].unicode();
        EXPECT_TRUE(c >= 0x0400 && c <= 0x045F) << "letter " << latin[i].toLatin1();
    }
    // Upper and lower case pair as in the Cyrillic alphabet.
    EXPECT_EQ(cyrillic.mid(31).toLower(), cyrillic.left(31));
}

TEST(Macc, RecognisesOnlyTheMaccFamilies)
{
    struct Case {
        const char *what;
        QString family;
        bool macc;
    };
    const Case cases[] = {
        {"swiss as stored", u"MAC C Swiss"_s, true},
        {"swiss in mixed case", u"maC C Swiss"_s, true},
        {"times", u"mac c times"_s, true},
        {"arial", u"Arial"_s, false},
        {"times new roman", u"Times New Roman"_s, false},
        {"prefix only", u"MAC C"_s, false},
        {"empty", QString(), false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(isMaccFont(c.family), c.macc) << c.what;
}

TEST(Macc, DisplayTextConvertsOnlyMaccFontsThatAreMissing)
{
    Font swiss{u"MAC C Swiss"_s, 13, false};
    Font arial{u"Arial"_s, 13, false};
    // This machine has no MAC C fonts: the Swiss text is converted and drawn
    // with a metric-compatible Unicode font.
    ASSERT_TRUE(convertsText(swiss));
    EXPECT_EQ(displayText(swiss, u"Izve{taj"_s), u"Извештај"_s);
    EXPECT_NE(displayFont(swiss).family().compare(u"MAC C Swiss"_s, Qt::CaseInsensitive), 0);
    // Diagnosis codes and Latin labels in Arial stay as stored.
    EXPECT_FALSE(convertsText(arial));
    EXPECT_EQ(displayText(arial, u"A18.0+ [Test]"_s), u"A18.0+ [Test]"_s);

    const QFont bold = displayFont(Font{u"Arial"_s, 16, true});
    EXPECT_EQ(bold.pixelSize(), 16);
    EXPECT_TRUE(bold.bold());
}

#include "sex.h"

#include <gtest/gtest.h>

using namespace tarel::tabulation;
using tarel::Result;

TEST(Sex, DigitsTenToTwelveDecide)
{
    struct Case {
        const char *what;
        const char *mb;
        bool male;
    };
    const Case cases[] = {
        {"012 is male", "0101990450012", true},
        {"499 is male", "0101990454992", true},
        {"500 is female", "0101990455002", false},
        {"999 is female", "0101990459992", false},
        {"leading blank and two digits", "010199045 122", true},
        {"negative is male", "010199045-992", true},
        {"hexadecimal $1F4 is 500", "010199045$1F", true}, // "$1F" is 31
        {"hexadecimal 0x is read", "0101990450x9", true},
        {"eleven characters: two digits", "01019904599", true},
    };
    for (const Case &c : cases) {
        const Result<bool> male = maz(QString::fromLatin1(c.mb));
        const Result<bool> female = zena(QString::fromLatin1(c.mb));
        ASSERT_TRUE(male.ok()) << c.what;
        EXPECT_EQ(*male, c.male) << c.what;
        EXPECT_EQ(*female, !c.male) << c.what;
    }
}

TEST(Sex, UnreadableDigitsGiveTheConversionError)
{
    struct Case {
        const char *what;
        const char *mb;
        const char *message;
    };
    const Case cases[] = {
        {"blank, digit, letter", "010199045 1A2", "' 1A' is not a valid integer value"},
        {"blank after a digit", "0101990451 22", "'1 2' is not a valid integer value"},
        {"blanks only", "010199045   2", "'   ' is not a valid integer value"},
        {"shorter than ten characters", "010199", "'' is not a valid integer value"},
        {"sign alone", "010199045-  ", "'-  ' is not a valid integer value"},
        {"hex prefix alone", "010199045$", "'$' is not a valid integer value"},
    };
    for (const Case &c : cases) {
        const Result<bool> male = maz(QString::fromLatin1(c.mb));
        ASSERT_FALSE(male.ok()) << c.what;
        EXPECT_EQ(male.message().toStdString(), c.message) << c.what;
    }
}

TEST(Sex, IntegerConversion)
{
    EXPECT_EQ(toInteger(u"  +42"), 42);
    EXPECT_EQ(toInteger(u"0x1f"), 31);
    EXPECT_EQ(toInteger(u"X10"), 16);
    EXPECT_EQ(toInteger(u"-$10"), -16);
    EXPECT_EQ(toInteger(u"0"), 0);
    EXPECT_EQ(toInteger(u""), std::nullopt);
    EXPECT_EQ(toInteger(u"12 "), std::nullopt);
    EXPECT_EQ(toInteger(u"1.5"), std::nullopt);
}

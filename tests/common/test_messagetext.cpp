#include "messagetext.h"

#include <gtest/gtest.h>

using namespace tarel;

TEST(ShownText, ControlCharactersEscapedLongValuesCut)
{
    struct Case {
        const char *what;
        QString text;
        QString shown;
    };
    const Case cases[] = {
        {"ordinary text unchanged", QStringLiteral("Ni}olovska, 31.12.1970 \\ ~"), QStringLiteral("Ni}olovska, 31.12.1970 \\ ~")},
        {"Cyrillic unchanged", QStringLiteral("\u0418\u0417\u0412\u0415\u0428\u0422\u0410\u0408"),
         QStringLiteral("\u0418\u0417\u0412\u0415\u0428\u0422\u0410\u0408")},
        {"an escape sequence", QStringLiteral("\x1b[31m12a"), QStringLiteral("\\x1b[31m12a")},
        {"a NUL and a line break", QString::fromUtf16(u"1\0002\n3", 5), QStringLiteral("1\\x002\\x0a3")},
        {"a right-to-left override", QStringLiteral("ab\u202Ecd"), QStringLiteral("ab\\u202ecd")},
        {"sixty characters kept whole", QString(60, u'9'), QString(60, u'9')},
        {"a long value cut", QString(10000, u'9'), QString(60, u'9') + QStringLiteral("...")},
        {"an escape counts as one character", QStringLiteral("\x07") + QString(100, u'x'),
         QStringLiteral("\\x07") + QString(59, u'x') + QStringLiteral("...")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(shownText(c.text), c.shown) << c.what;
}

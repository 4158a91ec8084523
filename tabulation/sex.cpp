#include "sex.h"

#include "messagetext.h"

#include <QCoreApplication>

namespace tarel::tabulation {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

} // namespace

std::optional<int> toInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == QLatin1Char('$') || text[i] == QLatin1Char('x') || text[i] == QLatin1Char('X'))) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0')
               && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > qint64(0x80000000))
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFF) {
        if (base != 16)
            return std::nullopt;
        value = qint64(qint32(quint32(value))); // hexadecimal wraps to 32 bits
    }
    return int(value);
}

QStringView sexDigits(QStringView mb)
{
    if (mb.size() < 10)
        return {};
    return mb.mid(9, qMin<qsizetype>(3, mb.size() - 9));
}

Error sexConversionError(QStringView mb)
{
    return Error{Text::tr("'%1' is not a valid integer value").arg(shownText(sexDigits(mb)))};
}

Result<bool> maz(QStringView mb)
{
    const std::optional<int> value = sexValue(mb);
    if (!value)
        return sexConversionError(mb);
    return isMale(*value);
}

Result<bool> zena(QStringView mb)
{
    const std::optional<int> value = sexValue(mb);
    if (!value)
        return sexConversionError(mb);
    return isFemale(*value);
}

} // namespace tarel::tabulation

#include "messagetext.h"

namespace tarel {

namespace {

bool hidden(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString escaped(char32_t c)
{
    if (c <= 0xFF)
        return QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
    return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
}

} // namespace

QString shownText(QStringView text, qsizetype maxLength)
{
    QString shown;
    qsizetype characters = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (characters == maxLength)
            return shown + QLatin1String("...");
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (hidden(c))
            shown += escaped(c);
        else
            shown += text.mid(i, width);
        i += width;
        ++characters;
    }
    return shown;
}

} // namespace tarel

#include "macc.h"

#include <QFontDatabase>
#include <QHash>
#include <QMutex>

#include <algorithm>
#include <array>
#include <cmath>

namespace tarel::report {

namespace {

// The MAC C letters, indexed by their Latin code point (0x40..0x7E).
constexpr char16_t kFirst = 0x40;
constexpr char16_t kLast = 0x7E;
constexpr std::array<char16_t, kLast - kFirst + 1> kLetters = {
    // 0x40 @ A B C D E F G H I J K L M N O
    u'Ж', u'А', u'Б', u'Ц', u'Д', u'Е', u'Ф', u'Г', u'Х', u'И', u'Ј', u'К', u'Л', u'М', u'Н', u'О',
    // 0x50 P Q R S T U V W X Y Z [ \ ] ^ _
    u'П', u'Љ', u'Р', u'С', u'Т', u'У', u'В', u'Њ', u'Џ', u'Ѕ', u'З', u'Ш', u'Ѓ', u'Ќ', u'Ч', 0,
    // 0x60 ` a b c d e f g h i j k l m n o
    u'ж', u'а', u'б', u'ц', u'д', u'е', u'ф', u'г', u'х', u'и', u'ј', u'к', u'л', u'м', u'н', u'о',
    // 0x70 p q r s t u v w x y z { | } ~
    u'п', u'љ', u'р', u'с', u'т', u'у', u'в', u'њ', u'џ', u'ѕ', u'з', u'ш', u'ѓ', u'ќ', u'ч',
};

bool familyInstalled(const QString &family)
{
    static QMutex mutex;
    static QHash<QString, bool> known;
    const QString key = family.toLower();
    QMutexLocker lock(&mutex);
    auto it = known.constFind(key);
    if (it != known.constEnd())
        return *it;
    bool found = false;
    const QStringList families = QFontDatabase::families();
    for (const QString &installed : families) {
        if (installed.compare(family, Qt::CaseInsensitive) == 0) {
            found = true;
            break;
        }
    }
    known.insert(key, found);
    return found;
}

QString firstInstalled(std::initializer_list<const char *> families)
{
    for (const char *family : families) {
        const QString name = QString::fromLatin1(family);
        if (familyInstalled(name))
            return name;
    }
    return QString::fromLatin1(*families.begin());
}

// The family that draws a font: itself where installed, else the
// metric-compatible Unicode family.
QString drawingFamily(const QString &name)
{
    if (familyInstalled(name))
        return name;
    const QString lower = name.toLower();
    if (name.compare(QLatin1String(kMaccSwiss), Qt::CaseInsensitive) == 0 || lower == u"arial")
        return firstInstalled({"Liberation Sans", "Arimo", "DejaVu Sans"});
    if (name.compare(QLatin1String(kMaccTimes), Qt::CaseInsensitive) == 0 || lower == u"times new roman")
        return firstInstalled({"Liberation Serif", "Tinos", "DejaVu Serif"});
    if (lower == u"ms sans serif" || lower == u"tahoma")
        return firstInstalled({"DejaVu Sans", "Liberation Sans"});
    return name;
}

} // namespace

QString maccToUnicode(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (QChar ch : text) {
        const char16_t code = ch.unicode();
        if (code >= kFirst && code <= kLast && kLetters[code - kFirst] != 0)
            *dst++ = QChar(kLetters[code - kFirst]);
        else
            *dst++ = ch;
    }
    return out;
}

bool isMaccFont(QStringView family)
{
    return family.compare(QLatin1String(kMaccSwiss), Qt::CaseInsensitive) == 0
        || family.compare(QLatin1String(kMaccTimes), Qt::CaseInsensitive) == 0;
}

bool convertsText(const Font &font)
{
    return isMaccFont(font.name) && !familyInstalled(font.name);
}

QFont displayFont(const Font &font)
{
    QFont result(drawingFamily(font.name));
    result.setPixelSize(std::max(1, int(std::lround(font.height))));
    result.setBold(font.bold);
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setKerning(false);
    return result;
}

QString displayText(const Font &font, const QString &text)
{
    return convertsText(font) ? maccToUnicode(text) : text;
}

QString readableText(const Font &font, const QString &text)
{
    return isMaccFont(font.name) ? maccToUnicode(text) : text;
}

} // namespace tarel::report

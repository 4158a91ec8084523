#pragma once

// Texts of the "MAC C Swiss" and "MAC C Times" fonts are Macedonian written
// in Latin code points that those fonts draw as Cyrillic letters. Where the
// fonts are installed the stored text is drawn with them; elsewhere the text
// is converted to Unicode Cyrillic and drawn with a metric-compatible font.

#include "template.h"

#include <QFont>
#include <QString>
#include <QStringView>

namespace tarel::report {

// The families of the MAC C fonts, as the forms, the window and every writer
// name them.
inline constexpr char kMaccSwiss[] = "MAC C Swiss";
inline constexpr char kMaccTimes[] = "MAC C Times";

// The Unicode Cyrillic reading of a MAC C text: the 62 letters of the MAC C
// table are converted, every other character is kept.
QString maccToUnicode(QStringView text);

// True for "MAC C Swiss" and "MAC C Times", compared without regard to case.
bool isMaccFont(QStringView family);

// True when the text of a cell in this font is drawn converted to Unicode
// (a MAC C font that is not installed).
bool convertsText(const Font &font);

// The text as a reader sees it on the page, whatever fonts are installed: the
// Cyrillic reading of a MAC C text, any other text as it is. What CSV,
// workbooks and Find work with.
QString readableText(const Font &font, const QString &text);

// The font a cell's text is drawn with: the named family where installed,
// else a metric-compatible one (Liberation Sans for Arial and the Swiss family,
// Liberation Serif for Times New Roman and the Times family, DejaVu Sans for
// MS Sans Serif and Tahoma). Its pixel size is the font height rounded, in
// template pixels (96 per inch); hinting is off so that text measures the
// same on every device.
QFont displayFont(const Font &font);

// The text as drawn with displayFont(font): converted where convertsText(font).
QString displayText(const Font &font, const QString &text);

} // namespace tarel::report

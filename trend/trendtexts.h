#pragma once

// The words the trend's workbook and PDF print, in Macedonian as the forms
// are (Unicode Cyrillic): the flags, the area, a period, and what the
// columns of the lists are.

#include "periods.h"
#include "runresult.h"
#include "statistics.h"
#include "trend.h"

#include <QString>

namespace tarel::trend {

// "исчезна", "нова", ... ; empty for none.
QString flagWords(Flag flag);
// "Град", "Село", "Град и Село".
QString areaWords(result::Area area);
// A month "03.2024"; whole months "01.2024 - 03.2024"; any other period
// "01.03.2024 - 15.03.2024".
QString periodLabel(const Period &period);
// What a count cell counts: the row's printed number and label, and the
// column's headings, joined: "12 Акутен бронхит, 20-24г., м".
QString rowWords(const result::RowIdentity &row);
QString columnWords(const result::ColumnIdentity &column);
// The doctor or "Сите лекари".
QString doctorWords(const Trend &trend);

} // namespace tarel::trend

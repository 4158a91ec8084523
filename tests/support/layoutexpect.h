#pragma once

// Helpers shared by the tests of the three morbidity templates: the loaded
// catalogue, finding cells by name with their page, every cell of a template,
// pixels in mm, and the chapter-block lines of hand-made catalogue texts.

#include "catalogue.h"
#include "result.h"
#include "template.h"

#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace tarel::testing {

// The catalogue a report loads, or an empty one (and a failure) where it does
// not load.
inline const tabulation::RowCatalogue &loadedCatalogue(const Result<const tabulation::RowCatalogue *> &loaded)
{
    if (!loaded) {
        ADD_FAILURE() << loaded.message().toStdString();
        static const tabulation::RowCatalogue empty;
        return empty;
    }
    return *loaded.value();
}

inline double toMm(double pixels) { return pixels / report::kPixelsPerMm; }

struct Placed {
    const report::TfrxMemoView *cell = nullptr;
    int page = 0; // 1-based
};

// The cell of that name on the pages (not in the title band).
inline Placed placed(const report::TfrxReport &report, const QString &name)
{
    for (std::size_t p = 0; p < report.pages.size(); ++p)
        for (const report::TfrxMemoView &cell : report.pages[p].cells)
            if (cell.name.compare(name, Qt::CaseInsensitive) == 0)
                return {&cell, int(p) + 1};
    return {};
}

// Every cell of the template with its page (0-based) and whether it lies in
// the title band; on each page the band's cells come first.
struct PlacedCell {
    int page;
    bool inBand;
    const report::TfrxMemoView *cell;
};
inline std::vector<PlacedCell> allCells(const report::TfrxReport &report)
{
    std::vector<PlacedCell> cells;
    for (int p = 0; p < int(report.pages.size()); ++p) {
        const report::TfrxReportPage &page = report.pages[std::size_t(p)];
        if (page.title)
            for (const report::TfrxMemoView &cell : page.title->cells)
                cells.push_back({p, true, &cell});
        for (const report::TfrxMemoView &cell : page.cells)
            cells.push_back({p, false, &cell});
    }
    return cells;
}

// A catalogue's fit: none expected where error is empty, else an error whose
// message holds it.
inline void expectFit(const Result<void> &fits, const QString &error, const char *what)
{
    if (error.isEmpty()) {
        EXPECT_TRUE(fits.ok()) << what << ": " << (fits ? std::string() : fits.message().toStdString());
        return;
    }
    ASSERT_FALSE(fits.ok()) << what;
    EXPECT_TRUE(fits.message().contains(error)) << what << ": " << fits.message().toStdString();
}

// The chapter-block lines of a catalogue text: block n (1-based) runs from the
// row after the last of block n - 1 to lasts[n - 1] and has the code code(n).
inline QString blockLines(std::initializer_list<int> lasts, const std::function<QString(int)> &code)
{
    QString out;
    int first = 1;
    int number = 1;
    for (int last : lasts) {
        out += QStringLiteral("block %1 rows %2-%3 code \"%4\" numeral \"N\" range \"R\"\n")
                   .arg(number)
                   .arg(first)
                   .arg(last)
                   .arg(code(number));
        ++number;
        first = last + 1;
    }
    return out;
}

} // namespace tarel::testing

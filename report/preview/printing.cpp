#include "printing.h"

#include "renderer.h"

#include <QCoreApplication>
#include <QPageRanges>
#include <QPrintEngine>
#include <QPrinter>

#include <algorithm>

namespace tarel::report {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

// The print engine's list of CUPS job options (name, value, name, value ...).
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

} // namespace

void dropServerPageRanges(QPrinter &printer)
{
    QPrintEngine *engine = printer.printEngine();
    if (!engine)
        return;
    QStringList options = engine->property(kCupsOptions).toStringList();
    bool dropped = false;
    for (qsizetype i = 0; i + 1 < options.size();) {
        if (options[i] == QLatin1String("page-ranges")) {
            options.remove(i, 2);
            dropped = true;
        } else {
            i += 2;
        }
    }
    if (dropped)
        engine->setProperty(kCupsOptions, options);
}

PrintChoice printChoiceOf(const QPrinter &printer)
{
    PrintChoice choice;
    switch (printer.printRange()) {
    case QPrinter::AllPages:
    case QPrinter::Selection: choice.range = PrintChoice::All; break;
    case QPrinter::CurrentPage: choice.range = PrintChoice::Current; break;
    case QPrinter::PageRange:
        choice.range = PrintChoice::Ranges;
        for (const QPageRanges::Range &range : printer.pageRanges().toRangeList())
            choice.ranges.emplace_back(range.from, range.to);
        if (choice.ranges.empty() && printer.fromPage() > 0)
            choice.ranges.emplace_back(printer.fromPage(), printer.toPage());
        break;
    }
    choice.reverse = printer.pageOrder() == QPrinter::LastPageFirst;
    return choice;
}

Result<void> printPages(const PreparedReport &report, const std::vector<int> &pages, QPrinter &printer)
{
    std::vector<int> sequence;
    for (int page : pages)
        if (page >= 0 && page < int(report.pages.size()))
            sequence.push_back(page);
    if (sequence.empty())
        return {};
    if (!printer.supportsMultipleCopies() && printer.copyCount() > 1) {
        const int copies = printer.copyCount();
        std::vector<int> repeated;
        if (printer.collateCopies()) {
            for (int copy = 0; copy < copies; ++copy)
                repeated.insert(repeated.end(), sequence.begin(), sequence.end());
        } else {
            for (int page : sequence)
                repeated.insert(repeated.end(), std::size_t(copies), page);
        }
        sequence = std::move(repeated);
    }

    dropServerPageRanges(printer);
    printer.setFullPage(true);
    switch (paintPages(report, sequence, printer)) {
    case PaintFailure::None: return {};
    case PaintFailure::Begin:
        return fail(Text::tr("The printer \"%1\" could not be started").arg(printer.printerName()));
    case PaintFailure::NewPage:
        return fail(Text::tr("The printer \"%1\" failed to start a new page").arg(printer.printerName()));
    case PaintFailure::End: break;
    }
    return fail(Text::tr("The printer \"%1\" failed to finish the print job").arg(printer.printerName()));
}

} // namespace tarel::report

#pragma once

// Printing prepared pages: the same renderer as the page view, scaled from
// template pixels to the printer's resolution, each page at its own paper
// size and orientation.

#include "previewmodel.h"
#include "renderer.h"

#include "result.h"

#include <vector>

class QPrinter;

namespace tarel::report {

// The pages and order the user chose in the print dialog.
PrintChoice printChoiceOf(const QPrinter &printer);

// The print dialog puts a choice typed into its "Pages" field on a CUPS
// printer twice: into the printer's page ranges, which choose the pages
// printed here, and into the job option "page-ranges", with which the server
// would choose again among the pages it is sent ("2,5" printing only page 5).
// Drops the job option, so the choice is applied once.
void dropServerPageRanges(QPrinter &printer);

// Prints the pages (0-based, in this order), the choice of pages applied here
// alone (see dropServerPageRanges). Copies the printer cannot make itself are
// printed here, collated or not as the printer says.
Result<void> printPages(const PreparedReport &report, const std::vector<int> &pages, QPrinter &printer);

} // namespace tarel::report

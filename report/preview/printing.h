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

// Prints the pages (0-based, in this order). Copies the printer cannot make
// itself are printed here, collated or not as the printer says.
Result<void> printPages(const PreparedReport &report, const std::vector<int> &pages, QPrinter &printer);

} // namespace tarel::report

#pragma once

// What the program knows of a report beyond its pages, offered in the
// preview: a line for the status bar, a dialog of details (the data check),
// the visits behind a count cell, and each number beside its history. The
// preview asks; the program answers.
// Every answer takes the prepared report as the preview holds it, so a report
// opened from a file is served like a fresh one.

#include "prepared.h"

#include <QString>

class QWidget;

namespace tarel::report {

class ReportCompanion {
public:
    virtual ~ReportCompanion() = default;

    // The status bar's line for the report; empty when there is none.
    virtual QString summary(const PreparedReport &report) const = 0;
    // The name the save and export dialogs propose (no folder, no
    // extension): the report and its period in words; empty when unknown.
    virtual QString fileName(const PreparedReport &report) const = 0;
    // The caption of the details command ("Data check..."), and whether the
    // report has details to show.
    virtual QString detailsCaption() const = 0;
    virtual bool hasDetails(const PreparedReport &report) const = 0;
    virtual void showDetails(QWidget *parent, const PreparedReport &report) = 0;

    // The caption of the command on a cell ("Visits behind this number..."),
    // whether a cell of the report holds a number it can explain, and the
    // explanation.
    virtual QString explainCaption() const = 0;
    virtual bool explains(const PreparedReport &report, const OutputCell &cell) const = 0;
    virtual void explain(QWidget *parent, const PreparedReport &report, const OutputCell &cell) = 0;

    // The caption of the comparison with earlier periods ("Compare with
    // earlier periods..."), whether the report can be compared (it says what
    // was asked), and the comparison.
    virtual QString compareCaption() const { return {}; }
    virtual bool comparable(const PreparedReport &) const { return false; }
    virtual void compare(QWidget *, const PreparedReport &) {}
};

} // namespace tarel::report

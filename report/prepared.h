#pragma once

// A prepared report: the output pages of a template, with every cell placed
// at its absolute position within the printable area and the text it had
// when the report was prepared.

#include "template.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace tarel::report {

struct OutputCell {
    QString name;
    double left = 0;   // template pixels from the printable area's top-left
    double top = 0;
    double width = 0;
    double height = 0;
    std::uint8_t frame = FrameNone;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    Font font;         // resolved: never inherited any more
    QString text;      // as stored in the template, lines joined by "\n"

    bool operator==(const OutputCell &other) const;
};

struct OutputPage {
    int paperSize = 9;        // A4
    double paperWidth = 297;  // mm, as oriented
    double paperHeight = 210; // mm, as oriented
    bool landscape = true;
    double leftMargin = 0;    // mm
    double rightMargin = 0;
    double topMargin = 0;
    double bottomMargin = 0;
    std::vector<OutputCell> cells;

    bool operator==(const OutputPage &) const = default;
};

struct PreparedReport {
    QString templateName;
    QString title; // the template's title (MAC C text); may be empty
    std::vector<OutputPage> pages;
    // The result of the run the pages show (null for pages no run filled;
    // without counts in a file saved before results kept them).
    std::shared_ptr<const result::RunResult> result;

    bool operator==(const PreparedReport &other) const;
};

// One output page per template page, in order. Cells lying directly on a page
// keep their stored positions; the title band is placed at the top of the
// printable area with its cells inside it. The template is not changed.
PreparedReport prepare(const TfrxReport &report);

// The output page of one template page.
OutputPage preparePage(const TfrxReport &report, const TfrxReportPage &page);

// Prepares a template one page per call, so a preview can show pages as they
// come and cancel between pages. The template must outlive the preparer and
// stay unchanged while it runs.
class Preparer {
public:
    explicit Preparer(const TfrxReport &report);

    // Produces the next output page; false when there is none left (finished
    // or cancelled).
    bool prepareNext();
    bool atEnd() const;
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }

    int templatePageCount() const;
    int preparedPageCount() const { return int(m_result.pages.size()); }

    const PreparedReport &result() const { return m_result; }
    PreparedReport takeResult() { return std::move(m_result); }

private:
    const TfrxReport *m_report; // not owned
    PreparedReport m_result;
    std::size_t m_next = 0;
    bool m_cancelled = false;
};

} // namespace tarel::report

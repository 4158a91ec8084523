#pragma once

// The template model of a report: a report holds pages, the first page may
// hold a title band, and pages and bands hold text cells. Geometry is in
// pixels at 96 per inch (1 mm = 3.77953 px); paper and margins are in mm.

#include "result.h"
#include "runresult.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tarel::report {

inline constexpr double kPixelsPerMm = 3.77953;
inline constexpr double mm(double millimetres) { return millimetres * kPixelsPerMm; }

struct Font {
    QString name = QStringLiteral("Arial");
    double height = 13; // character height in pixels at 96 per inch
    bool bold = false;

    bool operator==(const Font &other) const; // names compare without regard to case
};

// Report default font of every template: Arial, 13 px, regular, black.
Font defaultFont();

enum FrameSide : std::uint8_t {
    FrameNone = 0,
    FrameLeft = 1,
    FrameRight = 2,
    FrameTop = 4,
    FrameBottom = 8,
    FrameAll = FrameLeft | FrameRight | FrameTop | FrameBottom,
};

enum class HAlign : std::uint8_t { Left, Center, Right };
enum class VAlign : std::uint8_t { Top, Center, Bottom };
// Placement rule of a cell within its band; the stored positions already obey it.
enum class Placement : std::uint8_t { None, Left, Center };

class TfrxMemoView {
public:
    QString name;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    std::uint8_t frame = FrameNone;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    std::optional<Font> font; // empty: the parent's font
    Placement align = Placement::None;
    QStringList memo;         // the text, one entry per line; printed literally

    // The whole text, lines joined by "\n".
    QString text() const { return memo.join(QLatin1Char('\n')); }
    // Replaces the whole text; line breaks start new lines.
    void setText(const QString &text);
};

class TfrxReportTitle {
public:
    QString name = QStringLiteral("ReportTitle1");
    double top = 18.89765; // design value; printed at the top of the printable area
    double width = 0;
    double height = 0;
    std::optional<Font> font;
    std::vector<TfrxMemoView> cells; // positions relative to the band
};

class TfrxReportPage {
public:
    QString name;
    int paperSize = 9; // A4
    double paperWidth = 297;  // mm, as oriented
    double paperHeight = 210; // mm, as oriented
    bool landscape = true;
    double leftMargin = 0;  // mm
    double rightMargin = 0;
    double topMargin = 0;
    double bottomMargin = 0;
    std::optional<Font> font;
    std::optional<TfrxReportTitle> title;
    std::vector<TfrxMemoView> cells; // positions from the printable area's top-left

    double printableWidth() const { return mm(paperWidth - leftMargin - rightMargin); }
    double printableHeight() const { return mm(paperHeight - topMargin - bottomMargin); }
};

class TfrxReport {
public:
    explicit TfrxReport(QString name = {});

    QString name;
    // The report's heading as printed, in the text of its heading cell (MAC C
    // code points), on one line: what documents, print jobs and exports are
    // titled. Empty: the template's name stands in.
    QString title;
    std::vector<TfrxReportPage> pages;
    // The result of the run the form shows (null for a form no run filled),
    // carried into the prepared report and its file.
    std::shared_ptr<const result::RunResult> result;

    // The first cell of that name in template order (title band before the
    // page's own cells), compared without regard to case; nullptr if none.
    // The lookup index is built on first use and rebuilt whenever the number
    // of cells changes; cells must not be renamed after the first lookup.
    TfrxMemoView *findCell(QStringView name);
    const TfrxMemoView *findCell(QStringView name) const;

    // Replaces the whole text of the named cell; false when there is no such cell.
    bool setCellText(QStringView name, const QString &text);
    // Replaces the texts of the named cells, all or none: every cell is looked
    // up first, and when one is missing nothing is written and the error
    // names it.
    Result<void> setCellTexts(const std::vector<std::pair<QString, QString>> &texts);

    // The font a cell prints with: its own, else its band's, else its page's,
    // else the report default.
    Font resolvedFont(const TfrxReportPage &page, const TfrxReportTitle *band,
                      const TfrxMemoView &cell) const;

    int cellCount() const;

private:
    struct Index;
    // The name lookup: a copy starts without one (its cells are other
    // objects), a move takes it along (the cells stay where they are).
    class IndexCache {
    public:
        IndexCache();
        IndexCache(const IndexCache &);
        IndexCache &operator=(const IndexCache &);
        IndexCache(IndexCache &&) noexcept;
        IndexCache &operator=(IndexCache &&) noexcept;
        ~IndexCache();
        std::unique_ptr<Index> index;
    };
    void ensureIndex() const;
    mutable IndexCache m_index;
};

} // namespace tarel::report

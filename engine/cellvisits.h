#pragma once

// The visits behind a number: which selected visits a count cell of a report
// counts. The request is run again through engine::run with a
// CellVisitCollector attached, which keeps the visits of that one cell and
// nothing else, so a list costs one run and its memory grows only with the
// cell's number.

#include "engine.h"
#include "observer.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QIODevice;

namespace tarel::engine {

// A count cell of a report, read back from its name into what it counts.
struct CountCell {
    const ReportDefinition *report = nullptr;
    QString name; // as asked
    // Morbidity reports: the rows, data column, band set and labels.
    const reports::MorbidityProfile *profile = nullptr;
    const tabulation::RowCatalogue *catalogue = nullptr;
    reports::MorbidityCell morbidity;
    // Visit reports: the column and the area.
    reports::VisitCell visit;

    bool isMorbidity() const { return report->kind == ReportKind::Morbidity; }
    // Whether a visit counted in that row (morbidity) adds to this cell.
    bool holds(const tabulation::MorbidityOutcome &outcome, int row) const;
    bool holds(const reports::VisitOutcome &outcome) const;
};

// The count cell of that name in the report, compared without regard to
// case. A cell that holds no count (a label, a heading, a constant) and a
// name the template does not have are the usage error "cell NAME holds no
// count".
Result<CountCell> countCellOf(const ReportDefinition &report, QStringView name);

// The number a count cell prints: its digits, "-" for zero; nothing for any
// other text.
std::optional<qint64> cellNumber(QStringView text);

// The texts of a visit that a list shows, in the order of its CSV columns.
enum class VisitText { RowNumber, VisitDate, CitizenNumber, Surname, Name, BirthDate, Category, SubCategory, Doctor,
                       Settlement, Kind };
inline constexpr int kVisitTextCount = 11;

// The lines of a list: one per counted contribution, so a visit counted in
// two rows of a chapter has two lines in the chapter's subtotal. A visit's
// texts are kept once, however many lines it has, packed one after the other
// as UTF-8, each after its length, in blocks that are never moved or copied
// as the list grows; a line is 8 bytes.
class CellVisitList {
public:
    struct Line {
        quint32 visit = 0; // the visit's texts
        qint16 row = 0;    // catalogue row, 1-based; 0 in a visit report
        qint8 band = -1;   // 0-based band of the report's band set; -1 in a visit report
        bool female = false;
    };

    CellVisitList() = default;
    CellVisitList(CellVisitList &&) = default;
    CellVisitList &operator=(CellVisitList &&) = default;

    qsizetype size() const { return qsizetype(m_lines.size()); }
    bool empty() const { return m_lines.empty(); }
    const Line &line(qsizetype index) const { return m_lines[std::size_t(index)]; }
    QString text(qsizetype index, VisitText field) const;
    std::array<QString, kVisitTextCount> texts(qsizetype index) const;

    // Keeps the texts of one visit (as the record holds them: NULL as the
    // empty text) and returns the number its lines refer to.
    quint32 addVisit(const data::VisitRecord &record);
    void addLine(const Line &line) { m_lines.push_back(line); }

    // Puts the lines in the list's order: by visit date, then RED_BR
    // (numbers by their value and before any other text), then catalogue row;
    // lines equal in all three (a person listed twice) keep the order the run
    // saw them in.
    void sort();

    // Bytes the list holds: its lines, where its visits begin and the blocks
    // of their texts.
    qint64 bytes() const;

private:
    std::deque<Line> m_lines;
    std::deque<const char *> m_visits; // where each visit's texts begin
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_blockSize = 0;
    std::size_t m_blockUsed = 0;
    qint64 m_blockBytes = 0;
    std::string m_packing; // the visit being packed
};

// Keeps the lines of one count cell while a run walks its visits.
class CellVisitCollector final : public RunObserver {
public:
    explicit CellVisitCollector(CountCell cell) : m_cell(std::move(cell)) {}

    data::VisitFields fields() const override { return data::IdentityFields; }
    void morbidityVisit(const data::VisitRecord &record, const tabulation::MorbidityOutcome &outcome) override;
    void visitReportVisit(const data::VisitRecord &record, const reports::VisitOutcome &outcome) override;

    const CountCell &cell() const { return m_cell; }
    // The lines so far, in the order the run saw them.
    const CellVisitList &lines() const { return m_lines; }
    CellVisitList takeLines() { return std::move(m_lines); }

private:
    CountCell m_cell;
    CellVisitList m_lines;
};

// The visits behind one cell of a run.
struct CellListing {
    CountCell cell;
    CellVisitList lines; // in the list's order; as many as the run counted in the cell
};

// Runs the request again with a collector on the cell and returns its lines
// in order. The number of lines is checked against the number the run wrote
// into the cell; should they differ, the list is not returned but an error
// says so. A cell that holds no count is a usage error, as for countCellOf.
Result<CellListing> listCellVisits(data::Database &database, const Request &request, QStringView cellName,
                                   const data::ReadControl &control = {});

// The band heading a line was counted under, as stored (MAC C letters);
// empty in a visit report.
QString bandHeading(const CountCell &cell, const CellVisitList::Line &line);

// The list as CSV, written to a device line by line: the header line
// RED_BR,DATA,MB,PRE,IME,DAT_R,S_DIJA,S_DIJA2,LEKAR_S,MESTO_S,VidNaUsluga,row,band,sex
// and one line per entry, texts as stored (UTF-8, no byte order mark, CRLF
// line ends; fields quoted and guarded against formulas as in every CSV the
// programs write). row, band and sex ("m" or "z") are empty in a visit report.
void writeCellVisitsCsv(const CountCell &cell, const CellVisitList &lines, QIODevice &device);
// Writes the CSV to a file completely or not at all.
Result<void> saveCellVisitsCsv(const CountCell &cell, const CellVisitList &lines, const QString &path);

} // namespace tarel::engine

#pragma once

// The visits behind a number: which selected visits a count cell of a report
// counts. The request is run again through engine::run with a collector
// attached (cellcollector.h), which keeps the visits of that one cell and
// nothing else, so a list costs one run and its memory grows only with the
// cell's number. A cell is asked by the row and column of the result it
// shows; a visit is in its list as often as the run added it to the counted
// cells that make up the cell's number.

#include "engine.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class QIODevice;

namespace tarel::engine {

// A count cell of a report: its name as the form names it, and the row and
// column of the result it shows, with the shape that names them.
struct CountCell {
    const ReportDefinition *report = nullptr;
    QString name;
    int row = 0;
    int column = 0;
    std::shared_ptr<const result::TableShape> shape;

    bool isMorbidity() const { return report->kind == ReportKind::Morbidity; }
    const result::RowIdentity &rowIdentity() const { return shape->rows()[std::size_t(row)]; }
    const result::ColumnIdentity &columnIdentity() const { return shape->columns()[std::size_t(column)]; }
};

// The count cell of that name in the report's form, compared without regard
// to case. A cell that holds no count (a label, a heading, a constant) and a
// name the form does not have are the usage error "cell NAME holds no count".
Result<CountCell> countCellOf(const ReportDefinition &report, QStringView name);

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
        qint16 row = 0;    // the counted cell of the result it was counted in
        qint16 column = 0;
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
    // (numbers by their value and before any other text), then the row of
    // the result; lines equal in all three (a person listed twice) keep the
    // order the run saw them in.
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

// The visits behind one cell of a run.
struct CellListing {
    CountCell cell;
    CellVisitList lines; // in the list's order; as many as the run counted in the cell
};

// Runs the request again with a collector on the cell and returns its lines
// in order. The number of lines is checked against the run's count in the
// cell; should they differ, the list is not returned but an error says so. A
// cell that holds no count is a usage error, as for countCellOf.
Result<CellListing> listCellVisits(data::Database &database, const Request &request, QStringView cellName,
                                   const data::ReadControl &control = {});

// The list as CSV, written to a device line by line: the header line
// RED_BR,DATA,MB,PRE,IME,DAT_R,S_DIJA,S_DIJA2,LEKAR_S,MESTO_S,VidNaUsluga,row,band,sex
// and one line per entry, texts as stored (UTF-8, no byte order mark, CRLF
// line ends; fields quoted and guarded against formulas as in every CSV the
// programs write). row (the catalogue row's number), band (its heading as
// stored, MAC C letters) and sex ("m" or "z") are empty in a visit report.
void writeCellVisitsCsv(const CountCell &cell, const CellVisitList &lines, QIODevice &device);
// Writes the CSV to a file completely or not at all.
Result<void> saveCellVisitsCsv(const CountCell &cell, const CellVisitList &lines, const QString &path);

} // namespace tarel::engine

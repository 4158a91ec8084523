#pragma once

// Reads a written workbook (.xlsx) back for tests, independently of the
// library that wrote it: the zip container (stored or deflated entries), the
// workbook's sheets, shared strings (and their bold runs), cell styles (font,
// frame lines, number format, shrink to fit), the default font, merged
// ranges, print titles and page set-up.

#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace tarel::testing {

struct XlsxCell {
    enum class Type { Blank, Number, Text, Boolean } type = Type::Blank;
    QString text;          // Text: the string; Number and Boolean: the value as written
    double number = 0;
    QString numberFormat;  // "General" unless the style sets one
    QString font;
    double size = 0;
    bool bold = false;
    QString frame;         // the sides with a border, in the order "LRTB"
    bool shrink = false;   // shown smaller where it does not fit its column
    QString boldText;      // a text of runs in several fonts: its runs in bold, joined

    // What a spreadsheet shows for a whole number: "-" for a zero whose format
    // shows zero as "-", else the number's digits.
    QString shown() const;
};

struct XlsxSheet {
    QString name;
    std::map<std::pair<int, int>, XlsxCell> cells; // (row, column), 0-based
    QStringList merges;                            // "A1:C2"
    QString printTitles;                           // the rows repeated on printed pages: "$5:$8"
    std::map<int, double> rowHeights;              // points, for rows that set one
    std::map<int, double> columnWidths;            // characters, for columns that set one
    QMap<QString, QString> pageSetup;              // attributes of <pageSetup>
    QMap<QString, QString> margins;                // attributes of <pageMargins>
    bool fitToPage = false;

    const XlsxCell *at(int row, int column) const;
};

struct XlsxWorkbook {
    std::vector<XlsxSheet> sheets;
    QString defaultFont; // the font of the "Normal" style, which empty cells and column widths follow
    double defaultSize = 0;
    const XlsxSheet *sheet(const QString &name) const;
};

// The entries of a zip archive by name; nothing when the archive is unreadable.
std::optional<QMap<QString, QByteArray>> unzip(const QByteArray &archive);

// Reads the file; nothing, with the reason in *error, when it is not a workbook.
std::optional<XlsxWorkbook> readXlsx(const QString &path, QString *error = nullptr);

// "B7" for (6, 1), and back.
QString cellName(int row, int column);
std::pair<int, int> cellPosition(QStringView name);

} // namespace tarel::testing

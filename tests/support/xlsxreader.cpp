#include "xlsxreader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zlib.h>

#include <cstring>

namespace tarel::testing {

namespace {

quint32 le(const QByteArray &bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

std::optional<QByteArray> inflateRaw(const QByteArray &data, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    if (result != Z_STREAM_END || stream.total_out != uLong(size))
        return std::nullopt;
    return out;
}

struct Style {
    QString numberFormat = QStringLiteral("General");
    QString font;
    double size = 0;
    bool bold = false;
    QString frame;
    bool shrink = false;
};

std::vector<Style> readStyles(const QByteArray &xml)
{
    QMap<int, QString> numberFormats;
    struct FontInfo {
        QString name;
        double size = 0;
        bool bold = false;
    };
    std::vector<FontInfo> fonts;
    std::vector<QString> borders;
    std::vector<Style> styles;
    QXmlStreamReader reader(xml);
    QString section;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = reader.name();
        const QXmlStreamAttributes attributes = reader.attributes();
        if (name == u"fonts" || name == u"borders" || name == u"cellXfs" || name == u"cellStyleXfs")
            section = name.toString();
        else if (name == u"numFmt")
            numberFormats[attributes.value(QLatin1String("numFmtId")).toInt()] = attributes.value(QLatin1String("formatCode")).toString();
        else if (name == u"font" && section == u"fonts")
            fonts.emplace_back();
        else if (name == u"b" && section == u"fonts" && !fonts.empty())
            fonts.back().bold = true;
        else if (name == u"sz" && section == u"fonts" && !fonts.empty())
            fonts.back().size = attributes.value(QLatin1String("val")).toDouble();
        else if (name == u"name" && section == u"fonts" && !fonts.empty())
            fonts.back().name = attributes.value(QLatin1String("val")).toString();
        else if (name == u"border" && section == u"borders")
            borders.emplace_back();
        else if ((name == u"left" || name == u"right" || name == u"top" || name == u"bottom")
                 && section == u"borders" && !borders.empty() && attributes.hasAttribute(QLatin1String("style")))
            borders.back() += name.front().toUpper();
        else if (name == u"xf" && section == u"cellXfs") {
            Style style;
            const int format = attributes.value(QLatin1String("numFmtId")).toInt();
            if (format != 0)
                style.numberFormat = numberFormats.value(format, QStringLiteral("#%1").arg(format));
            const auto font = std::size_t(attributes.value(QLatin1String("fontId")).toInt());
            if (font < fonts.size()) {
                style.font = fonts[font].name;
                style.size = fonts[font].size;
                style.bold = fonts[font].bold;
            }
            const auto border = std::size_t(attributes.value(QLatin1String("borderId")).toInt());
            if (border < borders.size())
                style.frame = borders[border];
            styles.push_back(style);
        } else if (name == u"alignment" && section == u"cellXfs" && !styles.empty()) {
            styles.back().shrink = attributes.value(QLatin1String("shrinkToFit")) == u"1";
        }
    }
    return styles;
}

struct SharedString {
    QString text;
    QString boldText; // the runs in bold
};

std::vector<SharedString> readSharedStrings(const QByteArray &xml)
{
    std::vector<SharedString> strings;
    QXmlStreamReader reader(xml);
    bool boldRun = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"si") {
            strings.emplace_back();
        } else if (reader.isStartElement() && reader.name() == u"r") {
            boldRun = false;
        } else if (reader.isStartElement() && reader.name() == u"b") {
            boldRun = true;
        } else if (reader.isEndElement() && reader.name() == u"r") {
            boldRun = false;
        } else if (reader.isStartElement() && reader.name() == u"t" && !strings.empty()) {
            const QString text = reader.readElementText();
            strings.back().text += text;
            if (boldRun)
                strings.back().boldText += text;
        }
    }
    return strings;
}

void readSheet(const QByteArray &xml, const std::vector<SharedString> &strings, const std::vector<Style> &styles,
               XlsxSheet &sheet)
{
    QXmlStreamReader reader(xml);
    XlsxCell *cell = nullptr;
    QString type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == u"c")
            cell = nullptr;
        if (!reader.isStartElement())
            continue;
        const QStringView name = reader.name();
        const QXmlStreamAttributes attributes = reader.attributes();
        if (name == u"row" && attributes.hasAttribute(QLatin1String("ht"))) {
            sheet.rowHeights[attributes.value(QLatin1String("r")).toInt() - 1] = attributes.value(QLatin1String("ht")).toDouble();
        } else if (name == u"col" && attributes.hasAttribute(QLatin1String("width"))) {
            for (int c = attributes.value(QLatin1String("min")).toInt(); c <= attributes.value(QLatin1String("max")).toInt(); ++c)
                sheet.columnWidths[c - 1] = attributes.value(QLatin1String("width")).toDouble();
        } else if (name == u"c") {
            cell = &sheet.cells[cellPosition(attributes.value(QLatin1String("r")))];
            type = attributes.value(QLatin1String("t")).toString();
            const auto style = std::size_t(attributes.value(QLatin1String("s")).toInt());
            if (style < styles.size()) {
                cell->numberFormat = styles[style].numberFormat;
                cell->font = styles[style].font;
                cell->size = styles[style].size;
                cell->bold = styles[style].bold;
                cell->frame = styles[style].frame;
                cell->shrink = styles[style].shrink;
            }
        } else if (name == u"v" && cell) {
            const QString value = reader.readElementText();
            if (type == u"s") {
                cell->type = XlsxCell::Type::Text;
                const auto index = std::size_t(value.toInt());
                if (index < strings.size()) {
                    cell->text = strings[index].text;
                    cell->boldText = strings[index].boldText;
                }
            } else if (type == u"b") {
                cell->type = XlsxCell::Type::Boolean;
                cell->text = value;
            } else {
                cell->type = XlsxCell::Type::Number;
                cell->text = value;
                cell->number = value.toDouble();
            }
        } else if (name == u"mergeCell") {
            sheet.merges << attributes.value(QLatin1String("ref")).toString();
        } else if (name == u"pageSetUpPr") {
            sheet.fitToPage = attributes.value(QLatin1String("fitToPage")) == u"1";
        } else if (name == u"pageSetup" || name == u"pageMargins") {
            QMap<QString, QString> &into = name == u"pageSetup" ? sheet.pageSetup : sheet.margins;
            for (const QXmlStreamAttribute &attribute : attributes)
                into[attribute.qualifiedName().toString()] = attribute.value().toString();
        }
    }
}

} // namespace

QString XlsxCell::shown() const
{
    if (type != Type::Number)
        return text;
    const QStringList sections = numberFormat.split(QLatin1Char(';'));
    if (number == 0 && sections.size() >= 3 && sections[2] == QLatin1String("\"-\""))
        return QStringLiteral("-");
    return QString::number(qint64(number));
}

const XlsxCell *XlsxSheet::at(int row, int column) const
{
    const auto found = cells.find({row, column});
    return found == cells.end() ? nullptr : &found->second;
}

const XlsxSheet *XlsxWorkbook::sheet(const QString &name) const
{
    for (const XlsxSheet &sheet : sheets)
        if (sheet.name == name)
            return &sheet;
    return nullptr;
}

std::pair<int, int> cellPosition(QStringView name)
{
    int column = 0;
    qsizetype i = 0;
    while (i < name.size() && name[i].isLetter())
        column = column * 26 + (name[i++].toUpper().unicode() - 'A' + 1);
    return {name.mid(i).toInt() - 1, column - 1};
}

QString cellName(int row, int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

std::optional<QMap<QString, QByteArray>> unzip(const QByteArray &archive)
{
    // The end-of-central-directory record, searched from the end.
    qsizetype end = archive.size() - 22;
    while (end >= 0 && le(archive, end, 4) != 0x06054b50)
        --end;
    if (end < 0)
        return std::nullopt;
    const int entries = int(le(archive, end + 10, 2));
    qsizetype at = qsizetype(le(archive, end + 16, 4));
    QMap<QString, QByteArray> files;
    for (int i = 0; i < entries; ++i) {
        if (at + 46 > archive.size() || le(archive, at, 4) != 0x02014b50)
            return std::nullopt;
        const quint32 method = le(archive, at + 10, 2);
        const qsizetype packed = le(archive, at + 20, 4);
        const qsizetype size = le(archive, at + 24, 4);
        const qsizetype nameLength = le(archive, at + 28, 2);
        const qsizetype extra = le(archive, at + 30, 2);
        const qsizetype comment = le(archive, at + 32, 2);
        const qsizetype local = le(archive, at + 42, 4);
        const QString name = QString::fromUtf8(archive.mid(at + 46, nameLength));
        at += 46 + nameLength + extra + comment;
        if (local + 30 > archive.size() || le(archive, local, 4) != 0x04034b50)
            return std::nullopt;
        const qsizetype data = local + 30 + le(archive, local + 26, 2) + le(archive, local + 28, 2);
        const QByteArray bytes = archive.mid(data, packed);
        if (method == 0) {
            files[name] = bytes;
        } else if (method == 8) {
            std::optional<QByteArray> inflated = inflateRaw(bytes, size);
            if (!inflated)
                return std::nullopt;
            files[name] = *inflated;
        } else {
            return std::nullopt;
        }
    }
    return files;
}

std::optional<XlsxWorkbook> readXlsx(const QString &path, QString *error)
{
    auto failed = [&](const QString &why) -> std::optional<XlsxWorkbook> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    const std::optional<QMap<QString, QByteArray>> files = unzip(file.readAll());
    if (!files)
        return failed(QStringLiteral("not a zip archive"));
    if (!files->contains(QStringLiteral("xl/workbook.xml")))
        return failed(QStringLiteral("no xl/workbook.xml"));

    // Relationship ids to sheet files.
    QMap<QString, QString> targets;
    QXmlStreamReader rels(files->value(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!rels.atEnd())
        if (rels.readNext() == QXmlStreamReader::StartElement && rels.name() == u"Relationship")
            targets[rels.attributes().value(QLatin1String("Id")).toString()] = rels.attributes().value(QLatin1String("Target")).toString();

    XlsxWorkbook workbook;
    QStringList sheetFiles;
    QXmlStreamReader reader(files->value(QStringLiteral("xl/workbook.xml")));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == u"sheet") {
            XlsxSheet sheet;
            sheet.name = reader.attributes().value(QLatin1String("name")).toString();
            QString id;
            for (const QXmlStreamAttribute &attribute : reader.attributes())
                if (attribute.name() == u"id")
                    id = attribute.value().toString();
            workbook.sheets.push_back(sheet);
            sheetFiles << QStringLiteral("xl/") + targets.value(id);
        } else if (reader.name() == u"definedName"
                   && reader.attributes().value(QLatin1String("name")) == u"_xlnm.Print_Titles") {
            const auto index = std::size_t(reader.attributes().value(QLatin1String("localSheetId")).toInt());
            const QString text = reader.readElementText();
            if (index < workbook.sheets.size())
                workbook.sheets[index].printTitles = text.mid(text.lastIndexOf(QLatin1Char('!')) + 1);
        }
    }
    const std::vector<SharedString> strings = readSharedStrings(files->value(QStringLiteral("xl/sharedStrings.xml")));
    const std::vector<Style> styles = readStyles(files->value(QStringLiteral("xl/styles.xml")));
    // The "Normal" style is the first cell format.
    if (!styles.empty()) {
        workbook.defaultFont = styles.front().font;
        workbook.defaultSize = styles.front().size;
    }
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        if (!files->contains(sheetFiles[qsizetype(i)]))
            return failed(QStringLiteral("no %1").arg(sheetFiles[qsizetype(i)]));
        readSheet(files->value(sheetFiles[qsizetype(i)]), strings, styles, workbook.sheets[i]);
    }
    return workbook;
}

} // namespace tarel::testing

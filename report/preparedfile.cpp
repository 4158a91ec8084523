#include "preparedfile.h"

#include "inputfile.h"
#include "outputfile.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <zlib.h>

#include <cmath>
#include <optional>

namespace tarel::report {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

const QString kFormatName = QStringLiteral("tarel-prepared-report");
constexpr int kFormatVersion = 1;
constexpr double kMaxCoordinate = 1e6; // template pixels: about 260 m
constexpr double kMaxPaper = 10000;    // mm
constexpr double kMaxFontHeight = 1000;

// ---- writing --------------------------------------------------------------

// Shortest text that reads back as the same double, so that saving a loaded
// file gives the same bytes.
void appendNumber(QByteArray &out, double value)
{
    if (value == 0)
        value = 0; // no "-0"
    out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

void appendString(QByteArray &out, QStringView text)
{
    out += '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u'"': out += "\\\""; break;
        case u'\\': out += "\\\\"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        case u'\b': out += "\\b"; break;
        case u'\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += QByteArray::number(c, 16).rightJustified(2, '0');
            } else if (c < 0x80) {
                out += char(c);
            } else {
                // Whole characters at a time, surrogate pairs included.
                qsizetype end = i + 1;
                while (end < text.size() && text[end].unicode() >= 0x80)
                    ++end;
                out += text.mid(i, end - i).toUtf8();
                i = end - 1;
            }
        }
    }
    out += '"';
}

void appendKey(QByteArray &out, const char *key)
{
    out += '"';
    out += key;
    out += "\": ";
}

const char *hAlignName(HAlign a)
{
    switch (a) {
    case HAlign::Left: return "left";
    case HAlign::Center: return "center";
    case HAlign::Right: return "right";
    }
    return "left";
}

const char *vAlignName(VAlign a)
{
    switch (a) {
    case VAlign::Top: return "top";
    case VAlign::Center: return "center";
    case VAlign::Bottom: return "bottom";
    }
    return "top";
}

struct SideName {
    FrameSide side;
    const char *name;
};
constexpr SideName kSides[] = {
    {FrameLeft, "left"}, {FrameRight, "right"}, {FrameTop, "top"}, {FrameBottom, "bottom"}};

void appendCell(QByteArray &out, const OutputCell &cell)
{
    out += "{";
    appendKey(out, "name"); appendString(out, cell.name); out += ", ";
    appendKey(out, "left"); appendNumber(out, cell.left); out += ", ";
    appendKey(out, "top"); appendNumber(out, cell.top); out += ", ";
    appendKey(out, "width"); appendNumber(out, cell.width); out += ", ";
    appendKey(out, "height"); appendNumber(out, cell.height); out += ", ";
    appendKey(out, "frame");
    out += '[';
    bool first = true;
    for (const SideName &side : kSides) {
        if (cell.frame & side.side) {
            if (!first)
                out += ", ";
            first = false;
            out += '"';
            out += side.name;
            out += '"';
        }
    }
    out += "], ";
    appendKey(out, "hAlign"); out += '"'; out += hAlignName(cell.hAlign); out += "\", ";
    appendKey(out, "vAlign"); out += '"'; out += vAlignName(cell.vAlign); out += "\", ";
    appendKey(out, "font");
    out += "{";
    appendKey(out, "name"); appendString(out, cell.font.name); out += ", ";
    appendKey(out, "height"); appendNumber(out, cell.font.height); out += ", ";
    appendKey(out, "bold"); out += cell.font.bold ? "true" : "false";
    out += "}, ";
    appendKey(out, "text"); appendString(out, cell.text);
    out += "}";
}

// ---- reading --------------------------------------------------------------

// Where in the file a value sits, for messages: "page 2, cell 15 (Memo70)".
class Reader {
public:
    QString where;
    std::optional<QString> problem;

    void failWith(const QString &what)
    {
        if (!problem)
            problem = where.isEmpty() ? what : where + QLatin1String(": ") + what;
    }

    std::optional<QJsonValue> field(const QJsonObject &object, const char *key, bool required)
    {
        const auto it = object.constFind(QLatin1String(key));
        if (it == object.constEnd()) {
            if (required)
                failWith(Text::tr("\"%1\" is missing").arg(QLatin1String(key)));
            return std::nullopt;
        }
        return *it;
    }

    double number(const QJsonObject &object, const char *key, double low, double high,
                  std::optional<double> fallback = std::nullopt)
    {
        const auto value = field(object, key, !fallback);
        if (!value)
            return fallback.value_or(0);
        if (!value->isDouble()) {
            failWith(Text::tr("\"%1\" is not a number").arg(QLatin1String(key)));
            return 0;
        }
        const double d = value->toDouble();
        if (!std::isfinite(d) || d < low || d > high) {
            failWith(Text::tr("\"%1\" is %2, outside %3 to %4")
                         .arg(QLatin1String(key))
                         .arg(d)
                         .arg(low)
                         .arg(high));
            return 0;
        }
        return d;
    }

    int integer(const QJsonObject &object, const char *key, int low, int high,
                std::optional<int> fallback = std::nullopt)
    {
        const double d = number(object, key, low, high,
                                fallback ? std::optional<double>(*fallback) : std::nullopt);
        if (d != std::floor(d)) {
            failWith(Text::tr("\"%1\" is not a whole number").arg(QLatin1String(key)));
            return 0;
        }
        return int(d);
    }

    bool boolean(const QJsonObject &object, const char *key, std::optional<bool> fallback)
    {
        const auto value = field(object, key, !fallback);
        if (!value)
            return fallback.value_or(false);
        if (!value->isBool()) {
            failWith(Text::tr("\"%1\" is not true or false").arg(QLatin1String(key)));
            return false;
        }
        return value->toBool();
    }

    QString string(const QJsonObject &object, const char *key,
                   std::optional<QString> fallback = std::nullopt)
    {
        const auto value = field(object, key, !fallback);
        if (!value)
            return fallback.value_or(QString());
        if (!value->isString()) {
            failWith(Text::tr("\"%1\" is not a text").arg(QLatin1String(key)));
            return {};
        }
        return value->toString();
    }

    QJsonObject object(const QJsonValue &value, const QString &what)
    {
        if (!value.isObject()) {
            failWith(Text::tr("%1 is not an object").arg(what));
            return {};
        }
        return value.toObject();
    }

    QJsonArray array(const QJsonObject &object, const char *key, bool required)
    {
        const auto value = field(object, key, required);
        if (!value)
            return {};
        if (!value->isArray()) {
            failWith(Text::tr("\"%1\" is not a list").arg(QLatin1String(key)));
            return {};
        }
        return value->toArray();
    }
};

Font readFont(Reader &r, const QJsonObject &cell)
{
    const auto value = r.field(cell, "font", false);
    if (!value)
        return defaultFont();
    const QJsonObject object = r.object(*value, QStringLiteral("\"font\""));
    Font font;
    font.name = r.string(object, "name");
    font.height = r.number(object, "height", 0, kMaxFontHeight);
    if (!r.problem && !(font.height > 0))
        r.failWith(Text::tr("the font height is not above 0"));
    font.bold = r.boolean(object, "bold", false);
    return font;
}

std::uint8_t readFrame(Reader &r, const QJsonObject &cell)
{
    const QJsonArray sides = r.array(cell, "frame", false);
    std::uint8_t frame = FrameNone;
    for (const QJsonValue &value : sides) {
        bool known = false;
        if (value.isString()) {
            for (const SideName &side : kSides) {
                if (value.toString() == QLatin1String(side.name)) {
                    frame |= side.side;
                    known = true;
                }
            }
        }
        if (!known) {
            r.failWith(Text::tr("\"frame\" holds something other than left, right, top, bottom"));
            break;
        }
    }
    return frame;
}

OutputCell readCell(Reader &r, const QJsonObject &object)
{
    OutputCell cell;
    cell.name = r.string(object, "name");
    cell.left = r.number(object, "left", -kMaxCoordinate, kMaxCoordinate);
    cell.top = r.number(object, "top", -kMaxCoordinate, kMaxCoordinate);
    cell.width = r.number(object, "width", 0, kMaxCoordinate);
    cell.height = r.number(object, "height", 0, kMaxCoordinate);
    cell.frame = readFrame(r, object);

    const QString h = r.string(object, "hAlign", QStringLiteral("left"));
    if (h == u"left") cell.hAlign = HAlign::Left;
    else if (h == u"center") cell.hAlign = HAlign::Center;
    else if (h == u"right") cell.hAlign = HAlign::Right;
    else r.failWith(Text::tr("\"hAlign\" is not left, center or right"));

    const QString v = r.string(object, "vAlign", QStringLiteral("top"));
    if (v == u"top") cell.vAlign = VAlign::Top;
    else if (v == u"center") cell.vAlign = VAlign::Center;
    else if (v == u"bottom") cell.vAlign = VAlign::Bottom;
    else r.failWith(Text::tr("\"vAlign\" is not top, center or bottom"));

    cell.font = readFont(r, object);
    cell.text = r.string(object, "text");
    return cell;
}

OutputPage readPage(Reader &r, const QJsonObject &object, int pageNumber)
{
    OutputPage page;
    page.paperSize = r.integer(object, "paperSize", 0, 100000, 9);
    page.paperWidth = r.number(object, "paperWidth", 1, kMaxPaper);
    page.paperHeight = r.number(object, "paperHeight", 1, kMaxPaper);
    page.landscape = r.boolean(object, "landscape", page.paperWidth > page.paperHeight);
    page.leftMargin = r.number(object, "leftMargin", 0, kMaxPaper, 0);
    page.rightMargin = r.number(object, "rightMargin", 0, kMaxPaper, 0);
    page.topMargin = r.number(object, "topMargin", 0, kMaxPaper, 0);
    page.bottomMargin = r.number(object, "bottomMargin", 0, kMaxPaper, 0);
    const QJsonArray cells = r.array(object, "cells", true);
    if (r.problem)
        return page;
    if (cells.size() > kMaxPreparedCellsPerPage) {
        r.failWith(Text::tr("%1 cells, more than the %2 a page may hold")
                       .arg(cells.size())
                       .arg(kMaxPreparedCellsPerPage));
        return page;
    }
    page.cells.reserve(std::size_t(cells.size()));
    const QString pageWhere = r.where;
    for (qsizetype i = 0; i < cells.size() && !r.problem; ++i) {
        r.where = Text::tr("page %1, cell %2").arg(pageNumber).arg(i + 1);
        const QJsonObject cell = r.object(cells[i], Text::tr("it", "a page or a cell in \"%1 is not an object\""));
        if (r.problem)
            break;
        page.cells.push_back(readCell(r, cell));
    }
    r.where = pageWhere;
    return page;
}

// The run's result: what was asked, and beside it the data check and the
// counts where the file keeps them (a file written before results kept their
// counts has none). A file that keeps a result but not its request, or a part
// that is not what it should be, is refused.
Result<void> readResult(const QJsonObject &root, PreparedReport &report)
{
    const QJsonValue request = root.value(QLatin1String("request"));
    const QJsonValue check = root.value(QLatin1String("check"));
    const QJsonValue counts = root.value(QLatin1String("result"));
    if (request.isUndefined()) {
        if (!check.isUndefined() || !counts.isUndefined())
            return fail(Text::tr("it keeps a run's result but not what the run was asked"));
        return {};
    }
    for (const char *key : {"request", "check", "result"})
        if (const QJsonValue value = root.value(QLatin1String(key)); !value.isUndefined() && !value.isObject())
            return fail(Text::tr("it is damaged: \"%1\" is not an object").arg(QLatin1String(key)));
    Result<result::RunRequest> asked = result::RunRequest::fromJson(request.toObject());
    if (!asked)
        return fail(Text::tr("its request is damaged: %1").arg(asked.message()));
    auto kept = std::make_shared<result::RunResult>();
    kept->request = std::move(*asked);
    if (!check.isUndefined()) {
        Result<result::DataCheck> read = result::DataCheck::fromJson(check.toObject());
        if (!read)
            return fail(Text::tr("its data check is damaged: %1").arg(read.message()));
        kept->check = std::move(*read);
    }
    if (!counts.isUndefined()) {
        if (Result<void> read = result::readCountsJson(counts.toObject(), *kept); !read)
            return fail(Text::tr("its counts are damaged: %1").arg(read.message()));
    }
    report.result = std::move(kept);
    return {};
}

Error readError(const QString &name, const QString &problem)
{
    return fail(Text::tr("Cannot read \"%1\": %2").arg(name, problem));
}

bool isGzip(const QByteArray &bytes)
{
    return bytes.size() >= 2 && uchar(bytes[0]) == 0x1f && uchar(bytes[1]) == 0x8b;
}

// Inflates a gzip stream, refusing anything that grows past the size cap.
Result<QByteArray> gunzip(const QByteArray &bytes, const QString &name)
{
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return readError(name, Text::tr("the decompressor could not start"));
    QByteArray out;
    const qsizetype chunk = 1 << 20;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (out.size() >= kMaxPreparedFileBytes) {
            inflateEnd(&stream);
            return readError(name, Text::tr("it unpacks to more than %1 MB")
                                       .arg(kMaxPreparedFileBytes / (1024 * 1024)));
        }
        const qsizetype before = out.size();
        out.resize(before + chunk);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + before);
        stream.avail_out = uInt(chunk);
        status = inflate(&stream, Z_NO_FLUSH);
        out.resize(before + chunk - qsizetype(stream.avail_out));
        if (status == Z_STREAM_END)
            break;
        if (status == Z_BUF_ERROR || (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)) {
            inflateEnd(&stream);
            return readError(name, Text::tr("the compressed data is truncated"));
        }
        if (status != Z_OK) {
            inflateEnd(&stream);
            return readError(name, Text::tr("the compressed data is corrupt"));
        }
    }
    inflateEnd(&stream);
    return out;
}

// The values of a JSON text, counted before it is parsed (a parsed value
// costs far more memory than its text): the commas and opening brackets
// outside texts, and one more. Exact for valid JSON; the parser refuses the
// rest.
qint64 jsonValues(const QByteArray &text)
{
    qint64 values = 1;
    bool inText = false;
    for (const char *c = text.constData(), *end = c + text.size(); c < end; ++c) {
        if (inText) {
            if (*c == '\\')
                ++c;
            else if (*c == '"')
                inText = false;
        } else if (*c == '"') {
            inText = true;
        } else if (*c == ',' || *c == '{' || *c == '[') {
            ++values;
        }
    }
    return values;
}

} // namespace

QByteArray serializePrepared(const PreparedReport &report)
{
    QByteArray out;
    std::size_t cells = 0;
    for (const OutputPage &page : report.pages)
        cells += page.cells.size();
    out.reserve(qsizetype(512 + cells * 260));
    out += "{\n";
    out += "  "; appendKey(out, "format"); appendString(out, kFormatName); out += ",\n";
    out += "  "; appendKey(out, "version"); out += QByteArray::number(kFormatVersion); out += ",\n";
    out += "  "; appendKey(out, "template"); appendString(out, report.templateName); out += ",\n";
    // Written only when there is one, so a file without it saves back unchanged.
    if (!report.title.isEmpty()) {
        out += "  "; appendKey(out, "title"); appendString(out, report.title); out += ",\n";
    }
    // The run's result in three parts of their own (what was asked, the data
    // check, the counts), each one compact line (a JSON object's keys come
    // out sorted, so the bytes stay the same).
    if (report.result) {
        const std::optional<QJsonObject> parts[] = {
            report.result->request.toJson(),
            report.result->check ? std::optional(report.result->check->toJson()) : std::nullopt,
            result::countsToJson(*report.result)};
        const char *const keys[] = {"request", "check", "result"};
        for (std::size_t i = 0; i < std::size(keys); ++i) {
            if (!parts[i])
                continue;
            out += "  "; appendKey(out, keys[i]); out += QJsonDocument(*parts[i]).toJson(QJsonDocument::Compact); out += ",\n";
        }
    }
    out += "  "; appendKey(out, "pages"); out += "[";
    bool firstPage = true;
    for (const OutputPage &page : report.pages) {
        out += firstPage ? "\n" : ",\n";
        firstPage = false;
        out += "    {";
        appendKey(out, "paperSize"); out += QByteArray::number(page.paperSize); out += ", ";
        appendKey(out, "paperWidth"); appendNumber(out, page.paperWidth); out += ", ";
        appendKey(out, "paperHeight"); appendNumber(out, page.paperHeight); out += ", ";
        appendKey(out, "landscape"); out += page.landscape ? "true" : "false"; out += ", ";
        appendKey(out, "leftMargin"); appendNumber(out, page.leftMargin); out += ", ";
        appendKey(out, "rightMargin"); appendNumber(out, page.rightMargin); out += ", ";
        appendKey(out, "topMargin"); appendNumber(out, page.topMargin); out += ", ";
        appendKey(out, "bottomMargin"); appendNumber(out, page.bottomMargin); out += ",\n";
        out += "     "; appendKey(out, "cells"); out += "[";
        bool firstCell = true;
        for (const OutputCell &cell : page.cells) {
            out += firstCell ? "\n" : ",\n";
            firstCell = false;
            out += "      ";
            appendCell(out, cell);
        }
        out += firstCell ? "]}" : "\n     ]}";
    }
    out += firstPage ? "]\n" : "\n  ]\n";
    out += "}\n";
    return out;
}

Result<PreparedReport> parsePrepared(const QByteArray &bytes, const QString &name)
{
    if (bytes.isEmpty())
        return readError(name, Text::tr("the file is empty"));
    QByteArray plain;
    if (isGzip(bytes)) {
        auto inflated = gunzip(bytes, name);
        if (!inflated)
            return inflated.error();
        plain = std::move(inflated.value());
    } else {
        if (bytes.size() > kMaxPreparedFileBytes)
            return readError(name, Text::tr("it is larger than %1 MB")
                                       .arg(kMaxPreparedFileBytes / (1024 * 1024)));
        plain = bytes;
    }

    if (const qint64 values = jsonValues(plain); values > kMaxPreparedValues)
        return readError(name, Text::tr("it holds %1 values, more than the %2 a report may hold")
                                   .arg(values)
                                   .arg(kMaxPreparedValues));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(plain, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return readError(name, Text::tr("it is not a prepared report (%1 at byte %2)")
                                   .arg(parseError.errorString())
                                   .arg(parseError.offset));
    if (!document.isObject())
        return readError(name, Text::tr("it is not a prepared report"));
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("format")).toString() != kFormatName)
        return readError(name, Text::tr("it is not a prepared report (format is not \"%1\")")
                                   .arg(kFormatName));
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() != kFormatVersion)
        return readError(name, Text::tr("its version is not %1, the one this program reads")
                                   .arg(kFormatVersion));

    Reader r;
    PreparedReport report;
    report.templateName = r.string(root, "template", QString());
    report.title = r.string(root, "title", QString());
    if (Result<void> read = readResult(root, report); !read)
        return readError(name, read.message());
    const QJsonArray pages = r.array(root, "pages", true);
    if (r.problem)
        return readError(name, *r.problem);
    if (pages.size() > kMaxPreparedPages)
        return readError(name, Text::tr("%1 pages, more than the %2 a report may hold")
                                   .arg(pages.size())
                                   .arg(kMaxPreparedPages));
    report.pages.reserve(std::size_t(pages.size()));
    for (qsizetype i = 0; i < pages.size(); ++i) {
        r.where = Text::tr("page %1").arg(i + 1);
        const QJsonObject page = r.object(pages[i], Text::tr("it", "a page or a cell in \"%1 is not an object\""));
        if (r.problem)
            break;
        report.pages.push_back(readPage(r, page, int(i + 1)));
        if (r.problem)
            break;
    }
    if (r.problem)
        return readError(name, *r.problem);
    return report;
}

Result<PreparedReport> loadPrepared(const QString &path)
{
    const Result<QByteArray> bytes = readInputFile(path, kMaxPreparedFileBytes);
    if (!bytes)
        return readError(path, bytes.message());
    return parsePrepared(*bytes, path);
}

Result<void> savePrepared(const PreparedReport &report, const QString &path)
{
    for (const OutputPage &page : report.pages)
        for (const OutputCell &cell : page.cells)
            if (!std::isfinite(cell.left) || !std::isfinite(cell.top) || !std::isfinite(cell.width)
                || !std::isfinite(cell.height) || !std::isfinite(cell.font.height))
                return fail(Text::tr("Cannot write \"%1\": cell %2 has no valid position")
                                .arg(path, cell.name));
    return writeOutputFile(path, serializePrepared(report));
}

} // namespace tarel::report

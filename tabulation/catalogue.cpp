#include "catalogue.h"

#include <QFile>

#include <algorithm>
#include <optional>

namespace tarel::tabulation {

namespace {

using namespace Qt::StringLiterals;

// One token of a catalogue line: a quoted text, a word (letters, digits and
// "_"; a word in backticks is read as the bare word), or one punctuation
// character of - , ; ( ) / +.
struct Token {
    enum Kind { Text, Word, Punct, End } kind = End;
    QString text;
};

bool isWordChar(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

Result<std::vector<Token>> tokenize(QStringView line)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        const QChar c = line[i];
        if (c == u' ' || c == u'\t') {
            ++i;
        } else if (c == u'"') {
            const qsizetype close = line.indexOf(u'"', i + 1);
            if (close < 0)
                return fail(u"a quoted text is not closed"_s);
            tokens.push_back({Token::Text, line.mid(i + 1, close - i - 1).toString()});
            i = close + 1;
        } else if (c == u'`') {
            const qsizetype close = line.indexOf(u'`', i + 1);
            if (close < 0)
                return fail(u"a name in backticks is not closed"_s);
            const QStringView word = line.mid(i + 1, close - i - 1);
            if (word.isEmpty() || !std::all_of(word.begin(), word.end(), isWordChar))
                return fail(u"\"%1\" in backticks is not a name"_s.arg(word));
            tokens.push_back({Token::Word, word.toString()});
            i = close + 1;
        } else if (isWordChar(c)) {
            qsizetype end = i;
            while (end < n && isWordChar(line[end]))
                ++end;
            tokens.push_back({Token::Word, line.mid(i, end - i).toString()});
            i = end;
        } else if (QStringView(u"-,;()/+").contains(c)) {
            tokens.push_back({Token::Punct, QString(c)});
            ++i;
        } else {
            return fail(u"unexpected character '%1'"_s.arg(c));
        }
    }
    return tokens;
}

QString describe(const Token &t)
{
    switch (t.kind) {
    case Token::Text:
        return u"\"%1\""_s.arg(t.text);
    case Token::Word:
    case Token::Punct:
        return u"'%1'"_s.arg(t.text);
    case Token::End:
        break;
    }
    return u"the end of the line"_s;
}

bool isCategory(const QString &word)
{
    return word.size() == 3 && word[0] >= u'A' && word[0] <= u'Z' && word[1] >= u'0' && word[1] <= u'9'
        && word[2] >= u'0' && word[2] <= u'9';
}

// Reads the tokens of one line front to back.
class Reader {
public:
    explicit Reader(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

    const Token &peek(size_t ahead = 0) const
    {
        static const Token end;
        return m_pos + ahead < m_tokens.size() ? m_tokens[m_pos + ahead] : end;
    }
    Token take()
    {
        Token t = peek();
        if (m_pos < m_tokens.size())
            ++m_pos;
        return t;
    }
    bool atEnd() const { return m_pos >= m_tokens.size(); }
    bool isPunct(QStringView p, size_t ahead = 0) const
    {
        return peek(ahead).kind == Token::Punct && peek(ahead).text == p;
    }
    bool isWord(QStringView w, size_t ahead = 0) const
    {
        return peek(ahead).kind == Token::Word && peek(ahead).text == w;
    }
    bool acceptPunct(QStringView p)
    {
        if (!isPunct(p))
            return false;
        ++m_pos;
        return true;
    }
    bool acceptWord(QStringView w)
    {
        if (!isWord(w))
            return false;
        ++m_pos;
        return true;
    }
    Result<void> expectPunct(QStringView p)
    {
        if (acceptPunct(p))
            return {};
        return fail(u"expected '%1' but found %2"_s.arg(p, describe(peek())));
    }
    Result<void> expectWord(QStringView w)
    {
        if (acceptWord(w))
            return {};
        return fail(u"expected '%1' but found %2"_s.arg(w, describe(peek())));
    }
    Result<QString> expectText()
    {
        if (peek().kind != Token::Text)
            return fail(u"expected a quoted text but found %1"_s.arg(describe(peek())));
        return take().text;
    }
    Result<int> expectNumber()
    {
        bool ok = false;
        const int value = peek().kind == Token::Word ? peek().text.toInt(&ok) : 0;
        if (!ok || value < 0)
            return fail(u"expected a number but found %1"_s.arg(describe(peek())));
        take();
        return value;
    }

private:
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
};

// A printed text: cells side by side ("+" between them, or quoted texts one
// after the other), each cell one or more lines separated by "/".
Result<QList<QStringList>> readPrintedText(Reader &in)
{
    QList<QStringList> cells;
    for (;;) {
        Result<QString> first = in.expectText();
        if (!first)
            return first.error();
        QStringList lines{first.value()};
        while (in.acceptPunct(u"/")) {
            Result<QString> next = in.expectText();
            if (!next)
                return next.error();
            lines.append(next.value());
        }
        cells.append(lines);
        if (in.acceptPunct(u"+"))
            continue;
        if (in.peek().kind == Token::Text)
            continue;
        return cells;
    }
}

Result<QString> readCategory(Reader &in)
{
    const Token &t = in.peek();
    if (t.kind != Token::Word)
        return fail(u"expected a category but found %1"_s.arg(describe(t)));
    if (!isCategory(t.text))
        return fail(u"'%1' is not a category (one capital letter and two digits)"_s.arg(t.text));
    return in.take().text;
}

// A category or a range "A57-A64" / "E10 to E14", expanded to its categories.
Result<QStringList> readCategoryOrRange(Reader &in)
{
    Result<QString> first = readCategory(in);
    if (!first)
        return first.error();
    if (!in.acceptPunct(u"-") && !in.acceptWord(u"to"))
        return QStringList{first.value()};
    Result<QString> last = readCategory(in);
    if (!last)
        return last.error();
    const QString &from = first.value();
    const QString &to = last.value();
    if (from[0] != to[0])
        return fail(u"the range %1-%2 spans two letters"_s.arg(from, to));
    const int a = from.mid(1).toInt();
    const int b = to.mid(1).toInt();
    if (b < a)
        return fail(u"the range %1-%2 runs backwards"_s.arg(from, to));
    QStringList categories;
    for (int k = a; k <= b; ++k)
        categories.append(from[0] + u"%1"_s.arg(k, 2, 10, QLatin1Char('0')));
    return categories;
}

bool startsSubCategoryText(const Reader &in, size_t ahead = 0)
{
    return in.peek(ahead).kind == Token::Text || in.isWord(u"empty", ahead);
}

// The S_DIJA2 texts after "with S_DIJA2": quoted texts or the word empty,
// separated by commas and/or "or".
Result<QStringList> readSubCategories(Reader &in)
{
    if (!in.acceptWord(u"S_DIJA2"))
        return fail(u"expected S_DIJA2 after 'with' but found %1"_s.arg(describe(in.peek())));
    QStringList texts;
    for (;;) {
        if (in.peek().kind == Token::Text)
            texts.append(in.take().text);
        else if (in.acceptWord(u"empty"))
            texts.append(QString());
        else
            return fail(u"expected a quoted S_DIJA2 text or 'empty' but found %1"_s.arg(describe(in.peek())));
        if (in.acceptWord(u"or"))
            continue;
        if (in.isPunct(u",") && (startsSubCategoryText(in, 1) || in.isWord(u"or", 1))) {
            in.take();
            in.acceptWord(u"or");
            continue;
        }
        return texts;
    }
}

// The rule after "counts": terms separated by commas or semicolons.
Result<std::vector<RuleTerm>> readRule(Reader &in)
{
    std::vector<RuleTerm> rule;
    for (;;) {
        Result<QStringList> categories = readCategoryOrRange(in);
        if (!categories)
            return categories.error();
        std::optional<QStringList> subCategories;
        // "E10 to E14, each with ..." : the comma belongs to the sub-category phrase.
        if (in.isPunct(u",") && in.isWord(u"each", 1))
            in.take();
        if (in.acceptWord(u"each")) {
            if (Result<void> w = in.expectWord(u"with"); !w)
                return w.error();
            Result<QStringList> texts = readSubCategories(in);
            if (!texts)
                return texts.error();
            subCategories = texts.value();
        } else if (in.acceptWord(u"with")) {
            if (categories->size() > 1)
                return fail(u"a sub-category condition on a range is written 'each with'"_s);
            Result<QStringList> texts = readSubCategories(in);
            if (!texts)
                return texts.error();
            subCategories = texts.value();
        }
        for (const QString &category : categories.value()) {
            RuleTerm term;
            term.category = category;
            if (subCategories) {
                term.anySubCategory = false;
                term.subCategories = *subCategories;
            }
            rule.push_back(std::move(term));
        }
        if (in.atEnd())
            return rule;
        if (!in.acceptPunct(u",") && !in.acceptPunct(u";"))
            return fail(u"expected ',' or ';' between the counted categories but found %1"_s.arg(describe(in.peek())));
    }
}

// A row without a counts part counts the categories and ranges of its code
// text: every line of every cell a comma-separated list (empty items allowed,
// as after a line-ending comma).
Result<std::vector<RuleTerm>> ruleOfCodeText(const QList<QStringList> &code)
{
    std::vector<RuleTerm> rule;
    for (const QStringList &cell : code) {
        for (const QString &line : cell) {
            Result<std::vector<Token>> tokens = tokenize(line);
            if (!tokens)
                return fail(u"the code text \"%1\" is not a list of categories (%2); give the rule after 'counts'"_s.arg(
                    line, tokens.message()));
            Reader in(std::move(tokens.value()));
            while (!in.atEnd()) {
                if (in.acceptPunct(u","))
                    continue;
                Result<QStringList> categories = readCategoryOrRange(in);
                if (!categories)
                    return fail(u"the code text \"%1\" is not a list of categories (%2); give the rule after 'counts'"_s
                                    .arg(line, categories.message()));
                for (const QString &category : categories.value())
                    rule.push_back(RuleTerm{category, true, {}});
                if (!in.atEnd() && !in.isPunct(u","))
                    return fail(u"the code text \"%1\" is not a list of categories (unexpected %2); give the rule after 'counts'"_s
                                    .arg(line, describe(in.peek())));
            }
        }
    }
    return rule;
}

// row := number [ "(" ["printed"] text ")" ] label ";" code [ ";" "counts" rule ]
Result<CatalogueRow> readRow(Reader &in)
{
    CatalogueRow row;
    Result<int> number = in.expectNumber();
    if (!number)
        return number.error();
    row.number = number.value();
    row.ordinal = QString::number(row.number);
    if (in.acceptPunct(u"(")) {
        in.acceptWord(u"printed");
        Result<QString> ordinal = in.expectText();
        if (!ordinal)
            return ordinal.error();
        row.ordinal = ordinal.value();
        if (Result<void> close = in.expectPunct(u")"); !close)
            return close.error();
    }
    Result<QList<QStringList>> label = readPrintedText(in);
    if (!label)
        return label.error();
    row.label = label.value();
    if (Result<void> semicolon = in.expectPunct(u";"); !semicolon)
        return semicolon.error();
    Result<QList<QStringList>> code = readPrintedText(in);
    if (!code)
        return code.error();
    row.code = code.value();
    if (in.atEnd()) {
        Result<std::vector<RuleTerm>> rule = ruleOfCodeText(row.code);
        if (!rule)
            return rule.error();
        row.rule = std::move(rule.value());
    } else {
        if (Result<void> semicolon = in.expectPunct(u";"); !semicolon)
            return semicolon.error();
        if (Result<void> counts = in.expectWord(u"counts"); !counts)
            return counts.error();
        Result<std::vector<RuleTerm>> rule = readRule(in);
        if (!rule)
            return rule.error();
        row.rule = std::move(rule.value());
    }
    if (row.rule.empty())
        return fail(u"row %1 counts no category"_s.arg(row.number));
    return row;
}

// block := "block" number "rows" first "-" last "code" text "numeral" text "range" text
Result<std::pair<int, ChapterBlock>> readBlock(Reader &in)
{
    in.take(); // "block"
    Result<int> number = in.expectNumber();
    if (!number)
        return number.error();
    ChapterBlock block;
    if (Result<void> w = in.expectWord(u"rows"); !w)
        return w.error();
    Result<int> first = in.expectNumber();
    if (!first)
        return first.error();
    if (Result<void> dash = in.expectPunct(u"-"); !dash)
        return dash.error();
    Result<int> last = in.expectNumber();
    if (!last)
        return last.error();
    block.first = first.value();
    block.last = last.value();
    const std::pair<QStringView, QString *> fields[] = {
        {u"code", &block.code}, {u"numeral", &block.numeral}, {u"range", &block.codeRange}};
    for (const auto &[name, target] : fields) {
        if (Result<void> w = in.expectWord(name); !w)
            return w.error();
        Result<QString> text = in.expectText();
        if (!text)
            return text.error();
        *target = text.value();
    }
    if (!in.atEnd())
        return fail(u"unexpected %1 after the block"_s.arg(describe(in.peek())));
    if (block.code.isEmpty())
        return fail(u"block %1 has an empty code"_s.arg(number.value()));
    if (block.last < block.first)
        return fail(u"block %1 runs backwards (rows %2-%3)"_s.arg(number.value()).arg(block.first).arg(block.last));
    return std::pair{number.value(), block};
}

} // namespace

Result<RowCatalogue> RowCatalogue::parse(const QString &text, const QString &sourceName)
{
    RowCatalogue catalogue;
    std::vector<int> blockLines; // source line of each block, for the coverage errors
    int lastRowLine = 0;
    const auto error = [&](int lineNumber, const QString &message) {
        return fail(u"%1 line %2: %3"_s.arg(sourceName).arg(lineNumber).arg(message));
    };

    const QList<QStringView> lines = QStringView(text).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i) + 1;
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView content = line.trimmed();
        if (content.isEmpty() || content.startsWith(u'#'))
            continue;

        Result<std::vector<Token>> tokens = tokenize(line);
        if (!tokens)
            return error(lineNumber, tokens.message());
        Reader in(std::move(tokens.value()));

        if (in.isWord(u"block")) {
            Result<std::pair<int, ChapterBlock>> numbered = readBlock(in);
            if (!numbered)
                return error(lineNumber, numbered.message());
            const auto &[number, block] = numbered.value();
            const int expected = int(catalogue.m_blocks.size()) + 1;
            if (number != expected)
                return error(lineNumber, u"block %1 follows block %2; blocks are numbered 1, 2, 3 ... in order"_s
                                             .arg(number)
                                             .arg(expected - 1));
            for (const ChapterBlock &other : catalogue.m_blocks)
                if (other.code == block.code)
                    return error(lineNumber, u"the block code \"%1\" is used twice"_s.arg(other.code));
            catalogue.m_blocks.push_back(block);
            blockLines.push_back(lineNumber);
            continue;
        }

        Result<CatalogueRow> row = readRow(in);
        if (!row)
            return error(lineNumber, row.message());
        const int expected = catalogue.rowCount() + 1;
        if (row->number != expected && expected == 1)
            return error(lineNumber, u"the first row is numbered %1; rows are numbered 1, 2, 3 ... without gaps"_s
                                         .arg(row->number));
        if (row->number != expected)
            return error(lineNumber, u"row %1 follows row %2; rows are numbered 1, 2, 3 ... without gaps"_s
                                         .arg(row->number)
                                         .arg(expected - 1));
        catalogue.m_rows.push_back(std::move(row.value()));
        lastRowLine = lineNumber;
    }

    if (catalogue.m_rows.empty())
        return fail(u"%1: the catalogue has no rows"_s.arg(sourceName));
    if (catalogue.m_blocks.empty())
        return error(lastRowLine, u"the catalogue has no chapter blocks"_s);
    const int rowCount = catalogue.rowCount();
    int nextRow = 1;
    for (size_t b = 0; b < catalogue.m_blocks.size(); ++b) {
        const ChapterBlock &block = catalogue.m_blocks[b];
        if (block.first != nextRow)
            return error(blockLines[b], u"block %1 starts at row %2, expected row %3: blocks cover the rows in order "
                                        "without gap or overlap"_s
                                            .arg(b + 1)
                                            .arg(block.first)
                                            .arg(nextRow));
        if (block.last > rowCount)
            return error(blockLines[b],
                         u"block %1 ends at row %2 but the catalogue has %3 rows"_s.arg(b + 1).arg(block.last).arg(rowCount));
        nextRow = block.last + 1;
    }
    if (nextRow != rowCount + 1) {
        return error(blockLines.back(), u"the blocks cover rows 1 to %1 but the catalogue has %2 rows"_s.arg(nextRow - 1).arg(rowCount));
    }

    catalogue.buildIndex();
    return catalogue;
}

Result<RowCatalogue> RowCatalogue::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(u"Cannot read the row catalogue %1: %2"_s.arg(path, file.errorString()));
    return parse(QString::fromUtf8(file.readAll()), path);
}

void RowCatalogue::buildIndex()
{
    m_index.clear();
    for (const CatalogueRow &row : m_rows) {
        for (const RuleTerm &term : row.rule) {
            CategoryEntry &entry = m_index[term.category];
            if (term.anySubCategory) {
                if (entry.anySubCategory.empty() || entry.anySubCategory.back() != row.number)
                    entry.anySubCategory.push_back(row.number);
                continue;
            }
            for (const QString &text : term.subCategories) {
                auto found = std::find_if(entry.bySubCategory.begin(), entry.bySubCategory.end(),
                                          [&](const auto &pair) { return pair.first == text; });
                if (found == entry.bySubCategory.end()) {
                    entry.bySubCategory.emplace_back(text, std::vector<int>{});
                    found = std::prev(entry.bySubCategory.end());
                }
                if (found->second.empty() || found->second.back() != row.number)
                    found->second.push_back(row.number);
            }
        }
    }
    // A listed S_DIJA2 text also takes the rows that count the category
    // whatever S_DIJA2 holds; rows were visited in ascending order.
    for (CategoryEntry &entry : m_index) {
        for (auto &[text, rows] : entry.bySubCategory) {
            std::vector<int> merged;
            merged.reserve(rows.size() + entry.anySubCategory.size());
            std::set_union(rows.begin(), rows.end(), entry.anySubCategory.begin(), entry.anySubCategory.end(),
                           std::back_inserter(merged));
            rows = std::move(merged);
        }
    }
}

const std::vector<int> &RowCatalogue::classify(QStringView sDija, QStringView sDija2) const
{
    static const std::vector<int> none;
    // A view of the caller's characters as the key: no copy per record.
    const QString key = QString::fromRawData(sDija.data(), sDija.size());
    const auto found = m_index.constFind(key);
    if (found == m_index.cend())
        return none;
    for (const auto &[text, rows] : found->bySubCategory)
        if (text == sDija2)
            return rows;
    return found->anySubCategory;
}

std::vector<int> RowCatalogue::classifyByTestingEveryRule(QStringView sDija, QStringView sDija2) const
{
    std::vector<int> rows;
    for (const CatalogueRow &row : m_rows) {
        for (const RuleTerm &term : row.rule) {
            if (term.category != sDija)
                continue;
            if (term.anySubCategory
                || std::any_of(term.subCategories.begin(), term.subCategories.end(),
                               [&](const QString &text) { return text == sDija2; })) {
                rows.push_back(row.number);
                break;
            }
        }
    }
    return rows;
}

} // namespace tarel::tabulation

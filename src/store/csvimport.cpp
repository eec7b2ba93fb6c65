#include "store/csvimport.h"

#include "store/sqlrun.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <optional>

namespace store {

namespace {

// Codes are compared the way the program compares them: trailing blanks do not count.
QString rtrimmed(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

int lineAt(const QByteArray &bytes, qsizetype offset)
{
    return int(bytes.left(offset).count('\n')) + 1;
}

// The first line that strict UTF-8 cannot read, or nothing when all can.
std::optional<int> firstBadUtf8Line(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(lines[i]); // the decoding runs on conversion
        if (decoder.hasError())
            return int(i) + 1;
    }
    return std::nullopt;
}

// Qt's converter named "CP949" is the IBM table, which lacks the extended
// Hangul syllables of the code page and lets cut-off sequences pass; glibc's
// iconv has the full code page and stops at the first byte it cannot read.
struct Cp949Result
{
    QString text;
    qsizetype badOffset = -1;
};

Cp949Result decodeCp949(const QByteArray &bytes)
{
    Cp949Result result;
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == iconv_t(-1)) {
        result.badOffset = 0;
        return result;
    }
    QByteArray input = bytes;
    QByteArray output(input.size() * 3 + 16, Qt::Uninitialized);
    char *in = input.data();
    size_t inLeft = size_t(input.size());
    char *out = output.data();
    size_t outLeft = size_t(output.size());
    if (iconv(cd, &in, &inLeft, &out, &outLeft) == size_t(-1))
        result.badOffset = in - input.data();
    else
        result.text = QString::fromUtf8(output.constData(), out - output.data());
    iconv_close(cd);
    return result;
}

QString byteHex(const QByteArray &bytes, qsizetype offset)
{
    return QStringLiteral("0x") + QString::number(uchar(bytes.at(offset)), 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

bool isBreak(const QString &text, qsizetype i)
{
    return i < text.size() && (text.at(i) == QLatin1Char('\n') || text.at(i) == QLatin1Char('\r'));
}

// Past one line break (CR LF, LF or a lone CR).
qsizetype skipBreak(const QString &text, qsizetype i)
{
    if (text.at(i) == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
        return i + 2;
    return i + 1;
}

// Reads CSV text record by record, keeping count of the physical lines.
class CsvReader
{
public:
    explicit CsvReader(const QString &text) : m_text(text) {}

    CsvText read()
    {
        CsvText out;
        while (m_pos < m_text.size()) {
            if (isBreak(m_text, m_pos)) {
                nextLine();
                continue;
            }
            CsvRecord record;
            record.line = m_line;
            m_fault.clear();
            if (!readRecord(record, out))
                break;
            if (m_fault.isEmpty())
                out.records << record;
            else
                out.problems << CsvProblem{record.line, m_fault};
            if (m_pos < m_text.size())
                nextLine();
        }
        return out;
    }

private:
    void nextLine()
    {
        m_pos = skipBreak(m_text, m_pos);
        ++m_line;
    }

    // False when a quote is never closed: the rest of the file is then lost to
    // that field, and reading stops.
    bool readRecord(CsvRecord &record, CsvText &out)
    {
        for (;;) {
            QString field;
            if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('"')) {
                if (!readQuoted(field, out))
                    return false;
            } else {
                readPlain(field);
            }
            record.fields << field;
            if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char(',')) {
                ++m_pos;
                continue;
            }
            return true;
        }
    }

    void readPlain(QString &field)
    {
        while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char(',') && !isBreak(m_text, m_pos))
            field += m_text.at(m_pos++);
    }

    bool readQuoted(QString &field, CsvText &out)
    {
        const int opened = m_line;
        ++m_pos;
        for (;;) {
            if (m_pos >= m_text.size()) {
                out.problems << CsvProblem{opened, QStringLiteral("따옴표(\")가 닫히지 않았습니다. 이 줄에서 연 따옴표가 "
                                                                  "파일 끝까지 이어집니다.")};
                return false;
            }
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('"')) {
                if (m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == QLatin1Char('"')) {
                    field += c;
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
            if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && !(m_pos + 1 < m_text.size()
                                                                      && m_text.at(m_pos + 1) == QLatin1Char('\n'))))
                ++m_line;
            field += c;
            ++m_pos;
        }
        if (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char(',') && !isBreak(m_text, m_pos)) {
            m_fault = QStringLiteral("닫는 따옴표 뒤에 쉼표 없이 글자가 이어집니다. 값 안의 따옴표는 두 번(\"\") "
                                     "써야 합니다.");
            readPlain(field);
        }
        return true;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    QString m_fault;
};

// Which table column each field of the file fills.
struct HeaderMap
{
    QList<int> columnOf; // per field: index into the table's columns
    int keyField = -1;
};

QString columnList(const CodeTable &table)
{
    QStringList names;
    for (const CodeColumn &c : table.columns)
        names << c.name;
    return names.join(QLatin1String(", "));
}

std::optional<HeaderMap> readHeader(const CodeTable &table, const CsvRecord &header, QList<CsvProblem> &problems)
{
    HeaderMap map;
    const qsizetype before = problems.size();
    for (qsizetype f = 0; f < header.fields.size(); ++f) {
        const QString name = header.fields[f].trimmed();
        int found = -1;
        for (qsizetype c = 0; c < table.columns.size(); ++c)
            if (table.columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
                found = int(c);
        if (name.isEmpty())
            problems << CsvProblem{header.line, QStringLiteral("제목 줄의 %1번째 열 이름이 비어 있습니다.").arg(f + 1)};
        else if (found < 0)
            problems << CsvProblem{header.line, QStringLiteral("%1 테이블에 없는 열 이름입니다: '%2' (쓸 수 있는 열: %3)")
                                                    .arg(table.name, name, columnList(table))};
        else if (map.columnOf.contains(found))
            problems << CsvProblem{header.line, QStringLiteral("같은 열 이름이 두 번 나옵니다: '%1'").arg(name)};
        if (found == 0)
            map.keyField = int(f);
        map.columnOf << found;
    }
    if (map.keyField < 0)
        problems << CsvProblem{header.line, QStringLiteral("제목 줄에 코드 열이 없습니다: '%1'").arg(table.key().name)};
    if (problems.size() > before)
        return std::nullopt;
    return map;
}

QSet<QString> storedKeys(QSqlDatabase db, const CodeTable &table)
{
    QSqlQuery query = run(db, {QStringLiteral("SELECT rtrim(%1) AS code FROM %2").arg(table.key().name, table.name)});
    QSet<QString> keys;
    while (query.next())
        keys.insert(query.value(0).toString());
    return keys;
}

// Checks one data row; adds a problem for every fault found.
void checkRow(const CodeTable &table, const HeaderMap &map, const CsvRecord &row, const QSet<QString> &stored,
              QHash<QString, int> &seen, QList<CsvProblem> &problems)
{
    if (row.fields.size() != map.columnOf.size()) {
        problems << CsvProblem{row.line, QStringLiteral("열의 수가 맞지 않습니다: 제목 줄은 %1열인데 이 줄은 %2열입니다.")
                                             .arg(map.columnOf.size()).arg(row.fields.size())};
        return;
    }
    for (qsizetype f = 0; f < row.fields.size(); ++f) {
        const CodeColumn &column = table.columns[map.columnOf[f]];
        const int width = codePageWidth(row.fields[f]);
        if (width > column.width)
            problems << CsvProblem{row.line, QStringLiteral("'%1' 값이 너무 깁니다: 최대 %2바이트인데 %3바이트입니다 "
                                                            "(한글 한 글자는 2바이트).")
                                                 .arg(column.name).arg(column.width).arg(width)};
    }
    const QString key = rtrimmed(row.fields[map.keyField]);
    if (key.isEmpty()) {
        problems << CsvProblem{row.line, QStringLiteral("코드(%1)가 비어 있습니다.").arg(table.key().name)};
    } else if (seen.contains(key)) {
        problems << CsvProblem{row.line, QStringLiteral("코드가 겹칩니다: '%1' (이 파일의 %2행에도 있습니다)")
                                             .arg(key).arg(seen.value(key))};
    } else {
        seen.insert(key, row.line);
        if (stored.contains(key))
            problems << CsvProblem{row.line, QStringLiteral("코드가 겹칩니다: '%1' (%2 테이블에 이미 있습니다)")
                                                 .arg(key, table.name)};
    }
}

QStringList insertStatement(const CodeTable &table, const QStringList &columns)
{
    QStringList params;
    for (const QString &c : columns)
        params << QStringLiteral(":tb") + c;
    return {QStringLiteral("INSERT INTO %1 (%2)").arg(table.name, columns.join(QLatin1String(", "))),
            QStringLiteral("VALUES (%1)").arg(params.join(QLatin1String(", ")))};
}

Params bindings(const QStringList &columns, const QStringList &values)
{
    Params params;
    for (qsizetype i = 0; i < columns.size(); ++i)
        params.emplace_back(QStringLiteral(":tb") + columns[i], values[i]);
    return params;
}

void writeRows(QSqlDatabase db, const CodeTable &table, const HeaderMap &map, const QList<CsvRecord> &rows,
               const ImportProgress &progress)
{
    QStringList columns;
    for (int c : map.columnOf)
        columns << table.columns[c].name;
    const QStringList statement = insertStatement(table, columns);
    const int total = int(rows.size());
    Transaction transaction(db);
    for (int i = 0; i < total; ++i) {
        run(db, statement, bindings(columns, rows[i].fields));
        if (progress && (i + 1) % progressStep == 0)
            progress(i + 1, total);
    }
    transaction.commit();
}

bool byLine(const CsvProblem &a, const CsvProblem &b)
{
    return a.line < b.line;
}

} // namespace

int codePageWidth(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() < 0x80 ? 1 : 2;
    return width;
}

int countRows(QSqlDatabase db, const CodeTable &table)
{
    QSqlQuery query = run(db, {QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(table.name)});
    return query.next() ? query.value(0).toInt() : 0;
}

void insertCodeRow(QSqlDatabase db, const CodeTable &table, const QStringList &columns, const QStringList &values)
{
    run(db, insertStatement(table, columns), bindings(columns, values));
}

DecodedText decodeCsvBytes(const QByteArray &bytes)
{
    DecodedText out;
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        out.problems << CsvProblem{lineAt(bytes, nul), QStringLiteral("글자 파일이 아닙니다: 0 바이트가 있습니다. UTF-16으로 "
                                                                      "저장한 파일이면 UTF-8이나 CP949로 다시 저장하세요.")};
        return out;
    }
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray body = bom ? bytes.mid(3) : bytes;
    const std::optional<int> utf8Bad = firstBadUtf8Line(body);
    if (!utf8Bad) {
        out.text = QString::fromUtf8(body);
        out.encoding = bom ? QStringLiteral("UTF-8 (BOM)") : QStringLiteral("UTF-8");
        return out;
    }
    if (bom) {
        out.problems << CsvProblem{*utf8Bad, QStringLiteral("파일이 UTF-8 표시(BOM)로 시작하지만 이 줄에 UTF-8로 읽을 수 "
                                                            "없는 바이트가 있습니다.")};
        return out;
    }
    const Cp949Result cp949 = decodeCp949(body);
    if (cp949.badOffset < 0) {
        out.text = cp949.text;
        out.encoding = QStringLiteral("CP949");
        return out;
    }
    const int cpBad = lineAt(body, cp949.badOffset);
    const QString where = cp949.badOffset < body.size() ? byteHex(body, cp949.badOffset) : QStringLiteral("끝");
    out.problems << CsvProblem{std::min(*utf8Bad, cpBad),
                               QStringLiteral("문자 인코딩을 알 수 없습니다: UTF-8로는 %1행을, CP949로는 %2행(바이트 %3)을 "
                                              "읽을 수 없습니다. UTF-8이나 CP949로 저장한 파일을 쓰세요.")
                                   .arg(*utf8Bad).arg(cpBad).arg(where)};
    return out;
}

CsvText parseCsv(const QString &text)
{
    return CsvReader(text).read();
}

ImportReport importCodeTable(QSqlDatabase db, const CodeTable &table, const QByteArray &bytes,
                             const ImportProgress &progress)
{
    ImportReport report;
    report.table = table.name;
    const DecodedText decoded = decodeCsvBytes(bytes);
    report.encoding = decoded.encoding;
    report.problems = decoded.problems;
    if (!report.ok())
        return report;
    CsvText csv = parseCsv(decoded.text);
    report.problems = csv.problems;
    if (csv.records.isEmpty()) {
        if (report.ok())
            report.problems << CsvProblem{1, QStringLiteral("파일이 비어 있습니다. 첫 줄에 열 이름, 다음 줄부터 자료가 "
                                                            "있어야 합니다.")};
        return report;
    }
    // A fault on the first line leaves no header to read the rows by.
    if (!report.ok() && report.problems.first().line < csv.records.first().line)
        return report;
    const CsvRecord header = csv.records.takeFirst();
    const std::optional<HeaderMap> map = readHeader(table, header, report.problems);
    if (!map) {
        std::sort(report.problems.begin(), report.problems.end(), byLine);
        return report;
    }
    if (csv.records.isEmpty() && report.ok()) {
        report.problems << CsvProblem{header.line, QStringLiteral("제목 줄만 있고 가져올 자료가 없습니다.")};
        return report;
    }
    const QSet<QString> stored = storedKeys(db, table);
    QHash<QString, int> seen;
    for (const CsvRecord &row : std::as_const(csv.records))
        checkRow(table, *map, row, stored, seen, report.problems);
    std::stable_sort(report.problems.begin(), report.problems.end(), byLine);
    if (!report.ok())
        return report;
    writeRows(db, table, *map, csv.records, progress);
    report.rows = int(csv.records.size());
    return report;
}

} // namespace store

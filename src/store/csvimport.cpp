#include "store/csvimport.h"

#include "store/dialect.h"

#include "base/error.h"
#include "store/sqlrun.h"

#include <QBuffer>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <iconv.h>
#include <memory>
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

bool isValidUtf8(const QByteArray &line)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(line); // the decoding runs on conversion
    return !decoder.hasError();
}

// Qt's converter named "CP949" is the IBM table, which lacks the extended
// Hangul syllables of the code page and lets cut-off sequences pass; glibc's
// iconv has the full code page and stops at the first byte it cannot read.
// One converter serves a whole file, line by line: the code page has no
// state across a line break, and no byte of a two-byte character is a line
// feed.
class Cp949Decoder
{
public:
    Cp949Decoder() : m_cd(iconv_open("UTF-8", "CP949")) {}
    ~Cp949Decoder()
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    Cp949Decoder(const Cp949Decoder &) = delete;
    Cp949Decoder &operator=(const Cp949Decoder &) = delete;

    // The line as text, or the offset of the first byte that cannot be read.
    bool decode(const QByteArray &line, QString &text, qsizetype &badOffset)
    {
        if (m_cd == iconv_t(-1)) {
            badOffset = 0;
            return false;
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        QByteArray input = line;
        QByteArray output(input.size() * 3 + 16, Qt::Uninitialized);
        char *in = input.data();
        size_t inLeft = size_t(input.size());
        char *out = output.data();
        size_t outLeft = size_t(output.size());
        if (iconv(m_cd, &in, &inLeft, &out, &outLeft) == size_t(-1)) {
            badOffset = in - input.data();
            return false;
        }
        text = QString::fromUtf8(output.constData(), out - output.data());
        return true;
    }

private:
    iconv_t m_cd;
};

QString byteHex(const QByteArray &bytes, qsizetype offset)
{
    return QStringLiteral("0x") +
           QString::number(uchar(bytes.at(offset)), 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

// Reads CSV text record by record, keeping count of the physical lines. The
// text comes in pieces (a line of the file at a time): only the record being
// read is held.
class CsvReader
{
public:
    using Source = std::function<bool(QString &piece)>;
    using OnRecord = std::function<void(const CsvRecord &record)>;
    using OnProblem = std::function<void(const CsvProblem &problem)>;

    explicit CsvReader(Source source) : m_source(std::move(source)) {}

    void read(const OnRecord &onRecord, const OnProblem &onProblem)
    {
        while (has()) {
            if (isBreakHere()) {
                nextLine();
                continue;
            }
            CsvRecord record;
            record.line = m_line;
            m_fault.clear();
            if (!readRecord(record, onProblem))
                break;
            if (m_fault.isEmpty())
                onRecord(record);
            else
                onProblem(CsvProblem{record.line, m_fault});
            if (has())
                nextLine();
        }
    }

private:
    // True when the character `ahead` of the position is there, reading more
    // text when needed; what was read before the position is let go.
    bool has(qsizetype ahead = 0)
    {
        while (m_pos + ahead >= m_text.size()) {
            QString piece;
            if (m_ended || !m_source(piece)) {
                m_ended = true;
                return false;
            }
            m_text.remove(0, m_pos);
            m_pos = 0;
            m_text += piece;
        }
        return true;
    }
    QChar at(qsizetype ahead = 0) const { return m_text.at(m_pos + ahead); }
    bool isBreakHere(qsizetype ahead = 0)
    {
        return has(ahead) && (at(ahead) == QLatin1Char('\n') || at(ahead) == QLatin1Char('\r'));
    }

    // Past one line break (CR LF, LF or a lone CR).
    void nextLine()
    {
        m_pos += at() == QLatin1Char('\r') && has(1) && at(1) == QLatin1Char('\n') ? 2 : 1;
        ++m_line;
    }

    // False when a quote is never closed: the rest of the file is then lost to
    // that field, and reading stops.
    bool readRecord(CsvRecord &record, const OnProblem &onProblem)
    {
        for (;;) {
            QString field;
            if (has() && at() == QLatin1Char('"')) {
                if (!readQuoted(field, onProblem))
                    return false;
            } else {
                readPlain(field);
            }
            record.fields << field;
            if (has() && at() == QLatin1Char(',')) {
                ++m_pos;
                continue;
            }
            return true;
        }
    }

    void readPlain(QString &field)
    {
        while (has() && at() != QLatin1Char(',') && !isBreakHere())
            field += at(), ++m_pos;
    }

    bool readQuoted(QString &field, const OnProblem &onProblem)
    {
        const int opened = m_line;
        ++m_pos;
        for (;;) {
            if (!has()) {
                onProblem(CsvProblem{opened, QStringLiteral("따옴표(\")가 닫히지 않았습니다. 이 줄에서 연 따옴표가 "
                                                            "파일 끝까지 이어집니다.")});
                return false;
            }
            const QChar c = at();
            if (c == QLatin1Char('"')) {
                if (has(1) && at(1) == QLatin1Char('"')) {
                    field += c;
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
            if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && !(has(1) && at(1) == QLatin1Char('\n'))))
                ++m_line;
            field += c;
            ++m_pos;
        }
        if (has() && at() != QLatin1Char(',') && !isBreakHere()) {
            m_fault = QStringLiteral("닫는 따옴표 뒤에 쉼표 없이 글자가 이어집니다. 값 안의 따옴표는 두 번(\"\") "
                                     "써야 합니다.");
            readPlain(field);
        }
        return true;
    }

    Source m_source;
    QString m_text;
    qsizetype m_pos = 0;
    bool m_ended = false;
    int m_line = 1;
    QString m_fault;
};

// The first pass over the file: which encoding reads every line. Lines are
// read one at a time; nothing of the file is kept.
struct EncodingScan
{
    QString encoding;
    bool bom = false;
    QList<CsvProblem> problems;
};

const qint64 progressBytes = 4 * 1024 * 1024;

EncodingScan scanEncoding(QIODevice &file, const ImportProgress &progress)
{
    EncodingScan scan;
    std::optional<int> utf8Bad, cpBad, nulLine;
    QString cpByte;
    Cp949Decoder cp949;
    qint64 reported = 0;
    for (int line = 1; !file.atEnd(); ++line) {
        QByteArray bytes = file.readLine();
        if (line == 1 && bytes.startsWith("\xEF\xBB\xBF")) {
            scan.bom = true;
            bytes.remove(0, 3);
        }
        if (bytes.contains('\0')) {
            nulLine = line;
            break;
        }
        QByteArray content = bytes;
        if (content.endsWith('\n'))
            content.chop(1);
        if (!utf8Bad && !isValidUtf8(content))
            utf8Bad = line;
        QString text;
        qsizetype offset = 0;
        if (!cpBad && !cp949.decode(bytes, text, offset)) {
            cpBad = line;
            cpByte = byteHex(bytes, offset);
        }
        if (progress && file.pos() - reported >= progressBytes) {
            reported = file.pos();
            progress(ImportPhase::Reading, reported, file.size());
        }
    }
    if (progress)
        progress(ImportPhase::Reading, file.pos(), file.size());
    if (nulLine) {
        scan.problems << CsvProblem{*nulLine, QStringLiteral("글자 파일이 아닙니다: 0 바이트가 있습니다. UTF-16으로 "
                                                             "저장한 파일이면 UTF-8이나 CP949로 다시 저장하세요.")};
    } else if (!utf8Bad) {
        scan.encoding = scan.bom ? QStringLiteral("UTF-8 (BOM)") : QStringLiteral("UTF-8");
    } else if (scan.bom) {
        scan.problems << CsvProblem{*utf8Bad,
                                    QStringLiteral("파일이 UTF-8 표시(BOM)로 시작하지만 이 줄에 UTF-8로 읽을 수 "
                                                   "없는 바이트가 있습니다.")};
    } else if (!cpBad) {
        scan.encoding = QStringLiteral("CP949");
    } else {
        scan.problems << CsvProblem{
            std::min(*utf8Bad, *cpBad),
            QStringLiteral("문자 인코딩을 알 수 없습니다: UTF-8로는 %1행을, CP949로는 %2행(바이트 %3)을 "
                           "읽을 수 없습니다. UTF-8이나 CP949로 저장한 파일을 쓰세요.")
                .arg(*utf8Bad)
                .arg(*cpBad)
                .arg(cpByte)};
    }
    return scan;
}

// The file's lines as text in the encoding found, for the reader.
CsvReader::Source decodedLines(QIODevice &file, const EncodingScan &scan, Cp949Decoder &cp949)
{
    // Only the file's own byte-order mark is dropped: one that begins a later
    // line is part of the text (a plain UTF-8 conversion of each line would
    // drop it too).
    auto utf8 = std::make_shared<QStringDecoder>(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return [&file, &scan, &cp949, utf8, first = true](QString &piece) mutable {
        if (file.atEnd())
            return false;
        QByteArray bytes = file.readLine();
        if (first && scan.bom)
            bytes.remove(0, 3);
        first = false;
        qsizetype offset = 0;
        if (scan.encoding == QLatin1String("CP949"))
            cp949.decode(bytes, piece, offset);
        else
            piece = utf8->decode(bytes);
        return true;
    };
}

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
            problems << CsvProblem{header.line,
                                   QStringLiteral("%1 테이블에 없는 열 이름입니다: '%2' (쓸 수 있는 열: %3)")
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

// The rows wait in a temporary table until every one has been checked: keys
// repeated in the file, or stored already, are found there by the database,
// however large the file.
const QString stageName = QStringLiteral("csv_stage");

void createStage(QSqlDatabase db, int columns)
{
    const Dialect &dialect = Dialect::of(db);
    QStringList ddl{QStringLiteral("n integer PRIMARY KEY"), QStringLiteral("line integer NOT NULL"),
                    QStringLiteral("k text NOT NULL")};
    for (int c = 0; c < columns; ++c)
        ddl << QStringLiteral("c%1 text NOT NULL").arg(c);
    if (const QString drop = dialect.dropTempTable(stageName); !drop.isEmpty())
        exec(db, drop);
    exec(db, QStringLiteral("CREATE TEMP TABLE %1 (%2)%3")
                 .arg(stageName, ddl.join(QLatin1String(", ")), dialect.tempTableOptions()));
}

// Checks one data row's own fields; adds a problem for every fault found.
// True when its key can be compared with the others.
bool checkRow(const CodeTable &table, const HeaderMap &map, const CsvRecord &row, QList<CsvProblem> &problems)
{
    if (row.fields.size() != map.columnOf.size()) {
        problems << CsvProblem{row.line,
                               QStringLiteral("열의 수가 맞지 않습니다: 제목 줄은 %1열인데 이 줄은 %2열입니다.")
                                   .arg(map.columnOf.size())
                                   .arg(row.fields.size())};
        return false;
    }
    for (qsizetype f = 0; f < row.fields.size(); ++f) {
        const CodeColumn &column = table.columns[map.columnOf[f]];
        const int width = codePageWidth(row.fields[f]);
        if (width > column.width)
            problems << CsvProblem{row.line, QStringLiteral("'%1' 값이 너무 깁니다: 최대 %2바이트인데 %3바이트입니다 "
                                                            "(한글 한 글자는 2바이트).")
                                                 .arg(column.name)
                                                 .arg(column.width)
                                                 .arg(width)};
    }
    if (rtrimmed(row.fields[map.keyField]).isEmpty()) {
        problems << CsvProblem{row.line, QStringLiteral("코드(%1)가 비어 있습니다.").arg(table.key().name)};
        return false;
    }
    return true;
}

// The keys given twice in the file (each after its first line), and those
// already stored, as problems: at most `limit` of each, by line.
void checkKeys(QSqlDatabase db, const CodeTable &table, int limit, QList<CsvProblem> &problems, int &more)
{
    QSqlQuery repeated = run(db, {QStringLiteral("SELECT s.line, s.k, f.first FROM %1 s").arg(stageName),
                                  QStringLiteral("JOIN (SELECT k, MIN(line) AS first FROM %1 GROUP BY k HAVING "
                                                 "COUNT(*) > 1) f ON f.k = s.k")
                                      .arg(stageName),
                                  QStringLiteral("WHERE s.line > f.first ORDER BY s.line")});
    for (int n = 0; repeated.next(); ++n) {
        if (n < limit)
            problems << CsvProblem{repeated.value(0).toInt(),
                                   QStringLiteral("코드가 겹칩니다: '%1' (이 파일의 %2행에도 있습니다)")
                                       .arg(repeated.value(1).toString())
                                       .arg(repeated.value(2).toInt())};
        else
            ++more;
    }
    QSqlQuery stored = run(
        db, {QStringLiteral("SELECT s.line, s.k FROM %1 s").arg(stageName),
             QStringLiteral("WHERE s.k IN (SELECT rtrim(%1) FROM %2)").arg(table.key().name, table.name),
             QStringLiteral("AND NOT EXISTS (SELECT 1 FROM %1 e WHERE e.k = s.k AND e.line < s.line)").arg(stageName),
             QStringLiteral("ORDER BY s.line")});
    for (int n = 0; stored.next(); ++n) {
        if (n < limit)
            problems << CsvProblem{stored.value(0).toInt(),
                                   QStringLiteral("코드가 겹칩니다: '%1' (%2 테이블에 이미 있습니다)")
                                       .arg(stored.value(1).toString(), table.name)};
        else
            ++more;
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

// Moves the checked rows from the stage into the table, in the file's order,
// a step of rows at a time for the progress shown.
void writeRows(QSqlDatabase db, const CodeTable &table, const HeaderMap &map, int total, const ImportProgress &progress)
{
    QStringList columns, values;
    for (qsizetype f = 0; f < map.columnOf.size(); ++f) {
        columns << table.columns[map.columnOf[f]].name;
        values << QStringLiteral("c%1").arg(f);
    }
    const QStringList statement{
        QStringLiteral("INSERT INTO %1 (%2)").arg(table.name, columns.join(QLatin1String(", "))),
        QStringLiteral("SELECT %1 FROM %2").arg(values.join(QLatin1String(", ")), stageName),
        QStringLiteral("WHERE n > :tbFrom AND n <= :tbTo ORDER BY n")};
    for (int done = 0; done < total;) {
        const int step = std::min(progressStep, total - done);
        run(db, statement, {{QStringLiteral(":tbFrom"), done}, {QStringLiteral(":tbTo"), done + step}});
        done += step;
        if (progress && total >= progressStep)
            progress(ImportPhase::Writing, done, total);
    }
}

bool byLine(const CsvProblem &a, const CsvProblem &b)
{
    return a.line < b.line;
}

// Problems past the first `limit` (by line) are counted, not listed.
void keepFirst(QList<CsvProblem> &problems, int limit, int &more)
{
    std::stable_sort(problems.begin(), problems.end(), byLine);
    if (problems.size() > limit) {
        more += int(problems.size()) - limit;
        problems.resize(limit);
    }
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
    return runValue(db, {QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(table.name)}).toInt();
}

void insertCodeRow(QSqlDatabase db, const CodeTable &table, const QStringList &columns, const QStringList &values)
{
    run(db, insertStatement(table, columns), bindings(columns, values));
}

DecodedText decodeCsvBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const EncodingScan scan = scanEncoding(buffer, {});
    DecodedText out;
    out.encoding = scan.encoding;
    out.problems = scan.problems;
    if (!out.problems.isEmpty())
        return out;
    buffer.seek(0);
    Cp949Decoder cp949;
    const CsvReader::Source lines = decodedLines(buffer, scan, cp949);
    for (QString piece; lines(piece);)
        out.text += piece;
    return out;
}

CsvText parseCsv(const QString &text)
{
    CsvText out;
    CsvReader reader([&text, given = false](QString &piece) mutable {
        if (given)
            return false;
        piece = text;
        given = true;
        return true;
    });
    reader.read([&out](const CsvRecord &record) { out.records << record; },
                [&out](const CsvProblem &problem) { out.problems << problem; });
    return out;
}

ImportReport importCodeTable(QSqlDatabase db, const CodeTable &table, const QByteArray &bytes,
                             const ImportProgress &progress)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return importCodeTable(db, table, buffer, progress);
}

ImportReport importCodeTable(QSqlDatabase db, const CodeTable &table, QIODevice &file, const ImportProgress &progress)
{
    ImportReport report;
    report.table = table.name;
    const EncodingScan scan = scanEncoding(file, progress);
    report.encoding = scan.encoding;
    report.problems = scan.problems;
    if (!report.ok())
        return report;
    if (!file.seek(0))
        throw AppError(QStringLiteral("파일을 처음부터 다시 읽을 수 없습니다: %1").arg(file.errorString()));

    // One transaction: the rows are staged, checked, and moved into the table,
    // or the whole of it is rolled back.
    Transaction transaction(db);
    Cp949Decoder cp949;
    CsvReader reader(decodedLines(file, scan, cp949));
    std::optional<CsvRecord> header;
    std::optional<HeaderMap> map;
    bool headerFailed = false;
    int staged = 0;
    QStringList stageStatement;
    qint64 reported = 0;
    const auto onProblem = [&](const CsvProblem &problem) {
        if (!header)
            headerFailed = true; // a fault before the header leaves nothing to read the rows by
        if (report.problems.size() < maxListedProblems)
            report.problems << problem;
        else
            ++report.moreProblems;
    };
    const auto onRecord = [&](const CsvRecord &record) {
        if (headerFailed)
            return;
        if (!header) {
            header = record;
            QList<CsvProblem> problems;
            map = readHeader(table, record, problems);
            if (!map) {
                headerFailed = true;
                report.problems << problems;
                return;
            }
            createStage(db, int(map->columnOf.size()));
            QStringList params{QStringLiteral(":tbN"), QStringLiteral(":tbLine"), QStringLiteral(":tbK")};
            for (qsizetype c = 0; c < map->columnOf.size(); ++c)
                params << QStringLiteral(":tbC%1").arg(c);
            stageStatement = {
                QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(stageName, params.join(QLatin1String(", ")))};
            return;
        }
        QList<CsvProblem> problems;
        const bool keyed = checkRow(table, *map, record, problems);
        for (const CsvProblem &problem : std::as_const(problems))
            onProblem(problem);
        if (keyed) {
            Params params{{QStringLiteral(":tbN"), staged + 1},
                          {QStringLiteral(":tbLine"), record.line},
                          {QStringLiteral(":tbK"), rtrimmed(record.fields[map->keyField])}};
            for (qsizetype c = 0; c < record.fields.size(); ++c)
                params.emplace_back(QStringLiteral(":tbC%1").arg(c), record.fields[c]);
            run(db, stageStatement, params);
            ++staged;
        }
        if (progress && file.pos() - reported >= progressBytes) {
            reported = file.pos();
            progress(ImportPhase::Checking, reported, file.size());
        }
    };
    reader.read(onRecord, onProblem);
    if (headerFailed) {
        keepFirst(report.problems, maxListedProblems, report.moreProblems);
        return report;
    }
    if (!header) {
        report.problems << CsvProblem{1, QStringLiteral("파일이 비어 있습니다. 첫 줄에 열 이름, 다음 줄부터 자료가 "
                                                        "있어야 합니다.")};
        return report;
    }
    if (staged == 0 && report.ok()) {
        report.problems << CsvProblem{header->line, QStringLiteral("제목 줄만 있고 가져올 자료가 없습니다.")};
        return report;
    }
    if (progress)
        progress(ImportPhase::Checking, file.pos(), file.size());
    exec(db, QStringLiteral("CREATE INDEX csv_stage_k ON %1 (k, line)").arg(stageName));
    checkKeys(db, table, maxListedProblems, report.problems, report.moreProblems);
    keepFirst(report.problems, maxListedProblems, report.moreProblems);
    if (!report.ok())
        return report;
    writeRows(db, table, *map, staged, progress);
    if (const QString drop = Dialect::of(db).dropTempTable(stageName); !drop.isEmpty())
        exec(db, drop);
    transaction.commit();
    report.rows = staged;
    return report;
}

} // namespace store

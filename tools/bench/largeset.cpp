#include "largeset.h"

#include "base/amount.h"
#include "base/error.h"
#include "store/csvimport.h"
#include "store/dialect.h"
#include "store/schema.h"
#include "store/sqlrun.h"
#include "store/vouchers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>
#include <optional>
#include <random>
#include <vector>

namespace store {

namespace {

using Random = std::mt19937;

// Rows of a table written many per statement. The statement for a full batch
// is prepared once and executed again with new values; only the last, shorter
// batch gets a statement of its own.
class BulkInsert
{
public:
    BulkInsert(QSqlDatabase db, const QString &table, const QStringList &columns)
        : m_db(db), m_table(table), m_columns(columns)
    {
        // Both engines take a few thousand parameters per statement; the
        // server gains most from long statements (one round trip each).
        const int perRow = int(columns.size());
        m_rowsPerStatement = (db.driverName() == QLatin1String("QPSQL") ? 12000 : 3000) / perRow;
    }
    ~BulkInsert() = default;

    void add(QVariantList row)
    {
        for (QVariant &value : row)
            m_values.push_back(std::move(value));
        if (m_values.size() == size_t(m_rowsPerStatement) * size_t(m_columns.size()))
            flush();
    }

    void flush()
    {
        const int rows = int(m_values.size() / size_t(m_columns.size()));
        if (rows == 0)
            return;
        if (rows == m_rowsPerStatement) {
            if (!m_full)
                m_full = prepared(rows);
            execute(*m_full);
        } else {
            QSqlQuery last = prepared(rows);
            execute(last);
        }
        m_values.clear();
    }

private:
    QSqlQuery prepared(int rows) const
    {
        const QString row = QLatin1Char('(') +
                            QStringList(m_columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                            QLatin1Char(')');
        const QString sql =
            QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                .arg(m_table, m_columns.join(QLatin1Char(',')), QStringList(rows, row).join(QLatin1Char(',')));
        QSqlQuery query(m_db);
        if (!query.prepare(sql))
            throw AppError(describe(query.lastError()));
        return query;
    }

    void execute(QSqlQuery &query)
    {
        for (size_t i = 0; i < m_values.size(); ++i)
            query.bindValue(int(i), m_values[i]);
        if (!query.exec())
            throw AppError(describe(query.lastError()));
    }

    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    int m_rowsPerStatement = 1;
    std::vector<QVariant> m_values;
    std::optional<QSqlQuery> m_full;
};

QStringList columnsOf(const QString &tableName)
{
    QStringList names;
    for (const CodeColumn &column : findCodeTable(tableName)->columns)
        names << column.name;
    return names;
}

QString pick(const QStringList &words, qint64 n)
{
    return words.at(int(n % words.size()));
}

// The groups of the chart of accounts, and what their accounts are called: a
// tenth of the names hold "재료", the text the account search looks for.
const QStringList groupCodes = {"10101", "10102", "10201", "10202", "10203", "10204", "20101", "20201", "20301",
                                "30101", "30201", "30301", "30401", "40101", "40201", "40301", "40302", "40303",
                                "40304", "40305", "40401", "40402", "40403", "40404", "40501", "40502", "40503",
                                "40701", "40901", "41001", "41201", "41301", "41501"};
const QStringList accountWords = {
    "원재료",     "부재료",   "재료비",     "재료운반비", "외상매출금", "외상매입금", "받을어음",   "지급어음",
    "미수금",     "미지급금", "선급금",     "예수금",     "급여",       "상여금",     "퇴직급여",   "복리후생비",
    "여비교통비", "접대비",   "통신비",     "수도광열비", "전력비",     "세금과공과", "감가상각비", "임차료",
    "수선비",     "보험료",   "차량유지비", "운반비",     "교육훈련비", "도서인쇄비", "소모품비",   "지급수수료",
    "광고선전비", "포장비",   "외주가공비", "연구개발비", "잡비",       "이자비용",   "이자수익",   "제품매출"};
const QStringList accountPlaces = {"본사", "제1공장", "제2공장", "부산", "대구",
                                   "광주", "인천",    "수출",    "내수", "연구소"};
const QStringList places = {"서울", "부산", "대구", "인천", "광주", "대전",
                            "울산", "수원", "창원", "청주", "전주", "포항"};
const QStringList firmWords = {"한빛", "새한", "동방", "금강", "태양", "신일", "대성", "한일",
                               "우성", "영진", "삼화", "동아", "세원", "진흥", "보성"};
const QStringList firmKinds = {"상사", "산업", "정밀", "전자", "화학", "물산", "건설", "유통", "기계", "금속"};
const QStringList bankWords = {"한빛", "제일", "동남", "서해", "중앙", "상호", "새마을", "신용"};
const QStringList surnames = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임",
                              "한", "오", "서", "신", "권", "황", "안", "송", "류", "홍"};
const QStringList givenNames = {"민수", "영희", "지훈", "서연", "현우", "지은", "동현", "수진",
                                "준호", "미경", "성민", "혜진", "재원", "은영", "상훈"};
const QStringList departmentWords = {"영업", "생산", "관리", "구매", "자재", "품질", "설계", "총무", "회계", "물류"};
const QStringList projectWords = {"공장 증설",   "물류센터 신축", "설비 교체", "전산 개선",
                                  "신제품 개발", "공장 자동화",   "사옥 보수", "해외 진출"};
const QStringList itemWords = {"부품", "원자재", "반제품", "포장재", "소모품",
                               "공구", "전선",   "볼트",   "베어링", "모터"};
const QStringList descriptions = {"원재료 매입",   "부재료 매입",   "제품 출고",       "노무비 대체",
                                  "제조경비 대체", "매출원가 대체", "외주가공비 지급", "운반비 지급"};
const QStringList branchNames = {"본사/서울", "부산지점/부산", "대구지점/대구", "광주지점/광주", "인천공장/인천"};

// The i-th account: spread over the groups, numbered inside its group so that
// the inventory accounts the searches name (10102005000 and so on) exist.
QString accountCode(qint64 i)
{
    const qint64 k = i / groupCodes.size();
    return groupCodes.at(int(i % groupCodes.size())) + formatDigits(double((k % 1000) * 1000 + k / 1000), 6);
}

QString accountName(qint64 i)
{
    const qint64 k = i / groupCodes.size();
    QString name = QStringLiteral("%1(%2) %3").arg(pick(accountWords, k), pick(accountPlaces, k / 7)).arg(k);
    if (k % 97 == 3)
        name += QStringLiteral(" 회사설정계정");
    return name;
}

QVariantList accountRow(qint64 i)
{
    const QString code = accountCode(i);
    const qint64 k = i / groupCodes.size();
    return {code,
            accountName(i),
            QStringLiteral("분류 %1").arg(code.left(5)),
            k % 19 == 5 ? QStringLiteral("NNNNN") : QStringLiteral("SSSSS"),
            code.mid(0, 1),
            code.mid(1, 2),
            code.mid(3, 2)};
}

QString customerCode(qint64 i)
{
    return QStringLiteral("S%1").arg(i, 7, 10, QLatin1Char('0'));
}
QString customerName(qint64 i)
{
    return pick(places, i) + pick(firmWords, i / 12) + pick(firmKinds, i / 180) + QStringLiteral(" %1").arg(i / 1800);
}
QString bankCode(qint64 i)
{
    return QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0'));
}
QString bankName(qint64 i)
{
    return QStringLiteral("%1은행 %2지점 %3").arg(pick(bankWords, i), pick(places, i / 8)).arg(i / 96);
}
QString employeeCode(qint64 i)
{
    return QStringLiteral("E%1").arg(i, 7, 10, QLatin1Char('0'));
}
QString employeeName(qint64 i)
{
    return pick(surnames, i) + pick(givenNames, i / 20);
}
QString departmentCode(qint64 i)
{
    return QStringLiteral("D%1").arg(i, 5, 10, QLatin1Char('0'));
}
QString departmentName(qint64 i)
{
    return QStringLiteral("%1%2%3팀").arg(pick(places, i), pick(departmentWords, i / 12)).arg(i / 120 + 1);
}
QString projectCode(qint64 i)
{
    return QStringLiteral("P%1").arg(i, 7, 10, QLatin1Char('0'));
}
QString projectName(qint64 i)
{
    return QStringLiteral("%1 %2 %3").arg(pick(places, i), pick(projectWords, i / 12)).arg(2000 + i / 96 % 30);
}
QString itemCode(qint64 i)
{
    return QStringLiteral("I%1").arg(i, 7, 10, QLatin1Char('0'));
}
QString itemName(qint64 i)
{
    return QStringLiteral("%1 %2-%3").arg(pick(itemWords, i), QChar(QLatin1Char('A' + int(i / 10 % 26)))).arg(i / 260);
}

QString digits(Random &random, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QLatin1Char(char('0' + random() % 10));
    return text;
}

void fillCodeTables(QSqlDatabase db, const LargeSetShape &shape, Random &random)
{
    Transaction transaction(db);
    BulkInsert branches(db, QStringLiteral("Kubun_Table"), columnsOf(QStringLiteral("Kubun_Table")));
    for (int i = 0; i < shape.branches; ++i) {
        const QString text =
            i < branchNames.size() ? branchNames.at(i) : QStringLiteral("%1지점/%1").arg(places.at(i % 12));
        branches.add({formatDigits(i, 5), text.section(QLatin1Char('/'), 0, 0), text.section(QLatin1Char('/'), 1)});
    }
    branches.flush();
    BulkInsert accounts(db, QStringLiteral("test_ac_code"), columnsOf(QStringLiteral("test_ac_code")));
    for (qint64 i = 0; i < shape.accounts; ++i)
        accounts.add(accountRow(i));
    accounts.flush();
    BulkInsert customers(db, QStringLiteral("Sale_Table"), columnsOf(QStringLiteral("Sale_Table")));
    for (qint64 i = 0; i < shape.customers; ++i)
        customers.add({customerCode(i), customerName(i), digits(random, 3), digits(random, 2), digits(random, 5)});
    customers.flush();
    BulkInsert banks(db, QStringLiteral("Bank_Table"), columnsOf(QStringLiteral("Bank_Table")));
    for (qint64 i = 0; i < shape.banks; ++i)
        banks.add({bankCode(i), bankName(i), digits(random, 3) + QLatin1Char('-') + digits(random, 6)});
    banks.flush();
    BulkInsert employees(db, QStringLiteral("Sawon_Table"), columnsOf(QStringLiteral("Sawon_Table")));
    for (qint64 i = 0; i < shape.employees; ++i)
        employees.add({employeeCode(i), employeeName(i), i % 3 ? QStringLiteral("남") : QStringLiteral("여"),
                       digits(random, 6), digits(random, 7), QStringLiteral("입사 %1").arg(1990 + i % 30)});
    employees.flush();
    const auto codeTable = [&](const char *name, qint64 count, QString (*code)(qint64), QString (*text)(qint64)) {
        BulkInsert rows(db, QString::fromLatin1(name), columnsOf(QString::fromLatin1(name)));
        for (qint64 i = 0; i < count; ++i)
            rows.add({code(i), text(i), QStringLiteral("")});
        rows.flush();
    };
    codeTable("Buser_Table", shape.departments, departmentCode, departmentName);
    codeTable("Project_Table", shape.projects, projectCode, projectName);
    codeTable("Item_Table", shape.items, itemCode, itemName);
    transaction.commit();
}

const QStringList lineColumns = {"Serial",       "Serial_Jen",   "Serial_Bun",  "Serial_CrDr", "Month_Char",
                                 "Year_Char",    "Date_Day",     "Table_Kubun", "Kubun_Bon",   "Kubun_Jen",
                                 "Kubun_Amt",    "Form_Kubun",   "Giel_Serial", "Ac_JenCode",  "Ac_JenName",
                                 "Ac_Text",      "Item_Code",    "Item_Name",   "Kubun_Code",  "Kubun_Name",
                                 "Project_Code", "Project_Name", "Buser_Code",  "Buser_Name",  "Sawon_Code",
                                 "Sawon_Name",   "Cr_Amt",       "Dr_Amt",      "End_Day"};

// The codes both lines of an entry share, as the search dialogs fill them.
struct Shared
{
    QString itemCode, itemName, kubunCode, kubunName, projectCode, projectName;
    QString buserCode, buserName, sawonCode, sawonName, text;
};

Shared sharedOf(const LargeSetShape &shape, Random &random)
{
    Shared s;
    const qint64 item = random() % shape.items, project = random() % shape.projects;
    const qint64 department = random() % shape.departments, employee = random() % shape.employees;
    s.itemCode = itemCode(item), s.itemName = itemName(item);
    s.projectCode = projectCode(project), s.projectName = projectName(project);
    s.buserCode = departmentCode(department), s.buserName = departmentName(department);
    s.sawonCode = employeeCode(employee), s.sawonName = employeeName(employee);
    if (random() % 5 == 0) {
        const qint64 bank = random() % shape.banks;
        s.kubunCode = bankCode(bank), s.kubunName = bankName(bank);
    } else {
        const qint64 customer = random() % shape.customers;
        s.kubunCode = customerCode(customer), s.kubunName = customerName(customer);
    }
    s.text = QStringLiteral("%1 %2").arg(pick(descriptions, random()), QString::number(random() % 10000));
    return s;
}

struct VoucherPlace
{
    QString date, serialJen;
    int branch = 0;
    QDateTime written;
};

QVariantList lineRow(const VoucherPlace &v, const QString &bun, const QString &side, qint64 account, const Shared &s,
                     double amount)
{
    const bool debit = side == QLatin1String("01");
    return {Serial_MaxValue(v.branch, v.serialJen, bun, QStringLiteral("A005*") + side),
            v.serialJen,
            bun,
            side,
            v.date.mid(5, 2),
            v.date.left(4),
            v.date,
            QStringLiteral("AA"),
            formatDigits(v.branch, 5),
            QStringLiteral("3"),
            QStringLiteral("5"),
            QStringLiteral("A005"),
            QStringLiteral("999"),
            accountCode(account),
            accountName(account),
            s.text,
            s.itemCode,
            s.itemName,
            s.kubunCode,
            s.kubunName,
            s.projectCode,
            s.projectName,
            s.buserCode,
            s.buserName,
            s.sawonCode,
            s.sawonName,
            debit ? amount : 0.0,
            debit ? 0.0 : amount,
            v.written};
}

// Dates oldest first, vouchers numbered from 1 on each date, one to four
// entries each, until the date's share of the lines is written.
void fillLines(QSqlDatabase db, const LargeSetShape &shape, Random &random, const std::function<void(qint64)> &progress)
{
    const qint64 entries = shape.lines / 2;
    const qint64 linesPerTransaction = 100000;
    qint64 written = 0;
    std::optional<Transaction> transaction(std::in_place, db);
    BulkInsert lines(db, QStringLiteral("Account_Jen_AA"), lineColumns);
    for (int d = 0; d < shape.dates; ++d) {
        const QDate day = shape.lastDate.addDays(d - shape.dates + 1);
        const qint64 target = 2 * (entries * (d + 1) / shape.dates);
        VoucherPlace v{day.toString(QStringLiteral("yyyy-MM-dd")), {}, 0, {}};
        for (int sequence = 1; written < target; ++sequence) {
            v.serialJen = v.date + QLatin1Char('-') + formatDigits(sequence, 8);
            v.branch = int(random() % shape.branches);
            v.written = QDateTime(day, QTime(9, 0).addSecs(sequence * 37 % 32400));
            const qint64 count = std::min<qint64>(1 + random() % 4, (target - written) / 2);
            for (int e = 1; e <= count; ++e) {
                const Shared shared = sharedOf(shape, random);
                const double amount = double(1 + random() % 10000) * 1000;
                const QString bun = formatDigits(e, 2);
                lines.add(lineRow(v, bun, QStringLiteral("01"), random() % shape.accounts, shared, amount));
                lines.add(lineRow(v, bun, QStringLiteral("02"), random() % shape.accounts, shared, amount));
            }
            written += 2 * count;
            if (written / linesPerTransaction != (written - 2 * count) / linesPerTransaction) {
                lines.flush();
                transaction->commit();
                transaction.emplace(db);
                if (progress)
                    progress(written);
            }
        }
    }
    lines.flush();
    transaction->commit();
    if (progress)
        progress(written);
}

qint64 count(QSqlDatabase db, const QString &table)
{
    QSqlQuery query = run(db, {QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(table)});
    return query.next() ? query.value(0).toLongLong() : 0;
}

QString single(QSqlDatabase db, const QStringList &statement)
{
    QSqlQuery query = run(db, statement);
    return query.next() ? query.value(0).toString() : QString();
}

} // namespace

LargeSetCounts countsOf(const LargeSetShape &shape)
{
    return {shape.lines / 2 * 2, shape.accounts, shape.customers};
}

LargeSetCounts countLargeSet(QSqlDatabase db)
{
    return {count(db, QStringLiteral("Account_Jen_AA")), count(db, QStringLiteral("test_ac_code")),
            count(db, QStringLiteral("Sale_Table"))};
}

void fillLargeSet(QSqlDatabase db, const LargeSetShape &shape, const std::function<void(qint64)> &progress)
{
    Random random(20010530);
    fillCodeTables(db, shape, random);
    fillLines(db, shape, random, progress);
    // Statistics, as a server gathers them by itself after a bulk load.
    if (db.driverName() == QLatin1String("QPSQL"))
        exec(db, QStringLiteral("VACUUM ANALYZE"));
    else
        exec(db, QStringLiteral("ANALYZE"));
}

void dropSchema(QSqlDatabase db)
{
    Transaction transaction(db);
    QStringList tables = {QStringLiteral("Account_Jen_AA"), QStringLiteral("Jen_Print")};
    for (const CodeTable &table : codeTables())
        tables << table.name;
    // A file's trigram indexes are tables of their own.
    if (Dialect::of(db).engine() == Engine::SQLite)
        for (const SearchedName &name : searchedNames())
            tables << name.trigrams;
    for (const QString &table : tables)
        exec(db, QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
    transaction.commit();
    Dialect::of(db).forgetTrigrams(db);
}

std::pair<QString, QString> storedDateRange(QSqlDatabase db)
{
    // Two statements: each can read its end of the date index.
    return {single(db, {QStringLiteral("SELECT MIN(rtrim(Date_Day)) AS first_day FROM Account_Jen_AA")}),
            single(db, {QStringLiteral("SELECT MAX(rtrim(Date_Day)) AS last_day FROM Account_Jen_AA")})};
}

void removeDate(QSqlDatabase db, const QString &dateText)
{
    run(db, {QStringLiteral("DELETE FROM Account_Jen_AA WHERE rtrim(Date_Day) = :tbDate_Day")},
        {{QStringLiteral(":tbDate_Day"), dateText}});
}

} // namespace store

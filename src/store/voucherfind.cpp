#include "store/voucherfind.h"

#include "base/error.h"
#include "store/connection.h"
#include "store/dialect.h"
#include "store/ledgerbook.h"
#include "store/namesearch.h"
#include "store/sqlrun.h"

#include <QDate>
#include <QLocale>
#include <functional>

namespace store {

std::optional<VoucherPlace> findVoucher(const QString &serialJen)
{
    QSqlQuery query = run(account(),
                          {QStringLiteral("select rtrim(Date_Day) AS Date_Day, rtrim(Kubun_Bon) AS Kubun_Bon"),
                           QStringLiteral("From   Account_Jen_AA"),
                           QStringLiteral("where  rtrim(Serial_Jen) = :tbSerial_jen  and  rtrim(kubun_jen) = '3'"),
                           QStringLiteral("and  rtrim(Form_Kubun) = 'A005'"), QStringLiteral("LIMIT 1")},
                          {{QStringLiteral(":tbSerial_jen"), serialJen.trimmed()}});
    if (!query.next())
        return std::nullopt;
    return VoucherPlace{query.value(0).toString(), query.value(1).toString()};
}

namespace {

// The clerk's "%" and "_" match themselves through this escape character.
const QString escape = QStringLiteral(" escape '!'");

QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('!') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('!');
        out += c;
    }
    return out;
}

QString containing(const QString &text)
{
    return QLatin1Char('%') + escaped(text) + QLatin1Char('%');
}

// The condition of one code-or-name criterion on a line: its code begins with
// the text, or its name contains it (letters of either case), or, for a text
// of initial consonants, its name matches them syllable by syllable as in the
// search dialogs. Every name criterion of the finder is made here, and only
// here.
QString codeOrName(const QString &line, const QString &code, const QString &name, const QString &parameter,
                   const NameSearch &search)
{
    const QString column = line + QLatin1Char('.') + name;
    const QString nameHolds = search.byInitials()
                                  ? search.condition(column, parameter + QStringLiteral("_name"))
                                  : QStringLiteral("lower(%1) like lower(%2_name)%3").arg(column, parameter, escape);
    return QStringLiteral("(rtrim(%1.%2) like %3_code%4 or %5)").arg(line, code, parameter, escape, nameHolds);
}

void bindCodeOrName(Params &params, const QString &parameter, const QString &text, const NameSearch &search)
{
    params.emplace_back(parameter + QStringLiteral("_code"), escaped(text) + QLatin1Char('%'));
    params.emplace_back(parameter + QStringLiteral("_name"), search.byInitials() ? search.value() : containing(text));
}

struct CodeOrNameCriterion
{
    QString FinderCriteria::*text;
    const char *code;
    const char *name;
    const char *parameter;
};

const CodeOrNameCriterion codeOrNameCriteria[] = {
    {&FinderCriteria::account, "Ac_JenCode", "Ac_JenName", ":tbAccount"},
    {&FinderCriteria::customer, "Kubun_Code", "Kubun_Name", ":tbKubun"},
    {&FinderCriteria::employee, "Sawon_Code", "Sawon_Name", ":tbSawon"},
    {&FinderCriteria::department, "Buser_Code", "Buser_Name", ":tbBuser"},
    {&FinderCriteria::project, "Project_Code", "Project_Name", ":tbProject"},
    {&FinderCriteria::item, "Item_Code", "Item_Name", ":tbItem"},
};

// The entry's amount as the grid shows it: the debit line's, or the credit
// line's for an entry stored without a debit line.
const QString entryAmount = QStringLiteral("coalesce(max(case when rtrim(t.Serial_CrDr) = '01' then t.Cr_Amt end), "
                                           "max(case when rtrim(t.Serial_CrDr) = '02' then t.Dr_Amt end))");

// An entry is found when any of its lines meets the condition.
QString anyLine(const QString &condition)
{
    return QStringLiteral("and max(case when %1 then 1 else 0 end) = 1").arg(condition);
}

QString amountText(double amount)
{
    return QLocale(QLocale::Korean).toString(amount, 'f', 0);
}

} // namespace

QString finderIndex()
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS Account_Jen_AA_Find ON Account_Jen_AA "
                          "(rtrim(Date_Day), rtrim(Serial_Jen), rtrim(Serial_Bun), rtrim(Kubun_Bon))");
}

void addFinderIndex(QSqlDatabase db)
{
    const QString name = QStringLiteral("Account_Jen_AA_Find");
    if (runValue(db, {Dialect::of(db).countIndexes()}, {{QStringLiteral(":tbIndex"), name}}).toInt() > 0)
        return;
    exec(db, finderIndex());
    // The engine learns what the new index holds at once: one it has no figures
    // for looks like a few rows a date to it, and it would take it over the
    // numbering's own index for drawing the next number, reading the whole
    // date instead of its last number.
    exec(db, QStringLiteral("ANALYZE Account_Jen_AA"));
}

bool FinderCriteria::narrowed() const
{
    for (const QString *text :
         {&branchCode, &number, &account, &customer, &employee, &department, &project, &item, &this->text})
        if (!text->trimmed().isEmpty())
            return true;
    return minAmount || maxAmount;
}

QString finderProblem(const FinderCriteria &c)
{
    if (!isDateText(c.fromDate))
        return QStringLiteral("시작일자 '%1'은(는) 날짜가 아닙니다. 2001-05-30처럼 입력하세요.").arg(c.fromDate);
    if (!isDateText(c.toDate))
        return QStringLiteral("끝일자 '%1'은(는) 날짜가 아닙니다. 2001-05-30처럼 입력하세요.").arg(c.toDate);
    if (c.fromDate > c.toDate)
        return QStringLiteral("기간이 거꾸로입니다: 시작일자 %1이(가) 끝일자 %2보다 늦습니다.")
            .arg(c.fromDate, c.toDate);
    if (c.minAmount && c.maxAmount && *c.minAmount > *c.maxAmount)
        return QStringLiteral("금액 범위가 거꾸로입니다: 최소 %1이(가) 최대 %2보다 큽니다.")
            .arg(amountText(*c.minAmount), amountText(*c.maxAmount));
    const QDate from = QDate::fromString(c.fromDate, QStringLiteral("yyyy-MM-dd"));
    const QDate to = QDate::fromString(c.toDate, QStringLiteral("yyyy-MM-dd"));
    if (!c.narrowed() && from.daysTo(to) + 1 > finderOpenDays)
        return QStringLiteral("다른 조건 없이는 %1일까지의 기간만 찾을 수 있습니다. 기간을 줄이거나 조건을 하나 이상 "
                              "넣으세요.")
            .arg(finderOpenDays);
    return {};
}

FinderResult findEntries(const FinderCriteria &c, int cap)
{
    if (const QString problem = finderProblem(c); !problem.isEmpty())
        throw AppError(problem);
    // The lines of the period, read through the index on the trimmed date,
    // folded into one row per entry; the criteria on what the lines hold are
    // asked of the entry as a whole.
    QStringList sql = {
        QStringLiteral("select rtrim(t.Date_Day) AS date_day, rtrim(t.Kubun_Bon) AS kubun_bon,"),
        QStringLiteral("rtrim(t.Serial_Jen) AS serial_jen, rtrim(t.Serial_Bun) AS serial_bun,"),
        QStringLiteral(
            "max(case when rtrim(t.Serial_CrDr) = '01' then rtrim(t.Ac_JenCode) else '' end) AS debit_code,"),
        QStringLiteral(
            "max(case when rtrim(t.Serial_CrDr) = '01' then rtrim(t.Ac_JenName) else '' end) AS debit_name,"),
        QStringLiteral(
            "max(case when rtrim(t.Serial_CrDr) = '02' then rtrim(t.Ac_JenCode) else '' end) AS credit_code,"),
        QStringLiteral(
            "max(case when rtrim(t.Serial_CrDr) = '02' then rtrim(t.Ac_JenName) else '' end) AS credit_name,"),
        entryAmount + QStringLiteral(" AS amount,"),
        QStringLiteral("max(case when rtrim(t.Serial_CrDr) = '01' then rtrim(t.Ac_Text) else '' end) AS debit_text,"),
        QStringLiteral("max(case when rtrim(t.Serial_CrDr) = '02' then rtrim(t.Ac_Text) else '' end) AS credit_text"),
        QStringLiteral("from   Account_Jen_AA t"),
        QStringLiteral("where  rtrim(t.Date_Day) >= :tbFrom and rtrim(t.Date_Day) <= :tbTo"),
        QStringLiteral("and    rtrim(t.kubun_jen) = '3' and rtrim(t.Form_Kubun) = 'A005'"),
    };
    Params params{{QStringLiteral(":tbFrom"), c.fromDate}, {QStringLiteral(":tbTo"), c.toDate}};
    if (const QString branch = c.branchCode.trimmed(); !branch.isEmpty()) {
        sql << QStringLiteral("and    rtrim(t.Kubun_Bon) = :tbKubun_Bon");
        params.emplace_back(QStringLiteral(":tbKubun_Bon"), branch);
    }
    if (const QString number = c.number.trimmed(); !number.isEmpty()) {
        sql << QStringLiteral("and    rtrim(t.Serial_Jen) like :tbSerial_Jen") + escape;
        params.emplace_back(QStringLiteral(":tbSerial_Jen"), containing(number));
    }
    // The conditions on what a line holds, each made for a line alias.
    std::vector<std::function<QString(const QString &)>> lineConditions;
    for (const CodeOrNameCriterion &criterion : codeOrNameCriteria) {
        const QString text = (c.*criterion.text).trimmed();
        if (text.isEmpty())
            continue;
        const QString parameter = QLatin1String(criterion.parameter);
        const NameSearch search(account(), text);
        lineConditions.push_back([criterion, parameter, search](const QString &line) {
            return codeOrName(line, QLatin1String(criterion.code), QLatin1String(criterion.name), parameter, search);
        });
        bindCodeOrName(params, parameter, text, search);
    }
    if (const QString text = c.text.trimmed(); !text.isEmpty()) {
        lineConditions.push_back([](const QString &line) {
            return QStringLiteral("lower(%1.Ac_Text) like lower(:tbAc_Text)").arg(line) + escape;
        });
        params.emplace_back(QStringLiteral(":tbAc_Text"), containing(text));
    }
    // Only the entries that have a line meeting the first condition are
    // folded: the keys of those lines are gathered once, and each line of the
    // period is looked up among them. Written inside coalesce so that the
    // server keeps it a lookup in a hashed list instead of a join it would
    // plan from a guess, and the fold still runs in the index's order.
    if (!lineConditions.empty())
        sql << QStringLiteral("and    coalesce((rtrim(t.Serial_Jen) || rtrim(t.Serial_Bun)) in (")
            << QStringLiteral("  select rtrim(m.Serial_Jen) || rtrim(m.Serial_Bun) from Account_Jen_AA m")
            << QStringLiteral("  where  rtrim(m.Date_Day) >= :tbFrom and rtrim(m.Date_Day) <= :tbTo")
            << QStringLiteral("  and    ") + lineConditions.front()(QStringLiteral("m")) + QStringLiteral("), false)");
    // Folded and sorted in the order of the finder's index.
    sql << QStringLiteral("group  by rtrim(t.Date_Day), rtrim(t.Serial_Jen), rtrim(t.Serial_Bun), rtrim(t.Kubun_Bon)")
        << QStringLiteral("having 1 = 1");
    for (const auto &condition : lineConditions)
        sql << anyLine(condition(QStringLiteral("t")));
    if (c.minAmount) {
        sql << QStringLiteral("and ") + entryAmount + QStringLiteral(" >= :tbMinAmount");
        params.emplace_back(QStringLiteral(":tbMinAmount"), *c.minAmount);
    }
    if (c.maxAmount) {
        sql << QStringLiteral("and ") + entryAmount + QStringLiteral(" <= :tbMaxAmount");
        params.emplace_back(QStringLiteral(":tbMaxAmount"), *c.maxAmount);
    }
    sql << QStringLiteral("order  by date_day, serial_jen, serial_bun, kubun_bon") << QStringLiteral("limit  :tbLimit");
    params.emplace_back(QStringLiteral(":tbLimit"), cap + 1);

    QSqlQuery query = run(account(), sql, params);
    FinderResult result;
    while (query.next()) {
        if (int(result.entries.size()) == cap) {
            result.capped = true;
            break;
        }
        FoundEntry e;
        e.dateDay = query.value(0).toString();
        e.kubunBon = query.value(1).toString();
        e.serialJen = query.value(2).toString();
        e.serialBun = query.value(3).toString();
        e.debitCode = query.value(4).toString();
        e.debitName = query.value(5).toString();
        e.creditCode = query.value(6).toString();
        e.creditName = query.value(7).toString();
        e.amount = query.value(8).toDouble();
        e.text = query.value(9).toString();
        if (e.text.isEmpty())
            e.text = query.value(10).toString();
        result.entries.push_back(e);
    }
    return result;
}

} // namespace store

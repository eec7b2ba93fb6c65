#include "store/ledgerbook.h"

#include "base/text.h"
#include "store/connection.h"
#include "store/ledgerguard.h"
#include "store/schema.h"
#include "store/sqlrun.h"

#include <QSqlQuery>

namespace store {

namespace {

std::vector<HistoryEntry> history(const QString &where, const Params &params)
{
    QSqlQuery query =
        run(account(),
            {
                QStringLiteral("Select  History_Id, Changed_At, Changed_By, Program, Action, Date_Day, Serial_Jen,"),
                QStringLiteral("        Serial_Bun, Serial_CrDr, Before_Values, After_Values"),
                QStringLiteral("From    Ledger_History"),
                QStringLiteral("Where   ") + where,
                QStringLiteral("Order   By  History_Id"),
            },
            params);
    std::vector<HistoryEntry> entries;
    while (query.next()) {
        HistoryEntry e;
        e.id = query.value(0).toLongLong();
        QString *texts[] = {&e.changedAt, &e.changedBy, &e.program,    &e.action, &e.dateDay,
                            &e.serialJen, &e.serialBun, &e.serialCrDr, &e.before, &e.after};
        for (int i = 0; i < 10; ++i)
            *texts[i] = query.value(i + 1).toString();
        entries.push_back(e);
    }
    return entries;
}

// The branch's code bound only when the statement names one.
Params withBranch(Params params, const QString &branchCode)
{
    if (!Str_DelSpace(branchCode).isEmpty())
        params.emplace_back(QStringLiteral(":tbKubun_Bon"), Str_DelSpace(branchCode));
    return params;
}

} // namespace

std::vector<HistoryEntry> voucherHistory(const QString &serialJen)
{
    return history(QStringLiteral("Serial_Jen = :tbSerial_Jen"),
                   {{QStringLiteral(":tbSerial_Jen"), Str_DelSpace(serialJen)}});
}

std::vector<HistoryEntry> dayHistory(const QString &dateDay)
{
    return history(QStringLiteral("Date_Day = :tbDate_Day"), {{QStringLiteral(":tbDate_Day"), Str_DelSpace(dateDay)}});
}

std::vector<HistoryEntry> lockHistory()
{
    return history(QStringLiteral("Action in ('lock', 'unlock')"), {});
}

bool isDateText(const QString &text)
{
    return text.size() == 10 && QDate::fromString(text, QStringLiteral("yyyy-MM-dd")).isValid();
}

QString lockDate()
{
    return runValue(account(), {QStringLiteral("Select Lock_Until From Ledger_Lock Where Id = 1")})
        .toString()
        .trimmed();
}

void setLockDate(const QString &dateText)
{
    QSqlDatabase db = account();
    Transaction transaction(db);
    ledger::signWrites(db);
    run(db, {QStringLiteral("Update Ledger_Lock Set Lock_Until = :tbLock_Until Where Id = 1")},
        {{QStringLiteral(":tbLock_Until"), dateText}});
    ledger::endWrites(db);
    transaction.commit();
}

int notePrint(const QString &serialJen)
{
    QSqlDatabase db = account();
    const Params key = {{QStringLiteral(":tbSerial_Jen"), Str_DelSpace(serialJen)}};
    Transaction transaction(db);
    run(db,
        {
            QStringLiteral("Insert Into Ledger_Print (Serial_Jen, Print_Count) Values (:tbSerial_Jen, 1)"),
            QStringLiteral("On Conflict (Serial_Jen) Do Update Set Print_Count = Ledger_Print.Print_Count + 1"),
        },
        key);
    const QVariant stored =
        runValue(db, {QStringLiteral("Select Print_Count From Ledger_Print Where Serial_Jen = :tbSerial_Jen")}, key);
    const int count = stored.isValid() ? stored.toInt() : 1;
    transaction.commit();
    return count;
}

std::vector<DayVoucher> dayVouchers(const QString &dateDay, const QString &branchCode)
{
    const bool oneBranch = !Str_DelSpace(branchCode).isEmpty();
    QSqlQuery query =
        run(account(),
            {
                QStringLiteral("Select   rtrim(Serial_Jen) As Serial_Jen, min(rtrim(Kubun_Bon)) As Kubun_Bon"),
                QStringLiteral("From     Account_Jen_AA"),
                QStringLiteral("Where    rtrim(Date_Day) = :tbDate_Day  and  rtrim(Kubun_Jen) = '3'"),
                QStringLiteral("and      rtrim(Form_Kubun) = 'A005'"),
                oneBranch ? QStringLiteral("and  rtrim(Kubun_Bon) = :tbKubun_Bon") : QString(),
                QStringLiteral("Group By rtrim(Serial_Jen)"),
                QStringLiteral("Order By 1"),
            },
            withBranch({{QStringLiteral(":tbDate_Day"), Str_DelSpace(dateDay)}}, branchCode));
    std::vector<DayVoucher> vouchers;
    while (query.next())
        vouchers.push_back({query.value(0).toString(), query.value(1).toString()});
    return vouchers;
}

LineTable linesBetween(const QString &fromDate, const QString &toDate, const QString &branchCode)
{
    LineTable table;
    table.columns = voucherColumnNames();
    QStringList selected;
    for (const QString &column : table.columns)
        selected << (column == QLatin1String("End_Day") ? QStringLiteral("cast(End_Day as varchar(40)) As End_Day")
                                                        : column);
    const bool oneBranch = !Str_DelSpace(branchCode).isEmpty();
    QSqlQuery query = run(account(),
                          {
                              QStringLiteral("Select   ") + selected.join(QLatin1String(", ")),
                              QStringLiteral("From     Account_Jen_AA"),
                              QStringLiteral("Where    rtrim(Date_Day) >= :tbFrom  and  rtrim(Date_Day) <= :tbTo"),
                              oneBranch ? QStringLiteral("and  rtrim(Kubun_Bon) = :tbKubun_Bon") : QString(),
                              QStringLiteral("Order By rtrim(Date_Day), Serial_Jen, Serial_Bun, Serial_CrDr"),
                          },
                          withBranch({{QStringLiteral(":tbFrom"), Str_DelSpace(fromDate)},
                                      {QStringLiteral(":tbTo"), Str_DelSpace(toDate)}},
                                     branchCode));
    const int count = int(table.columns.size());
    while (query.next()) {
        QVariantList row;
        row.reserve(count);
        for (int i = 0; i < count; ++i) {
            const QVariant value = query.value(i);
            const QString &column = table.columns[i];
            if (column == QLatin1String("Cr_Amt") || column == QLatin1String("Dr_Amt"))
                row << value.toDouble();
            else
                row << (value.isNull() ? QString() : value.toString());
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

} // namespace store

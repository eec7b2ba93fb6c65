#pragma once
// A large made-up store for speed measurements (jeonpyo-bench): years of
// vouchers over a few branches, and code tables far bigger than any company's,
// written in bulk. Everything is drawn from a fixed seed, so two stores of one
// shape hold the same rows (apart from the dates, which end on the day built).
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <utility>

namespace store {

struct LargeSetShape
{
    qint64 lines = 1000000; // voucher lines, two per entry
    int dates = 1500;       // consecutive days ending on lastDate
    int branches = 5;
    int accounts = 100000;
    int customers = 50000;
    int banks = 1000;
    int employees = 10000;
    int departments = 1000;
    int projects = 10000;
    int items = 10000;
    QDate lastDate = QDate::currentDate();
};

// What decides whether a stored set has the asked size.
struct LargeSetCounts
{
    qint64 lines = 0;
    qint64 accounts = 0;
    qint64 customers = 0;
    bool operator==(const LargeSetCounts &) const = default;
};
LargeSetCounts countLargeSet(QSqlDatabase db);
LargeSetCounts countsOf(const LargeSetShape &shape);

// Fills an empty schema: many rows per statement, one prepared statement for
// all full batches, a transaction per batch of batches; then gathers the
// planner's statistics. progress is called with the lines written so far.
void fillLargeSet(QSqlDatabase db, const LargeSetShape &shape, const std::function<void(qint64)> &progress = {});

// Drops every table of the schema (before a store of another size is built).
void dropSchema(QSqlDatabase db);

// The oldest and the newest stored date.
std::pair<QString, QString> storedDateRange(QSqlDatabase db);

// Removes every line of a date (what the benchmark's clerks wrote).
void removeDate(QSqlDatabase db, const QString &dateText);

// The two-character texts the benchmark searches each kind of code table for;
// the made-up names contain them often enough to give real result lists.
inline const QString accountSearchText = QStringLiteral("재료");
inline const QString customerSearchText = QStringLiteral("상사");
inline const QString employeeSearchText = QStringLiteral("민수");
inline const QString departmentSearchText = QStringLiteral("영업");
inline const QString projectSearchText = QStringLiteral("공장");
inline const QString itemSearchText = QStringLiteral("부품");

} // namespace store

// history: what was done to a voucher's lines, or to a day's, as the database
// recorded it; lock and unlock: the period lock.
#include "command.h"

#include "store/ledgerbook.h"
#include "store/schema.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace dbtool {

namespace {

QString actionName(const QString &action)
{
    static const QMap<QString, QString> names = {
        {QStringLiteral("insert"), QStringLiteral("등록")},      {QStringLiteral("update"), QStringLiteral("수정")},
        {QStringLiteral("delete"), QStringLiteral("삭제")},      {QStringLiteral("lock"), QStringLiteral("마감")},
        {QStringLiteral("unlock"), QStringLiteral("마감 해제")},
    };
    return names.value(action, action);
}

// The recorded values by column name as the voucher table spells it (the
// engines record the names in small letters).
QMap<QString, QString> valuesOf(const QString &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json.toUtf8()).object();
    QMap<QString, QString> values;
    QStringList names = store::voucherColumnNames();
    names << QStringLiteral("Lock_Until");
    for (const QString &name : names) {
        const QJsonValue value = object.value(name.toLower());
        if (!value.isUndefined())
            values.insert(name, value.isNull() ? QString() : value.toVariant().toString());
    }
    return values;
}

QString shown(const QString &value)
{
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

void printEntry(const store::HistoryEntry &e)
{
    const QString who = e.changedBy.isEmpty() && e.program.isEmpty()
                            ? QStringLiteral("(프로그램 밖에서)")
                            : QStringLiteral("%1 (%2)").arg(e.changedBy, e.program);
    QString line = QStringLiteral("%1  %2  ").arg(e.changedAt, actionName(e.action));
    if (!e.serialJen.isEmpty())
        line += QStringLiteral("%1 %2 %3  ").arg(e.serialJen, e.serialBun, e.serialCrDr);
    out() << line << who << Qt::endl;
    const QMap<QString, QString> before = valuesOf(e.before), after = valuesOf(e.after);
    if (!before.isEmpty() && !after.isEmpty()) {
        // A change: the columns that changed, before and after.
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            if (before.value(it.key()) != it.value())
                out()
                    << QStringLiteral("    %1: %2 → %3").arg(it.key(), shown(before.value(it.key())), shown(it.value()))
                    << Qt::endl;
        return;
    }
    // A line written or deleted: what identifies it to a reader.
    const QMap<QString, QString> &values = after.isEmpty() ? before : after;
    QStringList parts;
    for (const char *name : {"Ac_JenCode", "Ac_JenName", "Ac_Text", "Cr_Amt", "Dr_Amt"})
        if (values.contains(QLatin1String(name)))
            parts << QStringLiteral("%1=%2").arg(QLatin1String(name), shown(values.value(QLatin1String(name))));
    if (!parts.isEmpty())
        out() << QStringLiteral("    ") << parts.join(QLatin1String(", ")) << Qt::endl;
}

} // namespace

int runHistory(const QStringList &arguments)
{
    Options options;
    if (!readOptions(arguments, {QStringLiteral("--date")}, {}, options))
        return usageOf("history");
    const bool day = options.values.contains(QStringLiteral("--date"));
    if (options.plain.size() != (day ? 0 : 1))
        return usageOf("history");
    const QString key = day ? options.values.value(QStringLiteral("--date")) : options.plain[0].trimmed();
    if (day && !checkDate(key, QStringLiteral("일자")))
        return UsageError;
    return withDatabase([&](QSqlDatabase db) {
        if (!store::hasSchema(db))
            return noSchema();
        const std::vector<store::HistoryEntry> entries = day ? store::dayHistory(key) : store::voucherHistory(key);
        if (entries.empty()) {
            err() << (day ? QStringLiteral("%1 일자의 변경 이력이 없습니다.").arg(key)
                          : QStringLiteral("전표번호 '%1'의 변경 이력이 없습니다.").arg(key))
                  << Qt::endl;
            return int(NothingDone);
        }
        for (const store::HistoryEntry &entry : entries)
            printEntry(entry);
        return int(Success);
    });
}

int runLock(const QStringList &arguments)
{
    if (arguments.size() > 1)
        return usageOf("lock");
    if (arguments.size() == 1 && !checkDate(arguments[0], QStringLiteral("마감일자")))
        return UsageError;
    return withDatabase([&](QSqlDatabase db) {
        if (!store::hasSchema(db))
            return noSchema();
        const QString before = store::lockDate();
        if (arguments.isEmpty()) {
            out() << (before.isEmpty() ? QStringLiteral("마감된 기간이 없습니다.")
                                       : QStringLiteral("%1까지(그날 포함) 마감되어 있습니다.").arg(before))
                  << Qt::endl;
            for (const store::HistoryEntry &entry : store::lockHistory())
                printEntry(entry);
            return int(Success);
        }
        store::setLockDate(arguments[0]);
        out() << QStringLiteral("%1까지(그날 포함) 마감했습니다 (전에는 %2).")
                     .arg(arguments[0], before.isEmpty() ? QStringLiteral("마감 없음") : before)
              << Qt::endl;
        return int(Success);
    });
}

int runUnlock(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usageOf("unlock");
    return withDatabase([](QSqlDatabase db) {
        if (!store::hasSchema(db))
            return noSchema();
        const QString before = store::lockDate();
        if (before.isEmpty()) {
            out() << QStringLiteral("마감된 기간이 없습니다. 아무것도 바꾸지 않았습니다.") << Qt::endl;
            return int(NothingDone);
        }
        store::setLockDate(QString());
        out() << QStringLiteral("마감(%1까지)을 풀었습니다.").arg(before) << Qt::endl;
        return int(Success);
    });
}

} // namespace dbtool

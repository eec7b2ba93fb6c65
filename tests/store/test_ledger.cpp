// The books' guard on both engines: every change of a voucher line recorded
// in the history, by the program and by the engine's own shell alike; a locked
// period refusing every write with the lock date named and nothing written;
// the lock and its release recorded; the history kept from change; and a
// database of an earlier version completed when it is opened.
#include "base/error.h"
#include "store/ledgerbook.h"
#include "store/ledgerguard.h"
#include "store/schema.h"
#include "store/sqlrun.h"
#include "support/testdb.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

const QString day = QStringLiteral("2001-05-30");
const QString program = QStringLiteral("store_test_ledger");

struct Shell
{
    int exitCode = -1;
    QString said;
};

// A statement run by the engine's own shell (sqlite3 or psql), as a script
// or another program would write, outside this program altogether.
Shell shell(const TestDatabase &db, const QString &sql)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (db.engine() == store::Engine::SQLite)
        process.start(QStringLiteral("sqlite3"), {db.setting(), sql});
    else
        process.start(QStringLiteral("psql"),
                      {QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-X"),
                       QStringLiteral("-q"), db.setting(), QStringLiteral("-c"), sql});
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

QString rawInsert(const QString &date, const QString &number)
{
    return QStringLiteral("insert into Account_Jen_AA (Serial, Serial_Jen, Serial_Bun, Serial_CrDr, Date_Day, "
                          "Kubun_Bon, Kubun_Jen, Form_Kubun, Ac_Text, Cr_Amt) values ('k', '%2', '01', '01', "
                          "'%1', '00000', '3', 'A005', 'from the shell', 500)")
        .arg(date, number);
}

QString valueIn(const QString &json, const QString &column)
{
    return QJsonDocument::fromJson(json.toUtf8()).object().value(column.toLower()).toVariant().toString();
}

int historyRows()
{
    QSqlQuery query = store::run(store::account(), {QStringLiteral("select count(*) from Ledger_History")});
    return query.next() ? query.value(0).toInt() : -1;
}

QString stored(TestDatabase &db)
{
    QStringList lines;
    for (const store::StoredLine &line : db.allLines())
        lines << line.Serial_Jen + line.Serial_Bun + line.Serial_CrDr + line.Ac_Text + QString::number(line.Cr_Amt);
    return lines.join(QLatin1Char('|'));
}

} // namespace

class TestLedger : public StoreTestCase
{
    Q_OBJECT

private slots:
    void theProgramsChangesAreRecordedWithWhoAndWhat()
    {
        const QString number = store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"}, "원장")).serialJen;
        store::EntryLines entry = sampleEntry("01", 7000, "고침");
        QVERIFY(bool(store::updateEntry(day, number, entry)));
        store::deleteEntry(number + "02");

        const std::vector<store::HistoryEntry> history = store::voucherHistory(number);
        QStringList actions;
        for (const store::HistoryEntry &e : history)
            actions << e.action + e.serialBun + e.serialCrDr;
        QCOMPARE(actions, QStringList({"insert0101", "insert0102", "insert0201", "insert0202", "update0101",
                                       "update0102", "delete0201", "delete0202"}));
        for (const store::HistoryEntry &e : history) {
            QVERIFY2(e.program.startsWith(program), qPrintable(e.program));
            QVERIFY(!e.changedBy.isEmpty());
            QCOMPARE(e.dateDay, day);
            QVERIFY(!e.changedAt.isEmpty());
        }
        const store::HistoryEntry &update = history[4];
        QCOMPARE(valueIn(update.before, "Ac_Text"), QString("원장 01 차변 적요"));
        QCOMPARE(valueIn(update.after, "Ac_Text"), QString("고침 차변 적요"));
        QCOMPARE(valueIn(update.after, "Cr_Amt").toDouble(), 7000.0);
        QVERIFY(history[6].after.isEmpty());
        QCOMPARE(valueIn(history[6].before, "Ac_Text"), QString("원장 02 차변 적요"));
        QCOMPARE(store::dayHistory(day).size(), history.size());
    }

    void theEnginesOwnShellIsRecordedToo()
    {
        const QString number = day + "-00000007";
        QCOMPARE(shell(database(), rawInsert(day, number)).exitCode, 0);
        QCOMPARE(shell(database(), "update Account_Jen_AA set Ac_Text = 'changed by hand'").exitCode, 0);
        QCOMPARE(shell(database(), "delete from Account_Jen_AA").exitCode, 0);
        const std::vector<store::HistoryEntry> history = store::voucherHistory(number);
        QCOMPARE(history.size(), size_t(3));
        QCOMPARE(history[0].action, QString("insert"));
        QCOMPARE(valueIn(history[0].after, "Ac_Text"), QString("from the shell"));
        QCOMPARE(history[1].action, QString("update"));
        QCOMPARE(valueIn(history[1].after, "Ac_Text"), QString("changed by hand"));
        QCOMPARE(history[2].action, QString("delete"));
        // Nothing the program signed: the shell is named where the engine knows it.
        QVERIFY(!history[0].program.startsWith(program));
        if (onPostgres())
            QCOMPARE(history[0].program, QString("psql"));
    }

    void aLockedPeriodRefusesEveryWrite_data()
    {
        QTest::addColumn<QString>("write");
        QTest::newRow("a new voucher on the lock date") << "save on the lock date";
        QTest::newRow("a new voucher before the lock date") << "save before";
        QTest::newRow("a correction of a locked entry") << "update";
        QTest::newRow("a delete of a locked entry") << "delete";
        QTest::newRow("an insert from the engine's shell") << "shell insert";
        QTest::newRow("an update from the engine's shell") << "shell update";
        QTest::newRow("a delete from the engine's shell") << "shell delete";
        QTest::newRow("a line moved from an open day into the locked period") << "shell move";
    }
    void aLockedPeriodRefusesEveryWrite()
    {
        QFETCH(QString, write);
        const QString locked = store::saveNewVoucher(sampleVoucher(day, 0, {"01"}, "마감 전")).serialJen;
        store::saveNewVoucher(sampleVoucher("2001-06-02", 0, {"01"}, "열린 날"));
        store::setLockDate("2001-05-31");
        const QString before = stored(database());
        const int recorded = historyRows();
        const QString named = "2001-05-31까지는 마감되어";
        if (write.startsWith("shell")) {
            const QString sql = write == "shell insert"   ? rawInsert("2001-05-31", "2001-05-31-00000001")
                                : write == "shell update" ? QString("update Account_Jen_AA set Ac_Text = 'x'")
                                : write == "shell delete" ? QString("delete from Account_Jen_AA")
                                                          : QString("update Account_Jen_AA set Date_Day = '2001-05-01' "
                                                                    "where Date_Day = '2001-06-02'");
            const Shell result = shell(database(), sql);
            QVERIFY(result.exitCode != 0);
            QVERIFY2(result.said.contains("마감된 기간의 전표는 바꿀 수 없습니다"), qPrintable(result.said));
        } else {
            try {
                if (write == "save on the lock date")
                    store::saveNewVoucher(sampleVoucher("2001-05-31", 0, {"01"}));
                else if (write == "save before")
                    store::saveNewVoucher(sampleVoucher("1999-01-01", 0, {"01", "02"}));
                else if (write == "update")
                    store::updateEntry(day, locked, sampleEntry("01", 9, "고침"));
                else
                    store::deleteEntry(locked + "01");
                QFAIL("the write went through");
            } catch (const AppError &error) {
                QVERIFY2(error.message().contains(named), qPrintable(error.message()));
                QVERIFY(error.message().contains("입력한 내용은 화면에 그대로 남아 있습니다"));
            }
        }
        QCOMPARE(stored(database()), before);
        QCOMPARE(historyRows(), recorded);
        // The day after the lock is open to the program and to the shell.
        store::saveNewVoucher(sampleVoucher("2001-06-01", 0, {"01"}));
        QCOMPARE(shell(database(), "update Account_Jen_AA set Ac_Text = 'open' where Date_Day = '2001-06-02'").exitCode,
                 0);
    }

    void unlockIsRecordedAndOpensThePeriod()
    {
        store::setLockDate(day);
        QCOMPARE(store::lockDate(), day);
        QVERIFY_THROWS_EXCEPTION(AppError, store::saveNewVoucher(sampleVoucher(day, 0, {"01"})));
        store::setLockDate(QString());
        QCOMPARE(store::lockDate(), QString());
        const std::vector<store::HistoryEntry> changes = store::lockHistory();
        QCOMPARE(changes.size(), size_t(2));
        QCOMPARE(changes[0].action, QString("lock"));
        QCOMPARE(valueIn(changes[0].after, "Lock_Until"), day);
        QCOMPARE(changes[1].action, QString("unlock"));
        QCOMPARE(valueIn(changes[1].before, "Lock_Until"), day);
        QVERIFY(changes[1].program.startsWith(program));
        store::saveNewVoucher(sampleVoucher(day, 0, {"01"}));
        QCOMPARE(database().allLines().size(), size_t(2));
    }

    void theHistoryCannotBeChangedOrRemoved_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("an update of a recorded change") << "update Ledger_History set Ac_Text = 'x'";
        QTest::newRow("a recorded change deleted") << "delete from Ledger_History";
        QTest::newRow("the lock's row deleted") << "delete from Ledger_Lock";
    }
    void theHistoryCannotBeChangedOrRemoved()
    {
        QFETCH(QString, sql);
        sql.replace("Ac_Text", "Action");
        store::saveNewVoucher(sampleVoucher(day, 0, {"01"}));
        const int recorded = historyRows();
        QVERIFY(shell(database(), sql).exitCode != 0);
        try {
            store::exec(store::account(), sql);
            QFAIL("the history was changed");
        } catch (const AppError &error) {
            QVERIFY2(error.message().startsWith("변경 이력은 고치거나 지울 수 없습니다"), qPrintable(error.message()));
        }
        QCOMPARE(historyRows(), recorded);
        QCOMPARE(database().column("select count(*) from Ledger_Lock"), QStringList({"1"}));
    }

    void aDatabaseOfAnEarlierVersionGetsTheGuardWhenOpened()
    {
        QSqlDatabase db = store::account();
        const QStringList drops =
            onPostgres()
                ? QStringList({"drop trigger ledger_line_lock on Account_Jen_AA",
                               "drop trigger ledger_line_history on Account_Jen_AA", "drop table Ledger_History",
                               "drop table Ledger_Lock", "drop table Ledger_Print"})
                : QStringList({"drop table Ledger_History", "drop table Ledger_Lock", "drop table Ledger_Writer",
                               "drop table Ledger_Print", "drop trigger ledger_line_lock_insert",
                               "drop trigger ledger_line_history_insert", "drop trigger ledger_line_history_update"});
        for (const QString &sql : drops)
            store::exec(db, sql);
        QVERIFY(!store::ledger::guardInstalled(db));
        db = QSqlDatabase();
        store::closeAccount();
        QVERIFY(store::ledger::guardInstalled(store::account()));
        QVERIFY(store::ledger::guardAddedOnOpen());
        const QString number = store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen;
        QCOMPARE(store::voucherHistory(number).size(), size_t(2));
    }

    // A file whose guard could not be completed when it was opened (its
    // writer's table missing): the lines are saved all the same, and a later
    // save reuses what the first one prepared.
    void aFileWithoutTheGuardStillSaves()
    {
        if (onPostgres())
            QSKIP("the server says who writes per session");
        for (const char *sql : {"drop trigger ledger_line_lock_insert", "drop trigger ledger_line_history_insert",
                                "drop table Ledger_Writer"})
            store::exec(store::account(), QString::fromLatin1(sql));
        for (int i = 0; i < 2; ++i) {
            const QString number = store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen;
            QCOMPARE(database().column(
                         QStringLiteral("select count(*) from Account_Jen_AA where Serial_Jen = '%1'").arg(number)),
                     QStringList({"2"}));
        }
    }

    // The server's guard of the version before checked and recorded an added
    // line line by line; opened now, it checks and records a save's lines
    // once for the statement, and never twice.
    void aServerGuardThatRecordedLineByLineIsBroughtUpToDate()
    {
        if (!onPostgres())
            QSKIP("the file's guard records line by line");
        QSqlDatabase db = store::account();
        for (const char *sql :
             {"drop trigger ledger_lines_added on Account_Jen_AA",
              "create or replace trigger ledger_line_lock before insert or update or delete on Account_Jen_AA "
              "for each row execute function ledger_line_lock()",
              "create or replace trigger ledger_line_history after insert or update or delete on Account_Jen_AA "
              "for each row execute function ledger_line_history()"})
            store::exec(db, QString::fromLatin1(sql));
        QVERIFY(!store::ledger::guardInstalled(db));
        db = QSqlDatabase();
        store::closeAccount();
        QVERIFY(store::ledger::guardInstalled(store::account()));
        const QString number = store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"})).serialJen;
        QCOMPARE(store::voucherHistory(number).size(), size_t(4));
        store::setLockDate(day);
        const int recorded = historyRows();
        QVERIFY_THROWS_EXCEPTION(AppError, store::saveNewVoucher(sampleVoucher(day, 0, {"01"})));
        QCOMPARE(historyRows(), recorded);
    }

    void aClerkHasChangesRecordedButMayNotTouchTheHistory()
    {
        if (!onPostgres())
            QSKIP("logins and rights are the server's");
        const auto owner = [](const QString &sql) { store::exec(store::account(), sql); };
        owner("CREATE ROLE ledger_clerk LOGIN");
        owner("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO ledger_clerk");
        owner("REVOKE INSERT, UPDATE, DELETE ON Ledger_History FROM ledger_clerk");
        const QString ownerSetting = database().setting();
        qputenv("ACCOUNT_DB", QString(ownerSetting).replace("//postgres@", "//ledger_clerk@").toUtf8());
        store::closeAccount();
        const QString number = store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen;
        const std::vector<store::HistoryEntry> history = store::voucherHistory(number);
        QCOMPARE(history.size(), size_t(2));
        QCOMPARE(history[0].changedBy, QString("ledger_clerk"));
        for (const char *sql :
             {"update Ledger_History set Action = 'x'", "delete from Ledger_History", "truncate Ledger_History"}) {
            try {
                store::exec(store::account(), sql);
                QFAIL(qPrintable("the clerk could run: " + QString(sql)));
            } catch (const AppError &error) {
                QVERIFY2(error.message().contains("권한이 없습니다"), qPrintable(error.message()));
            }
        }
        store::closeAccount();
        qputenv("ACCOUNT_DB", ownerSetting.toUtf8());
        // Granted every right after all, the clerk is still refused by the triggers.
        owner("GRANT ALL ON Ledger_History TO ledger_clerk");
        qputenv("ACCOUNT_DB", QString(ownerSetting).replace("//postgres@", "//ledger_clerk@").toUtf8());
        store::closeAccount();
        QVERIFY_THROWS_EXCEPTION(AppError, store::exec(store::account(), "delete from Ledger_History"));
        store::closeAccount();
        qputenv("ACCOUNT_DB", ownerSetting.toUtf8());
        QCOMPARE(historyRows(), 2);
        owner("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM ledger_clerk");
        owner("DROP ROLE ledger_clerk");
    }
};

QTEST_MAIN(TestLedger)
#include "test_ledger.moc"

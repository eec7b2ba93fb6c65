#pragma once
// A fresh, empty database with the program's tables for one test: an SQLite file
// in a temporary folder, or a new database on a throwaway PostgreSQL server.
// ACCOUNT_DB points at it while it lives, so the store's "Account" connection
// opens it; on destruction the connection is closed and the database removed.
//
// It also holds what a test does to a database that the program never does:
// branches and raw lines written directly (with padding blanks, say), a trigger
// that refuses marked lines, and a look at every stored line.
#include "store/connection.h"
#include "store/vouchers.h"
#include "support/pgserver.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>
#include <vector>

class TestDatabase
{
public:
    // Throws AppError when the database cannot be made.
    TestDatabase();                          // SQLite
    explicit TestDatabase(PgServer &server); // PostgreSQL
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    store::Engine engine() const { return m_engine; }
    // The ACCOUNT_DB text that opens this database (for writer processes too).
    QString setting() const { return m_setting; }

    void addBranch(const QString &code, const QString &name, const QString &place);
    // Writes a stored line as given, blanks and all.
    void insertRaw(const store::StoredLine &line);
    // Every later insert or update of a line whose Ac_Text is refusedText fails.
    void refuseMarkedLines();
    static QString refusedText() { return QStringLiteral("refused by the test trigger"); }
    // Every stored line, ordered by voucher number, entry and side.
    std::vector<store::StoredLine> allLines();
    // The rows of a one-column query (SELECT statements of the schema tests).
    QStringList column(const QString &select);

private:
    void open(const QString &setting);

    store::Engine m_engine;
    QString m_setting;
    QByteArray m_previousSetting;
    std::unique_ptr<QTemporaryDir> m_folder; // SQLite
    PgServer *m_server = nullptr;            // PostgreSQL
    QString m_databaseName;
};

// Writes a stored line as given, on the open connection (for processes that
// hold no TestDatabase of their own).
void insertStoredLine(const store::StoredLine &line);

// Sample values. A stored line as the program writes it (constants, month and
// year from the date, the line key), with codes and names made from `tag`.
store::StoredLine sampleLine(const QString &date, const QString &serialJen, const QString &serialBun,
                             const QString &side, const QString &branch = QStringLiteral("00000"),
                             const QString &tag = QStringLiteral("표본"));
// One entry of a new voucher: a debit of `amount` and its mirrored credit,
// every field filled, texts carrying `tag`.
store::EntryLines sampleEntry(const QString &serialBun, double amount, const QString &tag);
// A new voucher of the given entry numbers ("01".."04").
store::NewVoucher sampleVoucher(const QString &date, int branchPosition, const QStringList &entryNumbers,
                                const QString &tag = QStringLiteral("표본"));

// The base of the store's test programs: every test function runs once on
// SQLite and once on PostgreSQL (global data rows "SQLite" and "PostgreSQL"),
// each time on a fresh database. PostgreSQL is skipped only when its programs
// are not installed.
class StoreTestCase : public QObject
{
    Q_OBJECT

protected:
    TestDatabase &database() { return *m_database; }
    bool onPostgres() const { return m_database && m_database->engine() == store::Engine::PostgreSQL; }

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void cleanupTestCase();

private:
    std::unique_ptr<PgServer> m_server;
    std::unique_ptr<TestDatabase> m_database;
};

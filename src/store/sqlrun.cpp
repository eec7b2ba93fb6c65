#include "store/sqlrun.h"

#include "store/dialect.h"

#include "base/error.h"
#include "store/connection.h"
#include "store/ledgerguard.h"
#include "store/statementwatch.h"
#include "store/waiting.h"

#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <charconv>
#include <cmath>
#include <functional>
#include <unordered_map>

namespace store {

namespace {

// A statement that failed inside a PostgreSQL transaction cannot be freed on
// the server until the transaction has been rolled back (the server ignores
// every command before that), so it is kept until the transaction ends.
std::vector<QSqlQuery> failedInTransaction;
int openTransactions = 0;

// The clerk's message for a failed statement; a lost connection is closed so
// that the next statement reconnects.
QString failure(QSqlDatabase db, const QSqlError &error)
{
    if (const std::optional<QString> refused = ledger::refusal(db, error))
        return *refused;
    // The engine's own words could quote a connection text: never a password.
    const QString detail = maskPassword(describe(error));
    switch (Dialect::of(db).classify(db, error)) {
    case Fault::Lost:
        closeLostConnection(db);
        return unreachableMessage(detail);
    case Fault::Full:
        closeLostConnection(db);
        return unreachableMessage(detail, Unreachable::Full);
    case Fault::ReadOnly:
        closeLostConnection(db);
        return unreachableMessage(detail, Unreachable::ReadOnly);
    case Fault::InputOutput:
        closeLostConnection(db);
        return unreachableMessage(detail, Unreachable::InputOutput);
    case Fault::TimedOut:
        return unreachableMessage(detail, Unreachable::TimedOut);
    case Fault::Busy:
        return QStringLiteral("다른 사용자나 프로그램이 데이타베이스를 잠그고 있어 지금은 쓸 수 없습니다.\n"
                              "%1잠시 후 같은 명령을 다시 하세요.\n\n%2")
            .arg(typedInputNote(), detail);
    case Fault::Denied:
        return QStringLiteral("이 로그인 이름에는 이 일을 할 권한이 없습니다. 데이타베이스는 바뀌지 않았습니다.\n"
                              "데이타베이스 관리자에게 권한을 요청하세요.\n\n%1")
            .arg(detail);
    case Fault::Refused:
        break;
    }
    return detail;
}

// How long a statement may go without any answer before the program cuts the
// connection: the server's own statement timeout has the first word.
int watchTime()
{
    return statementTimeout() > 0 ? statementTimeout() + 2000 : 0;
}

// A statement cut off because the server gave no answer in time.
QString stalled(QSqlDatabase db, const QSqlError &error)
{
    closeLostConnection(db);
    return unreachableMessage(maskPassword(describe(error)), Unreachable::TimedOut);
}

// How a statement run through the door ended.
struct Ending
{
    bool succeeded = false;
    bool cutOff = false;    // the server gave no answer in time
    bool cancelled = false; // the clerk had it stopped
};

// Runs a blocking call on db through the door, watched for a server that
// stops answering.
Ending watched(QSqlDatabase db, const std::function<bool()> &statement, bool cancellable)
{
    Ending ending;
    StatementWatch watch(db, watchTime());
    ending.succeeded = runWaiting(db, statement, cancellable, ending.cancelled);
    ending.cutOff = watch.cutOff();
    return ending;
}

// The clerk's message for a statement that failed so.
QString failureMessage(QSqlDatabase db, const QSqlError &error, const Ending &ending)
{
    return ending.cancelled ? cancelledMessage() : ending.cutOff ? stalled(db, error) : failure(db, error);
}

// The text a value holds, where it is; nothing for another kind of value.
const QString *textIn(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? static_cast<const QString *>(value.constData()) : nullptr;
}

// A value as it is bound: an empty text a clerk left (often a null QString)
// is stored as '', never as NULL, for every text column is NOT NULL and
// compared as text.
void makeBindable(QVariant &value)
{
    if (const QString *text = textIn(value); text && text->isNull())
        value = QString(QLatin1String(""));
}

QVariant bindable(QVariant value)
{
    makeBindable(value);
    return value;
}

// A statement that fails before anything reached the database (its prepare, or
// the BEGIN of a transaction) on a connection found lost is tried once more on
// a new one: a server restarted while the clerk was away goes unnoticed. Once
// a transaction is open nothing is tried again. The caller's copy of the
// connection is the same connection, open again.
bool reopen(QSqlDatabase db)
{
    closeLostConnection(db);
    try {
        account();
    } catch (const AppError &) {
        return false;
    }
    return db.isOpen();
}

bool reconnectedForRetry(QSqlDatabase db, const QSqlError &error)
{
    const Fault fault = Dialect::of(db).classify(db, error);
    if (openTransactions > 0 || db.connectionName() != QLatin1String(connectionName) ||
        (fault != Fault::Lost && fault != Fault::ReadOnly && fault != Fault::InputOutput))
        return false;
    return reopen(db);
}

bool prepareQuery(QSqlQuery &query, QSqlDatabase db, const QString &text)
{
    query = QSqlQuery(db);
    query.setForwardOnly(true);
    return query.prepare(text);
}

// Statements kept prepared. Preparing is most of the work of a short
// statement: SQLite compiles it, and the PostgreSQL driver prepares it on the
// server and frees it again, a round trip each. The Account connection keeps
// every statement it has run, prepared once, by its text; a run binds new
// values and executes it again. The engine's own connection behind the
// alias (a new one after every reconnect) is remembered with each, so that a
// statement of a closed connection is never run again; closing the alias
// forgets them all (forgetKeptStatements).
struct Kept
{
    const void *connection = nullptr; // the engine's handle the statement was prepared on
    int session = 0;                  // and the server's session behind it
    QSqlQuery query;
};
std::unordered_map<QString, Kept> kept;
constexpr size_t keptLimit = 500; // far more texts than the program has

const void *engineHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    // Both drivers hand out a pointer to the engine's connection.
    return handle.isValid() ? *static_cast<const void *const *>(handle.constData()) : nullptr;
}

bool keeps(const QSqlDatabase &db)
{
    return db.connectionName() == QLatin1String(connectionName);
}

// A kept statement whose rows a caller is still reading (a run of the same
// text while the rows of the first are gone through) is not run again under
// it: the second run gets a statement of its own.
bool busy(const QSqlQuery &query)
{
    return query.isActive() && query.isSelect() && query.at() != QSql::AfterLastRow;
}

// The texts handed out since the last run. A statement whose rows were not
// read to the end is let go at the next run (and the next transaction): its
// caller, if it still reads, keeps it alive until it is done, and one done
// with it no longer holds the engine's statement open (an SQLite read would
// otherwise keep the file's state of that moment, and refuse to write).
std::vector<std::pair<const QString, Kept> *> lent; // entries of `kept`, which keeps them in place

void releaseUnfinished()
{
    for (std::pair<const QString, Kept> *entry : lent)
        if (busy(entry->second.query)) {
            const QString text = entry->first;
            kept.erase(text);
        }
    lent.clear();
}

// The caller's query and the kept one are one statement: the copy shares it.
QSqlQuery sharing(const QSqlQuery &query)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return QSqlQuery(query);
    QT_WARNING_POP
}

// The statement of a text, prepared: the kept one when it can be run again,
// otherwise prepared anew (and kept, on the Account connection). A connection
// found lost before anything is sent is opened again first.
QSqlQuery preparedStatement(QSqlDatabase db, const QString &text, bool &isKept)
{
    isKept = keeps(db);
    if (isKept)
        releaseUnfinished();
    if (isKept && openTransactions == 0 && db.isOpen() && Dialect::of(db).dropped(db))
        reopen(db);
    if (isKept) {
        const auto found = kept.find(text);
        if (found != kept.end() && found->second.connection == engineHandle(db) && db.isOpen() &&
            found->second.session == Dialect::of(db).session(db) && !busy(found->second.query)) {
            QSqlQuery query = sharing(found->second.query);
            query.finish();
            lent.push_back(&*found);
            return query;
        }
    }
    QSqlQuery query;
    // The server plans the statement when it is prepared, and waits for the
    // locks it needs there already.
    bool cancelled = false;
    const bool prepared = runWaiting(
        db, [&] { return prepareQuery(query, db, text); }, true, cancelled);
    if (cancelled)
        throw AppError(cancelledMessage());
    if (!prepared && !(reconnectedForRetry(db, query.lastError()) && prepareQuery(query, db, text)))
        throw AppError(failure(db, query.lastError()));
    if (isKept) {
        if (kept.size() >= keptLimit) {
            kept.clear();
            lent.clear();
        }
        lent.push_back(
            &*kept.insert_or_assign(text, Kept{engineHandle(db), Dialect::of(db).session(db), sharing(query)}).first);
    }
    return query;
}

bool begin(QSqlDatabase db, QSqlError &error)
{
    const Ending ending = watched(
        db, [&] { return Dialect::of(db).begin(db, error); }, true);
    if (ending.cancelled)
        throw AppError(cancelledMessage());
    // A BEGIN cut off is found lost, and tried once on a new connection.
    return ending.succeeded;
}

} // namespace

QString describe(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return QStringLiteral("데이타베이스 오류: %1").arg(text);
}

// Text that no engine stores as typed: the NUL character (PostgreSQL refuses
// it, and a C string would end there) and broken UTF-16. It is refused before
// anything is written, rather than stored cut short or altered.
static void checkStorable(const Params &params)
{
    for (const auto &[name, value] : params) {
        const QString *text = textIn(value);
        if (text && (text->contains(QChar(0)) || !QStringView(*text).isValidUtf16()))
            throw AppError(
                QStringLiteral("입력한 내용에 저장할 수 없는 글자(제어 문자 NUL 또는 깨진 글자)가 있습니다.\n"
                               "그 글자를 지우고 같은 명령을 다시 하세요. 데이타베이스는 바뀌지 않았습니다."));
    }
}

QSqlQuery run(QSqlDatabase db, const QStringList &lines, const Params &params)
{
    checkStorable(params);
    const QString text = lines.join(QLatin1Char('\n'));
    bool isKept = false;
    QSqlQuery query = preparedStatement(db, text, isKept);
    for (const auto &[name, value] : params)
        query.bindValue(name, bindable(value));
    const Ending ending = watched(
        db, [&] { return query.exec(); }, true);
    if (!ending.succeeded) {
        const QString message = failureMessage(db, query.lastError(), ending);
        // A kept statement stays prepared where it is.
        if (openTransactions > 0 && !isKept)
            failedInTransaction.push_back(std::move(query));
        throw AppError(message);
    }
    return query;
}

std::optional<std::vector<QVariant>> commitAtOnce(Transaction &transaction,
                                                  const std::vector<BoundStatement> &statements)
{
    QSqlDatabase db = transaction.m_db;
    if (!keeps(db) || !transaction.m_open)
        return std::nullopt;
    for (const BoundStatement &statement : statements)
        checkStorable(statement.params);
    std::vector<QVariant> rows;
    QSqlError error;
    AtOnce outcome = AtOnce::Unavailable;
    // The clerk's cancel stops a statement still waiting or running, and the
    // commit with it; a commit under way goes on, and its answer says so.
    const Ending ending = watched(
        db,
        [&] {
            outcome = Dialect::of(db).sendAtOnce(db, statements, rows, error, true);
            return outcome != AtOnce::Failed;
        },
        true);
    switch (outcome) {
    case AtOnce::Unavailable:
        return std::nullopt;
    case AtOnce::Failed:
        throw AppError(failureMessage(db, error, ending));
    case AtOnce::Done:
        break;
    }
    // Committed: the commit's own answer came back (a server shutting down
    // sends it before its farewell, and the farewell does not undo it).
    transaction.m_open = false;
    return rows;
}

QVariant runValue(QSqlDatabase db, const QStringList &lines, const Params &params)
{
    QSqlQuery query = run(db, lines, params);
    const QVariant value = query.next() ? query.value(0) : QVariant();
    query.finish();
    return value;
}

void forgetKeptStatements(const QSqlDatabase &db)
{
    kept.clear();
    lent.clear();
    if (db.isOpen())
        Dialect::of(db).forgetReads(db);
}

int Rows::Columns::position(const char *name) const
{
    // Found by the text's address, and checked: an address can be reused. A
    // reader asks for its columns in the same order on every run: the one
    // after the last found is tried first.
    const auto known = [&](size_t i) {
        const auto &[literal, at] = m_found[i];
        if (literal != name || at < 0)
            return false;
        const char *reported = m_names[size_t(at)].constData();
        return qstrcmp(reported, name) == 0 || qstricmp(reported, name) == 0;
    };
    if (m_next < m_found.size() && known(m_next))
        return m_found[m_next++].second;
    for (size_t i = 0; i < m_found.size(); ++i)
        if (known(i)) {
            m_next = i + 1;
            return m_found[i].second;
        }
    int at = -1;
    for (int column = 0; column < count() && at < 0; ++column)
        if (qstricmp(m_names[size_t(column)].constData(), name) == 0)
            at = column;
    for (auto &[literal, was] : m_found)
        if (literal == name) {
            was = at;
            return at;
        }
    m_found.emplace_back(name, at);
    m_next = m_found.size();
    return at;
}

void Rows::appendNumber(double value)
{
    if (m_numbers.empty())
        m_numbers.assign(m_values.size(), notANumber);
    m_values.emplace_back();
    m_numbers.push_back(value);
}

const QString &Rows::text(size_t row, int column) const
{
    static const QString none;
    const std::optional<size_t> found = at(row, column);
    if (!found)
        return none;
    // To its last digit: the engine's own text rounds to 15.
    if (isNumber(*found) && m_values[*found].isNull())
        m_values[*found] = QString::number(m_numbers[*found], 'g', QLocale::FloatingPointShortest);
    return m_values[*found];
}

QString Rows::take(size_t row, int column)
{
    const std::optional<size_t> found = at(row, column);
    if (!found)
        return QString();
    text(row, column); // a number's text is written first
    return std::move(m_values[*found]);
}

double Rows::number(size_t row, int column) const
{
    if (const std::optional<size_t> found = at(row, column); found && isNumber(*found))
        return m_numbers[*found];
    // An engine's number is plain ASCII: read without the locale's machinery
    // where it is short, as amounts are.
    const QString &value = text(row, column);
    char digits[32];
    if (value.size() < qsizetype(sizeof digits)) {
        const qsizetype size = value.size();
        bool plain = true;
        for (qsizetype i = 0; i < size && plain; ++i) {
            const char16_t c = value.at(i).unicode();
            plain = c < 0x80;
            digits[i] = char(c);
        }
        double number = 0;
        const auto [end, fault] = std::from_chars(digits, digits + size, number);
        if (plain && fault == std::errc() && end == digits + size)
            return number;
    }
    return value.toDouble();
}

namespace {

// The rows of a query read through the driver, where the engine's library
// cannot be reached.
Rows rowsOf(QSqlQuery query)
{
    std::vector<QByteArray> names;
    const QSqlRecord record = query.record();
    for (int column = 0; column < record.count(); ++column)
        names.push_back(record.fieldName(column).toUtf8());
    Rows rows(std::make_shared<const Rows::Columns>(std::move(names)));
    while (query.next())
        for (int column = 0; column < record.count(); ++column) {
            const QVariant value = query.value(column);
            rows.append(value.isNull() ? QString() : value.toString());
        }
    return rows;
}

} // namespace

Rows read(QSqlDatabase db, const QStringList &lines, Params params)
{
    if (!keeps(db))
        return rowsOf(run(db, lines, params));
    checkStorable(params);
    BoundStatement statement{lines, std::move(params)};
    for (auto &[name, value] : statement.params)
        makeBindable(value);
    // Not asked beforehand whether the server has closed the connection: a
    // read on one found lost is tried again on a new one.
    for (int attempt = 0;; ++attempt) {
        Rows rows;
        QSqlError error;
        AtOnce outcome = AtOnce::Unavailable;
        const Ending ending = watched(
            db,
            [&] {
                outcome = Dialect::of(db).readRows(db, statement, rows, error);
                return outcome != AtOnce::Failed;
            },
            true);
        switch (outcome) {
        case AtOnce::Unavailable:
            return rowsOf(run(db, lines, statement.params));
        case AtOnce::Done:
            return rows;
        case AtOnce::Failed:
            break;
        }
        // Reading changes nothing: on a connection found lost it is tried
        // once more on a new one.
        if (ending.cancelled || ending.cutOff || attempt > 0 || !reconnectedForRetry(db, error))
            throw AppError(failureMessage(db, error, ending));
    }
}

void exec(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw AppError(failure(db, query.lastError()));
}

Transaction::Transaction(QSqlDatabase db) : m_db(db)
{
    if (keeps(db))
        releaseUnfinished();
    QSqlError error;
    if (!begin(db, error) && !(reconnectedForRetry(db, error) && begin(db, error)))
        throw AppError(failure(db, error));
    m_open = true;
    ++openTransactions;
}

Transaction::~Transaction()
{
    // A connection lost on the way is closed already: the server or the file
    // has dropped the transaction itself.
    if (m_open && m_db.isOpen())
        Dialect::of(m_db).rollback(m_db);
    if (--openTransactions == 0)
        failedInTransaction.clear();
}

void Transaction::commit()
{
    QSqlError error;
    // Never cancelled: once the commit is sent, only its answer tells whether
    // the voucher was written.
    const Ending ending = watched(
        m_db, [&] { return Dialect::of(m_db).commit(m_db, error); }, false);
    if (!ending.succeeded)
        throw AppError(failureMessage(m_db, error, ending));
    m_open = false;
}

} // namespace store

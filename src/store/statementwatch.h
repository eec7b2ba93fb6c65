#pragma once
// A PostgreSQL statement that gets no answer at all: a server that stalls
// (stopped, or its machine gone silent) never enforces its own statement
// timeout, and the window would wait for ever. While a watch lives, the
// watching thread (one for all) waits for the statement; past its time it cuts
// the connection's socket, the statement fails at once, and the store tells
// the clerk. An SQLite connection, or a time of 0, is not watched.
#include <QSqlDatabase>

#include <memory>

namespace store {

class StatementWatch
{
public:
    StatementWatch(QSqlDatabase db, int milliseconds);
    ~StatementWatch();
    StatementWatch(const StatementWatch &) = delete;
    StatementWatch &operator=(const StatementWatch &) = delete;

    // True when the statement was cut off for taking too long.
    bool cutOff() const;

    // What the watching thread knows of a statement.
    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace store

#include "store/statementwatch.h"

#include "store/dialect.h"

#include <QSqlDriver>
#include <QVariant>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sys/socket.h>
#include <thread>

namespace store {

struct StatementWatch::State
{
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    std::atomic<bool> cutOff = false;
    std::thread thread;
};

namespace {

// The connection's network socket, or -1 for a file.
int socketOf(const QSqlDatabase &db)
{
    return Dialect::of(db).socket(db);
}

} // namespace

StatementWatch::StatementWatch(QSqlDatabase db, int milliseconds)
{
    const int socket = milliseconds > 0 ? socketOf(db) : -1;
    if (socket < 0)
        return;
    m_state = std::make_shared<State>();
    m_state->thread = std::thread([state = m_state, socket, milliseconds] {
        std::unique_lock lock(state->mutex);
        if (!state->answered.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return state->done; })) {
            state->cutOff = true;
            ::shutdown(socket, SHUT_RDWR); // the blocked statement returns with an error
        }
    });
}

StatementWatch::~StatementWatch()
{
    if (!m_state)
        return;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->done = true;
    }
    m_state->answered.notify_all();
    m_state->thread.join();
}

bool StatementWatch::cutOff() const
{
    return m_state && m_state->cutOff;
}

} // namespace store

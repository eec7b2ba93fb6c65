#include "store/statementwatch.h"

#include "store/dialect.h"

#include <QSqlDriver>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <vector>

namespace store {

struct StatementWatch::State
{
    int socket = -1;
    std::chrono::steady_clock::time_point deadline;
    std::atomic<bool> cutOff = false;
};

namespace {

// The connection's network socket, or -1 for a file.
int socketOf(const QSqlDatabase &db)
{
    return Dialect::of(db).socket(db);
}

// One thread watches every statement under way, started with the first and
// kept: starting a thread for each statement cost more than a short
// statement takes. A watch taken off the list is never touched again.
class Watcher
{
public:
    static Watcher &instance()
    {
        static Watcher watcher;
        return watcher;
    }
    ~Watcher()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    // The thread looks at the statements twice a second: a statement
    // started wakes nobody, and one is cut off at most half a second late.
    void add(StatementWatch::State *state)
    {
        std::lock_guard lock(m_mutex);
        m_watched.push_back(state);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { loop(); });
    }
    void remove(StatementWatch::State *state)
    {
        std::lock_guard lock(m_mutex);
        m_watched.erase(std::remove(m_watched.begin(), m_watched.end(), state), m_watched.end());
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            const auto now = std::chrono::steady_clock::now();
            for (StatementWatch::State *state : m_watched)
                if (!state->cutOff && state->deadline <= now) {
                    state->cutOff = true;
                    ::shutdown(state->socket, SHUT_RDWR); // the blocked statement returns with an error
                }
            m_changed.wait_for(lock, std::chrono::milliseconds(500));
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<StatementWatch::State *> m_watched;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace

StatementWatch::StatementWatch(QSqlDatabase db, int milliseconds)
{
    const int socket = milliseconds > 0 ? socketOf(db) : -1;
    if (socket < 0)
        return;
    m_state = std::make_shared<State>();
    m_state->socket = socket;
    m_state->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    Watcher::instance().add(m_state.get());
}

StatementWatch::~StatementWatch()
{
    if (m_state)
        Watcher::instance().remove(m_state.get());
}

bool StatementWatch::cutOff() const
{
    return m_state && m_state->cutOff;
}

} // namespace store

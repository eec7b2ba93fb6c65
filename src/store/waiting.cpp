#include "store/waiting.h"

#include "base/error.h"
#include "store/connection.h"
#include "store/dialect.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace store {

namespace {

WaitingDoor *door = nullptr;
// A statement is under way on the helper thread.
bool inFlight = false;

// How long a statement runs before the door shows the wait.
constexpr auto patience = std::chrono::milliseconds(1000);

class Flight : public Wait
{
public:
    Flight(std::unique_ptr<Canceller> canceller, bool cancellable)
        : m_canceller(std::move(canceller)), m_cancellable(cancellable && m_canceller)
    {
    }

    bool cancellable() const override { return m_cancellable; }
    void cancel() override
    {
        if (!m_cancellable)
            return;
        m_cancelled = true;
        m_canceller->cancel();
    }
    void whenDone(std::function<void()> done) override
    {
        std::unique_lock lock(m_mutex);
        if (m_done) {
            lock.unlock();
            done();
            return;
        }
        m_notify = std::move(done);
    }

    // On the statement's thread.
    void finish()
    {
        std::function<void()> notify;
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
            notify = std::move(m_notify);
        }
        if (notify)
            notify();
    }
    bool cancelled() const { return m_cancelled; }

private:
    std::unique_ptr<Canceller> m_canceller;
    const bool m_cancellable;
    bool m_cancelled = false;
    std::mutex m_mutex;
    bool m_done = false;
    std::function<void()> m_notify;
};

// Waits up to `time` without sleeping until `ready` holds; false when it
// does not. A thread put to sleep and woken again takes tens of microseconds on a
// virtual machine, longer than most statements; with one core, waiting awake
// would only hold up the thread it waits for.
template <typename Ready> bool readyAwake(std::chrono::microseconds time, Ready ready)
{
    static const bool cores = std::thread::hardware_concurrency() > 1;
    if (!cores)
        return ready();
    const auto until = std::chrono::steady_clock::now() + time;
    do {
        if (ready())
            return true;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    } while (std::chrono::steady_clock::now() < until);
    return ready();
}

// The helper thread, started with the first statement and kept: starting a
// thread for each statement cost more than a short statement takes. It runs
// one statement at a time, and each side waits a moment awake before it
// sleeps, so that short statements go back and forth without a wake-up.
class Helper
{
public:
    static Helper &instance()
    {
        static Helper helper;
        return helper;
    }
    ~Helper()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void start(std::function<void()> task)
    {
        {
            std::lock_guard lock(m_mutex);
            m_task = std::move(task);
            m_busy = true;
            m_posted = true;
            if (!m_thread.joinable())
                m_thread = std::thread([this] { loop(); });
        }
        m_changed.notify_all();
    }
    // True once the task has returned (it touches nothing of the caller's
    // after that); false when it still runs after `time`.
    bool idleWithin(std::chrono::milliseconds time)
    {
        if (readyAwake(std::chrono::microseconds(60), [this] { return !m_busy.load(); }))
            return true;
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, time, [this] { return !m_busy.load(); });
    }
    void waitIdle()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_busy.load(); });
    }

private:
    void loop()
    {
        for (;;) {
            // The statements of one command follow each other at once.
            readyAwake(std::chrono::microseconds(50), [this] { return m_posted.load(); });
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopping || m_task; });
            if (!m_task)
                return;
            std::function<void()> task = std::move(m_task);
            m_task = nullptr;
            m_posted = false;
            lock.unlock();
            task();
            lock.lock();
            m_busy = false;
            lock.unlock();
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_task;
    std::atomic<bool> m_posted = false; // a task waits to be taken
    std::atomic<bool> m_busy = false;   // a task is given and has not returned
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace

void setWaitingDoor(WaitingDoor *newDoor)
{
    door = newDoor;
}

bool runWaiting(QSqlDatabase db, const std::function<bool()> &statement, bool cancellable, bool &cancelled)
{
    cancelled = false;
    if (!door || !db.isOpen())
        return statement();
    // Nothing may start a second statement on the connection while the door's
    // window waits; should anything try, it is refused, not run alongside.
    if (inFlight)
        throw AppError(QStringLiteral("앞의 명령이 아직 끝나지 않았습니다. 그 명령이 끝난 뒤 다시 하세요."));
    // The connection is handed to the helper thread for the statement alone:
    // the caller's thread does not touch it until the statement has ended,
    // and the door's window is modal, so no other command can start.
    Flight flight(Dialect::of(db).canceller(db), cancellable);
    bool result = false;
    inFlight = true;
    Helper &helper = Helper::instance();
    helper.start([&] {
        result = statement();
        flight.finish();
    });
    if (!helper.idleWithin(patience)) {
        try {
            door->wait(flight);
        } catch (...) {
            helper.waitIdle();
            inFlight = false;
            throw;
        }
    }
    helper.waitIdle();
    inFlight = false;
    cancelled = flight.cancelled() && !result;
    return result;
}

QString cancelledMessage()
{
    return QStringLiteral("데이타베이스의 답을 기다리다가 명령을 취소했습니다. 데이타베이스는 바뀌지 않았습니다.\n"
                          "%1서버나 다른 사용자의 작업이 끝난 뒤 같은 명령을 다시 하세요.")
        .arg(typedInputNote());
}

} // namespace store

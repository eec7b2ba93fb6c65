#include "store/waiting.h"

#include "base/error.h"
#include "store/connection.h"
#include "store/dialect.h"

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
        m_ended.notify_all();
        if (notify)
            notify();
    }
    bool endsWithin(std::chrono::milliseconds time)
    {
        std::unique_lock lock(m_mutex);
        return m_ended.wait_for(lock, time, [this] { return m_done; });
    }
    bool cancelled() const { return m_cancelled; }

private:
    std::unique_ptr<Canceller> m_canceller;
    const bool m_cancellable;
    bool m_cancelled = false;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
    std::function<void()> m_notify;
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
    std::thread worker([&] {
        result = statement();
        flight.finish();
    });
    if (!flight.endsWithin(patience)) {
        try {
            door->wait(flight);
        } catch (...) {
            worker.join();
            inFlight = false;
            throw;
        }
    }
    worker.join();
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

#pragma once
// A statement that keeps the clerk waiting. While a door is set (the window
// sets one; the command-line tools do not), every statement runs on a helper
// thread while the caller's thread waits for it. Past a second without an
// answer the door shows that the program is waiting and, where it is safe,
// lets the clerk cancel: the engine is asked to stop the statement, it fails,
// the transaction around it is rolled back, and the store says the command was
// cancelled. Stopping a commit is never offered: nobody could tell afterwards
// whether it went through.
#include <QSqlDatabase>

#include <functional>

namespace store {

// One statement under way, as the door sees it.
class Wait
{
public:
    virtual ~Wait() = default;
    virtual bool cancellable() const = 0;
    // Asks the engine to stop the statement; from the door's thread. Asked
    // again while it still runs, the program stops waiting for the server and
    // cuts the connection.
    virtual void cancel() = 0;
    // `done` is called once, on the statement's thread, when it has ended (at
    // once when it has ended already).
    virtual void whenDone(std::function<void()> done) = 0;
};

class WaitingDoor
{
public:
    virtual ~WaitingDoor() = default;
    // Called on the caller's thread once the statement has run for a while;
    // returns when it has ended.
    virtual void wait(Wait &wait) = 0;
};

// The door of the window, or none (statements run on the caller's thread).
void setWaitingDoor(WaitingDoor *door);

// Runs `statement`, a blocking call on `db`, through the door if there is one.
// Returns what the statement returned; `cancelled` tells whether the clerk had
// it stopped.
bool runWaiting(QSqlDatabase db, const std::function<bool()> &statement, bool cancellable, bool &cancelled);

// The clerk's message for a statement cancelled while the program waited.
QString cancelledMessage();

} // namespace store

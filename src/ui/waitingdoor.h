#pragma once
// The window's side of a statement that keeps the clerk waiting: a small modal
// window that says the program is waiting for the database, counts the
// seconds, and offers "취소" (also Esc) where the statement may be stopped.
// Enter does nothing there, so that a clerk typing ahead does not cancel a
// save by the keys meant for the next field.
#include "store/waiting.h"

class WaitingWindow : public store::WaitingDoor
{
public:
    void wait(store::Wait &wait) override;
};

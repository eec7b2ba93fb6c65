#pragma once
// The running totals in the entry window's header, in the free space between
// the voucher number and the button bar: the total of the voucher on screen
// (the debit amounts of its shown entries, as typed or loaded) and the total
// of the listed day and branch as stored. Both are "#,##0"; the voucher's
// follows every amount, the day's every listing.
#include <QObject>
#include <QString>
#include <QTimer>

class EntryWindow;
class QAbstractItemModel;
class QLabel;

class LiveTotals : public QObject
{
    Q_OBJECT

public:
    LiveTotals(EntryWindow &window, QAbstractItemModel *list);

    QLabel *voucherTotal() const { return m_voucher; }
    QLabel *dayTotal() const { return m_day; }

private:
    void update();

    EntryWindow &m_window;
    QLabel *m_voucher = nullptr;
    QLabel *m_day = nullptr;
    QTimer m_pending;         // one update once the handler that changed things is done
    bool m_dayChanged = true; // the listing changed since the day's total was read
};

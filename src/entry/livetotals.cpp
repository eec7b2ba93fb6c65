#include "entry/livetotals.h"

#include "entry/entrywindow.h"

#include "base/amount.h"
#include "base/error.h"
#include "base/text.h"
#include "store/voucherbook.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QLineEdit>

namespace {

// Where the header has room: right of edSerial (which ends at 297), left of
// Panel7 (which begins at 495).
constexpr int voucherX = 304, dayX = 400, valueWidth = 90;

QLabel *value(const QString &name, int x, QWidget *parent)
{
    auto *label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(name);
    label->setGeometry(x, 18, valueWidth, 20);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    // On the window's own face, framed like a field that cannot be typed into
    // (the only style sheets left in the window: without one, the style draws
    // this frame as two of its four lines).
    label->setStyleSheet(QStringLiteral("QLabel { color: #000000; padding: 0px 2px; }"));
    return label;
}

// An amount as the field shows it, or nothing for one that is not a number
// (yet): a total never stops the clerk.
double amountOf(const QLineEdit *field)
{
    try {
        return Str_ToFloat(Str_LTrim(field->text()));
    } catch (const AppError &) {
        return 0;
    }
}

} // namespace

LiveTotals::LiveTotals(EntryWindow &window, QAbstractItemModel *list) : QObject(&window), m_window(window)
{
    QLabel *voucherCaption = headerLabel(QStringLiteral("전표 합계"), voucherX, &window);
    QLabel *dayCaption = headerLabel(QStringLiteral("일 합계"), dayX, &window);
    m_voucher = value(QStringLiteral("lbVoucherTotal"), voucherX, &window);
    m_day = value(QStringLiteral("lbDayTotal"), dayX, &window);
    voucherCaption->setBuddy(m_voucher);
    dayCaption->setBuddy(m_day);
    m_voucher->setAccessibleName(QStringLiteral("전표 합계"));
    m_day->setAccessibleName(QStringLiteral("일 합계"));

    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &LiveTotals::update);
    auto later = [this] { m_pending.start(); };
    connect(list, &QAbstractItemModel::modelReset, this, [this] {
        m_dayChanged = true;
        m_pending.start();
    });
    for (int n = 1; n <= 4; ++n)
        connect(window.field(QStringLiteral("edCR_Cr_Amt"), n), &QLineEdit::textChanged, this, later);
}

void LiveTotals::update()
{
    double voucher = 0;
    for (int n = 1; n <= 4; ++n)
        if (!m_window.panel(n)->isHidden())
            voucher += amountOf(m_window.field(QStringLiteral("edCR_Cr_Amt"), n));
    m_voucher->setText(formatThousands(voucher));
    if (!m_dayChanged)
        return;
    m_dayChanged = false;
    // The listing was read just now: the day's total is read with it. A
    // database that stopped answering since leaves the total blank.
    try {
        m_day->setText(formatThousands(store::dayTotal(m_window.edDate->text(), m_window.branchCode())));
    } catch (const AppError &) {
        m_day->clear();
    }
}

// Amount entry: the clerk types the debit amount of an entry; leaving it shows
// it formatted and mirrors it into the credit line, so every entry balances.
#include "entry/entrywindow.h"

#include "app/messages.h"
#include "entry/amount.h"
#include "entry/text.h"

#include <QLineEdit>

namespace {
const QString amountTooLongMessage = QStringLiteral("금액은 15자리까지 입력할 수 있습니다. 금액을 다시 입력하세요....");
}

void EntryWindow::amountExit(int number)
{
    QLineEdit *debit = field(QStringLiteral("edCR_Cr_Amt"), number);
    const double value = Str_ToFloat(Str_LTrim(debit->text()));
    debit->setText(Str_StrToDouble(plainAmountText(value), formatThousands(value)));
    field(QStringLiteral("edCR_Dr_Amt"), number)->setText(amountDisplayForm(0));
    field(QStringLiteral("edDR_Cr_Amt"), number)->setText(amountDisplayForm(0));
    // The credit amount is the debit amount as shown: rounded to a whole number.
    const double shown = Str_ToFloat(Str_LTrim(debit->text()));
    field(QStringLiteral("edDR_Dr_Amt"), number)->setText(amountDisplayForm(shown));
    // An amount too long to show empties the field; the clerk is told, rather
    // than finding the entry left out of the voucher at saving, and no save
    // goes on until the amount is entered again.
    m_amountRefused[size_t(number - 1)] = value != 0 && debit->text().isEmpty();
    if (m_amountRefused[size_t(number - 1)])
        showWarning(amountTooLongMessage, this);
}

// A save must not go on while an entry's amount was refused: the entry would
// be saved without it, or left out. The clerk is sent back to the amount, and
// told again when asked (not right after leaving the amount has told it).
bool EntryWindow::amountToRedo(bool tell)
{
    for (int n = 1; n <= 4; ++n) {
        QLineEdit *amount = field(QStringLiteral("edCR_Cr_Amt"), n);
        // Typed again since: leaving the field judges the new amount.
        if (!m_amountRefused[size_t(n - 1)] || !amount->text().isEmpty())
            continue;
        if (tell)
            showWarning(amountTooLongMessage, this);
        amount->setFocus();
        return true;
    }
    return false;
}

void EntryWindow::amountClick(int number)
{
    QLineEdit *debit = field(QStringLiteral("edCR_Cr_Amt"), number);
    if (m_mode != QLatin1String("2") || !debit->hasFocus())
        return;
    debit->setText(formatDigits(Str_ToFloat(Str_DelSpace(debit->text()))));
    debit->selectAll();
}

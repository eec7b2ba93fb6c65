// Amount entry: the clerk types the debit amount of an entry; leaving it shows
// it formatted and mirrors it into the credit line, so every entry balances.
#include "entry/entrywindow.h"

#include "base/amount.h"
#include "base/text.h"
#include "ui/messages.h"

#include <QLineEdit>

void EntryWindow::amountExit(int number)
{
    QLineEdit *debit = field(QStringLiteral("edCR_Cr_Amt"), number);
    // A stored amount shown as the mark stays as it is until the clerk types one.
    if (debit->text() == unfitAmountMark())
        return;
    const double value = Str_ToFloat(Str_LTrim(debit->text()));
    // More than fifteen digits cannot be held exactly (9999999999999999 would
    // become 10000000000000000): such an amount is emptied like one too long
    // to show.
    debit->setText(amountFits(value) ? Str_StrToDouble(plainAmountText(value), formatThousands(value)) : QString());
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
        showWarning(tooLongAmountMessage, this);
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
            showWarning(tooLongAmountMessage, this);
        amount->setFocus();
        return true;
    }
    return false;
}

void EntryWindow::amountClick(int number)
{
    QLineEdit *debit = field(QStringLiteral("edCR_Cr_Amt"), number);
    if (m_mode != EntryMode::Loaded || !debit->hasFocus())
        return;
    debit->setText(formatDigits(Str_ToFloat(Str_DelSpace(debit->text()))));
    debit->selectAll();
}

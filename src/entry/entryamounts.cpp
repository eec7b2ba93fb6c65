// Amount entry: the clerk types the debit amount of an entry; leaving it shows
// it formatted and mirrors it into the credit line, so every entry balances.
#include "entry/entrywindow.h"

#include "app/messages.h"
#include "entry/amount.h"
#include "entry/text.h"

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
    // than finding the entry left out of the voucher at saving.
    if (value != 0 && debit->text().isEmpty())
        showWarning(tooLongAmountMessage, this);
}

void EntryWindow::amountClick(int number)
{
    QLineEdit *debit = field(QStringLiteral("edCR_Cr_Amt"), number);
    if (m_mode != QLatin1String("2") || !debit->hasFocus())
        return;
    debit->setText(formatDigits(Str_ToFloat(Str_DelSpace(debit->text()))));
    debit->selectAll();
}

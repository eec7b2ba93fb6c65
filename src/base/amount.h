#pragma once
// The text forms of amounts: how an amount is shown in the entry panels, in the
// voucher grid and on the printed sheet. Pure functions, no widgets.
#include <QString>

// "#,##0": rounded to a whole number half away from zero, "," between thousands,
// "-" before negatives, "0" for zero (1234.5 gives 1,235; -1234.5 gives -1,235).
QString formatThousands(double value);

// "#,###": as "#,##0", but a value that rounds to zero prints as nothing.
QString formatThousandsOrBlank(double value);

// "0", "00", "00000", "00000000": the rounded whole number with at least that
// many digits, "-" before negatives (-1 with five digits gives -00001).
QString formatDigits(double value, int minDigits = 1);

// The plain text of an amount: at most 15 significant digits, no separators, no
// trailing zeros; exponent notation from 1E15 upward and for magnitudes below
// 0.00001 (other than zero). Only its length matters to the padding rule.
QString plainAmountText(double value);

// The padding rule: blanks chosen by the length of the plain text, followed by
// the formatted text; the empty text where the table has no count.
QString Str_StrToDouble(const QString &plainText, const QString &formattedText);

// The amount display form: blanks from the padding rule, then "#,##0".
QString amountDisplayForm(double value);

// Whether the 15-digit form holds an amount exactly: a finite number of at most
// fifteen digits once rounded to a whole number. A longer amount typed by the
// clerk is refused; one stored behind the program's back (inf, nan, 1e308) is
// shown and printed as the mark below instead of a wrong or endless number.
bool amountFits(double value);

// What stands in place of an amount that does not fit.
QString unfitAmountMark();

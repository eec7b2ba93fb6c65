#include "base/amount.h"

#include <cmath>
#include <cstdio>

namespace {

// The rounded whole number as digits without sign, exact for any magnitude.
QString wholeDigits(double value)
{
    return QString::number(std::fabs(std::round(value)), 'f', 0);
}

QString groupThousands(const QString &digits)
{
    QString grouped;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped.append(QLatin1Char(','));
        grouped.append(digits.at(i));
    }
    return grouped;
}

bool roundsToNegative(double value)
{
    return std::round(value) < 0;
}

// Blank counts by plain-text length (index 1..16); -1 means the empty text.
constexpr int blanksNonNegative[17] = {-1, 27, 25, 24, 21, 20, 18, 16, 14, 13, 10, 8, 7, 4, 3, 2, -1};
constexpr int blanksNegative[17] = {-1, -1, 25, 24, 22, 20, 18, 17, 14, 13, 11, 9, 7, 6, 3, 2, 0};

} // namespace

QString formatThousands(double value)
{
    const QString sign = roundsToNegative(value) ? QStringLiteral("-") : QString();
    return sign + groupThousands(wholeDigits(value));
}

QString formatThousandsOrBlank(double value)
{
    if (std::round(value) == 0)
        return QString();
    return formatThousands(value);
}

QString formatDigits(double value, int minDigits)
{
    const QString sign = roundsToNegative(value) ? QStringLiteral("-") : QString();
    return sign + wholeDigits(value).rightJustified(minDigits, QLatin1Char('0'));
}

QString plainAmountText(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? QStringLiteral("0") : QString::number(value);

    // Round to 15 significant digits first, then decide on the notation from
    // the rounded value's decimal exponent.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const QString scientific = QString::fromLatin1(buffer);
    const qsizetype e = scientific.indexOf(QLatin1Char('e'));
    const int exponent = scientific.mid(e + 1).toInt();
    QString mantissa = scientific.left(e);
    const bool negative = mantissa.startsWith(QLatin1Char('-'));
    if (negative)
        mantissa.remove(0, 1);
    QString digits = mantissa;
    digits.remove(QLatin1Char('.'));
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);

    QString text;
    if (exponent >= 15 || exponent < -5) {
        text = digits.left(1);
        if (digits.size() > 1)
            text += QLatin1Char('.') + digits.mid(1);
        text += QLatin1Char('E') + QString::number(exponent);
    } else if (exponent >= 0) {
        const QString whole = digits.left(exponent + 1).leftJustified(exponent + 1, QLatin1Char('0'));
        const QString fraction = digits.mid(exponent + 1);
        text = fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
    } else {
        text = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString Str_StrToDouble(const QString &plainText, const QString &formattedText)
{
    const bool negative = plainText.startsWith(QLatin1Char('-'));
    const qsizetype length = plainText.size();
    if (length < 1 || length > 16)
        return QString();
    const int blanks = negative ? blanksNegative[length] : blanksNonNegative[length];
    if (blanks < 0)
        return QString();
    return QString(blanks, QLatin1Char(' ')) + formattedText;
}

QString amountDisplayForm(double value)
{
    return Str_StrToDouble(plainAmountText(value), formatThousands(value));
}

bool amountFits(double value)
{
    return std::isfinite(value) && std::fabs(std::round(value)) <= 999999999999999.0;
}

QString unfitAmountMark()
{
    return QStringLiteral("※금액오류");
}

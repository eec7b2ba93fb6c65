#include "base/text.h"

#include "base/error.h"

#include <QRegularExpression>

namespace {
constexpr QChar blank(32);
}

QString Str_LTrim(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == blank)
        ++start;
    return text.mid(start);
}

QString Str_RTrim(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == blank)
        --end;
    return text.left(end);
}

QString Str_DelSpace(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text)
        if (c != blank)
            result.append(c);
    return result;
}

double Str_ToFloat(const QString &text)
{
    static const QString kept = QStringLiteral("-0123456789.");
    QString digits;
    for (QChar c : text)
        if (kept.contains(c))
            digits.append(c);
    if (digits.isEmpty())
        digits = QStringLiteral("0");

    static const QRegularExpression number(QStringLiteral("^-?(\\d+\\.?\\d*|\\.\\d+)$"));
    bool ok = number.match(digits).hasMatch();
    double value = ok ? digits.toDouble(&ok) : 0.0;
    if (!ok)
        throw AppError(QStringLiteral("'%1' is not a valid floating point value").arg(digits));
    return value;
}

int Str_ToInt(const QString &text)
{
    static const QRegularExpression integer(QStringLiteral("^ *[-+]?\\d+$"));
    bool ok = integer.match(text).hasMatch();
    int value = ok ? text.trimmed().toInt(&ok) : 0;
    if (!ok)
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

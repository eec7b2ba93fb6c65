#pragma once
// The text helpers every part of the program uses to clean what a clerk typed or
// what the database returned. A blank is only the character 32: tabs and other
// white space are left alone.
#include <QString>

QString Str_LTrim(const QString &text);
QString Str_RTrim(const QString &text);
QString Str_DelSpace(const QString &text);

// Keeps only the characters of "-0123456789." and reads them as a number;
// nothing kept reads as 0. Throws AppError("'%s' is not a valid floating point
// value") when the kept characters are not a number (1.2.3, 5-3, a lone "-").
double Str_ToFloat(const QString &text);

// The integer conversion used on entry numbers read back from the store: leading
// blanks and a sign are allowed, anything else throws AppError("'%s' is not a
// valid integer value").
int Str_ToInt(const QString &text);

#pragma once
// The hidden code that every name field carries beside its visible name. An
// empty code means the name is not resolved yet.
#include <QLineEdit>
#include <QVariant>

inline QString hiddenCode(const QLineEdit *field)
{
    return field->property("hiddenCode").toString();
}

inline void setHiddenCode(QLineEdit *field, const QString &code)
{
    field->setProperty("hiddenCode", code);
}

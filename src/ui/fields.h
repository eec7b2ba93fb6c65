#pragma once
// The hidden code that every name field carries beside its visible name. An
// empty code means the name is not resolved yet.
#include <QLineEdit>
#include <QVariant>
#include <optional>

inline QString hiddenCode(const QLineEdit *field)
{
    return field->property("hiddenCode").toString();
}

inline void setHiddenCode(QLineEdit *field, const QString &code)
{
    field->setProperty("hiddenCode", code);
}

// The End_Day a stored line had when the voucher was loaded, kept on the line's
// side-code field; nothing when the panel was never loaded. A correction uses
// it to tell whether somebody else saved the line in the meantime.
inline std::optional<QString> loadedEndDay(const QLineEdit *sideField)
{
    const QVariant value = sideField->property("loadedEndDay");
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

inline void setLoadedEndDay(QLineEdit *sideField, const QString &storedEndDay)
{
    sideField->setProperty("loadedEndDay", storedEndDay);
}

inline void forgetLoadedEndDay(QLineEdit *sideField)
{
    sideField->setProperty("loadedEndDay", QVariant());
}

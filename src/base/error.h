#pragma once
// An error that ends the handler it happens in and is shown by the general
// error display (a conversion that fails, a statement the database refuses).
#include <QString>
#include <stdexcept>

class AppError : public std::runtime_error
{
public:
    explicit AppError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

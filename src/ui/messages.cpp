#include "ui/messages.h"

#include "base/error.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class BoxMessages : public Messages
{
public:
    void show(Kind kind, const QString &text, QWidget *parent) override
    {
        const QString caption = QStringLiteral("전표");
        switch (kind) {
        case Kind::Plain:
            QMessageBox::information(parent, caption, text);
            break;
        case Kind::Warning:
            QMessageBox::warning(parent, caption, text);
            break;
        case Kind::Error:
            QMessageBox::critical(parent, caption, text);
            break;
        }
    }
};

BoxMessages boxes;
Messages *door = &boxes;

} // namespace

Messages &Messages::current()
{
    return *door;
}

Messages *Messages::install(Messages *messages)
{
    Messages *previous = door;
    door = messages ? messages : &boxes;
    return previous;
}

void showPlain(const QString &text, QWidget *parent)
{
    Messages::current().show(Messages::Kind::Plain, text, parent);
}

void showWarning(const QString &text, QWidget *parent)
{
    Messages::current().show(Messages::Kind::Warning, text, parent);
}

void showError(const QString &text, QWidget *parent)
{
    Messages::current().show(Messages::Kind::Error, text, parent);
}

bool guarded(const std::function<void()> &handler, QWidget *parent)
{
    try {
        handler();
        return true;
    } catch (const AppError &error) {
        showError(error.message(), parent);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()), parent);
    }
    // An error may end a handler between its hourglass and its normal cursor.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    return false;
}

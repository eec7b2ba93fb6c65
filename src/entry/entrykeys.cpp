// The entry window's keys: the character filters of the date and amount fields,
// Enter moving on like Tab, and the grid's key handlers.
#include "entry/entrywindow.h"

#include "ui/messages.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>

namespace {

const QString refusedKeyMessage = QStringLiteral("잘못 입력하셨습니다");

// Keys that type no character (arrows, Tab, Delete, function keys) never reach
// a character filter, and neither do command keys: Ctrl or Alt with a key
// (copy, undo, select all, a button's Alt+letter) are commands, not typing.
bool typesCharacter(const QKeyEvent *event)
{
    if (event->text().isEmpty())
        return false;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        return true;
    }
}

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

bool EntryWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyPress(watched, static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease:
        if (watched == DBGrid1)
            guarded([this] { DBGrid1KeyUp(); }, this);
        return false;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // A click in the grid where no row stands (an empty list above all) is
        // a click in the grid all the same.
        if (watched == DBGrid1->viewport() && mouse->button() == Qt::LeftButton &&
            !DBGrid1->indexAt(mouse->position().toPoint()).isValid()) {
            guarded([this] { DBGrid1CellClick(); }, this);
            return false;
        }
        if (guardPastePaths(watched, event))
            return true;
        if (EntryPanel::baseNameOf(static_cast<QWidget *>(watched)) == QLatin1String("edCR_Cr_Amt")) {
            const int n = EntryPanel::numberOf(static_cast<QWidget *>(watched));
            guarded([this, n] { amountClick(n); }, this);
        }
        return false;
    }
    case QEvent::ContextMenu:
    case QEvent::Drop:
        return guardPastePaths(watched, event);
    default:
        return false;
    }
}

bool EntryWindow::keyPress(QObject *watched, QKeyEvent *event)
{
    if (watched == DBGrid1) {
        // Ctrl+End and PageDown go as far as the whole day reaches, not only as
        // far as the screens read so far.
        if ((event->key() == Qt::Key_End && event->modifiers().testFlag(Qt::ControlModifier)) ||
            event->key() == Qt::Key_PageDown)
            guarded([this] { m_list->fetchAll(); }, this);
        // Written before the grid moves; the release writes the row moved to.
        guarded([this] { DBGrid1KeyDown(); }, this);
        return false;
    }
    if (event->matches(QKeySequence::Paste) &&
        pastedTextTooLong(qobject_cast<QLineEdit *>(watched), QGuiApplication::clipboard()->text()))
        return true;
    if (!typesCharacter(event))
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    const QString name = watched->objectName();
    if (watched == edDate)
        return !acceptKey(widget, event->text(), dateKeys);
    if (name.contains(QLatin1String("_Amt_")))
        return !acceptKey(widget, event->text(), amountKeys);
    if (isEnter(event)) {
        // The branch combo and the panels' text fields: Enter moves on like Tab.
        focusNext();
        return true;
    }
    return false;
}

// A paste that would not fit a field with a length limit would be cut without a
// word: it is refused whole and the clerk told, the clipboard left as it was.
// Every way text is pasted goes through here: the keys, the field's menu, the
// middle button and a drop.
bool EntryWindow::pastedTextTooLong(QLineEdit *edit, const QString &pasted)
{
    if (!edit || edit->maxLength() >= 32767 || edit->isReadOnly())
        return false;
    if (edit->text().size() - edit->selectedText().size() + pasted.size() <= edit->maxLength())
        return false;
    showPlain(QStringLiteral("붙여 넣을 글이 너무 깁니다. 이 칸에는 %1자까지 넣을 수 있습니다.").arg(edit->maxLength()),
              this);
    return true;
}

bool EntryWindow::guardPastePaths(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit || edit->maxLength() >= 32767 || edit->isReadOnly())
        return false;
    switch (event->type()) {
    case QEvent::ContextMenu:
        showFieldMenu(edit, static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton &&
               QGuiApplication::clipboard()->supportsSelection() &&
               pastedTextTooLong(edit, QGuiApplication::clipboard()->text(QClipboard::Selection));
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!drop->mimeData() || !pastedTextTooLong(edit, drop->mimeData()->text()))
            return false;
        drop->ignore();
        return true;
    }
    default:
        return false;
    }
}

// The field's own menu, with its paste checked like the others.
void EntryWindow::showFieldMenu(QLineEdit *edit, const QPoint &at)
{
    QMenu *menu = edit->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's paste is the entry that shows the paste keys beside its text.
    const QString pasteKeys = QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction *action : menu->actions()) {
        if (!action->text().endsWith(pasteKeys))
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, edit, [this, edit] {
            if (!pastedTextTooLong(edit, QGuiApplication::clipboard()->text()))
                edit->paste();
        });
    }
    menu->popup(at);
}

// The date and amount filters: a refused character is announced and dropped;
// Enter moves on and is dropped too. Returns true when the key goes on.
bool EntryWindow::acceptKey(QWidget *, const QString &text, const QString &allowed)
{
    for (QChar c : text) {
        if (!allowed.contains(c)) {
            showPlain(refusedKeyMessage, this);
            return false;
        }
    }
    if (text == QLatin1String("\r")) {
        focusNext();
        return false;
    }
    return true;
}

// Text that arrives without a key (a paste, an input method, a drop) passes the
// same filter: refused characters are announced and taken out again.
void EntryWindow::guardPastedText(QLineEdit *edit, const QString &allowed)
{
    connect(edit, &QLineEdit::textEdited, this, [this, edit, allowed](const QString &text) {
        QString kept;
        for (QChar c : text)
            if (allowed.contains(c) && c.isPrint())
                kept.append(c);
        if (kept == text)
            return;
        const int cursor = edit->cursorPosition() - int(text.size() - kept.size());
        edit->setText(kept);
        edit->setCursorPosition(qMax(0, cursor));
        showPlain(refusedKeyMessage, this);
    });
}

#pragma once
// What happens when a line's name field of the entry window is left: the account
// fields check the header and open the account search; the other debit-line
// name fields open the search of their kind; the debit description is copied to
// the credit line; the last field of an entry leads to the save button. And what
// a pick in a search dialog fills. One table says, for each name field, which
// dialog it opens and which fields that dialog's picks fill.
#include <QString>
#include <QStringList>

class EntryWindow;
class QLineEdit;

namespace entry {

// What the entry window asks of the search dialogs, by their object names
// ("Form1" .. "Form7"); the window set provides it.
class SearchDoor
{
public:
    virtual ~SearchDoor() = default;
    // Sets the entry (1 to 4) that picks go to and the search text.
    virtual void prepare(const QString &dialog, int entry, const QString &text) = 0;
    // Runs the search and shows the dialog; throws AppError when the database
    // refuses (the dialog is then not shown).
    virtual void searchAndShow(const QString &dialog) = 0;
};

// The exit behaviour of one field; false when the field has none.
bool lineFieldExit(EntryWindow &window, SearchDoor &door, QLineEdit *field);
// The fields (without the entry suffix) that a pick in the dialog fills, debit
// line first; empty for an unknown dialog.
QStringList fieldsFilledBy(const QString &dialog);

} // namespace entry

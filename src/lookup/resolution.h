#pragma once
// What happens when a line's name field of the entry window is left: the account
// fields check the header and open the account search; the other debit-line
// name fields open the search of their kind; the debit description is copied to
// the credit line; the last field of an entry leads to the save button.
class EntryWindow;
class QLineEdit;

namespace lookup {

// Installs the exit behaviour of the panel fields on the entry window.
void installLineFieldResolution(EntryWindow &window);
// The exit behaviour of one field; false when the field has none.
bool lineFieldExit(EntryWindow &window, QLineEdit *field);

} // namespace lookup

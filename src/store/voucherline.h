#pragma once
// One voucher line of Account_Jen_AA, described once: each column with its
// portable type, the member that holds it when a line is read (StoredLine),
// the member a panel gives it when a line is written (LineFields), and the
// panel field that shows it. The schema, the insert, the update, the loading
// and the entry window's panels are all made from this table, so a new column
// of a line is one row here and a member in each of the two structs.
#include "store/vouchers.h"

#include <vector>

namespace store {

struct LineColumn
{
    const char *name;                           // the column; its bound parameter is ":tb" and the name
    const char *type;                           // portable type (Dialect::columnType)
    QString StoredLine::*stored = nullptr;      // a text column as read
    double StoredLine::*storedAmount = nullptr; // an amount as read
    QString LineFields::*typed = nullptr;       // a text column a save or correction writes from a panel
    double LineFields::*typedAmount = nullptr;  // an amount a save or correction writes from a panel
    const char *panelField = nullptr;           // the panel field that shows it, without side and entry
    bool hiddenCode = false;                    // shown as the field's hidden code, not its text
};

// The columns in the table's order.
const std::vector<LineColumn> &lineColumns();
// The bound parameter of a column (":tbAc_JenName").
QString lineParameter(const LineColumn &column);

} // namespace store

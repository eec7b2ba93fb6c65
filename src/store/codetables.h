#pragma once
// The code tables the search dialogs read, with their columns and widths, in
// one place: the schema creates them from it and the CSV import checks against it.
#include <QList>
#include <QString>

namespace store {

// A column of a code table with its width in bytes of the Korean code page
// (a Hangul syllable takes two).
struct CodeColumn
{
    QString name;
    int width = 0;
};

// A code table; its first column is the key.
struct CodeTable
{
    QString name;
    QList<CodeColumn> columns;
    const CodeColumn &key() const { return columns.first(); }
};

// The code tables in the order the sample set and the help text list them.
const QList<CodeTable> &codeTables();
// The table of that name, compared without regard to case; nullptr if none.
const CodeTable *findCodeTable(const QString &name);

} // namespace store

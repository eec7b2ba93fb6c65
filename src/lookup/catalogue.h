#pragma once
// The seven search dialogs as data: what each one looks like, which statement it
// runs and what its grid shows.
// One dialog class is built from each row.
#include "store/lookups.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace lookup {

struct GridColumn
{
    QString name;   // result column
    int shownWidth; // in characters of the grid's font
    QString title;
};

struct DialogDesign
{
    QString objectName;
    QString caption;
    QSize clientSize;
    QString kindLabel;   // over edAc_Name2
    QString searchLabel; // over edSearch
    int searchX;         // x of edSearch
    int barX;            // x of the button bar Panel7
    bool hasChooser;     // the customer and bank kind chooser cbCheck
    // Whether leaving the search box for the close button still searches.
    bool searchTowardsClose;
    store::LookupStatement statement;
    std::vector<GridColumn> columns;
    bool centredTitles;
    QString codeColumn;
    QString nameColumn;
};

// The dialogs in the order they are created: Form1, Form7, Form2 .. Form6.
const std::vector<DialogDesign> &catalogue();

// The catalogue row of a dialog, nullptr for an unknown name.
const DialogDesign *findDesign(const QString &objectName);

} // namespace lookup

#pragma once
// An XLSX workbook read back as any spreadsheet program reads it: the first
// sheet's XML out of the file, with Python's own zip and XML modules.
#include <QMap>
#include <QString>

// Each cell of the first sheet as "type|value|number format" by its reference
// ("G2"): type "s" for a text (its value the text itself), "n" for a number;
// and a key "frozen" when the first row is frozen.
QMap<QString, QString> workbookCells(const QString &xlsx);

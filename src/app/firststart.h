#pragma once
// The books the program opens on a first start: a database without any table
// gets the program's tables, and empty code tables are offered the sample set
// or an import of the clerk's own code tables, instead of an error from the
// database about a missing table.
class QWidget;

// Returns false when the database could not be prepared (the clerk was told).
bool prepareBooks(QWidget *parent = nullptr);

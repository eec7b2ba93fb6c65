#pragma once
// A realistic sample set of code tables, in Korean, for a first start and tests.
#include <QSqlDatabase>

namespace store {

// Fills the code tables (branches, accounts, customers, banks, employees,
// departments, projects, items). Expects empty tables; one transaction.
void fillDemo(QSqlDatabase db);

} // namespace store

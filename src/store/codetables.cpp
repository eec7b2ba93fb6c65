#include "store/codetables.h"

namespace store {

namespace {

// The widths are those the tables are created with, so that a value that fits
// here also fits the server's column.
QList<CodeTable> makeCatalogue()
{
    return {
        {QStringLiteral("Kubun_Table"),
         {{QStringLiteral("Kubun_Code"), 5}, {QStringLiteral("Kubun_Name"), 50}, {QStringLiteral("Kubun_JangSo"), 50}}},
        {QStringLiteral("test_ac_code"),
         {{QStringLiteral("ac_code"), 12},
          {QStringLiteral("ac_name"), 90},
          {QStringLiteral("bigo"), 116},
          {QStringLiteral("code_kubun"), 5},
          {QStringLiteral("a_kubun"), 1},
          {QStringLiteral("b_kubun"), 2},
          {QStringLiteral("c_kubun"), 2}}},
        {QStringLiteral("Sale_Table"),
         {{QStringLiteral("Sale_Code"), 15},
          {QStringLiteral("Sale_Name"), 50},
          {QStringLiteral("Sale_Serial01"), 10},
          {QStringLiteral("Sale_Serial02"), 10},
          {QStringLiteral("Sale_Serial03"), 10}}},
        {QStringLiteral("Bank_Table"),
         {{QStringLiteral("Bank_Code"), 15}, {QStringLiteral("Bank_Name"), 50}, {QStringLiteral("Bank_Serial"), 50}}},
        {QStringLiteral("Sawon_Table"),
         {{QStringLiteral("Sawon_Code"), 15},
          {QStringLiteral("Sawon_Name"), 30},
          {QStringLiteral("Sawon_Kubun"), 10},
          {QStringLiteral("Sawon_Jumin01"), 6},
          {QStringLiteral("Sawon_Jumin02"), 7},
          {QStringLiteral("Sawon_Text"), 100}}},
        {QStringLiteral("Buser_Table"),
         {{QStringLiteral("Buser_Code"), 15}, {QStringLiteral("Buser_Name"), 50}, {QStringLiteral("Buser_Text"), 100}}},
        {QStringLiteral("Project_Table"),
         {{QStringLiteral("Project_Code"), 15},
          {QStringLiteral("Project_Name"), 50},
          {QStringLiteral("Project_Text"), 100}}},
        {QStringLiteral("Item_Table"),
         {{QStringLiteral("Item_Code"), 15}, {QStringLiteral("Item_Name"), 50}, {QStringLiteral("Item_Text"), 100}}},
    };
}

} // namespace

const QList<CodeTable> &codeTables()
{
    static const QList<CodeTable> catalogue = makeCatalogue();
    return catalogue;
}

const CodeTable *findCodeTable(const QString &name)
{
    for (const CodeTable &table : codeTables())
        if (table.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

} // namespace store

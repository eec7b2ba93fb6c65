#include "store/voucherline.h"

namespace store {

namespace {

// Key and code columns keep their widths on the server (too long is an error,
// never a cut); names and descriptions are unbounded text, stored whole.
std::vector<LineColumn> build()
{
    using S = StoredLine;
    using F = LineFields;
    auto key = [](const char *name, const char *type, QString S::*stored) {
        return LineColumn{.name = name, .type = type, .stored = stored};
    };
    auto code = [](const char *name, QString S::*stored, QString F::*typed, const char *field) {
        return LineColumn{.name = name,
                          .type = "varchar(20)",
                          .stored = stored,
                          .typed = typed,
                          .panelField = field,
                          .hiddenCode = true};
    };
    auto text = [](const char *name, QString S::*stored, QString F::*typed, const char *field) {
        return LineColumn{.name = name, .type = "text", .stored = stored, .typed = typed, .panelField = field};
    };
    auto amount = [](const char *name, double S::*stored, double F::*typed) {
        return LineColumn{
            .name = name, .type = "double precision", .storedAmount = stored, .typedAmount = typed, .panelField = name};
    };
    return {
        key("Serial", "varchar(100)", &S::Serial),
        key("Serial_Jen", "varchar(20)", &S::Serial_Jen),
        key("Serial_Bun", "varchar(3)", &S::Serial_Bun),
        key("Serial_CrDr", "varchar(3)", &S::Serial_CrDr),
        key("Month_Char", "varchar(2)", &S::Month_Char),
        key("Year_Char", "varchar(4)", &S::Year_Char),
        key("Date_Day", "varchar(10)", &S::Date_Day),
        key("Table_Kubun", "varchar(5)", &S::Table_Kubun),
        key("Kubun_Bon", "varchar(6)", &S::Kubun_Bon),
        key("Kubun_Jen", "varchar(2)", &S::Kubun_Jen),
        key("Kubun_Amt", "varchar(2)", &S::Kubun_Amt),
        key("Form_Kubun", "varchar(10)", &S::Form_Kubun),
        key("Giel_Serial", "varchar(30)", &S::Giel_Serial),
        code("Ac_JenCode", &S::Ac_JenCode, &F::acCode, "Ac_JenName"),
        text("Ac_JenName", &S::Ac_JenName, &F::acName, "Ac_JenName"),
        text("Ac_Text", &S::Ac_Text, &F::acText, "Ac_Text"),
        code("Item_Code", &S::Item_Code, &F::itemCode, "Item_Name"),
        text("Item_Name", &S::Item_Name, &F::itemName, "Item_Name"),
        code("Kubun_Code", &S::Kubun_Code, &F::kubunCode, "Kubun_Name"),
        text("Kubun_Name", &S::Kubun_Name, &F::kubunName, "Kubun_Name"),
        code("Project_Code", &S::Project_Code, &F::projectCode, "Project_Name"),
        text("Project_Name", &S::Project_Name, &F::projectName, "Project_Name"),
        code("Buser_Code", &S::Buser_Code, &F::buserCode, "Buser_Name"),
        text("Buser_Name", &S::Buser_Name, &F::buserName, "Buser_Name"),
        code("Sawon_Code", &S::Sawon_Code, &F::sawonCode, "Sawon_Name"),
        text("Sawon_Name", &S::Sawon_Name, &F::sawonName, "Sawon_Name"),
        amount("Cr_Amt", &S::Cr_Amt, &F::crAmt),
        amount("Dr_Amt", &S::Dr_Amt, &F::drAmt),
        // Written by every save and correction as the time of its writing;
        // read as its own text and as a date-time (End_Day_Text, End_Day).
        LineColumn{.name = "End_Day", .type = "timestamp"},
    };
}

} // namespace

const std::vector<LineColumn> &lineColumns()
{
    static const std::vector<LineColumn> columns = build();
    return columns;
}

QString lineParameter(const LineColumn &column)
{
    return QStringLiteral(":tb") + QLatin1String(column.name);
}

} // namespace store

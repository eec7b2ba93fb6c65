// The voucher list of the chosen date and branch, and the loading of the chosen
// voucher back into the panels.
#include "entry/entrywindow.h"

#include "app/messages.h"
#include "entry/amount.h"
#include "entry/fields.h"
#include "entry/hourglass.h"
#include "entry/text.h"
#include "store/vouchers.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableView>

namespace {


QString amountForm(double stored)
{
    const double value = Str_ToFloat(Str_LTrim(formatDigits(stored)));
    return Str_StrToDouble(plainAmountText(value), formatThousands(value));
}

} // namespace

void EntryWindow::pQuery()
{
    Hourglass hourglass;
    m_list->setRows(store::listVouchers(edDate->text(), branchCode()));
    setCurrentListRow(0);
}

void EntryWindow::pDeleteCount_Query()
{
    Hourglass hourglass;
    m_list->setRows(store::listVoucherEntries(edDate->text(), branchCode(), m_relocateKey));
    setCurrentListRow(0);
}

void EntryWindow::showGridVoucher()
{
    for (EntryPanel *p : m_panels)
        p->hide();
    m_mode = QStringLiteral("2");
    pEnabledBtn();
    pDBGridDisplay();
}

void EntryWindow::DBGrid1CellClick()
{
    showGridVoucher();
}

void EntryWindow::DBGrid1KeyDown()
{
    showGridVoucher();
}

void EntryWindow::DBGrid1KeyUp()
{
    showGridVoucher();
}

void EntryWindow::pDBGridDisplay()
{
    if (m_list->isEmpty()) {
        showWarning(noDataMessage, this);
        Panel7->setFocus();
        return;
    }
    const store::ListRow &current = m_list->row(currentListRow());
    edSerial->setText(current.serial_jen);
    Hourglass hourglass;
    pPanel_DisplayQuery();
    const QStringList numbers = store::entryNumbers(Str_RTrim(current.serial_jen), Str_RTrim(current.Date_day));
    for (const QString &number : numbers) {
        const int n = Str_ToInt(number);
        if (n < 1 || n > 4)
            continue;
        panel(n)->show();
        if (current.serial_bun == QStringLiteral("0%1").arg(n)) {
            for (EntryPanel *p : m_panels) {
                p->setHighlighted(p->number() == n);
                p->setEnabled(p->number() == n);
            }
        }
    }
}

void EntryWindow::pPanel_DisplayQuery()
{
    const std::vector<store::StoredLine> lines =
        store::loadVoucherLines(Str_RTrim(edDate->text()) + branchCode(), Str_RTrim(edSerial->text()));
    auto fill = [this](const store::StoredLine &line, const QString &side, int n) {
        auto set = [&](const char *kind, const QString &text, const QString *code) {
            QLineEdit *edit = field(side + QLatin1String(kind), n);
            edit->setText(text);
            if (code)
                setHiddenCode(edit, *code);
        };
        field(QStringLiteral("edSerial_Bun"), n)->setText(line.Serial_Bun);
        set("Serial_CrDr", line.Serial_CrDr, nullptr);
        // Remembered with the line, so that a correction can tell whether
        // somebody else saved the line after it was loaded.
        setLoadedEndDay(field(side + QLatin1String("Serial_CrDr"), n), line.End_Day_Text);
        set("Ac_JenName", line.Ac_JenName, &line.Ac_JenCode);
        set("Kubun_Name", line.Kubun_Name, &line.Kubun_Code);
        set("Sawon_Name", line.Sawon_Name, &line.Sawon_Code);
        set("Buser_Name", line.Buser_Name, &line.Buser_Code);
        set("Project_Name", line.Project_Name, &line.Project_Code);
        set("Ac_Text", line.Ac_Text, nullptr);
        set("Item_Name", line.Item_Name, &line.Item_Code);
        set("Cr_Amt", amountForm(line.Cr_Amt), nullptr);
        set("Dr_Amt", amountForm(line.Dr_Amt), nullptr);
    };
    // Each entry is a debit row followed by its credit row.
    for (size_t i = 0; i < lines.size();) {
        const int n = Str_ToInt(lines[i].Serial_Bun);
        if (n < 1 || n > 4) {
            ++i;
            continue;
        }
        fill(lines[i], QStringLiteral("edCR_"), n);
        ++i;
        if (i < lines.size())
            fill(lines[i], QStringLiteral("edDR_"), n);
        ++i;
    }
}

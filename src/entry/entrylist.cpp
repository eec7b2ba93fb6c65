// The voucher list of the chosen date and branch, and the loading of the chosen
// voucher back into the panels.
#include "entry/entrywindow.h"

#include "base/amount.h"
#include "base/text.h"
#include "store/voucherline.h"
#include "store/vouchers.h"
#include "ui/fields.h"
#include "ui/hourglass.h"
#include "ui/messages.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <array>

namespace {

// A stored amount in the form the panels show, or the mark when the form
// cannot hold it.
QString amountForm(double stored)
{
    if (!amountFits(stored))
        return unfitAmountMark();
    const double value = Str_ToFloat(Str_LTrim(formatDigits(stored)));
    return Str_StrToDouble(plainAmountText(value), formatThousands(value));
}

const QString debitPrefix = QStringLiteral("edCR_");
const QString creditPrefix = QStringLiteral("edDR_");
const QString sideNames[2] = {QStringLiteral("차변"), QStringLiteral("대변")};

// Shown in the account field of a line that is not stored.
const QString missingLineText = QStringLiteral("(저장된 라인 없음)");

// How an unfit stored amount reads in a message: the number as stored.
QString storedAmountText(double value)
{
    return QString::number(value, 'g', 17);
}

} // namespace

void EntryWindow::pQuery()
{
    Hourglass hourglass;
    m_list->setScreens([date = edDate->text(), branch = branchCode()](const QString &afterJen) {
        return store::listVoucherScreen(date, branch, afterJen);
    });
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
    m_mode = EntryMode::Loaded;
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
    announceLoadNotices();
}

// Stored lines are matched to their panel by entry number and to the debit or
// credit line by their side (Serial_CrDr), never by their place in the result.
// The panels are emptied first, so nothing of an earlier load stays behind. An
// entry whose lines are not one debit and one credit line is shown as stored,
// its missing line marked, and refused for correction until it is put right;
// an amount the form cannot hold is shown as a mark. What was found is kept
// for pDBGridDisplay to tell once the panels are shown.
void EntryWindow::pPanel_DisplayQuery()
{
    const QString voucher = Str_RTrim(edSerial->text());
    const std::vector<store::StoredLine> lines =
        store::loadVoucherLines(Str_RTrim(edDate->text()) + branchCode(), voucher);
    clearPanelFields();
    auto fill = [this](const store::StoredLine &line, const QString &side, int n) {
        field(QStringLiteral("edSerial_Bun"), n)->setText(line.Serial_Bun);
        field(side + QStringLiteral("Serial_CrDr"), n)->setText(line.Serial_CrDr);
        // Remembered with the line, so that a correction can tell whether
        // somebody else saved the line after it was loaded.
        setLoadedEndDay(field(side + QLatin1String("Serial_CrDr"), n), line.End_Day_Text);
        for (const store::LineColumn &column : store::lineColumns()) {
            if (!column.panelField)
                continue;
            QLineEdit *edit = field(side + QLatin1String(column.panelField), n);
            if (column.storedAmount)
                edit->setText(amountForm(line.*column.storedAmount));
            else if (column.hiddenCode)
                setHiddenCode(edit, line.*column.stored);
            else
                edit->setText(line.*column.stored);
        }
    };
    struct Found
    {
        int lines[2] = {0, 0}; // debit, credit
        int otherSides = 0;
        QStringList numbers; // the entry number as each line stores it
        QStringList unfitAmounts;
    };
    std::array<Found, 4> found;
    for (const store::StoredLine &line : lines) {
        const int n = Str_ToInt(line.Serial_Bun);
        if (n < 1 || n > 4)
            continue;
        Found &entry = found[size_t(n - 1)];
        if (!entry.numbers.contains(Str_DelSpace(line.Serial_Bun)))
            entry.numbers << Str_DelSpace(line.Serial_Bun);
        const QString side = Str_DelSpace(line.Serial_CrDr);
        const int s = side == QLatin1String("01") ? 0 : side == QLatin1String("02") ? 1 : -1;
        if (s < 0) {
            ++entry.otherSides;
            continue;
        }
        if (entry.lines[s]++ > 0)
            continue; // a second line of one side: the first is shown
        fill(line, s == 0 ? debitPrefix : creditPrefix, n);
        for (double amount : {line.Cr_Amt, line.Dr_Amt})
            if (!amountFits(amount))
                entry.unfitAmounts << QStringLiteral("%1 라인의 금액(%2)").arg(sideNames[s], storedAmountText(amount));
    }
    for (int n = 1; n <= 4; ++n) {
        const Found &entry = found[size_t(n - 1)];
        QStringList faults;
        for (int s = 0; s < 2; ++s) {
            if (entry.lines[s] == 0 && (entry.lines[1 - s] > 0 || entry.otherSides > 0)) {
                faults << QStringLiteral("%1 라인이 저장되어 있지 않습니다").arg(sideNames[s]);
                QLineEdit *account = field((s == 0 ? debitPrefix : creditPrefix) + QStringLiteral("Ac_JenName"), n);
                account->setPlaceholderText(missingLineText);
                field((s == 0 ? debitPrefix : creditPrefix) + QStringLiteral("Serial_CrDr"), n)->clear();
            } else if (entry.lines[s] > 1) {
                faults << QStringLiteral("%1 라인이 %2개 저장되어 있습니다").arg(sideNames[s]).arg(entry.lines[s]);
            }
        }
        if (entry.otherSides > 0)
            faults << QStringLiteral("차변도 대변도 아닌 라인이 %1개 있습니다").arg(entry.otherSides);
        if (entry.numbers.size() > 1)
            faults << QStringLiteral("라인마다 항목번호가 다릅니다 (%1)").arg(entry.numbers.join(QStringLiteral(", ")));
        const QString head = QStringLiteral("전표 %1의 %2번 항목: ").arg(voucher, formatDigits(n, 2));
        if (!faults.isEmpty()) {
            m_entryFaults[size_t(n - 1)] = faults.join(QStringLiteral(", "));
            m_loadNotices << head + m_entryFaults[size_t(n - 1)];
        }
        if (!entry.unfitAmounts.isEmpty())
            m_loadNotices << head + entry.unfitAmounts.join(QStringLiteral(", ")) +
                                 QStringLiteral("을 읽을 수 없어 '%1'로 표시합니다").arg(unfitAmountMark());
    }
}

// What a load found wrong, told once per voucher: the grid reloads at every
// key, and Enter that closes the message reaches the grid again.
void EntryWindow::announceLoadNotices()
{
    const QString voucher = Str_RTrim(edDate->text()) + branchCode() + Str_RTrim(edSerial->text());
    const bool told = voucher == m_announcedVoucher;
    m_announcedVoucher = voucher;
    if (m_loadNotices.isEmpty() || told)
        return;
    showWarning(m_loadNotices.join(QLatin1Char('\n')) +
                    QStringLiteral("\n\n이 항목은 그대로 수정 저장할 수 없습니다. 금액은 다시 입력하고, 빠진 라인은 "
                                   "항목을 삭제한 뒤 다시 등록하세요...."),
                this);
}

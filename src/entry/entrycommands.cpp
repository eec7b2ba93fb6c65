// The Save and Delete commands of the entry window: the checks of the panels,
// then a new voucher, the correction of one entry, or its deletion.
#include "entry/entrywindow.h"

#include "base/amount.h"
#include "base/text.h"
#include "store/voucherline.h"
#include "store/vouchers.h"
#include "ui/fields.h"
#include "ui/hourglass.h"
#include "ui/messages.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

const QString changedElsewhereMessage =
    QStringLiteral("이 항목은 불러온 뒤에 다른 사용자가 먼저 수정하여 저장하지 않았습니다.\n"
                   "지금 저장되어 있는 내용을 다시 읽었습니다. 확인한 뒤 다시 고쳐 저장하세요....");

struct CodeCheck
{
    const char *kind;
    const char *message;
};

// The name fields of the debit line that need a code when they hold a name.
const CodeCheck codeChecks[] = {
    {"Kubun_Name", "라인에 거래처및은행명의 코드를 등록 하세요...."},
    {"Sawon_Name", "라인에 사원이름의 코드를 등록 하세요...."},
    {"Buser_Name", "라인에 부서이름의 코드를 등록 하세요...."},
    {"Project_Name", "라인에 프로젝트이름의 코드를 등록 하세요...."},
    {"Item_Name", "라인에 아이템 명의 코드를 등록 하세요...."},
};

} // namespace

// One line's fields as the store takes them: hidden codes and texts as typed,
// amounts read without their leading blanks.
static store::LineFields readLine(const EntryWindow &w, const QString &side, int n)
{
    store::LineFields line;
    for (const store::LineColumn &column : store::lineColumns()) {
        if (!column.panelField)
            continue;
        const QLineEdit *field = w.field(side + QLatin1String(column.panelField), n);
        if (column.typedAmount)
            line.*column.typedAmount = Str_ToFloat(Str_LTrim(field->text()));
        else if (column.typed)
            line.*column.typed = column.hiddenCode ? hiddenCode(field) : field->text();
    }
    return line;
}

static store::EntryLines readEntry(const EntryWindow &w, int n)
{
    store::EntryLines entry;
    entry.serialBun = w.field(QStringLiteral("edSerial_Bun"), n)->text();
    entry.debit = readLine(w, QStringLiteral("edCR_"), n);
    entry.credit = readLine(w, QStringLiteral("edDR_"), n);
    return entry;
}

// An entry loaded with a line missing, doubled or of no side, or with an amount
// the form cannot hold, would be saved with what the clerk never saw: the
// correction is refused, and the clerk told why and what to do.
bool EntryWindow::correctionRefused(int number)
{
    const QString entry = formatDigits(number, 2);
    const QString &fault = m_entryFaults[size_t(number - 1)];
    if (!fault.isEmpty()) {
        showWarning(QStringLiteral("%1번 항목은 저장된 라인이 온전하지 않아 수정할 수 없습니다: %2.\n"
                                   "항목을 삭제한 뒤 다시 등록하세요....")
                        .arg(entry, fault),
                    this);
        return true;
    }
    for (const char *name : {"edCR_Cr_Amt", "edCR_Dr_Amt", "edDR_Cr_Amt", "edDR_Dr_Amt"}) {
        if (field(QLatin1String(name), number)->text() != unfitAmountMark())
            continue;
        showWarning(
            QStringLiteral("%1번 항목의 저장된 금액을 읽을 수 없습니다. 차변 금액을 다시 입력한 뒤 저장하세요....")
                .arg(entry),
            this);
        return true;
    }
    return false;
}

void EntryWindow::SaveBtnClick()
{
    if (amountToRedo(true))
        return;
    Hourglass hourglass;
    if (m_list->isEmpty() && m_mode != EntryMode::New) {
        showWarning(noDataMessage, this);
        Panel7->setFocus();
        return;
    }
    if (m_mode == EntryMode::Loaded && currentListRow() >= 0) {
        const int n = Str_ToInt(m_list->row(currentListRow()).serial_bun);
        if (n >= 1 && n <= 4 && correctionRefused(n))
            return;
    }
    // A correction writes the chosen entry only: another entry of the voucher
    // that is not stored whole is left as shown, not checked or filled in.
    auto unchecked = [this](int n) { return m_mode == EntryMode::Loaded && !m_entryFaults[size_t(n - 1)].isEmpty(); };
    for (int n = 1; n <= 4; ++n) {
        if (unchecked(n))
            continue;
        if (field(QStringLiteral("edCR_Cr_Amt"), n)->text().isEmpty())
            for (const char *name : {"edCR_Cr_Amt", "edCR_Dr_Amt", "edDR_Cr_Amt", "edDR_Dr_Amt"})
                field(QLatin1String(name), n)->setText(QStringLiteral("0"));
    }
    // An amount still as typed (the field not left) is held to the same
    // fifteen digits as one that was left.
    for (int n = 1; n <= 4; ++n) {
        if (amountFits(Str_ToFloat(Str_LTrim(field(QStringLiteral("edCR_Cr_Amt"), n)->text()))))
            continue;
        showWarning(tooLongAmountMessage, this);
        field(QStringLiteral("edCR_Cr_Amt"), n)->setFocus();
        return;
    }
    for (const char *side : {"edCR_", "edDR_"}) {
        for (int n = 1; n <= 4; ++n) {
            QLineEdit *account = field(QLatin1String(side) + QLatin1String("Ac_JenName"), n);
            const bool zero = Str_LTrim(field(QStringLiteral("edCR_Cr_Amt"), n)->text()) == QLatin1String("0");
            if (zero || unchecked(n) || (!account->text().isEmpty() && !hiddenCode(account).isEmpty()))
                continue;
            showWarning(QString::number(n) + QStringLiteral("라인에 계정과목을 등록 하세요...."), this);
            account->setFocus();
            return;
        }
    }
    for (const CodeCheck &check : codeChecks) {
        for (int n = 1; n <= 4; ++n) {
            QLineEdit *name = field(QStringLiteral("edCR_") + QLatin1String(check.kind), n);
            if (name->text().isEmpty() || !hiddenCode(name).isEmpty() || unchecked(n))
                continue;
            showWarning(QString::number(n) + QString::fromUtf8(check.message), this);
            name->setFocus();
            return;
        }
    }
    if (m_mode == EntryMode::Ready) {
        showWarning(QStringLiteral("처음 등록 부분을 하세요...."), this);
        field(QStringLiteral("edCR_Ac_JenName_01"))->setFocus();
    } else if (m_mode == EntryMode::New) {
        pSaveQuery();
    } else if (m_mode == EntryMode::Loaded) {
        pUpdateQuery();
    }
}

// A new voucher: the number is drawn and every line written in one transaction,
// so a failure leaves nothing stored and the panels as they were.
void EntryWindow::pSaveQuery()
{
    // Leaving the field the save was called from (Alt+S leaves the focus
    // there) may refuse its amount: then nothing is saved.
    SaveBtn->setFocus();
    if (amountToRedo(false))
        return;
    m_newVoucherKey.clear();
    store::NewVoucher voucher;
    voucher.dateText = edDate->text();
    voucher.branchPosition = branchPosition();
    for (int n = 1; n <= 4; ++n) {
        if (Str_ToFloat(Str_DelSpace(field(QStringLiteral("edCR_Cr_Amt"), n)->text())) == 0)
            continue;
        voucher.entries.push_back(readEntry(*this, n));
    }
    const store::SavedVoucher saved = store::saveNewVoucher(voucher);
    edSerial->setText(saved.serialJen);
    m_newVoucherKey = saved.lastKey;

    m_mode = EntryMode::Ready;
    pEnabledBtn();
    pClear();
    Panel7->setFocus();
    InsertBtn->setFocus();
    pQuery();
    setCurrentListRow(m_list->locate(m_newVoucherKey));
}

// The correction of the chosen entry: both its lines in one transaction, and
// only while nobody else has saved them since they were loaded.
void EntryWindow::pUpdateQuery()
{
    SaveBtn->setFocus();
    if (amountToRedo(false))
        return;
    if (edSerial->text().isEmpty()) {
        showWarning(QStringLiteral("그리드에서 수정할 레코드를 선택 하세요....."), this);
        return;
    }
    const store::ListRow &current = m_list->row(currentListRow());
    m_relocateKey = Str_DelSpace(edSerial->text()) + Str_DelSpace(current.serial_bun);
    const int n = Str_ToInt(current.serial_bun);
    if (n < 1 || n > 4)
        return;
    store::EntryLines entry = readEntry(*this, n);
    entry.debitLoaded = loadedEndDay(field(QStringLiteral("edCR_Serial_CrDr"), n));
    entry.creditLoaded = loadedEndDay(field(QStringLiteral("edDR_Serial_CrDr"), n));
    panel(n)->setHighlighted(false);
    panel(n)->setEnabled(false);
    store::UpdateResult result;
    try {
        result = store::updateEntry(edDate->text(), edSerial->text(), entry);
    } catch (...) {
        // Nothing was written: the panel stays open with what the clerk typed,
        // to be saved again once the database answers.
        panel(n)->setHighlighted(true);
        panel(n)->setEnabled(true);
        throw;
    }
    if (result.outcome == store::UpdateOutcome::Gone) {
        panel(n)->setEnabled(true);
        edSerial->clear();
        showWarning(QStringLiteral("이 전표는 다른 사용자가 이미 삭제하여 수정할 수 없습니다.\n"
                                   "목록을 다시 읽었습니다. 입력한 내용은 화면에 남아 있습니다."),
                    this);
        pQuery();
        return;
    }
    if (result.outcome == store::UpdateOutcome::ChangedElsewhere)
        showWarning(changedElsewhereMessage, this);
    // The panels show what is stored now: the correction, or the other
    // clerk's lines that were not overwritten.
    edSerial->clear();
    pDBGridDisplay();
    pQuery();
    setCurrentListRow(m_list->locate(m_relocateKey));
}

void EntryWindow::DeleteBtnClick()
{
    if (m_list->isEmpty()) {
        showWarning(noDataMessage, this);
        Panel7->setFocus();
        return;
    }
    m_relocateKey = Str_DelSpace(edSerial->text());
    const int n = Str_ToInt(Str_DelSpace(m_list->row(currentListRow()).serial_bun));
    if (n >= 1 && n <= 4) {
        if (edSerial->text().isEmpty()) {
            showWarning(QStringLiteral("그리드의 레코드를 선택하세요...."), this);
            return;
        }
        // Kept for Ctrl+Z while the window is open.
        m_lastDeleted = store::deleteEntryKept(Str_DelSpace(edSerial->text()) +
                                               Str_DelSpace(field(QStringLiteral("edSerial_Bun"), n)->text()));
        edSerial->clear();
        panel(n)->hide();
    }
    if (store::countVoucherLines(m_relocateKey) != 0) {
        pDeleteCount_Query();
        return;
    }
    for (EntryPanel *p : m_panels) {
        p->show();
        p->setEnabled(true);
    }
    m_mode = EntryMode::Ready;
    pEnabledBtn();
    for (EntryPanel *p : m_panels)
        p->setHighlighted(false);
    pQuery();
    pClear();
}

void EntryWindow::PrintBtnClick()
{
    if (m_list->isEmpty()) {
        showWarning(noDataMessage, this);
        Panel7->setFocus();
        return;
    }
    if (edSerial->text().isEmpty()) {
        showWarning(QStringLiteral("그리드의 레코드를 선택하세요...."), this);
        return;
    }
    if (m_print && m_print())
        edSerial->clear();
}

void EntryWindow::addDayPrintCommand()
{
    PrintDayAction = new QAction(QStringLiteral("이 날의 전표 모두 출력"), this);
    PrintDayAction->setObjectName(QStringLiteral("PrintDayAction"));
    PrintDayAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    PrintDayAction->setShortcutContext(Qt::WindowShortcut);
    addAction(PrintDayAction);
    DBGrid1->addAction(PrintDayAction);
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(PrintDayAction, &QAction::triggered, this, [this] { guarded([this] { PrintDayClick(); }, this); });
}

// The listed day as it is stored: the sheets of every voucher of the date and
// branch, whichever row is chosen. The panels are left as they are.
void EntryWindow::PrintDayClick()
{
    if (m_list->isEmpty()) {
        showWarning(noDataMessage, this);
        return;
    }
    if (m_printDay)
        m_printDay();
}

// The entry window's commands on whole vouchers: copy (F7) and reverse (F8) of
// the loaded voucher, the undo of the last delete (Ctrl+Z), the help of every
// key (F1), and the running totals of the header. Each command is an action of
// the window with its key, also in the grid's menu.
#include "entry/entrywindow.h"

#include "entry/livetotals.h"

#include "base/text.h"
#include "store/ledgerbook.h"
#include "store/voucherbook.h"
#include "ui/helpwindow.h"
#include "ui/hourglass.h"
#include "ui/messages.h"

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QTableView>

namespace {

const QString unsavedInput = QStringLiteral(
    "저장하지 않은 새 전표를 입력하는 중입니다. 먼저 저장(Alt+S)하거나 취소(Alt+C)한 뒤 다시 하세요....");

QAction *command(EntryWindow *w, const QString &name, const QString &text, const QKeySequence &key)
{
    auto *action = new QAction(text, w);
    action->setObjectName(name);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    w->addAction(action);
    w->DBGrid1->addAction(action);
    return action;
}

} // namespace

void EntryWindow::addVoucherCommands()
{
    CopyAction = command(this, QStringLiteral("CopyAction"), QStringLiteral("복사"), QKeySequence(Qt::Key_F7));
    ReverseAction = command(this, QStringLiteral("ReverseAction"), QStringLiteral("역분개"), QKeySequence(Qt::Key_F8));
    // A field's own Ctrl+Z undoes its typing (the field takes the key first);
    // anywhere else in the window (the grid, a button) it undoes the delete.
    UndoDeleteAction = command(this, QStringLiteral("UndoDeleteAction"), QStringLiteral("삭제 되살리기"),
                               QKeySequence(Qt::CTRL | Qt::Key_Z));
    HelpAction =
        command(this, QStringLiteral("HelpAction"), QStringLiteral("키와 명령 도움말"), QKeySequence(Qt::Key_F1));
    connect(CopyAction, &QAction::triggered, this, [this] { guarded([this] { CopyClick(); }, this); });
    connect(ReverseAction, &QAction::triggered, this, [this] { guarded([this] { ReverseClick(); }, this); });
    connect(UndoDeleteAction, &QAction::triggered, this, [this] { guarded([this] { UndoDeleteClick(); }, this); });
    connect(HelpAction, &QAction::triggered, this, [this] { help::show(this); });
    m_totals = new LiveTotals(*this, m_list);
}

// A voucher loaded from the list, and no new one being typed.
bool EntryWindow::voucherChosen(const QString &message)
{
    if (m_mode == EntryMode::New) {
        showWarning(unsavedInput, this);
        return false;
    }
    if (m_mode != EntryMode::Loaded || Str_DelSpace(edSerial->text()).isEmpty() || m_list->isEmpty()) {
        showWarning(message, this);
        return false;
    }
    return true;
}

// The listing of a date and branch with the entry of `key` (voucher and entry
// number) current and loaded, the focus in the grid.
void EntryWindow::showStoredVoucher(const QString &dateText, const QString &branchCode, const QString &key)
{
    edDate->setText(dateText);
    const int position = Str_ToInt(branchCode);
    if (position >= 0 && position < cbKubun->count() && (position != cbKubun->currentIndex() || m_branchTyped)) {
        cbKubun->setCurrentIndex(position);
        m_lastBranchIndex = position;
        m_branchTyped = false;
    }
    pClear();
    resetPanels();
    pQuery();
    const int row = m_list->locate(key);
    if (row < 0) {
        m_mode = EntryMode::Ready;
        pEnabledBtn();
        return;
    }
    setCurrentListRow(row);
    moveFocusQuietly(DBGrid1);
    showGridVoucher();
}

void EntryWindow::CopyClick()
{
    if (!voucherChosen(QStringLiteral("복사할 전표를 그리드에서 선택하세요....")))
        return;
    const QString original = Str_DelSpace(edSerial->text());
    QInputDialog ask(this);
    ask.setObjectName(QStringLiteral("CopyDateDialog"));
    ask.setWindowTitle(QStringLiteral("전표 복사"));
    ask.setLabelText(QStringLiteral("전표 %1을(를) 복사할 날짜 (예: 2001-05-30):").arg(original));
    ask.setTextValue(edDate->text());
    ask.setOkButtonText(QStringLiteral("확인"));
    ask.setCancelButtonText(QStringLiteral("취소"));
    if (auto *edit = ask.findChild<QLineEdit *>())
        edit->setMaxLength(10);
    if (ask.exec() != QDialog::Accepted)
        return;
    const QString toDate = ask.textValue().trimmed();
    if (!store::isDateText(toDate)) {
        showWarning(toDate + QStringLiteral(" : 유효하지 않은 날짜 형식입니다."), this);
        return;
    }
    Hourglass hourglass;
    const QString branch = branchCode();
    const store::SavedVoucher saved = store::copyVoucher(edDate->text(), branch, original, toDate);
    showStoredVoucher(toDate, branch, saved.lastKey);
}

void EntryWindow::ReverseClick()
{
    if (!voucherChosen(QStringLiteral("역분개할 전표를 그리드에서 선택하세요....")))
        return;
    Hourglass hourglass;
    const QString date = edDate->text();
    const QString branch = branchCode();
    const store::SavedVoucher saved = store::reverseVoucher(date, branch, Str_DelSpace(edSerial->text()));
    showStoredVoucher(date, branch, saved.lastKey);
}

void EntryWindow::UndoDeleteClick()
{
    if (m_lastDeleted.isEmpty()) {
        showWarning(QStringLiteral("되살릴 삭제가 없습니다. 이 창에서 마지막으로 삭제한 항목만 Ctrl+Z로 되살릴 수 "
                                   "있습니다...."),
                    this);
        return;
    }
    if (m_mode == EntryMode::New) {
        showWarning(unsavedInput, this);
        return;
    }
    Hourglass hourglass;
    // Refused, it stays to be tried again (once the day is open, say).
    store::restoreEntry(m_lastDeleted);
    const store::DeletedEntry restored = std::exchange(m_lastDeleted, {});
    showStoredVoucher(restored.dateDay, restored.kubunBon, restored.serialJen + restored.serialBun);
}

// The entry window's side of the voucher finder: the command that opens it,
// and an entry picked there loaded the way the clerk loads one by hand.
#include "entry/entrywindow.h"

#include "base/text.h"
#include "ui/messages.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>

void EntryWindow::addFindCommand()
{
    FindAction = new QAction(QStringLiteral("전표 찾기"), this);
    FindAction->setObjectName(QStringLiteral("FindAction"));
    FindAction->setShortcuts({QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_F)});
    FindAction->setShortcutContext(Qt::WindowShortcut);
    FindAction->setToolTip(QStringLiteral("전표 찾기 (F3, Ctrl+F)"));
    addAction(FindAction);
    DBGrid1->addAction(FindAction);
    connect(FindAction, &QAction::triggered, this, [this] {
        if (m_find)
            guarded(m_find, this);
    });
}

void EntryWindow::showFoundEntry(const QString &dateDay, const QString &branchCode, const QString &serialJen,
                                 const QString &serialBun)
{
    // What the clerk is typing for a new voucher stays on the screen.
    if (m_mode == EntryMode::New) {
        for (EntryPanel *p : m_panels) {
            for (QLineEdit *edit : p->fieldsInTabOrder()) {
                if (edit->isReadOnly() || edit->text().isEmpty())
                    continue;
                showWarning(QStringLiteral("입력 중인 새 전표가 있습니다. 저장(Alt+S)하거나 취소(Alt+C)한 뒤에 "
                                           "찾은 전표를 불러오세요...."),
                            this);
                return;
            }
        }
    }
    bool known = false;
    const int position = branchCode.toInt(&known);
    if (!known || position < 0 || position >= cbKubun->count()) {
        showWarning(QStringLiteral("찾은 전표의 본지점구분(%1)이 목록에 없어 불러올 수 없습니다....").arg(branchCode),
                    this);
        return;
    }
    // The date and branch set, the day listed, as a change of either does.
    edDate->setText(dateDay);
    cbKubun->setCurrentIndex(position);
    m_lastBranchIndex = position;
    m_branchTyped = false;
    pQuery();
    m_mode = EntryMode::Ready;
    pEnabledBtn();
    resetPanels();
    pClear();
    const int row = m_list->locate(Str_DelSpace(serialJen) + Str_DelSpace(serialBun));
    if (row < 0) {
        showWarning(QStringLiteral("찾은 전표 %1의 %2번 항목이 지금은 목록에 없습니다. 다른 사용자가 삭제했을 수 "
                                   "있습니다....")
                        .arg(serialJen, serialBun),
                    this);
        return;
    }
    // The row clicked: the grid has the focus and the entry is loaded.
    setCurrentListRow(row);
    moveFocusQuietly(DBGrid1);
    showGridVoucher();
    activateWindow();
    raise();
}

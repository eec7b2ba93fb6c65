// The entry window's modes, its clearing, and the handlers of the header fields
// and the buttons that move it between modes.
#include "entry/entrywindow.h"

#include "entry/resolution.h"

#include "ui/fields.h"
#include "ui/messages.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>

namespace {

// The name fields that carry a hidden code, in the order the window clears them.
const char *const lineFieldsInClearOrder[] = {
    "Ac_JenName", "Kubun_Name", "Sawon_Name", "Buser_Name", "Project_Name", "Ac_Text", "Item_Name", "Cr_Amt", "Dr_Amt",
};

// The date as the short date form reads it: year, month and day joined by hyphens.
bool convertsToDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,4})-(\\d{1,2})-(\\d{1,2})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    int year = m.captured(1).toInt();
    if (m.captured(1).size() <= 2)
        year += year < 50 ? 2000 : 1900;
    return QDate(year, m.captured(2).toInt(), m.captured(3).toInt()).isValid();
}

} // namespace

void EntryWindow::pEnabledBtn()
{
    const bool ready = m_mode == EntryMode::Ready;
    const bool loaded = m_mode == EntryMode::Loaded;
    const bool fresh = m_mode == EntryMode::New;
    const std::pair<QPushButton *, bool> states[] = {
        {InsertBtn, ready},  {CancelBtn, loaded || fresh}, {SaveBtn, loaded || fresh},
        {DeleteBtn, loaded}, {PrintBtn, loaded},           {CloseBtn, true},
    };
    for (const auto &[button, enabled] : states)
        if (enabled)
            button->setEnabled(true);
    // A command that greys out its own button leaves the focus on the bar, at
    // the first button still enabled (after a cancel or the last delete: "I 등록"),
    // rather than letting it run on along the tab order to the close button or
    // into a field.
    for (const auto &[button, enabled] : states) {
        if (enabled || !button->hasFocus())
            continue;
        for (const auto &[other, on] : states) {
            if (on) {
                moveFocusQuietly(other);
                break;
            }
        }
    }
    for (const auto &[button, enabled] : states)
        if (!enabled)
            button->setEnabled(false);
}

void EntryWindow::pClear()
{
    edSerial->clear();
    m_amountRefused = {};
    clearPanelFields();
    m_announcedVoucher.clear();
}

// Every line field and hidden code emptied, and everything a load put beside
// them taken away: the entry and side numbers as the panels are made, no
// loaded End_Day, no mark of a missing line, no fault of an entry.
void EntryWindow::clearPanelFields()
{
    for (int n = 1; n <= 4; ++n) {
        for (const char *side : {"edCR_", "edDR_"}) {
            for (const char *kind : lineFieldsInClearOrder) {
                QLineEdit *edit = field(QLatin1String(side) + QLatin1String(kind), n);
                // Set rather than cleared: a clear could be undone with Ctrl+Z,
                // bringing back what the field held before (its design text).
                edit->setText(QString());
                edit->setPlaceholderText(QString());
                setHiddenCode(edit, QString());
            }
        }
        field(QStringLiteral("edSerial_Bun"), n)->setText(QStringLiteral("0%1").arg(n));
        QLineEdit *debitSide = field(QStringLiteral("edCR_Serial_CrDr"), n);
        QLineEdit *creditSide = field(QStringLiteral("edDR_Serial_CrDr"), n);
        debitSide->setText(QStringLiteral("01"));
        creditSide->setText(QStringLiteral("02"));
        forgetLoadedEndDay(debitSide);
        forgetLoadedEndDay(creditSide);
        m_entryFaults[size_t(n - 1)].clear();
    }
    m_loadNotices.clear();
}

void EntryWindow::resetPanels()
{
    for (EntryPanel *p : m_panels) {
        p->show();
        p->setEnabled(true);
        p->setHighlighted(false);
    }
}

void EntryWindow::InsertBtnClick()
{
    field(QStringLiteral("edCR_Ac_JenName_01"))->setFocus();
}

void EntryWindow::CancelBtnClick()
{
    pClear();
    resetPanels();
    m_mode = EntryMode::Ready;
    pEnabledBtn();
    // The clerk goes on with a new voucher, from wherever the cancel came
    // (the button, or Alt+C in a field that is empty now).
    moveFocusQuietly(InsertBtn);
}

void EntryWindow::cbKubunChange()
{
    for (EntryPanel *p : m_panels) {
        p->show();
        p->setEnabled(true);
    }
    pQuery();
    m_mode = EntryMode::Ready;
    pEnabledBtn();
    for (EntryPanel *p : m_panels)
        p->setHighlighted(false);
    pClear();
}

void EntryWindow::cbKubunEnter()
{
    // Opened after the focus event, so that a click that focused the combo does
    // not close the list again at once.
    QTimer::singleShot(0, cbKubun, [combo = cbKubun] {
        if (combo->hasFocus() && !combo->view()->isVisible())
            combo->showPopup();
    });
}

void EntryWindow::cbKubunExit()
{
    cbKubun->hidePopup();
    if (m_focusTarget == DBGrid1) {
        m_mode = EntryMode::New;
        return;
    }
    cbKubunChange();
}

void EntryWindow::edDateExit()
{
    if (m_focusTarget == DBGrid1) {
        m_mode = EntryMode::New;
        return;
    }
    const QString text = edDate->text();
    const QString warning = text + QStringLiteral(" : 유효하지 않은 날짜 형식입니다.");
    if (!convertsToDate(text)) {
        showWarning(warning, this);
        moveFocus(edDate);
    }
    if (text.size() != 10) {
        showWarning(warning, this);
        moveFocus(edDate);
    }
    pQuery();
    m_mode = EntryMode::Ready;
    pEnabledBtn();
    resetPanels();
    pClear();
}

void EntryWindow::connectHandlers()
{
    auto on = [this](QPushButton *button, void (EntryWindow::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }, this); });
    };
    on(InsertBtn, &EntryWindow::InsertBtnClick);
    on(CancelBtn, &EntryWindow::CancelBtnClick);
    on(SaveBtn, &EntryWindow::SaveBtnClick);
    on(DeleteBtn, &EntryWindow::DeleteBtnClick);
    on(PrintBtn, &EntryWindow::PrintBtnClick);
    on(CloseBtn, &EntryWindow::CloseBtnClick);

    // A change of branch by the clerk: a pick from the list that changes it, or typing.
    connect(cbKubun, &QComboBox::activated, this, [this](int index) {
        const bool changed = index != m_lastBranchIndex || m_branchTyped;
        m_lastBranchIndex = index;
        m_branchTyped = false;
        if (changed)
            guarded([this] { cbKubunChange(); }, this);
    });
    connect(cbKubun->lineEdit(), &QLineEdit::textEdited, this, [this] {
        m_branchTyped = true;
        guarded([this] { cbKubunChange(); }, this);
    });
    connect(DBGrid1, &QAbstractItemView::clicked, this, [this] { guarded([this] { DBGrid1CellClick(); }, this); });
    connect(qApp, &QApplication::focusChanged, this, &EntryWindow::onFocusChanged);

    watch(edDate);
    watch(cbKubun);
    watch(DBGrid1);
    watch(DBGrid1->viewport());
    for (EntryPanel *p : m_panels)
        for (QLineEdit *edit : p->fieldsInTabOrder())
            watch(edit);
    guardPastedText(edDate, dateKeys);
    for (int n = 1; n <= 4; ++n)
        guardPastedText(field(QStringLiteral("edCR_Cr_Amt"), n), amountKeys);
}

void EntryWindow::watch(QWidget *widget)
{
    widget->installEventFilter(this);
}

void EntryWindow::onFocusChanged(QWidget *old, QWidget *now)
{
    // The branch list's popup and the combo's text line are part of the combo.
    auto control = [this](QWidget *w) -> QWidget * {
        if (w && (w == cbKubun->lineEdit() || (w->window() == cbKubun->view()->window() && w->window() != this)))
            return cbKubun;
        return w;
    };
    old = control(old);
    now = control(now);
    if (now && now->window() == this)
        m_focusTarget = now;
    // Focus moves made while a field is being left (a message box, a dialog, a
    // move to another field) are not a field being left themselves; nor is the
    // window losing or regaining the activation, nor the focus going into the
    // branch list and back.
    if (m_inExit || !old || !now || old == now || old->window() != this || now->window() != this)
        return;
    m_inExit = true;
    guarded([this, old] { fieldExit(old); }, this);
    m_inExit = false;
    // The branch list opens when the clerk moves into the combo from another
    // control and it is still there once the control left has had its say.
    if (now == cbKubun && QApplication::focusWidget() && control(QApplication::focusWidget()) == cbKubun)
        cbKubunEnter();
}

void EntryWindow::fieldExit(QWidget *leaving)
{
    if (leaving == edDate)
        return edDateExit();
    if (leaving == cbKubun)
        return cbKubunExit();
    auto *edit = qobject_cast<QLineEdit *>(leaving);
    const int n = EntryPanel::numberOf(edit);
    if (n == 0)
        return;
    if (EntryPanel::baseNameOf(edit) == QLatin1String("edCR_Cr_Amt"))
        return amountExit(n);
    if (m_searchDoor)
        entry::lineFieldExit(*this, *m_searchDoor, edit);
}

void EntryWindow::applyPick(const QString &dialog, int n, const QString &code, const QString &name)
{
    if (n < 1 || n > 4)
        return;
    for (const QString &base : entry::fieldsFilledBy(dialog)) {
        QLineEdit *target = field(base, n);
        setHiddenCode(target, code);
        target->setText(name);
    }
}

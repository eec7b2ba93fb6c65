#pragma once
// The voucher entry window: the header (base date, branch, voucher number), the
// button bar, the four entry panels and the voucher grid. The window's controls
// are the voucher being entered: every handler reads and writes their texts.
#include "entry/entrypanel.h"
#include "entry/voucherlistmodel.h"
#include "store/voucherbook.h"

#include <QWidget>
#include <array>
#include <functional>

namespace entry {
class SearchDoor;
}
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTableView;

// The entry mode, which decides the buttons and what a save does: ready for a
// new voucher ("1" where the mode is written out), a listed voucher loaded
// ("2"), a new voucher being entered ("3").
enum class EntryMode { Ready, Loaded, New };

// A caption of the header, bold and green, on its top line at x.
QLabel *headerLabel(const QString &text, int x, QWidget *parent);

class EntryWindow : public QWidget
{
    Q_OBJECT

public:
    explicit EntryWindow(QWidget *parent = nullptr);
    ~EntryWindow() override;

    // The creation steps: hand-over is done by the caller; this centres the
    // window, fills the branch list, sets today's date, clears and lists. A
    // failing step is shown and the remaining steps are skipped.
    void FormCreate();

    // Controls by their names.
    QLineEdit *edDate = nullptr;
    QComboBox *cbKubun = nullptr;
    QLineEdit *edSerial = nullptr;
    QFrame *Panel7 = nullptr;
    QPushButton *InsertBtn = nullptr, *CancelBtn = nullptr, *SaveBtn = nullptr;
    QPushButton *DeleteBtn = nullptr, *PrintBtn = nullptr, *CloseBtn = nullptr;
    QTableView *DBGrid1 = nullptr;
    // Every voucher of the listed date and branch printed at once: Ctrl+P, and
    // in the grid's context menu with its key shown.
    QAction *PrintDayAction = nullptr;
    // The loaded voucher copied (F7) or reversed (F8), the last delete undone
    // (Ctrl+Z), and the help of every key (F1): in the grid's menu with their
    // keys shown (entrybook.cpp).
    QAction *CopyAction = nullptr, *ReverseAction = nullptr, *UndoDeleteAction = nullptr, *HelpAction = nullptr;
    // The voucher finder: F3 and Ctrl+F, and in the grid's context menu.
    QAction *FindAction = nullptr;
    EntryPanel *panel(int number) const { return m_panels.at(size_t(number - 1)); }
    // A panel field by its full name, e.g. "edCR_Ac_JenName_02".
    QLineEdit *field(const QString &name) const;
    QLineEdit *field(const QString &baseName, int number) const;

    EntryMode mode() const { return m_mode; }
    void setMode(EntryMode mode) { m_mode = mode; }
    // The grid's re-locate key and the new voucher's key.
    QString relocateKey() const { return m_relocateKey; }
    void setRelocateKey(const QString &key) { m_relocateKey = key; }
    QString newVoucherKey() const { return m_newVoucherKey; }
    void setNewVoucherKey(const QString &key) { m_newVoucherKey = key; }

    // The branch: its position in the list (-1 for none) and its code ("00000").
    int branchPosition() const;
    QString branchCode() const;

    // The listing shown in the grid and its current row (-1 when empty).
    const VoucherListModel &list() const { return *m_list; }
    int currentListRow() const;
    void setCurrentListRow(int row);

    // While a field is being left: the control that is receiving the focus.
    QWidget *focusTarget() const { return m_focusTarget; }
    // A focus move made by a handler: the control becomes the focus target for
    // the rest of the handler at once, whether or not the window is the active
    // one at that moment (it is not while a message box has just closed).
    void moveFocus(QWidget *to);
    // A command's own focus move once it has dealt with the panels: the field
    // left is not being left by the clerk, so its exit does not run.
    void moveFocusQuietly(QWidget *to);
    // Moves the focus on in tab order, skipping what cannot take it (Enter).
    void focusNext();

    // Shared procedures.
    void pEnabledBtn();
    void pClear();
    void pQuery();
    void pDBGridDisplay();
    void pPanel_DisplayQuery();
    void pDeleteCount_Query();
    void resetPanels();

    // Handlers.
    void InsertBtnClick();
    void CancelBtnClick();
    void cbKubunChange();
    void cbKubunEnter();
    void cbKubunExit();
    void edDateExit();
    void DBGrid1CellClick();
    void DBGrid1KeyDown();
    void DBGrid1KeyUp();
    void SaveBtnClick();
    void DeleteBtnClick();
    void PrintBtnClick();
    void PrintDayClick();
    void CopyClick();
    void ReverseClick();
    void UndoDeleteClick();
    void CloseBtnClick();

    // The search dialogs that leaving a line's name field opens (installed by
    // the window set, which owns them); without it, no dialog opens.
    void setSearchDoor(entry::SearchDoor *door) { m_searchDoor = door; }
    // A pick in a search dialog for entry n: its code and name written into the
    // fields that dialog fills.
    void applyPick(const QString &dialog, int n, const QString &code, const QString &name);
    // The preview of the chosen voucher (installed by the print side); returns
    // true when a sheet was shown.
    using PrintPreview = std::function<bool()>;
    void setPrintPreview(PrintPreview preview) { m_print = std::move(preview); }
    // The preview of the listed day's sheets (installed by the print side).
    void setDayPrint(PrintPreview preview) { m_printDay = std::move(preview); }
    // Opens the voucher finder (installed by the window set).
    void setFinder(std::function<void()> finder) { m_find = std::move(finder); }
    // An entry picked in the finder, loaded as if the clerk had set the date
    // and branch, listed the day and clicked the entry's row (mode "2").
    // Refused, with a message, while a new voucher is being typed.
    void showFoundEntry(const QString &dateDay, const QString &branchCode, const QString &serialJen,
                        const QString &serialBun);

signals:
    // The window is closing: the program's other windows go with it.
    void closing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildHeader();
    void buildButtonBar();
    void buildPanelArea();
    void setTabOrder();
    void connectHandlers();
    void addDayPrintCommand();
    void addVoucherCommands();
    bool voucherChosen(const QString &message);
    void showStoredVoucher(const QString &dateText, const QString &branchCode, const QString &key);
    void addFindCommand();
    void nameForScreenReaders();
    void watch(QWidget *widget);

    void onFocusChanged(QWidget *old, QWidget *now);
    void fieldExit(QWidget *field);
    bool keyPress(QObject *watched, class QKeyEvent *event);
    bool acceptKey(QWidget *field, const QString &text, const QString &allowed);
    void guardPastedText(QLineEdit *edit, const QString &allowed);
    bool pastedTextTooLong(QLineEdit *edit, const QString &pasted);
    bool guardPastePaths(QObject *watched, QEvent *event);
    void showFieldMenu(QLineEdit *edit, const QPoint &at);

    void amountExit(int number);
    bool amountToRedo(bool tell);
    void amountClick(int number);
    void showGridVoucher();

    void pSaveQuery();
    void pUpdateQuery();
    void clearPanelFields();
    void announceLoadNotices();
    bool correctionRefused(int number);

    std::array<EntryPanel *, 4> m_panels{};
    VoucherListModel *m_list = nullptr;
    EntryMode m_mode = EntryMode::Ready;
    QString m_relocateKey;
    QString m_newVoucherKey;
    QWidget *m_focusTarget = nullptr;
    bool m_inExit = false;
    std::array<bool, 4> m_amountRefused{}; // an amount too long to show was left in the entry
    // Why each entry of the loaded voucher cannot be corrected as stored (a
    // line missing, doubled or of no side); empty when it can.
    std::array<QString, 4> m_entryFaults;
    // What the last load found wrong, told once the panels are shown, and the
    // voucher it was last told for (so that moving in the grid does not tell
    // it again at every key).
    QStringList m_loadNotices;
    QString m_announcedVoucher;
    int m_lastBranchIndex = -1;
    bool m_branchTyped = false;
    entry::SearchDoor *m_searchDoor = nullptr;
    PrintPreview m_print;
    PrintPreview m_printDay;
    store::DeletedEntry m_lastDeleted; // what the last delete took, for Ctrl+Z
    class LiveTotals *m_totals = nullptr;
    std::function<void()> m_find;
};

// Characters the date field and the amount fields accept.
inline const QString dateKeys = QStringLiteral("\b\r\x19-0123456789");
inline const QString amountKeys = QStringLiteral("\b\r\x19-.0123456789");
// An amount the 15-digit form cannot hold exactly.
inline const QString tooLongAmountMessage =
    QStringLiteral("금액은 15자리까지 입력할 수 있습니다. 금액을 다시 입력하세요....");

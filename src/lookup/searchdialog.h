#pragma once
// One search dialog: a search box, a grid of the records that match, and the
// record last picked. Every click, key or double click in the grid picks the
// current record: the dialog says what was picked (for which entry, which code
// and name) and knows nothing of the fields it goes into. Built from a
// catalogue row; created hidden once and reused for every opening.
#include "lookup/catalogue.h"
#include "store/lookups.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace lookup {

class SearchDialog : public QWidget
{
    Q_OBJECT

public:
    // overWindow: the window the dialog opens over (the entry window). The
    // dialog is a window of its own, not that window's child.
    SearchDialog(const DialogDesign &design, QWidget *overWindow);

    const DialogDesign &design() const { return m_design; }

    // Clears the last pick and the search box, sets the entry (1 to 4) that
    // picks go to and the search text; the chooser returns to "전   체" quietly.
    void prepare(int row, const QString &text);
    // Runs the dialog's statement for the search text. Throws AppError when the
    // database refuses; the grid then holds no records.
    void search();
    // Shows the dialog in front, active, without blocking the entry window.
    void showNonBlocking();
    // prepare, search and show; throws as search() does (then nothing is shown).
    void open(int row, const QString &text);

    int targetRow() const { return m_row; }

signals:
    // A record picked for entry 1 to 4 (code and name empty when the list is).
    void picked(const QString &dialog, int entry, const QString &code, const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void buildBand();
    void buildButtonBar(QWidget *band);
    void buildGrid();
    void orderTabs();
    void nameForScreenReaders();
    void centre();

    store::KindChoice chosenKind() const;
    void showResult(const store::LookupResult &result);
    void clearResult();
    void searchGuarded();
    void searchFromExit(QWidget *now);

    void pick();
    void pickAndClose();
    bool handleKey(QObject *watched, QKeyEvent *key);

    DialogDesign m_design;
    QPointer<QWidget> m_entry;
    int m_row = 0;
    int m_codeIndex = -1;
    int m_nameIndex = -1;

    QLineEdit *m_code = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_search = nullptr;
    QPushButton *m_searchBtn = nullptr;
    QPushButton *m_closeBtn = nullptr;
    QList<QPushButton *> m_barButtons; // the button bar, the close button last
    QComboBox *m_chooser = nullptr;
    QTableView *m_grid = nullptr;
    QStandardItemModel *m_model = nullptr;
};

} // namespace lookup

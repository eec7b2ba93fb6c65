#pragma once
// The voucher finder: criteria over a period (branch, a part of the number,
// account, customer or bank, employee, department, project, management item,
// amounts, description), the entries found, one row each, and their export to
// a spreadsheet. Like the search dialogs it hands back what was picked (the
// entry's date, branch, number and entry) and knows nothing of the entry
// window; the window set applies the pick and installs the export.
#include "store/voucherfind.h"

#include <QDialog>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace lookup {

class FinderDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FinderDialog(QWidget *overWindow);

    // Shows the finder in front, active. The first time (or while nothing was
    // found yet) both dates are the given date; later it opens as it was left.
    void openFor(const QString &dateText);
    // Runs the search of the criteria shown; a criterion that cannot be
    // searched is told and nothing changes. Returns whether it searched.
    bool search();
    // Picks the current result: `picked` is emitted and the finder closes.
    void pickCurrent();
    // Asks for a file and exports the results shown there.
    void exportResults();

    const std::vector<store::FoundEntry> &found() const { return m_found; }
    // The branch as the entry window's list shows it ("본사/서울"), its code
    // when the list has no such position.
    QString branchText(const QString &code) const;

    // Writes the results into a file (CSV, CP949 when asked, or XLSX by the
    // suffix) and returns the clerk's message when it could not; installed by
    // the window set.
    using Exporter = std::function<QString(const QString &file, bool cp949)>;
    void setExporter(Exporter exporter) { m_exporter = std::move(exporter); }

    // The criteria as typed (an amount that is not a number is told and
    // nothing is returned).
    std::optional<store::FinderCriteria> criteria();

signals:
    void picked(const QString &dateDay, const QString &branchCode, const QString &serialJen, const QString &serialBun);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void showFound(const store::FinderResult &result);

    QLineEdit *m_from = nullptr, *m_to = nullptr;
    QComboBox *m_branch = nullptr;
    QLineEdit *m_number = nullptr, *m_account = nullptr, *m_customer = nullptr, *m_employee = nullptr;
    QLineEdit *m_department = nullptr, *m_project = nullptr, *m_item = nullptr;
    QLineEdit *m_minAmount = nullptr, *m_maxAmount = nullptr, *m_text = nullptr;
    QList<QWidget *> m_fields; // the criteria in Enter order
    QPushButton *m_findBtn = nullptr, *m_exportBtn = nullptr, *m_closeBtn = nullptr;
    QTableView *m_grid = nullptr;
    QStandardItemModel *m_model = nullptr;
    QLabel *m_status = nullptr;
    QStringList m_branches;
    std::vector<store::FoundEntry> m_found;
    QWidget *m_over = nullptr;
    Exporter m_exporter;
};

} // namespace lookup

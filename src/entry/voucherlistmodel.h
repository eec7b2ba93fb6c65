#pragma once
// The voucher listing shown in the entry window's grid: one row per entry of the
// chosen date and branch. Holds one day's rows, never the table.
#include "store/vouchers.h"

#include <QAbstractTableModel>

class VoucherListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<store::ListRow> rows);
    const store::ListRow &row(int index) const { return m_rows.at(size_t(index)); }
    bool isEmpty() const { return m_rows.empty(); }
    // The first row whose serial_ttt equals key, compared without regard to case; -1 if none.
    int locate(const QString &key) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Grid widths in pixels; the first column is hidden and the second keeps the default.
    static int columnWidth(int column);

private:
    std::vector<store::ListRow> m_rows;
};

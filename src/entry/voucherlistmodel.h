#pragma once
// The voucher listing shown in the entry window's grid: one row per entry of the
// chosen date and branch. Holds one day's rows, never the table. A day is read
// a screen at a time: the first when listed, the next ones as the grid scrolls
// to them (or a search for a row needs them), so a busy day shows as fast as
// a quiet one.
#include "store/vouchers.h"

#include <QAbstractTableModel>
#include <functional>

class VoucherListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // Reads the screen that follows a voucher number (empty: the day's first).
    using ScreenReader = std::function<store::ListScreen(const QString &afterJen)>;

    void setRows(std::vector<store::ListRow> rows);
    // Lists the first screen now and keeps the reader for the others. Throws
    // AppError as the reader does (the list is then empty).
    void setScreens(ScreenReader reader);
    // Reads every screen not read yet.
    void fetchAll();
    const store::ListRow &row(int index) const { return m_rows.at(size_t(index)); }
    bool isEmpty() const { return m_rows.empty(); }
    // The first row whose serial_ttt equals key, compared without regard to
    // case, reading further screens until it is found; -1 if none.
    int locate(const QString &key);

    int rowCount(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Grid widths in pixels; the first column is hidden and the second keeps the default.
    static int columnWidth(int column);

private:
    void appendScreen(store::ListScreen screen);

    std::vector<store::ListRow> m_rows;
    ScreenReader m_reader;
    bool m_more = false;
    QString m_lastJen;
};

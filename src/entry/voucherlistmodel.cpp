#include "entry/voucherlistmodel.h"

#include "base/amount.h"
#include "ui/messages.h"

namespace {

struct ColumnLayout
{
    const char *title;
    int width; // -1: the grid's default
    bool amount;
};

const ColumnLayout columns[] = {
    {"", 0, false},
    {"기준일자", -1, false},
    {"본지점구분", 60, false},
    {"차  변     적  요  기  재  사  항", 170, false},
    {"차변  계정과목  이름", 125, false},
    {"차  변   금  액", 115, true},
    {"대  변     적  요  기  재  사  항", 170, false},
    {"대변  계정과목  이름", 125, false},
    {"대  변   금  액", 115, true},
};
constexpr int columnTotal = int(std::size(columns));

} // namespace

void VoucherListModel::setRows(std::vector<store::ListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_reader = nullptr;
    m_more = false;
    endResetModel();
}

void VoucherListModel::setScreens(ScreenReader reader)
{
    setRows({});
    store::ListScreen first = reader({});
    m_reader = std::move(reader);
    appendScreen(std::move(first));
}

void VoucherListModel::appendScreen(store::ListScreen screen)
{
    m_more = screen.more;
    m_lastJen = screen.lastJen;
    if (screen.rows.empty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(screen.rows.size()) - 1);
    for (store::ListRow &row : screen.rows)
        m_rows.push_back(std::move(row));
    endInsertRows();
}

bool VoucherListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more && m_reader;
}

// Asked by the grid as it scrolls: a refusal of the database is shown, and the
// list stays as far as it was read.
void VoucherListModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    if (!guarded([this] { appendScreen(m_reader(m_lastJen)); }))
        m_more = false;
}

void VoucherListModel::fetchAll()
{
    while (canFetchMore({}))
        appendScreen(m_reader(m_lastJen));
}

int VoucherListModel::locate(const QString &key)
{
    for (size_t i = 0;; ++i) {
        if (i == m_rows.size()) {
            if (!canFetchMore({}))
                return -1;
            appendScreen(m_reader(m_lastJen));
            if (i == m_rows.size())
                return -1;
        }
        if (m_rows[i].serial_ttt.compare(key, Qt::CaseInsensitive) == 0)
            return int(i);
    }
}

int VoucherListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int VoucherListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columnTotal;
}

QVariant VoucherListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const store::ListRow &r = m_rows[size_t(index.row())];
    if (role == Qt::TextAlignmentRole)
        return columns[index.column()].amount ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                              : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 1:
        return r.Date_day;
    case 2:
        return r.total;
    case 3:
        return r.ac_text1;
    case 4:
        return r.ac_JenName1;
    case 5:
        return amountFits(r.Cr_Amt1) ? formatThousands(r.Cr_Amt1) : unfitAmountMark();
    case 6:
        return r.ac_text2;
    case 7:
        return r.ac_JenName2;
    case 8:
        return amountFits(r.Dr_Amt2) ? formatThousands(r.Dr_Amt2) : unfitAmountMark();
    default:
        return {};
    }
}

QVariant VoucherListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    if (role == Qt::DisplayRole && section >= 0 && section < columnTotal)
        return QString::fromUtf8(columns[section].title);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

int VoucherListModel::columnWidth(int column)
{
    return columns[column].width;
}

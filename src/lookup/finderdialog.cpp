#include "lookup/finderdialog.h"

#include "base/amount.h"
#include "base/error.h"
#include "store/vouchers.h"
#include "ui/accessible.h"
#include "ui/hourglass.h"
#include "ui/messages.h"
#include "ui/placement.h"
#include "ui/windowlook.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace lookup {

namespace {

const QString allBranches = QStringLiteral("(전체)");

// The criteria fields in Enter order, with where they stand: row and column
// pair of the grid of criteria (the dates and the amounts take two fields
// behind one label).
struct FieldRow
{
    QLineEdit *FinderDialog::*edit;
    const char *objectName;
    const char *label; // empty: the second field of the pair before it
    const char *tip;
    int row, column;
};

const QString csvUtf8Filter = QStringLiteral("CSV UTF-8 (*.csv)");
const QString csvCp949Filter = QStringLiteral("CSV CP949 (*.csv)");
const QString xlsxFilter = QStringLiteral("XLSX 엑셀 통합 문서 (*.xlsx)");

const char *columnTitles[] = {"일자", "지점", "전표번호", "항목", "차변 계정", "대변 계정", "금액", "적요"};

QStandardItem *cell(const QString &text, const QString &tip = {})
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    if (!tip.isEmpty())
        item->setToolTip(tip);
    return item;
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// An amount as typed: blanks and thousands separators allowed; nothing for an
// empty field; false for what is not a number.
bool readAmount(const QString &typed, std::optional<double> &amount)
{
    QString text = typed;
    text.remove(QLatin1Char(',')).remove(QLatin1Char(' '));
    amount.reset();
    if (text.isEmpty())
        return true;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !amountFits(value))
        return false;
    amount = value;
    return true;
}

} // namespace

FinderDialog::FinderDialog(QWidget *overWindow) : QDialog(nullptr), m_over(overWindow)
{
    setObjectName(QStringLiteral("VoucherFinder"));
    setWindowTitle(QStringLiteral("전표 찾기"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setModal(false);
    QFont gulim(QStringLiteral("굴림"));
    gulim.setPixelSize(12);
    setFont(gulim);
    build();
    look::fixColours(this);
    resize(990, 580);
}

void FinderDialog::build()
{
    auto *criteriaBox = new QGridLayout;
    const FieldRow rows[] = {
        {&FinderDialog::m_from, "edFindFrom", "기간", "시작일자 (2001-05-30처럼)", 0, 0},
        {&FinderDialog::m_to, "edFindTo", "", "끝일자", 0, 0},
        {&FinderDialog::m_number, "edFindSerial", "전표번호", "전표번호의 일부", 0, 2},
        {&FinderDialog::m_account, "edFindAccount", "계정과목", "계정 코드의 앞부분이나 이름의 일부", 1, 0},
        {&FinderDialog::m_customer, "edFindCustomer", "거래처/은행", "거래처나 은행의 코드 앞부분이나 이름의 일부", 1,
         1},
        {&FinderDialog::m_employee, "edFindSawon", "사원", "사원 코드의 앞부분이나 이름의 일부", 1, 2},
        {&FinderDialog::m_department, "edFindBuser", "부서", "부서 코드의 앞부분이나 이름의 일부", 2, 0},
        {&FinderDialog::m_project, "edFindProject", "프로젝트", "프로젝트 코드의 앞부분이나 이름의 일부", 2, 1},
        {&FinderDialog::m_item, "edFindItem", "관리항목", "관리항목 코드의 앞부분이나 이름의 일부", 2, 2},
        {&FinderDialog::m_minAmount, "edFindAmountFrom", "금액", "이 금액 이상", 3, 0},
        {&FinderDialog::m_maxAmount, "edFindAmountTo", "", "이 금액 이하", 3, 0},
        {&FinderDialog::m_text, "edFindText", "적요", "적요의 일부 (여기서 Enter: 찾기)", 3, 1},
    };
    QHBoxLayout *pair = nullptr;
    for (const FieldRow &row : rows) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(row.objectName));
        edit->setToolTip(QString::fromUtf8(row.tip));
        this->*row.edit = edit;
        if (*row.label) {
            auto *label = new QLabel(QString::fromUtf8(row.label), this);
            label->setBuddy(edit);
            criteriaBox->addWidget(label, row.row, row.column * 2);
            pair = new QHBoxLayout;
            criteriaBox->addLayout(pair, row.row, row.column * 2 + 1);
        } else {
            pair->addWidget(new QLabel(QStringLiteral("~"), this));
        }
        pair->addWidget(edit);
        m_fields << edit;
        if (row.edit == &FinderDialog::m_to) {
            // The branch follows the period, in its own place of the first row.
            m_branch = new QComboBox(this);
            m_branch->setObjectName(QStringLiteral("cbFindKubun"));
            m_branch->setToolTip(QStringLiteral("본지점구분 (전체 또는 한 지점)"));
            auto *label = new QLabel(QStringLiteral("본지점구분"), this);
            label->setBuddy(m_branch);
            criteriaBox->addWidget(label, 0, 2);
            criteriaBox->addWidget(m_branch, 0, 3);
            m_fields << m_branch;
        }
    }
    for (QLineEdit *date : {m_from, m_to})
        date->setMaxLength(10);
    for (QLineEdit *amount : {m_minAmount, m_maxAmount})
        amount->setAlignment(Qt::AlignRight);

    m_findBtn = new QPushButton(QStringLiteral("&F 찾기"), this);
    m_findBtn->setObjectName(QStringLiteral("FindBtn"));
    m_findBtn->setToolTip(QStringLiteral("찾기 (Alt+F, 마지막 칸에서 Enter)"));
    m_exportBtn = new QPushButton(QStringLiteral("&E 내보내기"), this);
    m_exportBtn->setObjectName(QStringLiteral("ExportBtn"));
    m_exportBtn->setToolTip(QStringLiteral("찾은 항목을 CSV나 XLSX 파일로 내보내기 (Alt+E)"));
    m_closeBtn = new QPushButton(QStringLiteral("닫기"), this);
    m_closeBtn->setObjectName(QStringLiteral("CloseFinderBtn"));
    m_closeBtn->setToolTip(QStringLiteral("닫기 (Esc)"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("FinderStatus"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_findBtn, m_exportBtn, m_closeBtn}) {
        b->setAutoDefault(false); // Enter belongs to the fields and the results
        accessible::nameButton(b);
        buttons->addWidget(b);
    }
    buttons->addSpacing(12);
    buttons->addWidget(m_status, 1);

    m_model = new QStandardItemModel(0, int(std::size(columnTitles)), this);
    for (int c = 0; c < int(std::size(columnTitles)); ++c)
        m_model->setHeaderData(c, Qt::Horizontal, QString::fromUtf8(columnTitles[c]));
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("FinderGrid"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setTabKeyNavigation(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setToolTip(QStringLiteral("Enter나 두 번 누르기: 이 전표를 입력 창에 불러오기"));
    const int widths[] = {80, 96, 150, 36, 160, 160, 90};
    for (int c = 0; c < int(std::size(widths)); ++c)
        m_grid->setColumnWidth(c, widths[c]);
    accessible::describeGrid(m_grid, QStringLiteral("찾은 항목"));

    auto *page = new QVBoxLayout(this);
    page->addLayout(criteriaBox);
    page->addLayout(buttons);
    page->addWidget(m_grid, 1);

    setTabOrder(m_fields.last(), m_findBtn);
    for (QWidget *field : m_fields)
        field->installEventFilter(this);
    m_grid->installEventFilter(this);
    for (QPushButton *b : {m_findBtn, m_exportBtn, m_closeBtn})
        b->installEventFilter(this);
    connect(m_findBtn, &QPushButton::clicked, this, [this] { guarded([this] { search(); }, this); });
    connect(m_exportBtn, &QPushButton::clicked, this, [this] { guarded([this] { exportResults(); }, this); });
    connect(m_closeBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { guarded([this] { pickCurrent(); }, this); });
}

void FinderDialog::openFor(const QString &dateText)
{
    if (m_found.empty()) {
        m_from->setText(dateText);
        m_to->setText(dateText);
    }
    // The branch list as the entry window has it now.
    const QStringList branches = store::branchList();
    if (branches != m_branches) {
        m_branches = branches;
        m_branch->clear();
        m_branch->addItem(allBranches);
        m_branch->addItems(branches);
    }
    if (!isVisible()) {
        placement::placeOver(this, m_over);
        m_from->setFocus();
        m_from->selectAll();
    }
    show();
    raise();
    activateWindow();
}

std::optional<store::FinderCriteria> FinderDialog::criteria()
{
    store::FinderCriteria c;
    c.fromDate = m_from->text().trimmed();
    c.toDate = m_to->text().trimmed();
    c.branchCode = m_branch->currentIndex() > 0 ? store::branchCode(m_branch->currentIndex() - 1) : QString();
    c.number = m_number->text();
    c.account = m_account->text();
    c.customer = m_customer->text();
    c.employee = m_employee->text();
    c.department = m_department->text();
    c.project = m_project->text();
    c.item = m_item->text();
    c.text = m_text->text();
    for (auto [edit, amount] : {std::pair{m_minAmount, &c.minAmount}, std::pair{m_maxAmount, &c.maxAmount}}) {
        if (readAmount(edit->text(), *amount))
            continue;
        showWarning(QStringLiteral("금액은 숫자로 15자리까지 입력하세요: %1").arg(edit->text()), this);
        edit->setFocus();
        edit->selectAll();
        return std::nullopt;
    }
    return c;
}

bool FinderDialog::search()
{
    const std::optional<store::FinderCriteria> c = criteria();
    if (!c)
        return false;
    if (const QString problem = store::finderProblem(*c); !problem.isEmpty()) {
        showWarning(problem, this);
        QLineEdit *toFix = problem.startsWith(QStringLiteral("끝일자")) ? m_to
                           : problem.startsWith(QStringLiteral("금액")) ? m_minAmount
                                                                        : m_from;
        toFix->setFocus();
        toFix->selectAll();
        return false;
    }
    Hourglass hourglass;
    showFound(store::findEntries(*c));
    return true;
}

QString FinderDialog::branchText(const QString &code) const
{
    bool ok = false;
    const int position = code.toInt(&ok);
    return ok && position >= 0 && position < m_branches.size() ? m_branches[position] : code;
}

void FinderDialog::showFound(const store::FinderResult &result)
{
    m_found = result.entries;
    m_model->removeRows(0, m_model->rowCount());
    for (const store::FoundEntry &e : m_found) {
        auto *amount = cell(formatThousands(e.amount));
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_model->appendRow({cell(e.dateDay), cell(branchText(e.kubunBon)), cell(e.serialJen), cell(e.serialBun),
                            cell(e.debitName, e.debitCode), cell(e.creditName, e.creditCode), amount, cell(e.text)});
    }
    if (m_found.empty()) {
        m_status->setText(QStringLiteral("찾은 항목이 없습니다."));
        return;
    }
    m_status->setText(result.capped
                          ? QStringLiteral("처음 %1건만 보입니다. 조건을 더 넣어 좁혀 찾으세요.").arg(store::finderCap)
                          : QStringLiteral("찾은 항목 %1건").arg(m_found.size()));
    m_grid->setCurrentIndex(m_model->index(0, 0));
    m_grid->setFocus();
}

void FinderDialog::pickCurrent()
{
    const int row = m_grid->currentIndex().row();
    if (row < 0 || row >= int(m_found.size()))
        return;
    const store::FoundEntry e = m_found[size_t(row)];
    hide();
    emit picked(e.dateDay, e.kubunBon, e.serialJen, e.serialBun);
}

void FinderDialog::exportResults()
{
    if (m_found.empty()) {
        showWarning(QStringLiteral("내보낼 항목이 없습니다. 먼저 찾으세요."), this);
        return;
    }
    QString filter = xlsxFilter;
    QString file =
        QFileDialog::getSaveFileName(this, QStringLiteral("찾은 항목 내보내기"), {},
                                     QStringList{xlsxFilter, csvUtf8Filter, csvCp949Filter}.join(QStringLiteral(";;")),
                                     &filter, QFileDialog::DontUseNativeDialog);
    if (file.isEmpty())
        return;
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("xlsx"))
        file += filter == xlsxFilter ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    const bool cp949 = filter == csvCp949Filter && QFileInfo(file).suffix().toLower() == QLatin1String("csv");
    if (!m_exporter)
        return;
    Hourglass hourglass;
    const QString problem = m_exporter(file, cp949);
    if (!problem.isEmpty()) {
        showWarning(problem, this);
        return;
    }
    m_status->setText(QStringLiteral("%1건을 '%2'에 내보냈습니다.").arg(m_found.size()).arg(file));
}

bool FinderDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (!isEnter(key) || key->modifiers() & ~Qt::KeypadModifier)
        return QDialog::eventFilter(watched, event);
    if (watched == m_grid) {
        guarded([this] { pickCurrent(); }, this);
        return true;
    }
    // Enter on a button presses it, as Space does.
    if (auto *button = qobject_cast<QPushButton *>(watched)) {
        button->click();
        return true;
    }
    const int at = int(m_fields.indexOf(static_cast<QWidget *>(watched)));
    if (at < 0)
        return QDialog::eventFilter(watched, event);
    // The clerks' habit: Enter moves on, and searches from the last field.
    if (at == m_fields.size() - 1)
        guarded([this] { search(); }, this);
    else
        m_fields[at + 1]->setFocus(Qt::TabFocusReason);
    return true;
}

} // namespace lookup

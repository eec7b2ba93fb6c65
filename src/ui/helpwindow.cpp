#include "ui/helpwindow.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace help {

namespace {

struct Key
{
    const char *keys;
    const char *what;
};

struct Section
{
    const char *title;
    std::initializer_list<Key> keys;
};

// Every window's keys, as its controls and handlers have them.
const Section sections[] = {
    {"전표 입력 창 (제조원가 투입 및 매출원가 대체 등록)",
     {
         {"Alt+I", "I 등록: 새 전표를 입력하기 시작합니다 (1라인 차변 계정과목으로 갑니다)."},
         {"Alt+C", "C 취소: 입력하던 내용을 지우고 새 전표를 입력할 수 있게 합니다."},
         {"Alt+S", "S 저장: 새 전표를 저장하거나, 불러온 전표의 고친 항목을 저장합니다."},
         {"Alt+X", "X 종료: 창을 닫습니다 (저장하지 않은 내용은 남지 않습니다)."},
         {"D 삭제, P 출력", "단축키가 없습니다. 마우스로 누르거나 Tab으로 가서 Space를 누르세요."},
         {"Enter", "다음 칸으로 갑니다 (Tab과 같습니다). 날짜에서 Enter를 누르면 본지점구분 목록이 열립니다."},
         {"Tab / Shift+Tab", "다음 칸 / 앞 칸으로 갑니다."},
         {"계정과목, 거래처및은행명, 사원, 부서, 프로젝트, 관리 항목 칸에서 Enter 또는 Tab",
          "입력한 글자로 검색 창을 엽니다 (아래 검색 창의 키)."},
         {"기준일자 칸", "숫자와 '-'만 받습니다 (예: 2001-05-30)."},
         {"차변 금액 칸", "숫자, '.', '-'만 받습니다. 칸을 떠나면 #,##0으로 보이고 대변 금액에 옮겨집니다."},
         {"목록 (그리드)에서 위/아래 화살표, 클릭", "그 줄의 전표를 불러옵니다."},
         {"F3 또는 Ctrl+F", "전표 찾기 창을 엽니다."},
         {"Ctrl+P", "이 날의 전표 모두 출력: 목록의 날짜와 지점의 전표를 모두 미리 보고 출력합니다."},
         {"F7", "복사: 불러온 전표를 확인한 날짜에 그 날의 다음 번호로 새로 만듭니다."},
         {"F8", "역분개: 불러온 전표의 차변과 대변을 바꾼 새 전표를 같은 날짜에 만듭니다 (적요에 '역분개: "
                "원래 번호')."},
         {"Ctrl+Z (목록이나 버튼에서)", "삭제 되살리기: 이 창에서 마지막으로 삭제한 항목을 그대로 되살립니다. "
                                        "입력 칸 안의 Ctrl+Z는 그 칸의 입력을 되돌립니다."},
         {"목록에서 마우스 오른쪽 단추", "위 명령들의 메뉴 (키가 함께 보입니다)."},
         {"F1", "이 도움말을 엽니다."},
     }},
    {"검색 창 7개 (계정과목 차변/대변, 거래처및은행명, 사원, 부서, 프로젝트, 관리 항목)",
     {
         {"검색할 글자 칸에서 Enter", "검색 버튼으로 가며 검색합니다."},
         {"Alt+R", "R 검색: 다시 검색합니다."},
         {"아래 화살표 (검색 칸에서)", "목록으로 갑니다."},
         {"목록에서 화살표, 클릭", "그 줄을 전표 입력 창에 넣습니다 (창은 열려 있습니다)."},
         {"목록에서 Enter 또는 두 번 클릭", "그 줄을 넣고 창을 닫습니다."},
         {"Esc 또는 Alt+X", "창을 닫습니다. 이미 넣은 내용은 남습니다."},
         {"Alt+F4", "이 창은 닫지 못합니다 (안내가 나옵니다)."},
         {"거래처및은행명 창의 구분", "전   체 / 거래처 / 은행명: 고르면 바로 검색합니다."},
         {"F1", "이 도움말을 엽니다."},
     }},
    {"전표 찾기 창 (F3 또는 Ctrl+F)",
     {
         {"찾을 조건 칸에서 Enter", "다음 칸으로 갑니다. 마지막 칸에서 Enter를 누르면 찾습니다."},
         {"Alt+F", "찾기: 조건에 맞는 항목을 찾습니다."},
         {"결과 목록에서 Enter 또는 두 번 클릭", "그 전표를 전표 입력 창에 불러옵니다."},
         {"Alt+E", "내보내기: 찾은 결과를 파일로 내보냅니다."},
         {"Esc", "창을 닫습니다."},
         {"F1", "이 도움말을 엽니다."},
     }},
    {"이 도움말", {{"Esc 또는 Alt+X", "도움말을 닫고 앞의 창으로 돌아갑니다."}}},
};

QString escaped(const char *text)
{
    return QString::fromUtf8(text).toHtmlEscaped();
}

class HelpDialog : public QDialog
{
public:
    explicit HelpDialog(QWidget *over) : QDialog(over)
    {
        setObjectName(QStringLiteral("HelpWindow"));
        setWindowTitle(QStringLiteral("도움말 - 키와 명령"));
        resize(720, 640);
        auto *layout = new QVBoxLayout(this);
        auto *text = new QTextBrowser(this);
        text->setObjectName(QStringLiteral("HelpText"));
        text->setHtml(keysText());
        layout->addWidget(text);
        auto *close = new QPushButton(QStringLiteral("&X 닫기"), this);
        close->setObjectName(QStringLiteral("HelpCloseBtn"));
        close->setAutoDefault(false);
        layout->addWidget(close, 0, Qt::AlignRight);
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
        text->setFocus();
    }
};

QPointer<HelpDialog> shown;

// F1 anywhere in the program, the help window itself excepted.
class HelpKey : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        QWidget *from = static_cast<QWidget *>(watched)->window();
        if (shown && from == shown.data())
            return true;
        help::show(from);
        return true;
    }
};

} // namespace

QString keysText()
{
    QString html = QStringLiteral("<h2>키와 명령</h2>");
    for (const Section &section : sections) {
        html += QStringLiteral("<h3>%1</h3><table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"100%\">")
                    .arg(escaped(section.title));
        for (const Key &key : section.keys)
            html += QStringLiteral("<tr><td width=\"32%\"><b>%1</b></td><td>%2</td></tr>")
                        .arg(escaped(key.keys), escaped(key.what));
        html += QStringLiteral("</table>");
    }
    return html;
}

void show(QWidget *from)
{
    QWidget *over = from ? from->window() : nullptr;
    if (!shown)
        shown = new HelpDialog(over);
    else if (shown->parentWidget() != over)
        shown->setParent(over, shown->windowFlags());
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void installKey()
{
    static HelpKey *key = nullptr;
    if (!key) {
        key = new HelpKey(qApp);
        qApp->installEventFilter(key);
    }
}

QWidget *window()
{
    return shown.data();
}

} // namespace help

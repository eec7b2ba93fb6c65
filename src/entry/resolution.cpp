#include "entry/resolution.h"

#include "base/text.h"
#include "entry/entrypanel.h"
#include "entry/entrywindow.h"
#include "ui/fields.h"
#include "ui/messages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace entry {

namespace {

// Controls whose receiving the focus suppresses any lookup.
bool isGuardedTarget(const QWidget *target)
{
    static const QStringList guarded = {
        QStringLiteral("edDate"),    QStringLiteral("cbKubun"),  QStringLiteral("DBGrid1"),  QStringLiteral("SaveBtn"),
        QStringLiteral("DeleteBtn"), QStringLiteral("PrintBtn"), QStringLiteral("CloseBtn"), QStringLiteral("Panel7"),
    };
    return target && guarded.contains(target->objectName());
}

// The name fields that open a search dialog, and the fields its picks fill.
enum class Lookup { Account, Name };
struct LineSearch
{
    const char *field;
    const char *dialog;
    Lookup lookup;
    QStringList fills;
};

const LineSearch lineSearches[] = {
    {"edCR_Ac_JenName", "Form1", Lookup::Account, {"edCR_Ac_JenName"}},
    {"edDR_Ac_JenName", "Form7", Lookup::Account, {"edDR_Ac_JenName"}},
    {"edCR_Kubun_Name", "Form2", Lookup::Name, {"edCR_Kubun_Name", "edDR_Kubun_Name"}},
    {"edCR_Sawon_Name", "Form3", Lookup::Name, {"edCR_Sawon_Name", "edDR_Sawon_Name"}},
    {"edCR_Buser_Name", "Form4", Lookup::Name, {"edCR_Buser_Name", "edDR_Buser_Name"}},
    {"edCR_Project_Name", "Form5", Lookup::Name, {"edCR_Project_Name", "edDR_Project_Name"}},
    {"edCR_Item_Name", "Form6", Lookup::Name, {"edCR_Item_Name", "edDR_Item_Name"}},
};

bool isTarget(const EntryWindow &w, const QString &name)
{
    return w.focusTarget() && w.focusTarget()->objectName() == name;
}

void headerCheck(EntryWindow &w)
{
    if (w.branchPosition() < 0 || w.cbKubun->currentText().isEmpty()) {
        showWarning(QStringLiteral("본지점 구분을 선택하세요."), &w);
        w.moveFocus(w.cbKubun);
    }
    if (w.edDate->text().isEmpty() || w.edDate->text().size() != 10) {
        showWarning(QStringLiteral("기준일자를 선택하세요."), &w);
        w.moveFocus(w.edDate);
    }
    if (w.mode() != EntryMode::Loaded)
        w.setMode(EntryMode::New);
    w.pEnabledBtn();
}

// The account fields check the header when left forward, towards the
// customer field of their own line, and always search, even for nothing.
// The other name fields search only for a name that is not all blanks.
void lookUp(EntryWindow &w, SearchDoor &door, const LineSearch &search, QLineEdit *field, int n)
{
    const QString side = QString::fromLatin1(search.field).left(5);
    if (search.lookup == Lookup::Account && isTarget(w, side + QStringLiteral("Kubun_Name") + rowSuffix(n)))
        headerCheck(w);
    if (isGuardedTarget(w.focusTarget()))
        return;
    const QString dialog = QString::fromLatin1(search.dialog);
    door.prepare(dialog, n, field->text());
    setHiddenCode(field, QString());
    if (search.lookup == Lookup::Name && Str_DelSpace(field->text()).isEmpty())
        return;
    door.searchAndShow(dialog);
}

void towardsSave(EntryWindow &w, int n)
{
    if (n < 4 && !(w.mode() == EntryMode::Loaded && isTarget(w, QStringLiteral("DBGrid1"))))
        return;
    w.moveFocus(w.Panel7);
    w.moveFocus(w.SaveBtn);
}

} // namespace

bool lineFieldExit(EntryWindow &w, SearchDoor &door, QLineEdit *field)
{
    const int n = EntryPanel::numberOf(field);
    const QString base = EntryPanel::baseNameOf(field);
    for (const LineSearch &search : lineSearches) {
        if (base == QLatin1String(search.field)) {
            lookUp(w, door, search, field, n);
            return true;
        }
    }
    if (base == QLatin1String("edCR_Ac_Text")) {
        w.field(QStringLiteral("edDR_Ac_Text"), n)->setText(field->text());
        return true;
    }
    if (base == QLatin1String("edDR_Item_Name")) {
        towardsSave(w, n);
        return true;
    }
    return false;
}

QStringList fieldsFilledBy(const QString &dialog)
{
    for (const LineSearch &search : lineSearches)
        if (dialog == QLatin1String(search.dialog))
            return search.fills;
    return {};
}

} // namespace entry

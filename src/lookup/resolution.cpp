#include "lookup/resolution.h"

#include "app/messages.h"
#include "app/windowset.h"
#include "entry/entrywindow.h"
#include "entry/fields.h"
#include "entry/text.h"
#include "lookup/searchdialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace lookup {

namespace {

// Controls whose receiving the focus suppresses any lookup.
bool isGuardedTarget(const QWidget *target)
{
    static const QStringList guarded = {
        QStringLiteral("edDate"),    QStringLiteral("cbKubun"),  QStringLiteral("DBGrid1"),
        QStringLiteral("SaveBtn"),   QStringLiteral("DeleteBtn"), QStringLiteral("PrintBtn"),
        QStringLiteral("CloseBtn"),  QStringLiteral("Panel7"),
    };
    return target && guarded.contains(target->objectName());
}

bool isTarget(const EntryWindow &w, const QString &name)
{
    return w.focusTarget() && w.focusTarget()->objectName() == name;
}

SearchDialog *dialog(const char *objectName)
{
    return qobject_cast<SearchDialog *>(windowByName(QString::fromLatin1(objectName)));
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
    if (w.mode() != QLatin1String("2"))
        w.setMode(QStringLiteral("3"));
    w.pEnabledBtn();
}

void accountLookup(EntryWindow &w, QLineEdit *field, const QString &side, int n)
{
    if (isTarget(w, side + QStringLiteral("Kubun_Name_0%1").arg(n)))
        headerCheck(w);
    if (isGuardedTarget(w.focusTarget()))
        return;
    SearchDialog *d = dialog(side == QLatin1String("edCR_") ? "Form1" : "Form7");
    if (!d)
        return;
    d->prepare(n, field->text());
    setHiddenCode(field, QString());
    d->search();
    d->showNonBlocking();
}

void nameLookup(EntryWindow &w, QLineEdit *field, const char *dialogName, int n)
{
    if (isGuardedTarget(w.focusTarget()))
        return;
    SearchDialog *d = dialog(dialogName);
    if (!d)
        return;
    d->prepare(n, field->text());
    setHiddenCode(field, QString());
    if (Str_DelSpace(field->text()).isEmpty())
        return;
    d->search();
    d->showNonBlocking();
}

void towardsSave(EntryWindow &w, int n)
{
    if (n < 4 && !(w.mode() == QLatin1String("2") && isTarget(w, QStringLiteral("DBGrid1"))))
        return;
    w.moveFocus(w.Panel7);
    w.moveFocus(w.SaveBtn);
}

} // namespace

bool lineFieldExit(EntryWindow &w, QLineEdit *field)
{
    const QString name = field->objectName();
    const int n = name.right(1).toInt();
    const QString base = name.left(name.size() - 3);
    static const struct { const char *base; const char *dialog; } nameFields[] = {
        {"edCR_Kubun_Name", "Form2"}, {"edCR_Sawon_Name", "Form3"}, {"edCR_Buser_Name", "Form4"},
        {"edCR_Project_Name", "Form5"}, {"edCR_Item_Name", "Form6"},
    };
    if (base == QLatin1String("edCR_Ac_JenName") || base == QLatin1String("edDR_Ac_JenName")) {
        accountLookup(w, field, base.left(5), n);
        return true;
    }
    for (const auto &f : nameFields) {
        if (base == QLatin1String(f.base)) {
            nameLookup(w, field, f.dialog, n);
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

void installLineFieldResolution(EntryWindow &window)
{
    window.setFieldExitHandler([&window](QLineEdit *field) { return lineFieldExit(window, field); });
}

} // namespace lookup

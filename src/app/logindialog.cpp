#include "app/logindialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

bool askLogin(QString &user, QString &password, const QString &problem)
{
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("LoginDialog"));
    dialog.setWindowTitle(QStringLiteral("데이타베이스 로그인"));
    auto *layout = new QFormLayout(&dialog);
    layout->addRow(new QLabel(problem));
    auto *userEdit = new QLineEdit(user);
    userEdit->setObjectName(QStringLiteral("edUser"));
    auto *passwordEdit = new QLineEdit;
    passwordEdit->setObjectName(QStringLiteral("edPassword"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    layout->addRow(QStringLiteral("로그인 이름"), userEdit);
    layout->addRow(QStringLiteral("암호"), passwordEdit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("확인"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("취소"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (!user.isEmpty())
        passwordEdit->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    user = userEdit->text();
    password = passwordEdit->text();
    return true;
}

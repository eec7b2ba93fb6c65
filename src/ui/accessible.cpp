#include "ui/accessible.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTableView>

namespace accessible {

QString spoken(const QString &caption)
{
    QString text = caption;
    text.remove(QRegularExpression(QStringLiteral("^&?[A-Za-z] ")));
    text.remove(QLatin1Char('&'));
    // Words of one letter each are the letters of one word spread over a column.
    QStringList words;
    bool lastSingle = false;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool single = word.size() == 1 && word.at(0).script() == QChar::Script_Hangul;
        if (single && lastSingle)
            words.last() += word;
        else
            words << word;
        lastSingle = single;
    }
    return words.join(QLatin1Char(' '));
}

void nameButton(QAbstractButton *button)
{
    button->setAccessibleName(spoken(button->text()));
}

void describeGrid(QTableView *grid, const QString &name)
{
    grid->setAccessibleName(name);
    QStringList titles;
    if (QAbstractItemModel *model = grid->model()) {
        for (int c = 0; c < model->columnCount(); ++c) {
            if (grid->isColumnHidden(c))
                continue;
            const QString title = spoken(model->headerData(c, Qt::Horizontal).toString());
            if (!title.isEmpty())
                titles << title;
        }
    }
    grid->setAccessibleDescription(
        QStringLiteral("%1: 한 줄에 한 건, 열은 %2").arg(name, titles.join(QStringLiteral(", "))));
}

} // namespace accessible

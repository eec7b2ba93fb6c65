#pragma once
// What a screen reader says for the windows' controls: names made from the
// labels and captions the clerk sees, and a description of each grid's columns.
#include <QString>

class QAbstractButton;
class QTableView;

namespace accessible {

// A caption or column title as it is read out: the key letter in front
// ("&S 저장", "D 삭제") dropped, and the spaced-out letters of a title
// ("차  변   금  액") joined into words ("차변금액").
QString spoken(const QString &caption);

// Names every button from its caption.
void nameButton(QAbstractButton *button);

// Gives a grid its name and a description listing its shown columns.
void describeGrid(QTableView *grid, const QString &name);

} // namespace accessible

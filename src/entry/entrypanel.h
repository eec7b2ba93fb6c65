#pragma once
// One numbered entry of the voucher: a debit line above a credit line of fields.
// The four panels of the entry window are this class made four times from one
// table of fields (object name, place, width, maximum length, state, colour).
#include <QFrame>
#include <QHash>
#include <QLineEdit>
#include <QList>

class EntryPanel : public QFrame
{
    Q_OBJECT

public:
    // number: 1 to 4; the panel is named Panel1..Panel4 and its fields end in _01.._04.
    EntryPanel(int number, QWidget *parent);

    int number() const { return m_number; }
    // A field by its name without the row suffix, e.g. "edCR_Ac_JenName".
    QLineEdit *field(const QString &baseName) const;
    // The panel number (1 to 4) of one of its fields, 0 for any other control;
    // and the field's name without the row suffix ("edCR_Ac_JenName").
    static int numberOf(const QWidget *field);
    static QString baseNameOf(const QWidget *field);
    // Every field in tab order (the order Enter and Tab move through).
    const QList<QLineEdit *> &fieldsInTabOrder() const { return m_tabOrder; }

    // The panel's look: the normal button face or the aqua highlight.
    void setHighlighted(bool aqua);
    bool isHighlighted() const { return m_highlighted; }

private:
    void addLabels();
    int m_number;
    bool m_highlighted = false;
    QHash<QString, QLineEdit *> m_fields;
    QList<QLineEdit *> m_tabOrder;
};

// "_01".."_04" for a panel number.
QString rowSuffix(int number);

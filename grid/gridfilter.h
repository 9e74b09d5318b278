#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace varo {

class Field;

// The operators of a header filter, with the texts the filter menu shows.
enum class FilterOp : quint8 {
    Equal,
    NotEqual,
    Less,
    Greater,
    Contains,
    NotContains,
    BeginsWith,
    Blank,     // "(Boş)"
    NonBlank,  // "(Boş Olmayanlar)"
};

QString filterOpText(FilterOp op);
// The operators offered in the custom filter dialog, in menu order.
QList<FilterOp> customFilterOps();

// One condition on one column. Operands are typed by the field: numbers are
// compared as numbers (the operand may be written in Turkish or C notation),
// dates as dates ("dd.MM.yyyy"), texts without regard to case.
struct FilterCondition {
    FilterOp op = FilterOp::Equal;
    QString operand;
};

// A condition bound to a field, prepared once so that testing a row is cheap.
class FieldFilter {
public:
    FieldFilter(const Field *field, FilterCondition cond);
    bool accepts(int row) const;
    bool isValid() const { return m_valid; }  // false: the operand does not fit the field type

private:
    const Field *m_field;
    FilterCondition m_cond;
    bool m_numeric = false;
    bool m_valid = true;
    double m_number = 0.0;
    QString m_text;  // operand folded to lower case
};

// Lower case for comparing without regard to case; I, İ, ı and i all fold to
// "i" so that ASCII-typed search texts find Turkish spellings and back.
QString foldTurkish(const QString &s);
// Whether the folded cell text starts with an already folded prefix, without
// folding more of the cell than the prefix needs.
bool startsWithFolded(const QString &cell, const QString &foldedPrefix);

// Parses a number written by a Turkish user ("1.234,56") or in C notation
// ("1234.56"); returns false when it is neither.
bool parseFilterNumber(const QString &text, double *out);

}  // namespace varo

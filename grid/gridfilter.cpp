#include "gridfilter.h"

#include "protocol/dataset.h"
#include "protocol/numberformat.h"

#include <QDate>

namespace varo {

QString filterOpText(FilterOp op)
{
    switch (op) {
    case FilterOp::Equal: return QStringLiteral("eşittir");
    case FilterOp::NotEqual: return QStringLiteral("eşit değildir");
    case FilterOp::Less: return QStringLiteral("küçüktür");
    case FilterOp::Greater: return QStringLiteral("büyüktür");
    case FilterOp::Contains: return QStringLiteral("içerir");
    case FilterOp::NotContains: return QStringLiteral("içermez");
    case FilterOp::BeginsWith: return QStringLiteral("ile başlar");
    case FilterOp::Blank: return QStringLiteral("(Boş)");
    case FilterOp::NonBlank: return QStringLiteral("(Boş Olmayanlar)");
    }
    return {};
}

QList<FilterOp> customFilterOps()
{
    return {FilterOp::Equal, FilterOp::NotEqual, FilterOp::Less, FilterOp::Greater,
            FilterOp::Contains, FilterOp::NotContains, FilterOp::BeginsWith};
}

bool parseFilterNumber(const QString &text, double *out)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    double v = turkishLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (ok && out)
        *out = v;
    return ok;
}

namespace {
// The four i's (I, İ, ı, i) are one letter here: search texts are typed
// in plain ASCII capitals while the data holds both spellings.
QChar foldChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'I' || u == 0x0130 || u == 0x0131)
        return u'i';
    return c.toLower();
}
}  // namespace

bool startsWithFolded(const QString &cell, const QString &foldedPrefix)
{
    if (cell.size() < foldedPrefix.size())
        return false;
    const QChar *a = cell.constData();
    const QChar *b = foldedPrefix.constData();
    for (qsizetype i = 0, n = foldedPrefix.size(); i < n; ++i)
        if (foldChar(a[i]) != b[i])
            return false;
    return true;
}

QString foldTurkish(const QString &s)
{
    // Done by hand: the locale's own mapping is an order of magnitude slower
    // over a whole column.
    QString out(s.size(), Qt::Uninitialized);
    QChar *o = out.data();
    for (QChar c : s)
        *o++ = foldChar(c);
    return out;
}

namespace {

QString fold(const QString &s)
{
    return foldTurkish(s);
}

bool isBlankText(const QString &s)
{
    return s.trimmed().isEmpty();
}

}  // namespace

FieldFilter::FieldFilter(const Field *field, FilterCondition cond) : m_field(field), m_cond(std::move(cond))
{
    if (!m_field) {
        m_valid = false;
        return;
    }
    const FieldType t = m_field->dataType();
    const bool textOp = m_cond.op == FilterOp::Contains || m_cond.op == FilterOp::NotContains
        || m_cond.op == FilterOp::BeginsWith;
    if (m_cond.op == FilterOp::Blank || m_cond.op == FilterOp::NonBlank)
        return;
    if (!textOp && (isIntegerType(t) || t == FieldType::Float || t == FieldType::Currency)) {
        m_numeric = true;
        m_valid = parseFilterNumber(m_cond.operand, &m_number);
    } else if (!textOp && (t == FieldType::Date || t == FieldType::DateTime)) {
        const QDate d = QDate::fromString(m_cond.operand.trimmed(), QStringLiteral("dd.MM.yyyy"));
        m_numeric = true;
        m_valid = d.isValid();
        m_number = dateToSerial(d);
    }
    m_text = fold(m_cond.operand);
}

bool FieldFilter::accepts(int row) const
{
    if (!m_field)
        return true;
    const bool null = m_field->isNull(row);
    switch (m_cond.op) {
    case FilterOp::Blank: return null || (isStringType(m_field->dataType()) && isBlankText(m_field->stringAt(row)));
    case FilterOp::NonBlank: return !null && !(isStringType(m_field->dataType()) && isBlankText(m_field->stringAt(row)));
    default: break;
    }
    if (!m_valid)
        return false;
    if (m_numeric) {
        if (null)
            return m_cond.op == FilterOp::NotEqual;
        double v = m_field->doubleAt(row);
        if (m_field->dataType() == FieldType::DateTime || m_field->dataType() == FieldType::Date)
            v = double(qint64(v));  // dates compare by day
        switch (m_cond.op) {
        case FilterOp::Equal: return v == m_number;
        case FilterOp::NotEqual: return v != m_number;
        case FilterOp::Less: return v < m_number;
        case FilterOp::Greater: return v > m_number;
        default: return false;
        }
    }
    // Text comparison on what the user sees in the cell.
    const QString cell = null ? QString() : fold(m_field->displayTextAt(row));
    switch (m_cond.op) {
    case FilterOp::Equal: return cell == m_text;
    case FilterOp::NotEqual: return cell != m_text;
    case FilterOp::Less: return cell.compare(m_text) < 0;
    case FilterOp::Greater: return cell.compare(m_text) > 0;
    case FilterOp::Contains: return cell.contains(m_text);
    case FilterOp::NotContains: return !cell.contains(m_text);
    case FilterOp::BeginsWith: return cell.startsWith(m_text);
    default: return false;
    }
}

}  // namespace varo

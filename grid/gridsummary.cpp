#include "gridsummary.h"

#include "grid/gridmodel.h"
#include "protocol/dataset.h"
#include "protocol/numberformat.h"

namespace varo {

void FooterSummary::setItems(QList<SummaryItem> items)
{
    m_items = std::move(items);
    m_values = QList<QVariant>(m_items.size());
    m_formats = QList<QString>(m_items.size());
}

void FooterSummary::compute(const GridModel &model)
{
    m_values = QList<QVariant>(m_items.size());
    m_formats = QList<QString>(m_items.size());
    const DataSet *ds = model.dataSet();
    // Rows kept while an update is open may be gone from the data set.
    std::vector<int> rows;
    if (ds) {
        rows.reserve(model.viewRows().size());
        for (int r : model.viewRows())
            if (r < ds->recordCount())
                rows.push_back(r);
    }
    for (int i = 0; i < m_items.size(); ++i) {
        const SummaryItem &it = m_items[i];
        const QString fieldName = it.field.isEmpty() ? it.column : it.field;
        const Field *f = ds ? ds->findField(fieldName) : nullptr;
        m_formats[i] = !it.format.isEmpty() ? it.format : (f ? f->displayFormat() : QString());
        switch (it.kind) {
        case SummaryKind::Count:
            m_values[i] = qlonglong(rows.size());
            break;
        case SummaryKind::Sum: {
            if (!f || !(isIntegerType(f->dataType()) || isFloatingType(f->dataType()))) {
                m_values[i] = 0.0;
                break;
            }
            if (isIntegerType(f->dataType())) {
                qint64 s = 0;
                for (int r : rows)
                    s += f->intAt(r);
                m_values[i] = qlonglong(s);
            } else {
                double s = 0.0;
                for (int r : rows)
                    s += f->doubleAt(r);
                m_values[i] = s;
            }
            break;
        }
        case SummaryKind::Custom:
            break;
        }
    }
    if (afterSummary)
        afterSummary(*this);
}

QVariant FooterSummary::value(int index) const
{
    return index >= 0 && index < m_values.size() ? m_values[index] : QVariant();
}

void FooterSummary::setValue(int index, const QVariant &v)
{
    if (index >= 0 && index < m_values.size())
        m_values[index] = v;
}

QString FooterSummary::defaultText(int index) const
{
    const QVariant v = value(index);
    if (!v.isValid() || v.isNull())
        return {};
    const QString fmt = index < m_formats.size() ? m_formats[index] : QString();
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        if (m_items[index].kind == SummaryKind::Count || fmt.isEmpty())
            return QString::number(v.toLongLong());
        return formatFloat(fmt, v.toDouble(), turkishLocale());
    case QMetaType::Double:
    case QMetaType::Float:
        if (fmt.isEmpty())
            return turkishLocale().toString(v.toDouble(), 'g', 15);
        return formatFloat(fmt, v.toDouble(), turkishLocale());
    default:
        return v.toString();
    }
}

QString FooterSummary::text(int index) const
{
    const QString def = defaultText(index);
    if (footerText)
        return footerText(index, value(index), def);
    return def;
}

}  // namespace varo

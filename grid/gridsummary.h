#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

namespace varo {

class GridModel;

enum class SummaryKind : quint8 {
    Count,   // number of rows in view
    Sum,     // sum of a numeric field over the rows in view
    Custom,  // no figure of its own; the after-summary hook sets its value
};

// One footer figure, shown under the column of `column` (a field name).
struct SummaryItem {
    QString column;
    SummaryKind kind = SummaryKind::Count;
    QString field{};   // field summed; the column's field when empty
    QString format{};  // number picture; the field's display format when empty
};

// The footer figures of a grid, computed over the rows in view (filters
// respected). After computing, the after-summary hook may read and replace
// values; the footer-text hook may replace the text each one shows.
class FooterSummary {
public:
    void setItems(QList<SummaryItem> items);
    const QList<SummaryItem> &items() const { return m_items; }
    int count() const { return int(m_items.size()); }

    void compute(const GridModel &model);

    QVariant value(int index) const;
    void setValue(int index, const QVariant &v);
    // The text shown for item `index`: the footer-text hook's answer, or the
    // value formatted by default.
    QString text(int index) const;
    QString defaultText(int index) const;
    // The number picture item `index` is shown with (resolved at compute time).
    QString format(int index) const { return index >= 0 && index < m_formats.size() ? m_formats[index] : QString(); }

    std::function<void(FooterSummary &)> afterSummary;
    std::function<QString(int index, const QVariant &value, const QString &defaultText)> footerText;

private:
    QList<SummaryItem> m_items;
    QList<QVariant> m_values;
    QList<QString> m_formats;  // resolved per item at compute time
};

}  // namespace varo

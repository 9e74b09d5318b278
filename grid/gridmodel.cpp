#include "gridmodel.h"

#include "grid/imagelist.h"
#include "protocol/dataset.h"

#include <QImage>

#include <algorithm>
#include <numeric>

namespace varo {

DataSource::DataSource(DataSet *dataSet, QObject *parent) : QObject(parent), m_dataSet(dataSet) {}

void DataSource::setDataSet(DataSet *ds)
{
    if (m_dataSet == ds)
        return;
    m_dataSet = ds;
    emit dataSetChanged();
}

// ---------------------------------------------------------------------------

namespace {

// Key under which texts sort in Turkish alphabetical order, ignoring case:
// a b c ç d e f g ğ h ı i j k l m n o ö p r s ş t u ü v y z. Blanks,
// punctuation and digits come before letters, other letters after them.
QString turkishSortKey(const QString &s)
{
    static const std::vector<char16_t> table = [] {
        static const char16_t order[] = u"abcçdefgğhıijklmnoöpqrsştuüvwxyz";
        std::vector<char16_t> t(0x180);
        for (char16_t u = 0; u < 0x180; ++u)
            t[u] = u < 0x80 ? u : char16_t(0x200 + u);
        for (const char16_t *p = order; *p; ++p)
            t[*p] = char16_t(0x100 + (p - order));
        return t;
    }();
    QString key(s.size(), Qt::Uninitialized);
    QChar *o = key.data();
    for (QChar c : s) {
        const QChar f = c == u'I' ? QChar(0x0131) : c.unicode() == 0x0130 ? QChar(u'i') : c.toLower();
        const char16_t u = f.unicode();
        *o++ = QChar(u < 0x180 ? table[u] : (u < 0xFE00 ? char16_t(0x200 + u) : u));
    }
    return key;
}

}  // namespace

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent), m_pictures(32) {}

GridModel::~GridModel() = default;

void GridModel::setColumns(QList<GridColumn> columns)
{
    beginResetModel();
    m_columns = std::move(columns);
    m_sortColumn = -1;
    m_filters.clear();
    resolveFields();
    applySortAndFilter();
    endResetModel();
    emit rowsRebuilt();
}

int GridModel::columnIndex(const QString &field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const Field *GridModel::fieldOf(int column) const
{
    if (column < 0 || std::size_t(column) >= m_fields.size())
        return nullptr;
    return m_fields[std::size_t(column)];
}

DataSet *GridModel::dataSet() const
{
    return m_bound.data();
}

void GridModel::setDataSource(DataSource *source)
{
    if (m_source == source && m_bound == (source ? source->dataSet() : nullptr))
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source)
        connect(m_source, &DataSource::dataSetChanged, this, [this] {
            detach();
            attach();
            rebuild();
        });
    detach();
    attach();
    rebuild();
}

void GridModel::attach()
{
    DataSet *ds = m_source ? m_source->dataSet() : nullptr;
    m_bound = ds;
    if (!ds)
        return;
    m_connections << connect(ds, &DataSet::dataReset, this, &GridModel::onDataReset);
    m_connections << connect(ds, &DataSet::rowChanged, this, &GridModel::onRowChanged);
    m_connections << connect(ds, &QObject::destroyed, this, [this] {
        m_bound = nullptr;
        m_connections.clear();
        rebuild();
    });
}

void GridModel::detach()
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_bound = nullptr;
    // A detached data set may be rebuilt by another thread: from now on no
    // cell is read from it, even before the view shows the change.
    std::fill(m_fields.begin(), m_fields.end(), nullptr);
}

void GridModel::beginUpdate()
{
    ++m_updateDepth;
}

void GridModel::endUpdate()
{
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth == 0 && m_pendingReset) {
        m_pendingReset = false;
        rebuild();
    }
}

void GridModel::onDataReset()
{
    // The structure may have been replaced: never keep pointers to old
    // fields, even while the view waits for the end of an update.
    resolveFields();
    m_inverseValid = false;
    rebuild();
}

void GridModel::onRowChanged(int row)
{
    if (isUpdating()) {
        m_pendingReset = true;
        return;
    }
    m_pictures.remove(row);
    const int vr = viewRow(row);
    if (vr >= 0)
        emit dataChanged(index(vr, 0), index(vr, columnCount() - 1));
    emit rowsRebuilt();  // summaries depend on the values
}

void GridModel::rebuild()
{
    if (isUpdating()) {
        m_pendingReset = true;
        return;
    }
    beginResetModel();
    m_pictures.clear();
    resolveFields();
    applySortAndFilter();
    endResetModel();
    emit rowsRebuilt();
}

void GridModel::reorder()
{
    if (isUpdating()) {
        m_pendingReset = true;
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> dataRows;
    dataRows.reserve(std::size_t(before.size()));
    for (const QModelIndex &i : before)
        dataRows.push_back(dataRow(i.row()));
    applySortAndFilter();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int vr = viewRow(dataRows[std::size_t(i)]);
        after << (vr >= 0 ? index(vr, before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit rowsRebuilt();
}

void GridModel::resolveFields()
{
    m_fields.assign(std::size_t(m_columns.size()), nullptr);
    DataSet *ds = m_bound.data();
    if (!ds)
        return;
    for (int i = 0; i < m_columns.size(); ++i)
        m_fields[std::size_t(i)] = ds->findField(m_columns[i].field);
}

void GridModel::applySortAndFilter()
{
    m_inverseValid = false;
    DataSet *ds = m_bound.data();
    const int n = ds ? ds->recordCount() : 0;
    m_rows.resize(std::size_t(n));
    std::iota(m_rows.begin(), m_rows.end(), 0);
    if (n == 0)
        return;

    const Field *sf = fieldOf(m_sortColumn);
    if (sf && sf->dataType() != FieldType::Blob) {
        const bool desc = m_sortOrder == Qt::DescendingOrder;
        const Column &c = sf->column();
        const bool anyNull = !c.nulls.empty();
        auto nullCmp = [&](int a, int b, bool &decided) {
            const bool na = anyNull && c.nulls[std::size_t(a)];
            const bool nb = anyNull && c.nulls[std::size_t(b)];
            decided = na || nb;
            return na && !nb;  // nulls first
        };
        auto run = [&](auto less) {
            if (desc)
                std::stable_sort(m_rows.begin(), m_rows.end(), [&](int a, int b) { return less(b, a); });
            else
                std::stable_sort(m_rows.begin(), m_rows.end(), less);
        };
        const FieldType t = sf->dataType();
        if (isIntegerType(t)) {
            run([&](int a, int b) {
                bool d;
                const bool r = nullCmp(a, b, d);
                return d ? r : c.ints[std::size_t(a)] < c.ints[std::size_t(b)];
            });
        } else if (isFloatingType(t)) {
            run([&](int a, int b) {
                bool d;
                const bool r = nullCmp(a, b, d);
                return d ? r : c.reals[std::size_t(a)] < c.reals[std::size_t(b)];
            });
        } else {
            std::vector<QString> keys(static_cast<std::size_t>(n));
            for (int r = 0; r < n; ++r)
                keys[std::size_t(r)] = turkishSortKey(c.texts[std::size_t(r)]);
            run([&](int a, int b) {
                bool d;
                const bool r = nullCmp(a, b, d);
                return d ? r : keys[std::size_t(a)] < keys[std::size_t(b)];
            });
        }
    }

    if (!m_filters.empty()) {
        std::vector<FieldFilter> tests;
        for (const auto &[col, cond] : m_filters)
            tests.emplace_back(fieldOf(col), cond);
        auto keep = std::remove_if(m_rows.begin(), m_rows.end(), [&](int r) {
            for (const FieldFilter &f : tests)
                if (!f.accepts(r))
                    return true;
            return false;
        });
        m_rows.erase(keep, m_rows.end());
    }
}

int GridModel::dataRow(int viewRow) const
{
    if (viewRow < 0 || std::size_t(viewRow) >= m_rows.size())
        return -1;
    const int r = m_rows[std::size_t(viewRow)];
    // Rows kept while an update is open may no longer exist in the data set.
    return m_bound && r < m_bound->recordCount() ? r : -1;
}

int GridModel::viewRow(int dataRow) const
{
    const DataSet *ds = m_bound.data();
    if (!ds || dataRow < 0 || dataRow >= ds->recordCount())
        return -1;
    if (!m_inverseValid) {
        m_inverse.assign(std::size_t(ds->recordCount()), -1);
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            if (std::size_t(m_rows[i]) < m_inverse.size())
                m_inverse[std::size_t(m_rows[i])] = int(i);
        m_inverseValid = true;
    }
    if (std::size_t(dataRow) >= m_inverse.size())
        return -1;
    return m_inverse[std::size_t(dataRow)];
}

void GridModel::sort(int column, Qt::SortOrder order)
{
    if (column >= columnCount())
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    reorder();
}

void GridModel::setFilter(int column, const FilterCondition &cond)
{
    if (column < 0 || column >= columnCount())
        return;
    m_filters[column] = cond;
    reorder();
}

void GridModel::clearFilter(int column)
{
    if (m_filters.erase(column))
        reorder();
}

void GridModel::clearFilters()
{
    if (m_filters.empty())
        return;
    m_filters.clear();
    reorder();
}

std::optional<FilterCondition> GridModel::filter(int column) const
{
    auto it = m_filters.find(column);
    if (it == m_filters.end())
        return std::nullopt;
    return it->second;
}

QString GridModel::displayText(int viewRow, int column) const
{
    const Field *f = fieldOf(column);
    const int r = dataRow(viewRow);
    if (!f || r < 0)
        return {};
    return f->displayTextAt(r);
}

int GridModel::findPrefix(int column, const QString &prefix, int from) const
{
    const Field *f = fieldOf(column);
    const int n = int(m_rows.size());
    if (!f || n == 0 || prefix.isEmpty())
        return -1;
    const QString folded = foldTurkish(prefix);
    from = std::clamp(from, 0, n - 1);
    const bool plainText = isStringType(f->dataType());
    const Column &c = f->column();
    for (int i = 0; i < n; ++i) {
        const int vr = (from + i) % n;
        const int r = dataRow(vr);
        if (r < 0 || f->isNull(r))
            continue;
        if (plainText ? startsWithFolded(c.texts[std::size_t(r)], folded)
                      : startsWithFolded(f->displayTextAt(r), folded))
            return vr;
    }
    return -1;
}

QStringList GridModel::distinctTexts(int column, int limit) const
{
    const Field *f = fieldOf(column);
    if (!f)
        return {};
    QSet<QString> seen;
    QStringList out;
    const int count = m_bound ? m_bound->recordCount() : 0;
    for (int r : m_rows) {
        if (r >= count || f->isNull(r))
            continue;
        const QString t = f->displayTextAt(r);
        if (t.trimmed().isEmpty() || seen.contains(t))
            continue;
        seen.insert(t);
        out << t;
        if (out.size() >= limit)
            break;
    }
    std::sort(out.begin(), out.end(), [](const QString &a, const QString &b) {
        return turkishSortKey(a) < turkishSortKey(b);
    });
    return out;
}

bool GridModel::isChecked(const Field *f, int row, const GridColumn &c) const
{
    if (f->isNull(row))
        return false;
    if (isStringType(f->dataType()))
        return f->stringAt(row) == c.checkedValue.toString();
    if (isIntegerType(f->dataType()))
        return f->intAt(row) == c.checkedValue.toLongLong();
    return f->doubleAt(row) == c.checkedValue.toDouble();
}

bool GridModel::toggleCheck(const QModelIndex &index)
{
    if (!index.isValid())
        return false;
    const GridColumn &c = m_columns[index.column()];
    const Field *f = fieldOf(index.column());
    const int r = dataRow(index.row());
    if (c.kind != CellKind::CheckBox || !c.onToggle || !f || r < 0)
        return false;
    c.onToggle(r, isChecked(f, r, c) ? c.uncheckedValue : c.checkedValue);
    return true;
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QPixmap GridModel::pictureAt(int dataRow) const
{
    if (QPixmap *cached = m_pictures.object(dataRow))
        return *cached;
    QPixmap pm;
    const Field *f = nullptr;
    for (int i = 0; i < m_columns.size() && !f; ++i)
        if (m_columns[i].kind == CellKind::Image)
            f = fieldOf(i);
    if (f && !f->isNull(dataRow))
        pm = QPixmap::fromImage(QImage::fromData(f->bytesAt(dataRow)));
    m_pictures.insert(dataRow, new QPixmap(pm));
    return pm;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= m_columns.size())
        return {};
    const GridColumn &c = m_columns[index.column()];
    const int r = dataRow(index.row());
    const Field *f = r >= 0 ? fieldOf(index.column()) : nullptr;
    switch (role) {
    case Qt::DisplayRole:
        if (!f || c.kind == CellKind::Icon || c.kind == CellKind::Image || c.kind == CellKind::CheckBox)
            return {};
        return f->displayTextAt(r);
    case Qt::EditRole:
    case RawValueRole:
        return f ? f->value(r) : QVariant();
    case DataRowRole:
        return r;
    case Qt::TextAlignmentRole: {
        const Qt::Alignment v = c.kind == CellKind::Memo ? Qt::AlignTop : Qt::AlignVCenter;
        return int((c.alignment & Qt::AlignHorizontal_Mask) | v);
    }
    case Qt::DecorationRole:
        if (!f || f->isNull(r))
            return {};
        if (c.kind == CellKind::Icon && c.images) {
            if (const IconEntry *e = c.iconFor(f->intAt(r)))
                return c.images->image(e->imageIndex);
            return {};
        }
        if (c.kind == CellKind::Image)
            return pictureAt(r);
        return {};
    case Qt::ToolTipRole:
        if (f && c.kind == CellKind::Icon && !f->isNull(r))
            if (const IconEntry *e = c.iconFor(f->intAt(r)))
                return e->description;
        return {};
    case Qt::CheckStateRole:
        if (f && c.kind == CellKind::CheckBox)
            return isChecked(f, r, c) ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !(flags(index) & Qt::ItemIsUserCheckable))
        return false;
    const bool wantChecked = value.toInt() == Qt::Checked;
    const bool isOn = data(index, Qt::CheckStateRole).toInt() == Qt::Checked;
    if (wantChecked == isOn)
        return true;
    return toggleCheck(index);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= m_columns.size())
        return {};
    switch (role) {
    case Qt::DisplayRole: return m_columns[section].caption;
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    default: return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridColumn &c = m_columns[index.column()];
    if (m_checkable && c.kind == CellKind::CheckBox && c.onToggle)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

}  // namespace varo

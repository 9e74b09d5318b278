#pragma once

#include "grid/gridcolumn.h"
#include "grid/gridfilter.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QPixmap>
#include <QPointer>

#include <map>
#include <optional>
#include <vector>

namespace varo {

class DataSet;
class Field;

// What binds a view to a data set. Detaching a view (giving it no source)
// lets a background task fill the data set without the view looking at it.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(DataSet *dataSet = nullptr, QObject *parent = nullptr);
    DataSet *dataSet() const { return m_dataSet; }
    void setDataSet(DataSet *ds);

signals:
    void dataSetChanged();

private:
    QPointer<DataSet> m_dataSet;
};

// A table model that reads its cells straight from the columns of a data set.
// Sorting and filtering keep a vector of data set row numbers in view order;
// there are no per-row or per-cell objects.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Roles {
        RawValueRole = Qt::UserRole + 1,  // the field's value as it is stored
        DataRowRole,                       // the data set row behind a view row
    };

    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    // Columns.
    void setColumns(QList<GridColumn> columns);
    const QList<GridColumn> &columns() const { return m_columns; }
    const GridColumn &column(int c) const { return m_columns[c]; }
    GridColumn &column(int c) { return m_columns[c]; }
    int columnIndex(const QString &field) const;  // case-insensitive, -1 when missing
    const Field *fieldOf(int column) const;        // nullptr when the data set lacks it

    // Binding.
    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_source; }
    DataSet *dataSet() const;  // nullptr when detached

    // While an update is open, changes of the data set are collected and
    // shown once by endUpdate.
    void beginUpdate();
    void endUpdate();
    bool isUpdating() const { return m_updateDepth > 0; }

    // Rows in view order.
    int dataRow(int viewRow) const;
    int viewRow(int dataRow) const;  // -1 when the row is filtered out or missing
    const std::vector<int> &viewRows() const { return m_rows; }

    // Sorting (column -1: data set order).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Header filters, one condition per column, all of them must hold.
    void setFilter(int column, const FilterCondition &cond);
    void clearFilter(int column);
    void clearFilters();
    std::optional<FilterCondition> filter(int column) const;
    bool hasFilters() const { return !m_filters.empty(); }

    // Display text and searching.
    QString displayText(int viewRow, int column) const;
    // First view row from `from` on (wrapping) whose text in `column` starts
    // with `prefix`, ignoring case; -1 when none.
    int findPrefix(int column, const QString &prefix, int from = 0) const;
    // Distinct display texts of a column over all rows, sorted, at most `limit`.
    QStringList distinctTexts(int column, int limit = 500) const;

    // Check-box cells: asks the column's owner to store the other value.
    // Columns that declare onToggle opt in to this even in a read-only view;
    // setCheckable(false) switches every toggle off.
    bool toggleCheck(const QModelIndex &index);
    void setCheckable(bool on) { m_checkable = on; }

    // QAbstractItemModel.
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // Rows were rebuilt: reset, sorted or filtered. Footers recompute on it.
    void rowsRebuilt();

private:
    void attach();
    void detach();
    void rebuild();          // full reset from the data set
    void reorder();          // re-sort and re-filter the current data
    void applySortAndFilter();
    void onDataReset();
    void onRowChanged(int row);
    void resolveFields();
    QPixmap pictureAt(int dataRow) const;
    bool isChecked(const Field *f, int row, const GridColumn &c) const;

    QList<GridColumn> m_columns;
    std::vector<const Field *> m_fields;  // per column
    QPointer<DataSource> m_source;
    QPointer<DataSet> m_bound;
    QList<QMetaObject::Connection> m_connections;
    std::vector<int> m_rows;             // data set rows in view order
    mutable std::vector<int> m_inverse;  // data row -> view row, built on demand
    mutable bool m_inverseValid = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::map<int, FilterCondition> m_filters;
    int m_updateDepth = 0;
    bool m_pendingReset = false;
    bool m_checkable = true;
    mutable QCache<int, QPixmap> m_pictures;
};

}  // namespace varo

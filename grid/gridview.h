#pragma once

#include "grid/columnwidths.h"
#include "grid/gridcolumn.h"
#include "grid/gridmodel.h"
#include "grid/gridsummary.h"
#include "protocol/dataset.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>

#include <memory>

namespace varo {

class GridView;
class GridFooter;

// Header of a grid: draws a filter button on each section when header
// filters are on and reports clicks on it.
class GridHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GridHeader(QWidget *parent = nullptr);
    void setFilterButtons(bool on);
    bool filterButtons() const { return m_filterButtons; }
    QRect filterButtonRect(int logicalIndex) const;

signals:
    void filterButtonClicked(int logicalIndex);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *e) override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    bool m_filterButtons = false;
};

// The table part of a grid.
class GridTable : public QTableView {
    Q_OBJECT
public:
    explicit GridTable(GridView *owner);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    GridView *m_owner;
};

// A grid: a table view bound to a data set through a data source, with
// declared columns, header filters, a column menu, incremental search and a
// footer of summaries. Features declare columns and options and otherwise
// talk to it in rows of the data set:
//
//   grid->setObjectName("cxGridDBTableView5");
//   grid->setColumns({col("BARKOD", "Barkod", 2), col("OEM1", "Oem1", 2).hidden(),
//                     col("DURUM", "Durum").iconCell(&stateImages(), stockStateIcons())});
//   grid->setSummaries({{"BARKOD", SummaryKind::Count}});
//   // a background load:
//   grid->setDataSource(nullptr); grid->beginUpdate();  ...fill...
//   grid->setDataSource(source); grid->endUpdate();
//   grid->applyWidthRule(ColumnWidthRule::bestFitOnSmallScreens(30));
//   int stokNo = grid->focusedValue("STOK_STOKNO").toInt();
class GridView : public QWidget {
    Q_OBJECT
public:
    explicit GridView(QWidget *parent = nullptr);
    ~GridView() override;

    // Columns.
    void setColumns(QList<GridColumn> columns);
    const QList<GridColumn> &columns() const { return m_model->columns(); }
    int columnIndex(const QString &field) const { return m_model->columnIndex(field); }
    void setColumnVisible(const QString &field, bool visible);
    bool isColumnVisible(const QString &field) const;
    void setColumnCustomizable(const QString &field, bool offered);
    bool isColumnCustomizable(const QString &field) const;
    void setColumnWidth(const QString &field, int width);
    int columnWidth(const QString &field) const;
    // Shows (or hides) a column and offers it in customization (or not), as
    // the visibility rules after login do.
    void showColumn(const QString &field, bool shown);

    // Binding.
    void setDataSource(DataSource *source);  // nullptr detaches
    DataSource *dataSource() const { return m_model->dataSource(); }
    DataSet *dataSet() const { return m_model->dataSet(); }
    // An unbound view keeps its rows in a data set of its own.
    DataSet *makeUnbound(const QList<FieldDef> &fields);

    void beginUpdate();
    void endUpdate();
    bool isUpdating() const { return m_updateDepth > 0; }

    // Options.
    void setReadOnly(bool on);
    bool isReadOnly() const { return m_readOnly; }
    void setRowSelect(bool on);
    void setFocusRectVisible(bool on);
    void setDataRowHeight(int pixels);
    int dataRowHeight() const;
    void setHeaderHeight(int pixels);
    void setHeaderVisible(bool on);
    void setRowIndicatorVisible(bool on);
    void setSortingAllowed(bool on);
    bool sortingAllowed() const { return m_sortingAllowed; }
    void setIncrementalSearch(bool on) { m_incrementalSearch = on; }
    void setHeaderFilters(bool on);
    void setQuickCustomization(bool on) { m_quickCustomization = on; }
    void setColumnMenus(bool on) { m_columnMenus = on; }
    void setFooterVisible(bool on);
    bool isFooterVisible() const;
    void setColumnAutoWidth(bool on);
    void setPixelScrolling(bool on);
    void setGridFont(const QFont &font);

    // Sorting and filtering by field name.
    void sortBy(const QString &field, Qt::SortOrder order = Qt::AscendingOrder);
    void clearSorting();
    void setColumnFilter(const QString &field, const FilterCondition &cond);
    void clearColumnFilter(const QString &field);
    void clearFilters();

    // Rows and the focused record, read through the view.
    int rowCount() const { return m_model->rowCount(); }
    int dataRow(int viewRow) const { return m_model->dataRow(viewRow); }
    int focusedRow() const;      // view row, -1 when none
    int focusedDataRow() const;  // data set row, -1 when none
    bool hasFocusedRecord() const { return focusedDataRow() >= 0; }
    QVariant focusedValue(const QString &field) const;  // invalid when no record is focused
    QString focusedColumnField() const;
    QString focusedColumnCaption() const;
    void setFocusedRow(int viewRow);
    QVariant value(int viewRow, const QString &field) const;
    // Toggles the focused cell when it is a check box with a toggle handler.
    bool toggleFocusedCheck();
    QString displayText(int viewRow, const QString &field) const;

    // Incremental search: focuses the first row from the focused one whose
    // focused column starts with the text. Returns false when none does.
    bool incrementalSearch(const QString &text);
    QString searchText() const { return m_searchText; }
    void clearSearch() { m_searchText.clear(); }

    // Column widths.
    void applyWidthRule(const ColumnWidthRule &rule, int screenWidth = -1);
    void bestFitColumns();
    void bestFitColumn(int column);
    int bestFitWidth(int column) const;

    // Footer summaries.
    void setSummaries(QList<SummaryItem> items);
    FooterSummary &summary() { return m_summary; }
    const FooterSummary &summary() const { return m_summary; }
    void recomputeSummaries();
    QString footerText(const QString &columnField) const;  // texts of the items under it, joined

    GridModel *model() const { return m_model; }
    GridTable *table() const { return m_table; }
    GridHeader *header() const { return m_header; }

    // Fills the column menu of a header section: sorting, best fit and the
    // quick customization of the offered columns.
    void populateColumnMenu(QMenu &menu, int column);

    // Fills the drop-down of a header filter button: all, custom, "(Boş)",
    // "(Boş Olmayanlar)" and the values found in the column.
    void populateFilterMenu(QMenu &menu, int column);

    // The stock list's variant of the width rule: the margin is the height of
    // a horizontal scroll bar plus 10, with no screen test.
    ColumnWidthRule scrollBarMarginRule() const;

    // Column menu texts.
    static QString textSortAscending();
    static QString textSortDescending();
    static QString textClearSorting();
    static QString textBestFit();

signals:
    void focusedRecordChanged(int dataRow);
    void rowDoubleClicked(int dataRow);
    void resized();

protected:
    void resizeEvent(QResizeEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    friend class GridTable;
    void syncColumnsToTable();
    void onCurrentChanged(const QModelIndex &current, const QModelIndex &previous);
    void onCursorMoved(int row);
    void onRowsRebuilt();
    void connectCursor();
    void showHeaderMenu(const QPoint &pos);
    void showFilterMenu(int column);
    void showCustomFilterDialog(int column);
    bool handleSearchKey(QKeyEvent *e);
    void applyAutoWidth();
    int searchColumn() const;

    GridModel *m_model;
    GridTable *m_table;
    GridHeader *m_header;
    GridFooter *m_footer;
    FooterSummary m_summary;
    std::unique_ptr<DataSet> m_unboundSet;
    DataSource *m_unboundSource = nullptr;
    QMetaObject::Connection m_cursorConn;
    int m_updateDepth = 0;
    bool m_sortingAllowed = true;
    bool m_incrementalSearch = false;
    bool m_quickCustomization = true;
    bool m_columnMenus = true;
    bool m_focusRect = true;
    bool m_autoWidth = false;
    bool m_readOnly = true;
    bool m_syncingCursor = false;
    int m_lastFocusedDataRow = -2;
    QString m_searchText;
    QElapsedTimer m_searchClock;
};

}  // namespace varo

#include "gridview.h"

#include "grid/imagelist.h"
#include "protocol/dataset.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QWidgetAction>
#include <QMenu>
#include <QPushButton>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace varo {

namespace {
constexpr int kFilterButtonWidth = 14;
}

// ---------------------------------------------------------------------------
// Header

GridHeader::GridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::Alignment(int(Qt::AlignCenter) | int(Qt::TextWordWrap)));
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void GridHeader::setFilterButtons(bool on)
{
    m_filterButtons = on;
    viewport()->update();
}

QRect GridHeader::filterButtonRect(int logicalIndex) const
{
    const int x = sectionViewportPosition(logicalIndex);
    const int w = sectionSize(logicalIndex);
    if (w < kFilterButtonWidth + 4)
        return {};
    return QRect(x + w - kFilterButtonWidth - 2, 0, kFilterButtonWidth, height());
}

QSize GridHeader::sectionSizeFromContents(int logicalIndex) const
{
    QSize s = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (m_filterButtons)
        s.rwidth() += kFilterButtonWidth + 2;
    return s;
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    // Drawn here rather than by the style so that captions wrap onto a
    // second line and leave room for the filter button.
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.orientation = Qt::Horizontal;
    if (isEnabled())
        opt.state |= QStyle::State_Enabled;
    if (window()->isActiveWindow())
        opt.state |= QStyle::State_Active;
    const bool sorted = isSortIndicatorShown() && sortIndicatorSection() == logicalIndex;
    opt.sortIndicator = !sorted ? QStyleOptionHeader::None
        : sortIndicatorOrder() == Qt::AscendingOrder ? QStyleOptionHeader::SortDown
                                                      : QStyleOptionHeader::SortUp;
    const int visual = visualIndex(logicalIndex);
    opt.position = count() == 1 ? QStyleOptionHeader::OnlyOneSection
        : visual == 0 ? QStyleOptionHeader::Beginning
        : visual == count() - 1 ? QStyleOptionHeader::End
                                 : QStyleOptionHeader::Middle;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);

    QRect textRect = rect.adjusted(3, 1, -3, -1);
    const bool button = m_filterButtons && rect.width() >= kFilterButtonWidth + 4;
    if (button)
        textRect.setRight(textRect.right() - kFilterButtonWidth);
    if (sorted) {
        // The sort mark sits at the top centre, above the caption.
        QStyleOptionHeader arrow = opt;
        arrow.rect = QRect(rect.center().x() - 4, rect.top() + 1, 9, 6);
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, painter, this);
        textRect.setTop(textRect.top() + 5);
    }
    const QString caption = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->setFont(font());
    const QFontMetrics fm(font());
    bool fits = true;
    for (const QString &word : caption.split(u' ', Qt::SkipEmptyParts))
        fits = fits && fm.horizontalAdvance(word) <= textRect.width();
    if (fits)
        painter->drawText(textRect, int(Qt::AlignCenter) | Qt::TextWordWrap, caption);
    else  // a word longer than the column cannot wrap: cut it with an ellipsis
        painter->drawText(textRect, int(Qt::AlignCenter), fm.elidedText(caption, Qt::ElideRight, textRect.width()));

    if (button) {
        const auto *gm = qobject_cast<const GridModel *>(model());
        const bool active = gm && gm->filter(logicalIndex).has_value();
        const QRect r(rect.right() - kFilterButtonWidth - 1, rect.top(), kFilterButtonWidth, rect.height());
        painter->setRenderHint(QPainter::Antialiasing);
        const QPointF c = QRectF(r).center();
        QPolygonF tri;
        tri << QPointF(c.x() - 4, c.y() - 2) << QPointF(c.x() + 4, c.y() - 2) << QPointF(c.x(), c.y() + 3);
        painter->setPen(Qt::NoPen);
        painter->setBrush(active ? QColor(0x1f, 0x5f, 0xbf) : palette().color(QPalette::Mid));
        painter->drawPolygon(tri);
    }
    painter->restore();
}

void GridHeader::mousePressEvent(QMouseEvent *e)
{
    if (m_filterButtons && e->button() == Qt::LeftButton) {
        const int logical = logicalIndexAt(e->position().toPoint());
        if (logical >= 0 && filterButtonRect(logical).contains(e->position().toPoint())) {
            emit filterButtonClicked(logical);
            return;  // not a sort click
        }
    }
    QHeaderView::mousePressEvent(e);
}

// ---------------------------------------------------------------------------
// Cell painting

namespace {

class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(GridModel *model, bool *focusRect, QObject *parent)
        : QStyledItemDelegate(parent), m_model(model), m_focusRect(focusRect)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        if (!*m_focusRect)
            opt.state &= ~QStyle::State_HasFocus;
        const CellKind kind = m_model->column(index.column()).kind;
        if (kind == CellKind::Label || kind == CellKind::Memo) {
            QStyledItemDelegate::paint(painter, opt, index);
            return;
        }
        // Icons, pictures and check boxes are drawn centred and without text.
        initStyleOption(&opt, index);
        opt.text.clear();
        opt.icon = QIcon();
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        opt.features &= ~QStyleOptionViewItem::HasDecoration;
        const QWidget *w = option.widget;
        QStyle *style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        const QRect cell = option.rect.adjusted(1, 1, -1, -1);
        if (kind == CellKind::CheckBox) {
            QStyleOptionViewItem box = option;
            const int ind = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, w);
            box.rect = QRect(cell.center().x() - ind / 2, cell.center().y() - ind / 2, ind, ind);
            box.state = option.state & ~QStyle::State_HasFocus;
            const int st = index.data(Qt::CheckStateRole).toInt();
            box.state |= st == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
            if (!(index.flags() & Qt::ItemIsUserCheckable))
                box.state &= ~QStyle::State_Enabled;
            style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, w);
            return;
        }
        const QPixmap pm = index.data(Qt::DecorationRole).value<QPixmap>();
        if (pm.isNull())
            return;
        QSizeF size = pm.deviceIndependentSize();
        if (size.width() > cell.width() || size.height() > cell.height())
            size.scale(cell.size(), Qt::KeepAspectRatio);
        const QRectF target(QPointF(cell.center().x() - size.width() / 2.0 + 0.5,
                                    cell.center().y() - size.height() / 2.0 + 0.5),
                            size);
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(target, pm, QRectF(pm.rect()));
        painter->restore();
    }

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        if (!(index.flags() & Qt::ItemIsUserCheckable))
            return false;
        bool toggle = false;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(event);
            toggle = me->button() == Qt::LeftButton && option.rect.contains(me->position().toPoint());
        } else if (event->type() == QEvent::KeyPress) {
            toggle = static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space;
        }
        if (!toggle)
            return false;
        const int st = index.data(Qt::CheckStateRole).toInt();
        return model->setData(index, st == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

private:
    GridModel *m_model;
    bool *m_focusRect;
};

}  // namespace

// ---------------------------------------------------------------------------
// Footer

class GridFooter : public QWidget {
public:
    GridFooter(GridView *view) : QWidget(view), m_view(view)
    {
        setAutoFillBackground(true);
        updateHeight();
    }

    void updateHeight() { setFixedHeight(fontMetrics().height() + 10); }

protected:
    void changeEvent(QEvent *e) override
    {
        if (e->type() == QEvent::FontChange)
            updateHeight();
        QWidget::changeEvent(e);
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(rect().topLeft(), rect().topRight());
        const GridTable *t = m_view->table();
        const GridHeader *h = m_view->header();
        const FooterSummary &s = m_view->summary();
        const int offset = t->frameWidth() + (t->verticalHeader()->isVisible() ? t->verticalHeader()->width() : 0);
        p.setPen(palette().color(QPalette::WindowText));
        for (int c = 0; c < m_view->columns().size(); ++c) {
            if (h->isSectionHidden(c))
                continue;
            QStringList texts;
            for (int i = 0; i < s.count(); ++i)
                if (s.items()[i].column.compare(m_view->columns()[c].field, Qt::CaseInsensitive) == 0)
                    texts << s.text(i);
            if (texts.isEmpty())
                continue;
            const QRect cell(offset + h->sectionViewportPosition(c), 0, h->sectionSize(c), height());
            const QRect box = cell.adjusted(3, 3, -3, -3);
            p.setPen(palette().color(QPalette::Mid));
            p.drawRect(box);
            p.setPen(palette().color(QPalette::WindowText));
            const Qt::Alignment a = m_view->columns()[c].alignment & Qt::AlignHorizontal_Mask;
            p.drawText(box.adjusted(3, 0, -3, 0), int(a ? a : Qt::AlignLeft) | Qt::AlignVCenter, texts.join(u' '));
        }
    }

private:
    GridView *m_view;
};

// ---------------------------------------------------------------------------
// Table

GridTable::GridTable(GridView *owner) : QTableView(owner), m_owner(owner) {}

void GridTable::keyPressEvent(QKeyEvent *e)
{
    if (m_owner->handleSearchKey(e))
        return;
    QTableView::keyPressEvent(e);
}

void GridTable::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    m_owner->onCurrentChanged(current, previous);
}

void GridTable::mouseDoubleClickEvent(QMouseEvent *e)
{
    QTableView::mouseDoubleClickEvent(e);
    const QModelIndex idx = indexAt(e->position().toPoint());
    if (idx.isValid() && e->button() == Qt::LeftButton)
        emit m_owner->rowDoubleClicked(m_owner->dataRow(idx.row()));
}

// ---------------------------------------------------------------------------
// Grid

GridView::GridView(QWidget *parent)
    : QWidget(parent), m_model(new GridModel(this)), m_table(new GridTable(this)), m_header(new GridHeader(m_table))
{
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    m_table->setHorizontalHeader(m_header);
    m_table->setModel(m_model);
    m_table->setItemDelegate(new GridDelegate(m_model, &m_focusRect, m_table));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setWordWrap(true);
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_header->setSectionsMovable(true);
    m_header->setSortIndicatorShown(true);
    m_header->setSortIndicatorClearable(true);
    m_header->setSortIndicator(-1, Qt::AscendingOrder);
    m_footer = new GridFooter(this);
    lay->addWidget(m_table, 1);
    lay->addWidget(m_footer);
    m_footer->hide();

    connect(m_header, &QHeaderView::sectionClicked, this, [this](int logical) {
        if (!m_sortingAllowed)
            return;
        Qt::SortOrder order = Qt::AscendingOrder;
        if (m_model->sortColumn() == logical)
            order = m_model->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        m_model->sort(logical, order);
    });
    connect(m_header, &GridHeader::filterButtonClicked, this, &GridView::showFilterMenu);
    connect(m_header, &QWidget::customContextMenuRequested, this, &GridView::showHeaderMenu);
    connect(m_header, &QHeaderView::sectionResized, m_footer, qOverload<>(&QWidget::update));
    connect(m_header, &QHeaderView::sectionMoved, m_footer, qOverload<>(&QWidget::update));
    connect(m_table->horizontalScrollBar(), &QScrollBar::valueChanged, m_footer, qOverload<>(&QWidget::update));
    connect(m_model, &GridModel::rowsRebuilt, this, &GridView::onRowsRebuilt);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] {
        if (m_model->sortColumn() < 0)
            m_header->setSortIndicator(-1, Qt::AscendingOrder);
        else
            m_header->setSortIndicator(m_model->sortColumn(), m_model->sortOrder());
        // The focused record keeps the focus wherever sorting put it.
        if (m_table->currentIndex().isValid())
            m_table->scrollTo(m_table->currentIndex());
    });
    setDataRowHeight(24);
    m_table->viewport()->installEventFilter(this);
}

GridView::~GridView() = default;

QString GridView::textSortAscending() { return QStringLiteral("Sırala (Artan)"); }
QString GridView::textSortDescending() { return QStringLiteral("Sırala (Azalan)"); }
QString GridView::textClearSorting() { return QStringLiteral("Sıralamayı Kaldır"); }
QString GridView::textBestFit() { return QStringLiteral("En uygun genişlik"); }

void GridView::setColumns(QList<GridColumn> columns)
{
    m_model->setColumns(std::move(columns));
    syncColumnsToTable();
}

void GridView::syncColumnsToTable()
{
    const auto &cols = m_model->columns();
    for (int i = 0; i < cols.size(); ++i) {
        m_table->setColumnHidden(i, !cols[i].visible);
        m_header->resizeSection(i, cols[i].width);
    }
    if (m_autoWidth)
        applyAutoWidth();
}

void GridView::setColumnVisible(const QString &field, bool visible)
{
    const int c = columnIndex(field);
    if (c < 0)
        return;
    m_model->column(c).visible = visible;
    m_table->setColumnHidden(c, !visible);
    if (visible && m_header->sectionSize(c) == 0)
        m_header->resizeSection(c, std::max(m_model->column(c).width, 20));
    if (m_autoWidth)
        applyAutoWidth();
    m_footer->update();
}

bool GridView::isColumnVisible(const QString &field) const
{
    const int c = columnIndex(field);
    return c >= 0 && !m_table->isColumnHidden(c);
}

void GridView::setColumnCustomizable(const QString &field, bool offered)
{
    const int c = columnIndex(field);
    if (c >= 0)
        m_model->column(c).customizable = offered;
}

bool GridView::isColumnCustomizable(const QString &field) const
{
    const int c = columnIndex(field);
    return c >= 0 && m_model->column(c).customizable;
}

void GridView::showColumn(const QString &field, bool shown)
{
    setColumnVisible(field, shown);
    setColumnCustomizable(field, shown);
}

void GridView::setColumnWidth(const QString &field, int width)
{
    const int c = columnIndex(field);
    if (c < 0)
        return;
    m_model->column(c).width = width;
    m_header->resizeSection(c, width);
}

int GridView::columnWidth(const QString &field) const
{
    const int c = columnIndex(field);
    return c < 0 ? 0 : m_header->sectionSize(c);
}

void GridView::connectCursor()
{
    disconnect(m_cursorConn);
    if (DataSet *ds = m_model->dataSet())
        m_cursorConn = connect(ds, &DataSet::cursorMoved, this, &GridView::onCursorMoved);
}

void GridView::setDataSource(DataSource *source)
{
    m_model->setDataSource(source);
    connectCursor();
}

DataSet *GridView::makeUnbound(const QList<FieldDef> &fields)
{
    if (!m_unboundSet) {
        m_unboundSet = std::make_unique<DataSet>();
        m_unboundSource = new DataSource(m_unboundSet.get(), this);
    }
    m_unboundSet->setFieldDefs(fields);
    m_unboundSet->open();
    setDataSource(m_unboundSource);
    return m_unboundSet.get();
}

void GridView::beginUpdate()
{
    if (m_updateDepth++ == 0)
        m_table->setUpdatesEnabled(false);
    m_model->beginUpdate();
}

void GridView::endUpdate()
{
    if (m_updateDepth == 0)
        return;
    m_model->endUpdate();
    if (--m_updateDepth == 0) {
        m_table->setUpdatesEnabled(true);
        connectCursor();
        m_table->viewport()->update();
        m_footer->update();
    }
}

void GridView::setReadOnly(bool on)
{
    // Nothing in a grid is edited in place; the only exception, check boxes
    // whose column declares a toggle handler, is the column's own choice.
    m_readOnly = on;
}

bool GridView::toggleFocusedCheck()
{
    return m_model->toggleCheck(m_table->currentIndex());
}

void GridView::setRowSelect(bool on)
{
    m_table->setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void GridView::setFocusRectVisible(bool on)
{
    m_focusRect = on;
    m_table->viewport()->update();
}

void GridView::setDataRowHeight(int pixels)
{
    m_table->verticalHeader()->setMinimumSectionSize(std::min(pixels, 8));
    m_table->verticalHeader()->setDefaultSectionSize(pixels);
}

int GridView::dataRowHeight() const
{
    return m_table->verticalHeader()->defaultSectionSize();
}

void GridView::setHeaderHeight(int pixels)
{
    m_header->setFixedHeight(pixels);
}

void GridView::setHeaderVisible(bool on)
{
    m_header->setVisible(on);
}

void GridView::setRowIndicatorVisible(bool on)
{
    m_table->verticalHeader()->setVisible(on);
}

void GridView::setSortingAllowed(bool on)
{
    m_sortingAllowed = on;
    m_header->setSortIndicatorShown(on);
    if (!on && m_model->sortColumn() >= 0)
        m_model->sort(-1);
}

void GridView::setHeaderFilters(bool on)
{
    m_header->setFilterButtons(on);
}

void GridView::setFooterVisible(bool on)
{
    m_footer->setVisible(on);
}

bool GridView::isFooterVisible() const
{
    return !m_footer->isHidden();
}

void GridView::setColumnAutoWidth(bool on)
{
    m_autoWidth = on;
    m_table->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    if (on)
        applyAutoWidth();
}

void GridView::setPixelScrolling(bool on)
{
    m_table->setVerticalScrollMode(on ? QAbstractItemView::ScrollPerPixel : QAbstractItemView::ScrollPerItem);
}

void GridView::setGridFont(const QFont &font)
{
    m_table->setFont(font);
    m_footer->setFont(font);
    m_header->setFont(font);
}

void GridView::applyAutoWidth()
{
    const auto &cols = m_model->columns();
    int total = 0;
    for (int i = 0; i < cols.size(); ++i)
        if (!m_table->isColumnHidden(i))
            total += std::max(cols[i].width, 1);
    const int room = m_table->viewport()->width();
    if (total <= 0 || room <= 0)
        return;
    int used = 0, last = -1;
    for (int i = 0; i < cols.size(); ++i) {
        if (m_table->isColumnHidden(i))
            continue;
        const int w = int(qint64(std::max(cols[i].width, 1)) * room / total);
        m_header->resizeSection(i, w);
        used += w;
        last = i;
    }
    if (last >= 0 && used < room)  // rounding leftovers go to the last column
        m_header->resizeSection(last, m_header->sectionSize(last) + room - used);
}

void GridView::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    emit resized();
}

bool GridView::eventFilter(QObject *watched, QEvent *e)
{
    // The room for automatic widths is the table's viewport, known only once
    // the table has laid out its scroll bars.
    if (watched == m_table->viewport() && e->type() == QEvent::Resize && m_autoWidth)
        applyAutoWidth();
    return QWidget::eventFilter(watched, e);
}

// Sorting and filtering.

void GridView::sortBy(const QString &field, Qt::SortOrder order)
{
    const int c = columnIndex(field);
    if (c >= 0)
        m_model->sort(c, order);
}

void GridView::clearSorting()
{
    m_model->sort(-1);
}

void GridView::setColumnFilter(const QString &field, const FilterCondition &cond)
{
    const int c = columnIndex(field);
    if (c >= 0)
        m_model->setFilter(c, cond);
}

void GridView::clearColumnFilter(const QString &field)
{
    const int c = columnIndex(field);
    if (c >= 0)
        m_model->clearFilter(c);
}

void GridView::clearFilters()
{
    m_model->clearFilters();
}

// Focus.

int GridView::focusedRow() const
{
    const QModelIndex i = m_table->currentIndex();
    return i.isValid() ? i.row() : -1;
}

int GridView::focusedDataRow() const
{
    return m_model->dataRow(focusedRow());
}

QVariant GridView::focusedValue(const QString &field) const
{
    return value(focusedRow(), field);
}

QVariant GridView::value(int viewRow, const QString &field) const
{
    const int c = columnIndex(field);
    const int r = m_model->dataRow(viewRow);
    if (r < 0)
        return {};
    // Fields the grid does not show are still read through the data set.
    const Field *f = c >= 0 ? m_model->fieldOf(c) : nullptr;
    if (!f && m_model->dataSet())
        f = m_model->dataSet()->findField(field);
    return f ? f->value(r) : QVariant();
}

QString GridView::displayText(int viewRow, const QString &field) const
{
    const int r = m_model->dataRow(viewRow);
    const Field *f = m_model->dataSet() ? m_model->dataSet()->findField(field) : nullptr;
    return f && r >= 0 ? f->displayTextAt(r) : QString();
}

QString GridView::focusedColumnField() const
{
    const QModelIndex i = m_table->currentIndex();
    return i.isValid() ? m_model->column(i.column()).field : QString();
}

QString GridView::focusedColumnCaption() const
{
    const QModelIndex i = m_table->currentIndex();
    return i.isValid() ? m_model->column(i.column()).caption : QString();
}

void GridView::setFocusedRow(int viewRow)
{
    if (viewRow < 0 || viewRow >= m_model->rowCount()) {
        m_table->setCurrentIndex({});
        return;
    }
    int col = m_table->currentIndex().isValid() ? m_table->currentIndex().column() : -1;
    if (col < 0 || m_table->isColumnHidden(col)) {
        col = 0;
        while (col < m_model->columnCount() && m_table->isColumnHidden(col))
            ++col;
    }
    const QModelIndex idx = m_model->index(viewRow, std::min(col, m_model->columnCount() - 1));
    m_table->setCurrentIndex(idx);
    m_table->scrollTo(idx);
}

void GridView::onCurrentChanged(const QModelIndex &current, const QModelIndex &)
{
    const int r = current.isValid() ? m_model->dataRow(current.row()) : -1;
    if (r >= 0 && !m_syncingCursor) {
        if (DataSet *ds = m_model->dataSet(); ds && ds->recNo() != r && !ds->controlsDisabled()) {
            m_syncingCursor = true;
            ds->moveTo(r);
            m_syncingCursor = false;
        }
    }
    if (r != m_lastFocusedDataRow) {
        m_lastFocusedDataRow = r;
        emit focusedRecordChanged(r);
    }
}

void GridView::onCursorMoved(int row)
{
    if (m_syncingCursor || isUpdating())
        return;
    const int vr = m_model->viewRow(row);
    if (vr < 0 || vr == focusedRow())
        return;
    m_syncingCursor = true;
    setFocusedRow(vr);
    m_syncingCursor = false;
}

void GridView::onRowsRebuilt()
{
    recomputeSummaries();
    if (isUpdating())
        return;
    // Keep a record focused after a reload, as the data set's cursor says.
    if (!m_table->currentIndex().isValid() && m_model->rowCount() > 0) {
        const DataSet *ds = m_model->dataSet();
        const int vr = ds ? m_model->viewRow(ds->recNo()) : -1;
        m_syncingCursor = true;
        setFocusedRow(vr >= 0 ? vr : 0);
        m_syncingCursor = false;
    } else if (m_model->rowCount() == 0 && m_lastFocusedDataRow != -1) {
        m_lastFocusedDataRow = -1;
        emit focusedRecordChanged(-1);
    } else {
        const int r = focusedDataRow();
        if (r != m_lastFocusedDataRow) {
            m_lastFocusedDataRow = r;
            emit focusedRecordChanged(r);
        }
    }
}

// Incremental search.

int GridView::searchColumn() const
{
    const QModelIndex i = m_table->currentIndex();
    auto textual = [this](int c) {
        const CellKind k = m_model->column(c).kind;
        return !m_table->isColumnHidden(c) && (k == CellKind::Label || k == CellKind::Memo);
    };
    if (i.isValid() && textual(i.column()))
        return i.column();
    for (int v = 0; v < m_header->count(); ++v) {
        const int c = m_header->logicalIndex(v);
        if (textual(c))
            return c;
    }
    return -1;
}

bool GridView::incrementalSearch(const QString &text)
{
    const int c = searchColumn();
    if (c < 0 || text.isEmpty())
        return false;
    const int from = std::max(focusedRow(), 0);
    const int vr = m_model->findPrefix(c, text, from);
    if (vr < 0)
        return false;
    const QModelIndex idx = m_model->index(vr, c);
    m_table->setCurrentIndex(idx);
    m_table->scrollTo(idx);
    return true;
}

bool GridView::handleSearchKey(QKeyEvent *e)
{
    if (!m_incrementalSearch)
        return false;
    if (e->key() == Qt::Key_Escape && !m_searchText.isEmpty()) {
        m_searchText.clear();
        return true;
    }
    if (e->key() == Qt::Key_Backspace && !m_searchText.isEmpty()) {
        m_searchText.chop(1);
        if (!m_searchText.isEmpty())
            incrementalSearch(m_searchText);
        return true;
    }
    const QString t = e->text();
    if (t.isEmpty() || !t.at(0).isPrint() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    // A pause longer than a typist's starts a new search.
    if (!m_searchClock.isValid() || m_searchClock.elapsed() > 1500)
        m_searchText.clear();
    m_searchClock.restart();
    const QString attempt = m_searchText + t;
    if (incrementalSearch(attempt))
        m_searchText = attempt;
    else
        QApplication::beep();
    return true;
}

// Widths.

void GridView::applyWidthRule(const ColumnWidthRule &rule, int screenWidth)
{
    if (screenWidth < 0) {
        const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
        screenWidth = s ? s->geometry().width() : 0;
    }
    const auto &cols = m_model->columns();
    std::vector<WeightedColumn> weights;
    weights.reserve(std::size_t(cols.size()));
    for (int i = 0; i < cols.size(); ++i)
        weights.push_back({cols[i].tag, !m_table->isColumnHidden(i)});
    const WidthPlan plan = planColumnWidths(weights, width(), screenWidth, rule);
    beginUpdate();
    if (plan.bestFit) {
        bestFitColumns();
    } else {
        for (int i = 0; i < cols.size(); ++i)
            if (plan.widths[std::size_t(i)])
                m_header->resizeSection(i, *plan.widths[std::size_t(i)]);
    }
    endUpdate();
}

int GridView::bestFitWidth(int column) const
{
    const GridColumn &c = m_model->column(column);
    const QFontMetrics hfm(m_header->font());
    int w = hfm.horizontalAdvance(c.caption) + 16 + (m_header->filterButtons() ? kFilterButtonWidth + 2 : 0);
    const Field *f = m_model->fieldOf(column);
    if (!f || !m_model->dataSet())
        return w;
    std::vector<int> rows;
    for (int r : m_model->viewRows())
        if (r < m_model->dataSet()->recordCount())
            rows.push_back(r);
    if (rows.empty())
        return w;
    switch (c.kind) {
    case CellKind::Icon:
        return std::max(w, (c.images ? c.images->imageSize().width() : 16) + 10);
    case CellKind::CheckBox:
        return std::max(w, 30);
    case CellKind::Image:
        return std::max(w, c.width);
    default:
        break;
    }
    // Measuring every cell of a long list costs too much; the widest text is
    // among the longest ones (texts) or the largest magnitudes (numbers).
    constexpr std::size_t kCandidates = 24;
    std::vector<int> cand(rows.begin(), rows.end());
    const Column &col = f->column();
    if (isStringType(f->dataType())) {
        auto len = [&](int r) { return f->isNull(r) ? 0 : int(col.texts[std::size_t(r)].size()); };
        const std::size_t k = std::min(kCandidates, cand.size());
        std::partial_sort(cand.begin(), cand.begin() + std::ptrdiff_t(k), cand.end(),
                          [&](int a, int b) { return len(a) > len(b); });
        cand.resize(k);
    } else if (isFloatingType(f->dataType()) || isIntegerType(f->dataType())) {
        auto mag = [&](int r) { return f->isNull(r) ? 0.0 : std::abs(f->doubleAt(r)); };
        const std::size_t k = std::min<std::size_t>(4, cand.size());
        std::partial_sort(cand.begin(), cand.begin() + std::ptrdiff_t(k), cand.end(),
                          [&](int a, int b) { return mag(a) > mag(b); });
        cand.resize(k);
    } else if (cand.size() > kCandidates) {
        cand.resize(kCandidates);
    }
    const QFontMetrics fm(m_table->font());
    for (int r : cand) {
        const QString text = f->displayTextAt(r);
        for (const QString &line : text.split(u'\n'))
            w = std::max(w, fm.horizontalAdvance(line) + 12);
    }
    return w;
}

void GridView::bestFitColumn(int column)
{
    if (column < 0 || column >= m_model->columnCount())
        return;
    m_header->resizeSection(column, bestFitWidth(column));
}

void GridView::bestFitColumns()
{
    for (int i = 0; i < m_model->columnCount(); ++i)
        if (!m_table->isColumnHidden(i))
            bestFitColumn(i);
}

// Footer.

void GridView::setSummaries(QList<SummaryItem> items)
{
    m_summary.setItems(std::move(items));
    recomputeSummaries();
}

void GridView::recomputeSummaries()
{
    m_summary.compute(*m_model);
    m_footer->update();
}

QString GridView::footerText(const QString &columnField) const
{
    QStringList texts;
    for (int i = 0; i < m_summary.count(); ++i)
        if (m_summary.items()[i].column.compare(columnField, Qt::CaseInsensitive) == 0)
            texts << m_summary.text(i);
    return texts.join(u' ');
}

// Menus.

void GridView::populateColumnMenu(QMenu &menu, int c)
{
    if (m_columnMenus && c >= 0 && c < m_model->columnCount()) {
        if (m_sortingAllowed) {
            menu.addAction(textSortAscending(), this, [this, c] { m_model->sort(c, Qt::AscendingOrder); });
            menu.addAction(textSortDescending(), this, [this, c] { m_model->sort(c, Qt::DescendingOrder); });
            QAction *clear = menu.addAction(textClearSorting(), this, [this] { m_model->sort(-1); });
            clear->setEnabled(m_model->sortColumn() >= 0);
            menu.addSeparator();
        }
        menu.addAction(textBestFit(), this, [this, c] { bestFitColumn(c); });
        menu.addAction(textBestFit() + QStringLiteral(" (tüm sütunlar)"), this, [this] { bestFitColumns(); });
    }
    if (m_quickCustomization) {
        QMenu *cols = menu.addMenu(QStringLiteral("Sütunlar"));
        const auto &all = m_model->columns();
        for (int i = 0; i < all.size(); ++i) {
            if (!all[i].customizable)
                continue;
            QAction *a = cols->addAction(all[i].caption.isEmpty() ? all[i].field : all[i].caption);
            a->setCheckable(true);
            a->setChecked(!m_table->isColumnHidden(i));
            a->setData(all[i].field);
            const QString field = all[i].field;
            connect(a, &QAction::toggled, this, [this, field](bool on) { setColumnVisible(field, on); });
        }
        cols->setEnabled(!cols->isEmpty());
    }
}

void GridView::showHeaderMenu(const QPoint &pos)
{
    QMenu menu(this);
    populateColumnMenu(menu, m_header->logicalIndexAt(pos));
    if (!menu.isEmpty())
        menu.exec(m_header->mapToGlobal(pos));
}

void GridView::populateFilterMenu(QMenu &menu, int column)
{
    if (column < 0 || column >= m_model->columnCount())
        return;
    menu.addAction(QStringLiteral("(Tümü)"), this, [this, column] { m_model->clearFilter(column); });
    menu.addAction(QStringLiteral("(Özel...)"), this, [this, column] { showCustomFilterDialog(column); });
    menu.addAction(filterOpText(FilterOp::Blank), this,
                   [this, column] { m_model->setFilter(column, {FilterOp::Blank, {}}); });
    menu.addAction(filterOpText(FilterOp::NonBlank), this,
                   [this, column] { m_model->setFilter(column, {FilterOp::NonBlank, {}}); });
    const GridColumn &c = m_model->column(column);
    if (c.kind == CellKind::Icon) {
        // Icon cells filter by what the icon means.
        menu.addSeparator();
        for (const IconEntry &e : c.icons) {
            const QString value = QString::number(e.value);
            QAction *a = menu.addAction(e.description.isEmpty() ? value : e.description, this,
                                        [this, column, value] { m_model->setFilter(column, {FilterOp::Equal, value}); });
            if (c.images)
                a->setIcon(c.images->image(e.imageIndex));
        }
    } else if (c.kind == CellKind::Label || c.kind == CellKind::Memo) {
        const QStringList values = m_model->distinctTexts(column, 1000);
        if (!values.isEmpty())
            menu.addSeparator();
        if (values.size() <= 20) {
            for (const QString &v : values)
                menu.addAction(v, this, [this, column, v] { m_model->setFilter(column, {FilterOp::Equal, v}); });
        } else {
            // A long list scrolls inside the drop-down instead of filling the screen.
            auto *list = new QListWidget(&menu);
            list->addItems(values);
            list->setFrameShape(QFrame::NoFrame);
            list->setFont(menu.font());
            list->setMinimumWidth(220);
            list->setFixedHeight(std::min(320, list->sizeHintForRow(0) * int(values.size()) + 4));
            auto *holder = new QWidgetAction(&menu);
            holder->setDefaultWidget(list);
            menu.addAction(holder);
            connect(list, &QListWidget::itemClicked, &menu, [this, column, &menu](QListWidgetItem *item) {
                m_model->setFilter(column, {FilterOp::Equal, item->text()});
                menu.close();
            });
        }
    }
}

void GridView::showCustomFilterDialog(int column)
{
    QDialog dlg(this);
    dlg.setWindowTitle(m_model->column(column).caption);
    auto *form = new QFormLayout(&dlg);
    auto *op = new QComboBox(&dlg);
    for (FilterOp o : customFilterOps())
        op->addItem(filterOpText(o), int(o));
    auto *operand = new QLineEdit(&dlg);
    if (auto cur = m_model->filter(column)) {
        op->setCurrentIndex(std::max(0, op->findData(int(cur->op))));
        operand->setText(cur->operand);
    }
    form->addRow(op, operand);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Tamam"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("İptal"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() == QDialog::Accepted)
        m_model->setFilter(column, {FilterOp(op->currentData().toInt()), operand->text()});
}

void GridView::showFilterMenu(int column)
{
    QMenu menu(this);
    populateFilterMenu(menu, column);
    const QRect r = m_header->filterButtonRect(column);
    menu.exec(m_header->mapToGlobal(r.bottomLeft()));
}

ColumnWidthRule GridView::scrollBarMarginRule() const
{
    return ColumnWidthRule::fixedMargin(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 10);
}

}  // namespace varo

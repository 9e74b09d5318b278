#include "grid/columnrules.h"
#include "grid/gridview.h"
#include "grid/imagelist.h"
#include "protocol/dataset.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace varo;

namespace {

// A small stock list: number, name, price, state.
void fillStock(DataSet &ds, const QList<std::tuple<int, QString, double, int>> &rows)
{
    ds.setFieldDefs({{"STOK_STOKNO", FieldType::Int32},
                     {"ADI", FieldType::WideString},
                     {"FIYAT", FieldType::Float},
                     {"DURUM", FieldType::Int32}});
    ds.fieldByName("FIYAT")->setDisplayFormat("#,###,##0.00");
    ds.disableControls();
    for (const auto &[no, name, price, state] : rows) {
        ds.appendRecord();
        ds.fieldByName("STOK_STOKNO")->setValue(no);
        ds.fieldByName("ADI")->setValue(name);
        ds.fieldByName("FIYAT")->setValue(price);
        ds.fieldByName("DURUM")->setValue(state);
    }
    ds.enableControls();
    ds.first();
}

QList<GridColumn> stockColumns()
{
    return {col("STOK_STOKNO").hiddenNotOffered(), col("ADI", "Açıklama", 3), col("FIYAT", "Fiyatı", 2).right(),
            col("DURUM", "Durum", 1).iconCell(&stateImages(), stockStateIcons())};
}

QList<int> viewOrder(const GridView &g)
{
    QList<int> out;
    for (int r = 0; r < g.rowCount(); ++r)
        out << g.value(r, "STOK_STOKNO").toInt();
    return out;
}

}  // namespace

class TstGridView : public QObject {
    Q_OBJECT
private slots:
    void modelPassesTester()
    {
        DataSet ds;
        fillStock(ds, {{1, "B", 1.0, 1}, {2, "A", 2.0, 0}, {3, "C", 3.0, 2}});
        DataSource src(&ds);
        GridModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        m.setColumns(stockColumns());
        m.setDataSource(&src);
        m.sort(1, Qt::DescendingOrder);
        m.setFilter(2, {FilterOp::Greater, "1"});
        m.clearFilters();
        m.sort(-1);
        ds.emptyDataSet();
        m.setDataSource(nullptr);
        QCOMPARE(m.rowCount(), 0);
    }

    void cellsReadStraightFromColumns()
    {
        DataSet ds;
        fillStock(ds, {{7, "FREN", 1234.56, 1}, {8, "DİSK", -0.5, 9}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        GridModel *m = g.model();
        QCOMPARE(m->index(0, 2).data().toString(), QStringLiteral("1.234,56"));
        QCOMPARE(m->index(1, 2).data().toString(), QStringLiteral("-0,50"));
        QCOMPARE(m->index(0, 2).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        // Icon cells: an image, never the description.
        QVERIFY(m->index(0, 3).data(Qt::DisplayRole).isNull());
        QVERIFY(!m->index(0, 3).data(Qt::DecorationRole).value<QPixmap>().isNull());
        QCOMPARE(m->index(0, 3).data(Qt::ToolTipRole).toString(), QStringLiteral("Var"));
        QVERIFY(m->index(1, 3).data(Qt::DecorationRole).isNull());  // value without an icon
        QVERIFY(g.table()->isColumnHidden(0));
    }

    void focusedRecordUnderSortAndFilter_data()
    {
        QTest::addColumn<QString>("sortField");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("filterField");
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("operand");
        QTest::addColumn<QList<int>>("expected");  // STOK_STOKNO in view order

        QTest::newRow("data order") << "" << 0 << "" << 0 << "" << QList<int>{1, 2, 3, 4, 5, 6};
        QTest::newRow("name ascending, turkish alphabet")
            << "ADI" << int(Qt::AscendingOrder) << "" << 0 << "" << QList<int>{3, 5, 2, 6, 4, 1};
        QTest::newRow("name descending") << "ADI" << int(Qt::DescendingOrder) << "" << 0 << ""
                                         << QList<int>{1, 4, 6, 2, 5, 3};
        QTest::newRow("price ascending, ties in data order")
            << "FIYAT" << int(Qt::AscendingOrder) << "" << 0 << "" << QList<int>{6, 2, 4, 1, 3, 5};
        QTest::newRow("filter only") << "" << 0 << "FIYAT" << int(FilterOp::Greater) << "10"
                                     << QList<int>{1, 3, 5};
        QTest::newRow("sort and filter") << "FIYAT" << int(Qt::DescendingOrder) << "ADI"
                                         << int(FilterOp::NotContains) << "ç" << QList<int>{1, 3, 4, 6};
    }
    void focusedRecordUnderSortAndFilter()
    {
        QFETCH(QString, sortField);
        QFETCH(int, order);
        QFETCH(QString, filterField);
        QFETCH(int, op);
        QFETCH(QString, operand);
        QFETCH(QList<int>, expected);

        DataSet ds;
        fillStock(ds, {{1, "ZİL", 50.0, 1},
                       {2, "ÇAM", 5.0, 1},
                       {3, "CAM", 50.0, 0},
                       {4, "IŞIK", 5.0, 2},
                       {5, "ÇA", 500.0, 3},
                       {6, "DAL", 0.5, 4}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        if (!sortField.isEmpty())
            g.sortBy(sortField, Qt::SortOrder(order));
        if (!filterField.isEmpty())
            g.setColumnFilter(filterField, {FilterOp(op), operand});
        QCOMPARE(viewOrder(g), expected);

        // Focusing a view row moves the data set's cursor to the same record
        // and tells about it.
        g.setFocusedRow(0);
        QSignalSpy spy(&g, &GridView::focusedRecordChanged);
        const int last = g.rowCount() - 1;
        g.setFocusedRow(last);
        QCOMPARE(g.focusedValue("STOK_STOKNO").toInt(), expected.last());
        QCOMPARE(ds.fieldByName("STOK_STOKNO")->asInteger(), expected.last());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.constFirst().constFirst().toInt(), ds.recNo());

        // Moving the data set's cursor moves the focus.
        QVERIFY(ds.locate("STOK_STOKNO", expected.first()));
        QCOMPARE(g.focusedRow(), 0);
    }

    void turkishSortOrder()
    {
        DataSet ds;
        const QStringList names{"ÜZÜM", "uçak", "İNCİ", "ıhlamur", "Çam", "cam", "öğle", "ODA", "şeker", "SU", "ğ", "gaz", "", "123"};
        QList<std::tuple<int, QString, double, int>> rows;
        for (int i = 0; i < names.size(); ++i)
            rows.append({i, names[i], 0.0, 0});
        fillStock(ds, rows);
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        g.sortBy("ADI");
        QStringList got;
        for (int r = 0; r < g.rowCount(); ++r)
            got << g.value(r, "ADI").toString();
        QCOMPARE(got, (QStringList{"", "123", "cam", "Çam", "gaz", "ğ", "ıhlamur", "İNCİ", "ODA", "öğle", "SU",
                                   "şeker", "uçak", "ÜZÜM"}));
    }

    void updateCollectsChanges()
    {
        DataSet ds;
        fillStock(ds, {{1, "A", 1.0, 1}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);

        // A load as a background task does it: detached and in an update.
        g.setDataSource(nullptr);
        QCOMPARE(g.rowCount(), 0);
        g.beginUpdate();
        QSignalSpy resets(g.model(), &QAbstractItemModel::modelReset);
        QList<std::tuple<int, QString, double, int>> many;
        for (int i = 0; i < 1000; ++i)
            many.append({i, QString::number(i), double(i), 0});
        fillStock(ds, many);
        g.setDataSource(&src);
        QCOMPARE(resets.size(), 0);
        g.endUpdate();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(g.rowCount(), 1000);

        // A reset while attached and not in an update shows at once.
        ds.emptyDataSet();
        QCOMPARE(g.rowCount(), 0);
        QCOMPARE(g.focusedDataRow(), -1);
        QVERIFY(!g.focusedValue("ADI").isValid());
    }

    // A load that replaces structure and rows while the view waits for the end
    // of its update must not let the view read the old fields.
    void structureReplacedDuringUpdate()
    {
        DataSet ds;
        fillStock(ds, {{1, "A", 1.0, 1}, {2, "B", 2.0, 1}, {3, "C", 3.0, 1}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setSummaries({{"FIYAT", SummaryKind::Sum, {}, {}}});
        g.setDataSource(&src);
        g.sortBy("ADI", Qt::DescendingOrder);
        g.beginUpdate();
        fillStock(ds, {{9, "Z", 9.0, 1}});
        QCOMPARE(g.rowCount(), 3);  // shown once the update ends
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < g.model()->columnCount(); ++c)
                g.model()->index(r, c).data();
        g.recomputeSummaries();
        g.bestFitColumns();
        g.endUpdate();
        QCOMPARE(viewOrder(g), QList<int>{9});
        QCOMPARE(g.footerText("FIYAT"), QStringLiteral("9,00"));
    }

    void dataSetDestroyedDetaches()
    {
        auto *ds = new DataSet;
        fillStock(*ds, {{1, "A", 1.0, 1}});
        DataSource src(ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        QCOMPARE(g.rowCount(), 1);
        delete ds;
        QCOMPARE(g.rowCount(), 0);
    }

    void footerCountAndSum_data()
    {
        QTest::addColumn<QString>("filter");  // operand of a FIYAT > filter, empty for none
        QTest::addColumn<QString>("countText");
        QTest::addColumn<QString>("sumText");
        QTest::newRow("all rows") << "" << "4" << "1.336,05";
        QTest::newRow("filtered rows only") << "100" << "1" << "1.234,56";
        QTest::newRow("nothing in view") << "100000" << "0" << "0,00";
    }
    void footerCountAndSum()
    {
        QFETCH(QString, filter);
        QFETCH(QString, countText);
        QFETCH(QString, sumText);
        DataSet ds;
        fillStock(ds, {{1, "A", 1234.56, 1}, {2, "B", 100.0, 1}, {3, "C", 1.49, 1}, {4, "D", 0.0, 1}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        g.setSummaries({{"ADI", SummaryKind::Count, {}, {}}, {"FIYAT", SummaryKind::Sum, {}, {}}});
        if (!filter.isEmpty())
            g.setColumnFilter("FIYAT", {FilterOp::Greater, filter});
        QCOMPARE(g.footerText("ADI"), countText);
        QCOMPARE(g.footerText("FIYAT"), sumText);
    }

    // The running balance footer: debit and credit sums, then a mark and the
    // balance set by the hooks.
    void footerHooks_data()
    {
        QTest::addColumn<QList<double>>("debits");
        QTest::addColumn<QList<double>>("credits");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("credit balance") << QList<double>{100, 0} << QList<double>{0, 150}
                                        << QStringList{"100,00", "150,00", "A", "-50,00"};
        QTest::newRow("debit balance") << QList<double>{200.5} << QList<double>{0.25}
                                       << QStringList{"200,50", "0,25", "B", "200,25"};
        QTest::newRow("even") << QList<double>{10} << QList<double>{10} << QStringList{"10,00", "10,00", " ", "0,00"};
        QTest::newRow("empty") << QList<double>{} << QList<double>{} << QStringList{"0,00", "0,00", " ", "0,00"};
    }
    void footerHooks()
    {
        QFETCH(QList<double>, debits);
        QFETCH(QList<double>, credits);
        QFETCH(QStringList, texts);
        DataSet ds;
        ds.setFieldDefs({{"BORC", FieldType::Float}, {"ALACAK", FieldType::Float}, {"BAKIYE", FieldType::Float},
                         {"D", FieldType::WideString}});
        for (int i = 0; i < ds.fieldCount(); ++i)
            if (ds.field(i)->dataType() == FieldType::Float)
                ds.field(i)->setDisplayFormat("#,###,##0.00");
        for (int i = 0; i < debits.size(); ++i) {
            ds.appendRecord();
            ds.fieldByName("BORC")->setValue(debits[i]);
            ds.fieldByName("ALACAK")->setValue(credits[i]);
        }
        DataSource src(&ds);
        GridView g;
        g.setColumns({col("BORC", "Borç"), col("ALACAK", "Alacak"), col("BAKIYE", "Bakiye"), col("D")});
        int afterCalls = 0;
        g.summary().afterSummary = [&](FooterSummary &s) {
            ++afterCalls;
            const double diff = s.value(0).toDouble() - s.value(1).toDouble();
            s.setValue(2, diff);
            s.setValue(3, diff);
        };
        g.summary().footerText = [](int index, const QVariant &value, const QString &def) {
            if (index != 2)
                return def;
            bool ok = false;
            const double v = value.toDouble(&ok);
            if (!ok)
                return QStringLiteral("B");
            return v > 0 ? QStringLiteral("B") : v < 0 ? QStringLiteral("A") : QStringLiteral(" ");
        };
        g.setSummaries({{"BORC", SummaryKind::Sum, {}, {}},
                        {"ALACAK", SummaryKind::Sum, {}, {}},
                        {"D", SummaryKind::Custom, {}, {}},
                        {"BAKIYE", SummaryKind::Custom, {}, "#,###,##0.00"}});
        g.setDataSource(&src);
        QVERIFY(afterCalls > 0);
        QStringList got;
        for (int i = 0; i < 4; ++i)
            got << g.summary().text(i);
        QCOMPARE(got, texts);
    }

    void incrementalSearchReachesLastRow()
    {
        DataSet ds;
        QList<std::tuple<int, QString, double, int>> rows;
        for (int i = 0; i < 500; ++i)
            rows.append({i, QStringLiteral("PARÇA %1").arg(i, 4, 10, QChar(u'0')), 1.0, 1});
        rows.append({999, QStringLiteral("İŞARET LAMBASI"), 1.0, 1});
        fillStock(ds, rows);
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        g.setIncrementalSearch(true);
        g.setFocusedRow(0);
        QVERIFY(g.incrementalSearch("parça 0042"));
        QCOMPARE(g.focusedValue("STOK_STOKNO").toInt(), 42);
        QVERIFY(g.incrementalSearch("parça 0041"));  // wraps around from the focused row
        QCOMPARE(g.focusedValue("STOK_STOKNO").toInt(), 41);
        QVERIFY(!g.incrementalSearch("ISARET"));  // Ş is not S: no match, focus stays
        QCOMPARE(g.focusedValue("STOK_STOKNO").toInt(), 41);
        QVERIFY(g.incrementalSearch("işaret"));   // but the i's are one letter
        QCOMPARE(g.focusedValue("STOK_STOKNO").toInt(), 999);
    }

    void checkBoxCallsBack()
    {
        DataSet ds;
        ds.setFieldDefs({{"SIRANO", FieldType::Int32}, {"SEC", FieldType::Int32}});
        ds.appendRecord();
        ds.fieldByName("SIRANO")->setValue(10);
        ds.fieldByName("SEC")->setValue(0);
        DataSource src(&ds);
        GridView g;
        QList<QPair<int, QVariant>> calls;
        g.setColumns({col("SIRANO"), col("SEC", "Seç").checkBox(1, 0, [&](int row, const QVariant &v) {
            calls.append({row, v});
        })});
        g.setDataSource(&src);
        g.setReadOnly(true);  // the column's own handler still makes it toggle
        const QModelIndex idx = g.model()->index(0, 1);
        QCOMPARE(idx.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(g.model()->setData(idx, Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].first, 0);
        QCOMPARE(calls[0].second.toInt(), 1);
        // The grid does not store the value itself.
        QCOMPARE(idx.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        // The double-click path toggles the focused cell.
        g.table()->setCurrentIndex(idx);
        QVERIFY(g.toggleFocusedCheck());
        QCOMPARE(calls.size(), 2);
        g.table()->setCurrentIndex(g.model()->index(0, 0));
        QVERIFY(!g.toggleFocusedCheck());
        // A check box without a handler only shows its value.
        g.setColumns({col("SIRANO"), col("SEC", "Seç").checkBox(1, 0)});
        QVERIFY(!(g.model()->flags(g.model()->index(0, 1)) & Qt::ItemIsUserCheckable));
        QVERIFY(!g.model()->setData(g.model()->index(0, 1), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(calls.size(), 2);
    }

    void widthRuleOnTheWidget()
    {
        DataSet ds;
        fillStock(ds, {{1, "A", 1.0, 1}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        g.resize(1030, 300);
        g.applyWidthRule(ColumnWidthRule::bestFitOnSmallScreens(30), 1920);
        // visible weights 3 + 2 + 1 = 6; (1030 - 30) / 6 = 166
        QCOMPARE(g.columnWidth("ADI"), 498);
        QCOMPARE(g.columnWidth("FIYAT"), 332);
        QCOMPARE(g.columnWidth("DURUM"), 166);
        g.applyWidthRule(ColumnWidthRule::bestFitOnSmallScreens(30), 1152);
        QVERIFY(g.columnWidth("ADI") < 498);  // best fit of a one-letter column
    }

    void columnMenu_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("ascending") << "Sırala (Artan)" << QList<int>{2, 1, 3};
        QTest::newRow("descending") << "Sırala (Azalan)" << QList<int>{3, 1, 2};
        QTest::newRow("clear") << "Sıralamayı Kaldır" << QList<int>{1, 2, 3};
    }
    void columnMenu()
    {
        QFETCH(QString, action);
        QFETCH(QList<int>, order);
        DataSet ds;
        fillStock(ds, {{1, "B", 1.0, 1}, {2, "A", 2.0, 0}, {3, "C", 3.0, 2}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        g.sortBy("FIYAT", Qt::DescendingOrder);
        QMenu menu;
        g.populateColumnMenu(menu, g.columnIndex("ADI"));
        QStringList texts;
        QAction *hit = nullptr;
        for (QAction *a : menu.actions()) {
            texts << a->text();
            if (a->text() == action)
                hit = a;
        }
        QVERIFY(texts.contains("En uygun genişlik"));
        QVERIFY(hit);
        hit->trigger();
        QCOMPARE(viewOrder(g), order);

        // Quick customization lists only the offered columns and shows or
        // hides them.
        QMenu *cols = nullptr;
        for (QAction *a : menu.actions())
            if (a->menu())
                cols = a->menu();
        QVERIFY(cols);
        QStringList offered;
        for (QAction *a : cols->actions())
            offered << a->text();
        QCOMPARE(offered, (QStringList{"Açıklama", "Fiyatı", "Durum"}));
        cols->actions().at(1)->trigger();
        QVERIFY(!g.isColumnVisible("FIYAT"));
    }

    void sortingSwitchedOff()
    {
        DataSet ds;
        fillStock(ds, {{1, "B", 1.0, 1}, {2, "A", 2.0, 0}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        g.sortBy("ADI");
        g.setSortingAllowed(false);  // the running balance needs the server's order
        QCOMPARE(viewOrder(g), (QList<int>{1, 2}));
        emit g.header()->sectionClicked(g.columnIndex("ADI"));
        QCOMPARE(viewOrder(g), (QList<int>{1, 2}));
        QMenu menu;
        g.populateColumnMenu(menu, g.columnIndex("ADI"));
        for (QAction *a : menu.actions())
            QVERIFY(!a->text().startsWith(QStringLiteral("Sırala")));
    }

    void filterMenu()
    {
        DataSet ds;
        fillStock(ds, {{1, "ŞAFT", 1.0, 1}, {2, "AKS", 2.0, 0}, {3, "ŞAFT", 3.0, 3}, {4, QString(), 4.0, 1}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        auto texts = [&](int column) {
            QMenu menu;
            g.populateFilterMenu(menu, column);
            QStringList out;
            for (QAction *a : menu.actions())
                if (!a->isSeparator())
                    out << a->text();
            return out;
        };
        QCOMPARE(texts(g.columnIndex("ADI")),
                 (QStringList{"(Tümü)", "(Özel...)", "(Boş)", "(Boş Olmayanlar)", "AKS", "ŞAFT"}));
        QCOMPARE(texts(g.columnIndex("DURUM")),
                 (QStringList{"(Tümü)", "(Özel...)", "(Boş)", "(Boş Olmayanlar)", "Yok", "Var", "Telefon Açınız",
                              "Yolda", "Özel Sipariş", "Tedarik Sürecinde"}));
        // Choosing an icon's meaning filters by its value.
        QMenu menu;
        g.populateFilterMenu(menu, g.columnIndex("DURUM"));
        for (QAction *a : menu.actions())
            if (a->text() == QStringLiteral("Var"))
                a->trigger();
        QCOMPARE(viewOrder(g), (QList<int>{1, 4}));
        QMenu menu2;
        g.populateFilterMenu(menu2, g.columnIndex("ADI"));
        for (QAction *a : menu2.actions())
            if (a->text() == QStringLiteral("(Boş)"))
                a->trigger();
        QCOMPARE(viewOrder(g), (QList<int>{4}));
        QMenu menu3;
        g.populateFilterMenu(menu3, g.columnIndex("DURUM"));
        menu3.actions().first()->trigger();  // (Tümü) on the icon column
        QCOMPARE(viewOrder(g), (QList<int>{4}));
        g.clearFilters();
        QCOMPARE(viewOrder(g), (QList<int>{1, 2, 3, 4}));
    }

    void typingSearches()
    {
        DataSet ds;
        fillStock(ds, {{1, "BALATA", 1.0, 1}, {2, "BUJİ", 1.0, 1}, {3, "BUJİ KABLOSU", 1.0, 1}, {4, "DİSK", 1.0, 1}});
        DataSource src(&ds);
        GridView g;
        g.setColumns(stockColumns());
        g.setDataSource(&src);
        g.setIncrementalSearch(true);
        g.resize(600, 300);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.table()->setFocus();
        g.setFocusedRow(0);
        QTest::keyClicks(g.table(), "buji ");
        QCOMPARE(g.searchText(), QStringLiteral("buji "));
        QCOMPARE(g.focusedValue("STOK_STOKNO").toInt(), 3);
        QTest::keyClick(g.table(), Qt::Key_X);  // nothing starts with "buji x": refused
        QCOMPARE(g.searchText(), QStringLiteral("buji "));
        QTest::keyClick(g.table(), Qt::Key_Backspace);
        QCOMPARE(g.searchText(), QStringLiteral("buji"));
        QCOMPARE(g.focusedValue("STOK_STOKNO").toInt(), 3);
        QTest::keyClick(g.table(), Qt::Key_Escape);
        QVERIFY(g.searchText().isEmpty());
    }

    void unboundPictures()
    {
        QImage img(40, 20, QImage::Format_RGB32);
        img.fill(Qt::red);
        QByteArray png;
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "PNG");

        GridView g;
        g.setColumns({col("duyuru").image().withWidth(605), col("baslik").hidden(), col("arama").hidden()});
        g.setHeaderVisible(false);
        g.setDataRowHeight(405);
        DataSet *rows = g.makeUnbound({{"duyuru", FieldType::Blob}, {"baslik", FieldType::WideString},
                                       {"arama", FieldType::WideString}});
        g.beginUpdate();
        rows->appendRecord();
        rows->fieldByName("duyuru")->setValue(png);
        rows->fieldByName("arama")->setValue("#KAMPANYA#");
        rows->appendRecord();  // an announcement without a picture
        rows->fieldByName("arama")->setValue("FREN");
        g.endUpdate();
        QCOMPARE(g.rowCount(), 2);
        QCOMPARE(g.model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().size(), QSize(40, 20));
        QVERIFY(g.model()->index(1, 0).data(Qt::DecorationRole).isNull());
        g.setFocusedRow(1);
        QCOMPARE(g.focusedValue("arama").toString(), QStringLiteral("FREN"));
        QCOMPARE(g.dataRowHeight(), 405);
    }

    void autoWidthFillsTheGrid()
    {
        GridView g;
        g.setColumns({col("A").withWidth(100), col("B").withWidth(300), col("C").hidden()});
        g.setColumnAutoWidth(true);
        g.resize(800, 200);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        const int room = g.table()->viewport()->width();
        QCOMPARE(g.columnWidth("A") + g.columnWidth("B"), room);
        QVERIFY(qAbs(g.columnWidth("B") - 3 * g.columnWidth("A")) <= 3);
    }

    void loginRules_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("stockShown");   // of KALAN, MALIYET, K
        QTest::addColumn<QStringList>("basketShown");  // of KALAN, DURUM
        QTest::newRow("dealer") << 0 << "120.01" << QStringList{"K"} << QStringList{"DURUM"};
        QTest::newRow("sales rep") << 1 << "" << QStringList{"KALAN", "MALIYET", "K"} << QStringList{"KALAN", "DURUM"};
        QTest::newRow("type 2") << 2 << "" << QStringList{"KALAN", "MALIYET", "K"} << QStringList{"KALAN", "DURUM"};
        QTest::newRow("RAZ code") << 0 << "120.RAZ.1" << QStringList{"KALAN", "MALIYET", "K"}
                                  << QStringList{"KALAN", "DURUM"};
        QTest::newRow("raz in small letters is not") << 0 << "120.raz" << QStringList{"K"} << QStringList{"DURUM"};
        QTest::newRow("type 3") << 3 << "" << QStringList{"K"} << QStringList{};
        QTest::newRow("type 4") << 4 << "" << QStringList{} << QStringList{"DURUM"};
    }
    void loginRules()
    {
        QFETCH(int, type);
        QFETCH(QString, code);
        QFETCH(QStringList, stockShown);
        QFETCH(QStringList, basketShown);
        QWidget window;
        auto *stock = new GridView(&window);
        stock->setObjectName("cxGrid1DBTableView1");
        stock->setColumns({col("KALAN").hiddenNotOffered(), col("MALIYET").hiddenNotOffered(), col("K", "Kampanyalı")});
        auto *basket = new GridView(&window);
        basket->setObjectName("cxGridDBTableView1");
        basket->setColumns({col("KALAN", "Kalan").hiddenNotOffered(), col("DURUM", "Durum")});
        applyColumnRules(loginColumnRules(), {type, code}, &window);
        auto shown = [](GridView *g) {
            QStringList out;
            for (const GridColumn &c : g->columns())
                if (g->isColumnVisible(c.field)) {
                    out << c.field;
                    if (!g->isColumnCustomizable(c.field))
                        out << "not offered!";
                }
            return out;
        };
        QCOMPARE(shown(stock), stockShown);
        QCOMPARE(shown(basket), basketShown);
    }
};

QTEST_MAIN(TstGridView)
#include "tst_gridview.moc"

#include "grid/columnwidths.h"

#include <QTest>

using namespace varo;

Q_DECLARE_METATYPE(std::vector<varo::WeightedColumn>)

class TstColumnWidths : public QObject {
    Q_OBJECT
private slots:
    void unit_data()
    {
        QTest::addColumn<int>("gridWidth");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("weightSum");
        QTest::addColumn<int>("unit");
        QTest::newRow("exact") << 1030 << 30 << 10 << 100;
        QTest::newRow("truncates, not rounds") << 1029 << 30 << 10 << 99;
        QTest::newRow("just below next unit") << 1039 << 30 << 10 << 100;
        QTest::newRow("no weight") << 1000 << 30 << 0 << 0;
        QTest::newRow("narrower than margin") << 20 << 30 << 5 << 0;
        QTest::newRow("scroll bar margin") << 800 << 27 << 7 << 110;
    }
    void unit()
    {
        QFETCH(int, gridWidth);
        QFETCH(int, margin);
        QFETCH(int, weightSum);
        QFETCH(int, unit);
        QCOMPARE(columnWidthUnit(gridWidth, margin, weightSum), unit);
    }

    void plan_data()
    {
        QTest::addColumn<std::vector<WeightedColumn>>("columns");
        QTest::addColumn<int>("gridWidth");
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<int>("minScreen");
        QTest::addColumn<bool>("bestFit");
        QTest::addColumn<QList<int>>("widths");  // -1: left alone

        const std::vector<WeightedColumn> mix{{2, true}, {3, true}, {1, false}, {1, true}};
        QTest::newRow("hidden columns excluded from the sum")
            << mix << 1000 << 1920 << 1152 << false << QList<int>{322, 483, -1, 161};  // 970 / 6 = 161.67
        QTest::newRow("no screen test") << mix << 1000 << 800 << 0 << false << QList<int>{322, 483, -1, 161};
        QTest::newRow("screen of exactly 1152 best-fits") << mix << 1000 << 1152 << 1152 << true << QList<int>{};
        QTest::newRow("screen of 1153 uses weights") << mix << 1000 << 1153 << 1152 << false << QList<int>{322, 483, -1, 161};
        QTest::newRow("weightless visible column keeps its width")
            << std::vector<WeightedColumn>{{0, true}, {1, true}} << 130 << 1920 << 1152 << false << QList<int>{-1, 100};
        QTest::newRow("nothing visible") << std::vector<WeightedColumn>{{2, false}} << 500 << 1920 << 0 << false
                                         << QList<int>{-1};
    }
    void plan()
    {
        QFETCH(std::vector<WeightedColumn>, columns);
        QFETCH(int, gridWidth);
        QFETCH(int, screenWidth);
        QFETCH(int, minScreen);
        QFETCH(bool, bestFit);
        QFETCH(QList<int>, widths);
        const WidthPlan p = planColumnWidths(columns, gridWidth, screenWidth, ColumnWidthRule{30, minScreen});
        QCOMPARE(p.bestFit, bestFit);
        if (bestFit) {
            QVERIFY(p.widths.empty());
            return;
        }
        QList<int> got;
        for (const auto &w : p.widths)
            got << (w ? *w : -1);
        QCOMPARE(got, widths);
    }
};

QTEST_APPLESS_MAIN(TstColumnWidths)
#include "tst_columnwidths.moc"

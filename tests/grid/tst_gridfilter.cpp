#include "grid/gridfilter.h"
#include "protocol/dataset.h"

#include <QTest>

using namespace varo;

// One data set with a column of each kind the header filters meet.
class TstGridFilter : public QObject {
    Q_OBJECT
    DataSet ds;

private slots:
    void initTestCase()
    {
        ds.setFieldDefs({{"ADI", FieldType::WideString},
                         {"MIKTAR", FieldType::Int32},
                         {"FIYAT", FieldType::Float},
                         {"TARIH", FieldType::Date}});
        ds.fieldByName("FIYAT")->setDisplayFormat("#,###,##0.00");
        auto add = [&](const QVariant &adi, const QVariant &miktar, const QVariant &fiyat, const QVariant &tarih) {
            ds.appendRecord();
            ds.fieldByName("ADI")->setValue(adi);
            ds.fieldByName("MIKTAR")->setValue(miktar);
            ds.fieldByName("FIYAT")->setValue(fiyat);
            ds.fieldByName("TARIH")->setValue(tarih);
        };
        add("FREN BALATASI", 5, 1234.5, QDate(2024, 1, 15));     // 0
        add("fren diski", 10, 99.99, QDate(2024, 2, 1));          // 1
        add("IŞIK SİNYAL", 0, 0.0, QDate(2023, 12, 31));          // 2
        add(QVariant(), QVariant(), QVariant(), QVariant());      // 3: all null
        add("   ", -3, -5.25, QDate(2024, 1, 15));                // 4: blank text
    }

    void accepts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("operand");
        QTest::addColumn<QList<int>>("rows");

        auto row = [](const char *name, const char *field, FilterOp op, const QString &operand, QList<int> rows) {
            QTest::newRow(name) << QString::fromLatin1(field) << int(op) << operand << rows;
        };
        row("text equal ignores case", "ADI", FilterOp::Equal, "fren balatası", {0});
        row("text not equal keeps nulls", "ADI", FilterOp::NotEqual, "FREN DISKI", {0, 2, 3, 4});
        row("contains ignores case", "ADI", FilterOp::Contains, "FREN", {0, 1});
        row("does not contain", "ADI", FilterOp::NotContains, "fren", {2, 3, 4});
        row("begins with", "ADI", FilterOp::BeginsWith, "fren d", {1});
        row("turkish dotted and dotless i", "ADI", FilterOp::BeginsWith, "ışık si", {2});
        row("blank counts nulls and blanks", "ADI", FilterOp::Blank, "", {3, 4});
        row("non-blank", "ADI", FilterOp::NonBlank, "", {0, 1, 2});
        row("integer less", "MIKTAR", FilterOp::Less, "5", {2, 4});
        row("integer greater", "MIKTAR", FilterOp::Greater, "0", {0, 1});
        row("integer equal", "MIKTAR", FilterOp::Equal, "10", {1});
        row("integer null is not zero", "MIKTAR", FilterOp::Equal, "0", {2});
        row("money in turkish notation", "FIYAT", FilterOp::Equal, "1.234,50", {0});
        row("money in C notation", "FIYAT", FilterOp::Greater, "99.98", {0, 1});
        row("money negative", "FIYAT", FilterOp::Less, "0", {4});
        row("money contains on shown text", "FIYAT", FilterOp::Contains, "234,5", {0});
        row("money null is blank", "FIYAT", FilterOp::Blank, "", {3});
        row("date equal", "TARIH", FilterOp::Equal, "15.01.2024", {0, 4});
        row("date before", "TARIH", FilterOp::Less, "01.01.2024", {2});
        row("bad number matches nothing", "MIKTAR", FilterOp::Equal, "beş", {});
        row("bad date matches nothing", "TARIH", FilterOp::Greater, "2024-01-01", {});
    }
    void accepts()
    {
        QFETCH(QString, field);
        QFETCH(int, op);
        QFETCH(QString, operand);
        QFETCH(QList<int>, rows);
        const FieldFilter f(ds.fieldByName(field), {FilterOp(op), operand});
        QList<int> got;
        for (int r = 0; r < ds.recordCount(); ++r)
            if (f.accepts(r))
                got << r;
        QCOMPARE(got, rows);
    }

    void texts()
    {
        QCOMPARE(filterOpText(FilterOp::Equal), QStringLiteral("eşittir"));
        QCOMPARE(filterOpText(FilterOp::NotEqual), QStringLiteral("eşit değildir"));
        QCOMPARE(filterOpText(FilterOp::Less), QStringLiteral("küçüktür"));
        QCOMPARE(filterOpText(FilterOp::Greater), QStringLiteral("büyüktür"));
        QCOMPARE(filterOpText(FilterOp::Contains), QStringLiteral("içerir"));
        QCOMPARE(filterOpText(FilterOp::NotContains), QStringLiteral("içermez"));
        QCOMPARE(filterOpText(FilterOp::BeginsWith), QStringLiteral("ile başlar"));
        QCOMPARE(filterOpText(FilterOp::Blank), QStringLiteral("(Boş)"));
        QCOMPARE(filterOpText(FilterOp::NonBlank), QStringLiteral("(Boş Olmayanlar)"));
    }
};

QTEST_APPLESS_MAIN(TstGridFilter)
#include "tst_gridfilter.moc"

#include "protocol/dataset.h"

#include <QSignalSpy>
#include <QTest>

using namespace varo;

class tst_DataSet : public QObject {
    Q_OBJECT
private slots:
    void typedValues();
    void cursorWalk();
    void locate();
    void nullsAppearLate();
    void controlsBatchSignals();
    void dateSerials_data();
    void dateSerials();
    void missingFieldThrows();
    void sharedTextsAreGivenBackOnce_data();
    void sharedTextsAreGivenBackOnce();
};

void tst_DataSet::typedValues()
{
    DataSet ds;
    ds.addField(QStringLiteral("STOKNO"), FieldType::Int32);
    ds.addField(QStringLiteral("FIYAT"), FieldType::Currency);
    ds.addField(QStringLiteral("ADI"), FieldType::WideString);
    ds.open();
    ds.appendRecord();
    ds.fieldByName(QStringLiteral("stokno"))->setValue(42);
    ds.fieldByName(QStringLiteral("FIYAT"))->setValue(1234.5);
    ds.fieldByName(QStringLiteral("ADI"))->setValue(QStringLiteral("FREN BALATASI"));
    QCOMPARE(ds.recordCount(), 1);
    QCOMPARE(ds.fieldByName(QStringLiteral("STOKNO"))->asInteger(), 42);
    QCOMPARE(ds.fieldByName(QStringLiteral("FIYAT"))->asFloat(), 1234.5);
    QCOMPARE(ds.fieldByName(QStringLiteral("ADI"))->asString(), QStringLiteral("FREN BALATASI"));
    ds.fieldByName(QStringLiteral("FIYAT"))->setDisplayFormat(QStringLiteral("#,###,##0.00"));
    QCOMPARE(ds.fieldByName(QStringLiteral("FIYAT"))->displayText(), QStringLiteral("1.234,50"));
}

void tst_DataSet::cursorWalk()
{
    DataSet ds;
    ds.addField(QStringLiteral("N"), FieldType::Int32);
    ds.open();
    for (int i = 0; i < 3; ++i) {
        ds.appendRecord();
        ds.field(0)->setValue(i);
    }
    ds.first();
    QList<int> seen;
    while (!ds.eof()) {
        seen << int(ds.field(0)->asInteger());
        ds.next();
    }
    QCOMPARE(seen, (QList<int>{0, 1, 2}));
    QCOMPARE(ds.recNo(), 3);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ds.field(0)->asInteger());
}

void tst_DataSet::locate()
{
    DataSet ds;
    ds.addField(QStringLiteral("KOD"), FieldType::AnsiString);
    ds.open();
    for (const char *k : {"A1", "B2", "C3"}) {
        ds.appendRecord();
        ds.field(0)->setValue(QString::fromLatin1(k));
    }
    QVERIFY(ds.locate(QStringLiteral("KOD"), QStringLiteral("B2")));
    QCOMPARE(ds.recNo(), 1);
    QVERIFY(!ds.locate(QStringLiteral("KOD"), QStringLiteral("Z9")));
    QCOMPARE(ds.recNo(), 1);
}

void tst_DataSet::nullsAppearLate()
{
    DataSet ds;
    ds.addField(QStringLiteral("N"), FieldType::Int64);
    ds.open();
    ds.appendRecord();
    ds.field(0)->setValue(7);
    ds.appendRecord();  // new rows start null
    QVERIFY(!ds.field(0)->isNull(0));
    QVERIFY(ds.field(0)->isNull(1));
    QCOMPARE(ds.field(0)->intAt(1), 0);
    ds.field(0)->setValue(1, 9);
    QVERIFY(!ds.field(0)->isNull(1));
}

void tst_DataSet::controlsBatchSignals()
{
    DataSet ds;
    ds.addField(QStringLiteral("N"), FieldType::Int32);
    ds.open();
    QSignalSpy resets(&ds, &DataSet::dataReset);
    ds.disableControls();
    for (int i = 0; i < 100; ++i)
        ds.appendRecord();
    QCOMPARE(resets.count(), 0);
    ds.enableControls();
    QCOMPARE(resets.count(), 1);
}

void tst_DataSet::dateSerials_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<double>("serial");
    QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
    QTest::newRow("2000 noon") << QDateTime(QDate(2000, 1, 1), QTime(12, 0)) << 36526.5;
    QTest::newRow("2026") << QDateTime(QDate(2026, 12, 10), QTime(6, 0)) << 46366.25;
}

void tst_DataSet::dateSerials()
{
    QFETCH(QDateTime, when);
    QFETCH(double, serial);
    QCOMPARE(dateTimeToSerial(when), serial);
    QCOMPARE(serialToDateTime(serial), when);
}

void tst_DataSet::missingFieldThrows()
{
    DataSet ds;
    QVERIFY(ds.findField(QStringLiteral("X")) == nullptr);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ds.fieldByName(QStringLiteral("X")));
}

void tst_DataSet::sharedTextsAreGivenBackOnce_data()
{
    // Which cells hold the shared text "A" (others hold their own text, "-"
    // none at all).
    QTest::addColumn<QString>("cells");
    QTest::addColumn<int>("how");  // 0: data set destroyed, 1: emptied, 2: new structure

    for (int how = 0; how < 3; ++how) {
        QTest::addRow("one run, %d", how) << QStringLiteral("AAAAA") << how;
        QTest::addRow("runs between others, %d", how) << QStringLiteral("AAxAAAyA") << how;
        QTest::addRow("alternating, %d", how) << QStringLiteral("AxAxAx") << how;
        QTest::addRow("with empty cells, %d", how) << QStringLiteral("-AA--A") << how;
    }
}

void tst_DataSet::sharedTextsAreGivenBackOnce()
{
    QFETCH(QString, cells);
    QFETCH(int, how);
    const QString shared = QStringLiteral("ORTAK DEĞER ").repeated(3);  // a heap copy of its own
    QVERIFY(shared.isDetached());
    {
        DataSet ds;
        ds.addField(QStringLiteral("ADI"), FieldType::WideString);
        for (QChar c : cells)
            ds.field(0)->column().texts.push_back(c == u'A' ? shared : c == u'-' ? QString() : QString(5, c));
        ds.commitBulkLoad(int(cells.size()));
        QVERIFY(!shared.isDetached());
        QCOMPARE(ds.field(0)->stringAt(int(cells.indexOf(u'A'))), shared);
        if (how == 1)
            ds.emptyDataSet();
        else if (how == 2)
            ds.setFieldDefs({{QStringLiteral("X"), FieldType::Int32}});
        if (how != 0)
            QVERIFY(shared.isDetached());
    }
    // Every reference the cells held is back: the text is ours alone again.
    QVERIFY(shared.isDetached());
    QCOMPARE(shared, QStringLiteral("ORTAK DEĞER ORTAK DEĞER ORTAK DEĞER "));
}

QTEST_GUILESS_MAIN(tst_DataSet)
#include "tst_dataset.moc"

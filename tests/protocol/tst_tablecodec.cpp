#include "protocol/tablecodec.h"
#include "protocol/tablejson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cmath>
#include <limits>

using namespace varo;

Q_DECLARE_METATYPE(varo::FieldType)

class tst_TableCodec : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsTypesValuesAndNulls_data();
    void roundTripKeepsTypesValuesAndNulls();
    void doublesComeBackBitForBit_data();
    void doublesComeBackBitForBit();
    void readsWhatQtWrites();
    void acceptedForms_data();
    void acceptedForms();
    void badTables_data();
    void badTables();
    void skipValue_data();
    void skipValue();
    void repeatedTextsAreSharedNotMixedUp();
};

void tst_TableCodec::roundTripKeepsTypesValuesAndNulls_data()
{
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QVariantList>("values");  // invalid QVariant = null

    QTest::newRow("int32") << FieldType::Int32 << QVariantList{0, -1, 2147483647, -2147483647 - 1, QVariant()};
    QTest::newRow("int64 beyond 2^53") << FieldType::Int64
                                       << QVariantList{qint64(9007199254740993), std::numeric_limits<qint64>::min(),
                                                       std::numeric_limits<qint64>::max(), QVariant()};
    QTest::newRow("float") << FieldType::Float << QVariantList{0.1, -1234.56, 1e-300, 1.7976931348623157e308, 18.0, QVariant()};
    QTest::newRow("currency") << FieldType::Currency << QVariantList{1234.56, 0.005, -0.01};
    QTest::newRow("date serial") << FieldType::Date << QVariantList{46366.0, 2.0, QVariant()};
    QTest::newRow("date-time serial") << FieldType::DateTime << QVariantList{46366.25, 46366.999988425923};
    QTest::newRow("boolean") << FieldType::Boolean << QVariantList{true, false, QVariant()};
    QTest::newRow("wide string") << FieldType::WideString
                                 << QVariantList{QString(), QStringLiteral("Şanzıman yağı ÇÖÜĞİı"), QStringLiteral("tırnak \" ters \\ bölü /"),
                                                 QStringLiteral("satır\nsekme\tdön\r\b\f\x01\x1f"), QString::fromUtf16(u"emoji \U0001F697 araba"),
                                                 QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 uzun düz ASCII metin"), QVariant()};
    QTest::newRow("ansi string") << FieldType::AnsiString << QVariantList{QStringLiteral("ADET"), QStringLiteral("")};
    QTest::newRow("blob") << FieldType::Blob << QVariantList{QByteArray("\xff\xd8\x00\x01", 4), QByteArray(), QVariant()};
}

void tst_TableCodec::roundTripKeepsTypesValuesAndNulls()
{
    QFETCH(FieldType, type);
    QFETCH(QVariantList, values);
    DataSet t;
    t.addField(QStringLiteral("SIRA"), FieldType::Int32);
    t.addField(QStringLiteral("DEĞER"), type);
    t.open();
    for (int r = 0; r < values.size(); ++r) {
        t.appendRecord();
        t.field(0)->setValue(r);
        if (values[r].isValid())
            t.field(1)->setValue(values[r]);
    }
    const QByteArray json = encodeTable(t);
    QVERIFY2(QJsonDocument::fromJson(json).isObject(), json.constData());  // well-formed for any reader

    DataSet back;
    decodeTable(json, back);
    QCOMPARE(back.fieldCount(), 2);
    QCOMPARE(back.field(1)->fieldName(), QStringLiteral("DEĞER"));
    QCOMPARE(back.field(1)->dataType(), type);
    QCOMPARE(back.recordCount(), values.size());
    for (int r = 0; r < values.size(); ++r) {
        QCOMPARE(back.field(0)->intAt(r), r);
        QCOMPARE(back.field(1)->isNull(r), !values[r].isValid());
        if (values[r].isValid())
            QCOMPARE(back.field(1)->value(r), t.field(1)->value(r));
    }
}

void tst_TableCodec::doublesComeBackBitForBit_data()
{
    QTest::addColumn<double>("v");
    for (double v : {0.1, 0.2, 0.3, 1.005, 2.675, 1234.5678, 99999999.99, 123456.000001, 0.000001, 1e-7, 5e-324, 1e22, 1e23,
                     -0.07, 46366.041666666664, 1.0 / 3.0, 999999999.5, 4503599627370497.0})
        QTest::addRow("%.17g", v) << v;
}

void tst_TableCodec::doublesComeBackBitForBit()
{
    QFETCH(double, v);
    DataSet t;
    t.addField(QStringLiteral("X"), FieldType::Float);
    t.open();
    t.appendRecord();
    t.field(0)->setValue(v);
    const QByteArray json = encodeTable(t);
    DataSet back;
    decodeTable(json, back);
    QCOMPARE(back.field(0)->doubleAt(0), v);
    // Qt's own reader agrees on the value.
    QCOMPARE(QJsonDocument::fromJson(json).object().value("data").toArray().at(0).toArray().at(0).toDouble(), v);
}

void tst_TableCodec::readsWhatQtWrites()
{
    DataSet t;
    t.addField(QStringLiteral("NO"), FieldType::Int32);
    t.addField(QStringLiteral("ADI"), FieldType::WideString);
    t.addField(QStringLiteral("FIYAT"), FieldType::Float);
    t.addField(QStringLiteral("TUTAR"), FieldType::Currency);
    t.addField(QStringLiteral("TARIH"), FieldType::DateTime);
    t.addField(QStringLiteral("SEC"), FieldType::Boolean);
    t.open();
    for (int r = 0; r < 3; ++r) {
        t.appendRecord();
        t.field(0)->setValue(r);
        t.field(1)->setValue(QStringLiteral("Ön fren balatası %1").arg(r));
        t.field(2)->setValue(12.5 * r);
        if (r != 1)
            t.field(3)->setValue(99.99);
        t.field(4)->setValue(46366.5);
        t.field(5)->setValue(r == 2);
    }
    // The order server builds its tables with Qt's JSON classes: pretty
    // printed, keys sorted.
    const QByteArray qt = QJsonDocument(dataSetToJson(t)).toJson(QJsonDocument::Indented);
    DataSet back;
    decodeTable(qt, back);
    QCOMPARE(back.recordCount(), 3);
    for (int c = 0; c < t.fieldCount(); ++c) {
        QCOMPARE(back.field(c)->dataType(), t.field(c)->dataType());
        for (int r = 0; r < 3; ++r)
            QCOMPARE(back.field(c)->value(r), t.field(c)->value(r));
    }
    QVERIFY(back.field(3)->isNull(1));
}

void tst_TableCodec::acceptedForms_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("lastCell");  // last column's last value as text

    QTest::newRow("no rows") << QByteArray(R"({"columns":[{"name":"A","type":1}],"data":[[]]})") << 0 << QString();
    QTest::newRow("no columns at all") << QByteArray(R"({"columns":[],"data":[]})") << 0 << QString();
    QTest::newRow("data before columns") << QByteArray(R"({"data":[[1,2],["x","y"]],"columns":[{"name":"A","type":1},{"type":6,"name":"B"}]})") << 2 << "y";
    QTest::newRow("row form, type names") << QByteArray(R"({"columns":[{"name":"A","type":"Int32"},{"name":"B","type":"WideString"}],"rows":[[1,"a"],[2,"b"]]})") << 2 << "b";
    QTest::newRow("unknown keys ignored") << QByteArray(R"({"x":{"y":[1,{"z":null}]},"columns":[{"name":"A","type":3,"extra":true}],"data":[[1.5e2]]})") << 1 << "150";
    QTest::newRow("blanks everywhere") << QByteArray(" {\n \"columns\" : [ { \"name\" : \"A\" , \"type\" : 2 } ] ,\r\n\t\"data\" : [ [ 7 , null , -3 ] ] } \n") << 3 << "-3";
    QTest::newRow("escaped unicode") << QByteArray(R"({"columns":[{"name":"A","type":6}],"data":[["\u015e\u0131k \ud83d\ude97 \/"]]})") << 1 << QString::fromUtf16(u"Şık \U0001F697 /");
    QTest::newRow("fraction in integer column is cut") << QByteArray(R"({"columns":[{"name":"A","type":1}],"data":[[3.9]]})") << 1 << "3";
    QTest::newRow("number in text column") << QByteArray(R"({"columns":[{"name":"A","type":6}],"data":[[12.50]]})") << 1 << "12.50";
    QTest::newRow("ISO date text") << QByteArray(R"({"columns":[{"name":"A","type":7}],"data":[["2026-12-10"]]})") << 1 << "10.12.2026";
}

void tst_TableCodec::acceptedForms()
{
    QFETCH(QByteArray, json);
    QFETCH(int, rows);
    QFETCH(QString, lastCell);
    DataSet t;
    decodeTable(json, t);
    QCOMPARE(t.recordCount(), rows);
    if (rows > 0)
        QCOMPARE(t.field(t.fieldCount() - 1)->stringAt(rows - 1), lastCell);
}

void tst_TableCodec::badTables_data()
{
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not an object") << QByteArray("[1,2]");
    QTest::newRow("no columns") << QByteArray(R"({"data":[[1]]})");
    QTest::newRow("truncated in a string") << QByteArray(R"({"columns":[{"name":"A","type":6}],"data":[["abc)");
    QTest::newRow("truncated after a value") << QByteArray(R"({"columns":[{"name":"A","type":1}],"data":[[1,2)");
    QTest::newRow("unknown type code") << QByteArray(R"({"columns":[{"name":"A","type":11}],"data":[[1]]})");
    QTest::newRow("type code zero") << QByteArray(R"({"columns":[{"name":"A","type":0}],"data":[[1]]})");
    QTest::newRow("unknown type name") << QByteArray(R"({"columns":[{"name":"A","type":"Money"}],"data":[[1]]})");
    QTest::newRow("column without name") << QByteArray(R"({"columns":[{"type":1}],"data":[[1]]})");
    QTest::newRow("column without type") << QByteArray(R"({"columns":[{"name":"A"}],"data":[[1]]})");
    QTest::newRow("ragged columns") << QByteArray(R"({"columns":[{"name":"A","type":1},{"name":"B","type":1}],"data":[[1,2],[3]]})");
    QTest::newRow("longer later column") << QByteArray(R"({"columns":[{"name":"A","type":1},{"name":"B","type":1}],"data":[[1],[3,4]]})");
    QTest::newRow("more value arrays than columns") << QByteArray(R"({"columns":[{"name":"A","type":1}],"data":[[1],[2]]})");
    QTest::newRow("fewer value arrays than columns") << QByteArray(R"({"columns":[{"name":"A","type":1},{"name":"B","type":1}],"data":[[1]]})");
    QTest::newRow("text in a number column") << QByteArray(R"({"columns":[{"name":"A","type":3}],"data":[["on iki"]]})");
    QTest::newRow("object in an integer column") << QByteArray(R"({"columns":[{"name":"A","type":1}],"data":[[{}]]})");
    QTest::newRow("array in a text column") << QByteArray(R"({"columns":[{"name":"A","type":6}],"data":[[[1]]]})");
    QTest::newRow("unreadable date") << QByteArray(R"({"columns":[{"name":"A","type":8}],"data":[["dün"]]})");
    QTest::newRow("raw control character") << QByteArray("{\"columns\":[{\"name\":\"A\",\"type\":6}],\"data\":[[\"a\x01\"]]}");
    QTest::newRow("bad escape") << QByteArray(R"({"columns":[{"name":"A","type":6}],"data":[["\q"]]})");
    QTest::newRow("short unicode escape") << QByteArray(R"({"columns":[{"name":"A","type":6}],"data":[["\u12"]]})");
    QTest::newRow("number out of range") << QByteArray(R"({"columns":[{"name":"A","type":3}],"data":[[1e999]]})");
    QTest::newRow("integer out of range") << QByteArray(R"({"columns":[{"name":"A","type":2}],"data":[[1e30]]})");
    QTest::newRow("spelled infinity") << QByteArray(R"({"columns":[{"name":"A","type":3}],"data":[[-inf]]})");
    QTest::newRow("plus sign") << QByteArray(R"({"columns":[{"name":"A","type":3}],"data":[[+1]]})");
    QTest::newRow("misspelled null") << QByteArray(R"({"columns":[{"name":"A","type":1}],"data":[[nul]]})");
    QTest::newRow("missing comma") << QByteArray(R"({"columns":[{"name":"A","type":1}],"data":[[1 2]]})");
    QTest::newRow("trailing comma") << QByteArray(R"({"columns":[{"name":"A","type":1}],"data":[[1,]]})");
    QTest::newRow("garbage after the table") << QByteArray(R"({"columns":[],"data":[]}x)");
    QTest::newRow("columns twice") << QByteArray(R"({"columns":[],"columns":[],"data":[]})");
    QTest::newRow("deep nesting in an ignored key") << QByteArray(R"({"x":)" + QByteArray(100000, '[') + "}");
}

void tst_TableCodec::badTables()
{
    QFETCH(QByteArray, json);
    DataSet t;
    t.addField(QStringLiteral("ESKI"), FieldType::Int32);
    QVERIFY_THROWS_EXCEPTION(TableFormatError, decodeTable(json, t));
    // Nothing half-read is left behind, and the data set is usable again.
    QCOMPARE(t.fieldCount(), 0);
    QCOMPARE(t.recordCount(), 0);
    QVERIFY(!t.controlsDisabled());
    decodeTable(QByteArrayView(R"({"columns":[{"name":"A","type":1}],"data":[[5]]})"), t);
    QCOMPARE(t.field(0)->intAt(0), 5);
}

void tst_TableCodec::skipValue_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("end");  // -1: refused

    QTest::newRow("number") << QByteArray("12.5e3,") << 6;
    QTest::newRow("string with escaped quote") << QByteArray(R"("a\"b" ,)") << 6;
    QTest::newRow("nested") << QByteArray(R"( {"a":[1,{"b":null}],"c":true} x)") << 30;
    QTest::newRow("empty containers") << QByteArray("[{},[]]") << 7;
    QTest::newRow("unclosed") << QByteArray("[1,[2]") << -1;
    QTest::newRow("mismatched") << QByteArray("[1}") << -1;
    QTest::newRow("key without colon") << QByteArray(R"({"a" 1})") << -1;
    QTest::newRow("number key") << QByteArray(R"({1:2})") << -1;
    QTest::newRow("too deep") << QByteArray(300, '[') + QByteArray(300, ']') << -1;
    QTest::newRow("deep but allowed") << QByteArray(200, '[') + QByteArray(200, ']') << 400;
    QTest::newRow("nothing") << QByteArray("   ") << -1;
}

void tst_TableCodec::skipValue()
{
    QFETCH(QByteArray, json);
    QFETCH(int, end);
    const char *b = json.constData();
    if (end < 0) {
        QVERIFY_THROWS_EXCEPTION(TableFormatError, skipJsonValue(b, b + json.size()));
        return;
    }
    QCOMPARE(int(skipJsonValue(b, b + json.size()) - b), end);
}

void tst_TableCodec::repeatedTextsAreSharedNotMixedUp()
{
    // Many rows over a few values, with look-alikes of the same length and
    // the same first and last letters, so that a cache slot holding one of
    // them must not answer for another.
    DataSet t;
    t.addField(QStringLiteral("GRUP"), FieldType::WideString);
    t.open();
    const QStringList values{QStringLiteral("FREN"), QStringLiteral("FRAN"), QStringLiteral("FİLTRE"), QStringLiteral("FALTRE"),
                             QString(), QStringLiteral("MOTOR"), QStringLiteral("MOTAR")};
    for (int r = 0; r < 5000; ++r) {
        t.appendRecord();
        t.field(0)->setValue(values[(r * 7 + r / 3) % values.size()]);
    }
    DataSet back;
    decodeTable(encodeTable(t), back);
    QCOMPARE(back.recordCount(), 5000);
    for (int r = 0; r < 5000; ++r)
        QCOMPARE(back.field(0)->stringAt(r), t.field(0)->stringAt(r));
}

QTEST_GUILESS_MAIN(tst_TableCodec)
#include "tst_tablecodec.moc"

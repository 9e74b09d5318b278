#include "protocol/tablecodec.h"
#include "protocol/tablejson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QThreadPool>

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
    void oddCharacterAnywhereInAText_data();
    void oddCharacterAnywhereInAText();
    void largeTablesComeBackWhole_data();
    void largeTablesComeBackWhole();
    void largeBadTables_data();
    void largeBadTables();
    void firstFaultIsReportedWhateverTheThreads();
    void decodedTextsLiveOnTheirOwn();
    void brokenUtf8BecomesReplacementCharacters_data();
    void brokenUtf8BecomesReplacementCharacters();
};

namespace {

// `json` is refused, and nothing half-read is left behind in `t` (which had
// a field of its own before): it is empty and usable again.
void checkRefused(QByteArrayView json, DataSet &t)
{
    t.addField(QStringLiteral("ESKI"), FieldType::Int32);
    QVERIFY_THROWS_EXCEPTION(TableFormatError, decodeTable(json, t));
    QCOMPARE(t.fieldCount(), 0);
    QCOMPARE(t.recordCount(), 0);
    QVERIFY(!t.controlsDisabled());
}

// Big enough that the columns are read side by side (over a megabyte).
constexpr int kBigRows = 30000;

// A table of every column kind; `texts` are the base values of the text column.
void fillBigTable(DataSet &t, const QStringList &texts)
{
    t.addField(QStringLiteral("NO"), FieldType::Int64);
    t.addField(QStringLiteral("ADI"), FieldType::WideString);
    t.addField(QStringLiteral("BIRIM"), FieldType::AnsiString);
    t.addField(QStringLiteral("FIYAT"), FieldType::Float);
    t.addField(QStringLiteral("TARIH"), FieldType::DateTime);
    t.addField(QStringLiteral("SEC"), FieldType::Boolean);
    t.addField(QStringLiteral("RESIM"), FieldType::Blob);
    const QStringList units{QStringLiteral("ADET"), QStringLiteral("TAKIM"), QStringLiteral("KUTU"), QString()};
    auto col = [&](int c) -> Column & { return t.field(c)->column(); };
    for (int c = 0; c < t.fieldCount(); ++c)
        col(c).nulls.assign(kBigRows, false);
    for (int r = 0; r < kBigRows; ++r) {
        col(0).ints.push_back(qint64(r) * 1000003 - 7);
        // Half of the texts unique, half repeating.
        const QString &base = texts[r % texts.size()];
        col(1).texts.push_back(r % 2 ? base : base + QString::number(r));
        col(1).nulls[std::size_t(r)] = r % 17 == 0;
        col(2).texts.push_back(units[r % units.size()]);
        col(3).reals.push_back(r % 13 ? r * 0.01 + 0.005 : 0.0);
        col(3).nulls[std::size_t(r)] = r % 13 == 0;
        col(4).reals.push_back(46000.0 + r / 86400.0);
        col(5).ints.push_back(r % 3 == 0);
        col(6).blobs.push_back(r % 50 ? QByteArray() : QByteArray::number(r).repeated(3));
        col(6).nulls[std::size_t(r)] = r % 50 != 0;
    }
    t.commitBulkLoad(kBigRows);
}

// Raw JSON of a large table, column by column, for damaging it on purpose.
struct RawTable {
    QList<QByteArrayList> columns{{}, {}, {}, {}};

    RawTable()
    {
        for (int r = 0; r < 60000; ++r) {
            columns[0] << QByteArray::number(r);
            columns[1] << "\"metin " + QByteArray::number(r) + "\"";
            columns[2] << QByteArray::number(r * 0.25);
            columns[3] << (r % 5 ? QByteArray("\"ADET\"") : QByteArray("null"));
        }
    }
    QByteArray json() const
    {
        QByteArray out = R"({"columns":[{"name":"NO","type":1},{"name":"ADI","type":6},)"
                         R"({"name":"FIYAT","type":3},{"name":"BIRIM","type":5}],"data":[)";
        for (int c = 0; c < columns.size(); ++c)
            out += (c ? ",[" : "[") + columns[c].join(',') + "]";
        return out + "]}";
    }
};

}  // namespace

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
    checkRefused(json, t);
    if (QTest::currentTestFailed())
        return;
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

void tst_TableCodec::oddCharacterAnywhereInAText_data()
{
    QTest::addColumn<QString>("odd");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("quote") << QStringLiteral("\"") << QStringLiteral("\"");
    QTest::newRow("backslash") << QStringLiteral("\\") << QStringLiteral("\\");
    QTest::newRow("new line") << QStringLiteral("\n") << QStringLiteral("\n");
    QTest::newRow("control") << QString(QChar(0x1F)) << QString(QChar(0x1F));
    QTest::newRow("delete") << QString(QChar(0x7F)) << QString(QChar(0x7F));
    QTest::newRow("two-byte letter") << QStringLiteral("ş") << QStringLiteral("ş");
    QTest::newRow("first two-byte") << QString(QChar(0x80)) << QString(QChar(0x80));
    QTest::newRow("last two-byte") << QString(QChar(0x7FF)) << QString(QChar(0x7FF));
    QTest::newRow("first three-byte") << QString(QChar(0x800)) << QString(QChar(0x800));
    QTest::newRow("last unit") << QString(QChar(0xFFFF)) << QString(QChar(0xFFFF));
    QTest::newRow("surrogate pair") << QString::fromUtf16(u"\U0001F697") << QString::fromUtf16(u"\U0001F697");
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) << QString(QChar(0xFFFD));
    QTest::newRow("lone low surrogate") << QString(QChar(0xDE97)) << QString(QChar(0xFFFD));
}

void tst_TableCodec::oddCharacterAnywhereInAText()
{
    // Plain runs are written and read in blocks of 4, 8 and 16; put the odd
    // character at every place of texts of every length around them.
    QFETCH(QString, odd);
    QFETCH(QString, readBack);
    DataSet t;
    t.addField(QStringLiteral("A"), FieldType::WideString);
    QStringList expected;
    for (int len = 0; len <= 40; ++len)
        for (int at = 0; at <= len; ++at) {
            QString s;
            for (int i = 0; i < len; ++i)
                s += QChar(u'a' + i % 26);
            t.field(0)->column().texts.push_back(QString(s).insert(at, odd));
            expected << QString(s).insert(at, readBack);
        }
    t.commitBulkLoad(int(expected.size()));
    const QByteArray json = encodeTable(t);
    QJsonParseError pe;
    const QJsonArray qt = QJsonDocument::fromJson(json, &pe).object().value("data").toArray().at(0).toArray();
    QCOMPARE(pe.error, QJsonParseError::NoError);
    DataSet back;
    decodeTable(json, back);
    QCOMPARE(back.recordCount(), expected.size());
    for (int r = 0; r < expected.size(); ++r) {
        QCOMPARE(back.field(0)->stringAt(r), expected[r]);
        QCOMPARE(qt.at(r).toString(), expected[r]);
    }
}

void tst_TableCodec::largeTablesComeBackWhole_data()
{
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("plain ASCII") << QStringList{QStringLiteral("FREN BALATASI ON"), QStringLiteral("YAG FILTRESI"), QStringLiteral("X")};
    QTest::newRow("Turkish letters and emoji")
        << QStringList{QStringLiteral("Şanzıman yağı ÇÖÜĞİı"), QString::fromUtf16(u"araba \U0001F697"), QStringLiteral("ön")};
    // Quotes, brackets and commas inside texts must not end a column early.
    QTest::newRow("quotes, brackets, commas, escapes")
        << QStringList{QStringLiteral("a \"b\" [c], {d}"), QStringLiteral("ters \\"), QStringLiteral("\\\"],["),
                       QStringLiteral("satır\nsekme\t\x01"), QStringLiteral("]"), QStringLiteral("\"")};
    QTest::newRow("long texts") << QStringList{QString(1023, u'a'), QString(1024, u'ı'), QString(5000, u'z') + u'"',
                                               QString(), QStringLiteral("k")};
}

void tst_TableCodec::largeTablesComeBackWhole()
{
    QFETCH(QStringList, texts);
    DataSet t;
    fillBigTable(t, texts);
    const QByteArray json = encodeTable(t);
    QVERIFY(json.size() > (1 << 20));
    // Written by two threads or by one, the bytes are the same.
    {
        QThreadPool *pool = QThreadPool::globalInstance();
        const int threads = pool->maxThreadCount();
        pool->setMaxThreadCount(1);
        const QByteArray alone = encodeTable(t);
        pool->setMaxThreadCount(threads);
        QVERIFY(alone == json);
        // Also when the helper thread gets to every column first.
        setEncodeHelperFirstForTesting(true);
        const QByteArray helperOnly = encodeTable(t);
        setEncodeHelperFirstForTesting(false);
        QVERIFY(helperOnly == json);
    }
    DataSet back;
    decodeTable(json, back);
    QCOMPARE(back.fieldCount(), t.fieldCount());
    QCOMPARE(back.recordCount(), kBigRows);
    for (int c = 0; c < t.fieldCount(); ++c) {
        QCOMPARE(back.field(c)->dataType(), t.field(c)->dataType());
        const Column &a = back.field(c)->column(), &b = t.field(c)->column();
        for (std::size_t r = 0; r < std::size_t(kBigRows); ++r) {
            const bool null = b.nulls[r];
            const bool same = (a.nulls.empty() ? !null : a.nulls[r] == null)
                && (null || (!b.ints.empty() && a.ints[r] == b.ints[r]) || (!b.reals.empty() && a.reals[r] == b.reals[r])
                    || (!b.texts.empty() && a.texts[r] == b.texts[r]) || (!b.blobs.empty() && a.blobs[r] == b.blobs[r]));
            if (!same)
                QFAIL(qPrintable(QStringLiteral("column %1 row %2: %3 / %4")
                                     .arg(c)
                                     .arg(r)
                                     .arg(back.field(c)->stringAt(int(r)), t.field(c)->stringAt(int(r)))));
        }
    }
}

void tst_TableCodec::largeBadTables_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");     // -1: drop the last value; -2: add one more
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("cutAt");   // > 0: the document is cut to this many bytes

    QTest::newRow("one value short in a middle column") << 1 << -1 << QByteArray() << 0;
    QTest::newRow("one value more in the last column") << 3 << -2 << QByteArray("null") << 0;
    QTest::newRow("first column short") << 0 << -1 << QByteArray() << 0;
    QTest::newRow("text deep in a number column") << 2 << 50000 << QByteArray("\"x\"") << 0;
    QTest::newRow("nested array in a column") << 1 << 30000 << QByteArray("[1]") << 0;
    QTest::newRow("object in a column") << 3 << 100 << QByteArray("{}") << 0;
    QTest::newRow("control character deep in a text") << 1 << 40000 << QByteArray("\"a\x01b\"") << 0;
    QTest::newRow("bad escape deep in a text") << 1 << 20000 << QByteArray(R"("\q")") << 0;
    QTest::newRow("empty value between commas") << 0 << 500 << QByteArray() << 0;
    QTest::newRow("missing comma") << 2 << 10 << QByteArray("1 2") << 0;
    QTest::newRow("stray quote in a text") << 1 << 12345 << QByteArray(R"("a"b")") << 0;
    QTest::newRow("unclosed text at the end") << 3 << 59999 << QByteArray("\"ADET") << 0;
    QTest::newRow("cut in the middle") << 0 << 0 << QByteArray("0") << 1200000;
    QTest::newRow("cut inside the last column") << 0 << 0 << QByteArray("0") << -20;
    QTest::newRow("number out of range late in a column") << 2 << 59000 << QByteArray("1e999") << 0;
}

void tst_TableCodec::largeBadTables()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QByteArray, value);
    QFETCH(int, cutAt);
    static const RawTable whole;
    RawTable raw = whole;
    QByteArrayList &values = raw.columns[column];
    if (row == -1)
        values.removeLast();
    else if (row == -2)
        values.append(value);
    else
        values[row] = value;
    QByteArray json = raw.json();
    QVERIFY(json.size() > (1 << 20));
    if (cutAt > 0)
        json.truncate(cutAt);
    else if (cutAt < 0)
        json.chop(-cutAt);
    DataSet t;
    checkRefused(json, t);
}

void tst_TableCodec::firstFaultIsReportedWhateverTheThreads()
{
    // Columns read side by side may fail in any order; the fault reported is
    // the one nearest the start, every time.
    auto message = [](const RawTable &raw) -> std::string {
        DataSet t;
        try {
            decodeTable(raw.json(), t);
        } catch (const TableFormatError &e) {
            return e.what();
        }
        return "no fault";
    };
    RawTable first;
    first.columns[1][40000] = R"("\q")";
    RawTable both = first;
    both.columns[2][5] = "\"x\"";
    both.columns[3][7] = "true";
    const std::string expected = message(first);
    QVERIFY(expected != "no fault");
    for (int i = 0; i < 5; ++i)
        QCOMPARE(message(both), expected);
}

void tst_TableCodec::decodedTextsLiveOnTheirOwn()
{
    QStringList texts;
    for (int i = 0; i < 40; ++i)
        texts << QStringLiteral("Ön fren balatası %1").arg(i) << QStringLiteral("ADET");
    DataSet source;
    fillBigTable(source, texts);
    QStringList kept;
    QList<QString> expected;
    {
        DataSet back;
        decodeTable(encodeTable(source), back);
        for (int r : {1, 2, 3, 1000, 1001, kBigRows - 1})
            kept << back.field(1)->stringAt(r) << back.field(2)->stringAt(r);
        expected = kept;
        // Every text ends in a zero, as Qt promises for any string.
        for (const QString &s : std::as_const(kept))
            QCOMPARE(s.utf16()[s.size()], u'\0');
        // Changing one cell leaves its neighbours alone.
        back.field(1)->column().texts[2].append(QStringLiteral(" DEĞİŞTİ"));
        back.field(1)->column().texts[3][0] = u'X';
        QCOMPARE(back.field(1)->stringAt(1), source.field(1)->stringAt(1));
        QCOMPARE(back.field(1)->stringAt(2), source.field(1)->stringAt(2) + QStringLiteral(" DEĞİŞTİ"));
        QCOMPARE(back.field(1)->stringAt(4), source.field(1)->stringAt(4));
        // Reading another table into it lets go of the first one's texts.
        decodeTable(encodeTable(source), back);
        QCOMPARE(kept, expected);
        back.emptyDataSet();
        QCOMPARE(kept, expected);
    }
    // The data set is gone; the kept texts still hold their values and can
    // be changed in every way.
    QCOMPARE(kept, expected);
    kept[0].append(QString(3000, u'+'));
    kept[1].prepend(QStringLiteral("<<"));
    kept[2].squeeze();
    kept[3].resize(2);
    kept[4].replace(u'A', u'Ä');
    kept[5].truncate(0);
    QCOMPARE(kept[0], expected[0] + QString(3000, u'+'));
    QCOMPARE(kept[1], QStringLiteral("<<") + expected[1]);
    QCOMPARE(kept[2], expected[2]);
    QCOMPARE(kept[3], expected[3].left(2));
    QCOMPARE(kept[4], QString(expected[4]).replace(u'A', u'Ä'));
    QVERIFY(kept[5].isEmpty());
    QCOMPARE(kept.mid(6), expected.mid(6));
}

void tst_TableCodec::brokenUtf8BecomesReplacementCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QString bad(QChar(0xFFFD));
    QTest::newRow("cut two-byte letter at the end") << QByteArray("ab\xC5") << QStringLiteral("ab") + bad;
    QTest::newRow("stray continuation byte") << QByteArray("a\x9F" "b") << QStringLiteral("a") + bad + u'b';
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << bad + bad;
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80x") << bad + bad + bad + u'x';
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << bad + bad + bad + bad;
    QTest::newRow("fine four-byte letter") << QByteArray("\xF0\x9F\x9A\x97") << QString::fromUtf16(u"\U0001F697");
    QTest::newRow("fine letters around a bad byte") << QByteArray("Ş\xFFı") << QStringLiteral("Ş") + bad + u'ı';
}

void tst_TableCodec::brokenUtf8BecomesReplacementCharacters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    DataSet t;
    decodeTable(R"({"columns":[{"name":"A","type":6}],"data":[[")" + bytes + R"(","ok"]]})", t);
    QCOMPARE(t.recordCount(), 2);
    QCOMPARE(t.field(0)->stringAt(0), text);
    QCOMPARE(t.field(0)->stringAt(1), QStringLiteral("ok"));
}

QTEST_GUILESS_MAIN(tst_TableCodec)
#include "tst_tablecodec.moc"

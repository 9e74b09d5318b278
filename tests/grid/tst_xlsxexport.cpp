#include "grid/gridview.h"
#include "grid/imagelist.h"
#include "grid/xlsxexport.h"
#include "protocol/dataset.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace varo;

namespace {

QByteArray unzipPart(const QString &file, const QString &part)
{
    QProcess p;
    p.start("unzip", {"-p", file, part});
    if (!p.waitForFinished(10000))
        return {};
    return p.readAllStandardOutput();
}

struct Cell {
    QString type;   // "s", "inlineStr", "b", "n"
    QString value;  // text for strings, the number's text otherwise
    int style = 0;
};

// The cells of the first sheet by reference ("A1"), strings resolved, and the
// number format of each style.
struct Workbook {
    QMap<QString, Cell> cells;
    QStringList formatOfStyle;

    QString text(const QString &ref) const { return cells.value(ref).value; }
    QString format(const QString &ref) const { return formatOfStyle.value(cells.value(ref).style); }
};

Workbook readBack(const QString &file)
{
    Workbook wb;
    QStringList shared;
    {
        QXmlStreamReader x(unzipPart(file, "xl/sharedStrings.xml"));
        QString cur;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == u"si")
                cur.clear();
            else if (x.isStartElement() && x.name() == u"t")
                cur += x.readElementText();
            else if (x.isEndElement() && x.name() == u"si")
                shared << cur;
        }
    }
    {
        QMap<int, QString> custom;
        QXmlStreamReader x(unzipPart(file, "xl/styles.xml"));
        bool inXfs = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == u"numFmt")
                custom[x.attributes().value("numFmtId").toInt()] = x.attributes().value("formatCode").toString();
            else if (x.isStartElement() && x.name() == u"cellXfs")
                inXfs = true;
            else if (x.isEndElement() && x.name() == u"cellXfs")
                inXfs = false;
            else if (inXfs && x.isStartElement() && x.name() == u"xf") {
                const int id = x.attributes().value("numFmtId").toInt();
                wb.formatOfStyle << (custom.contains(id) ? custom[id] : QString::number(id));
            }
        }
    }
    QXmlStreamReader x(unzipPart(file, "xl/worksheets/sheet1.xml"));
    QString ref;
    Cell cell;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == u"c") {
            ref = x.attributes().value("r").toString();
            cell = Cell{x.attributes().value("t").toString(), {}, x.attributes().value("s").toInt()};
        } else if (x.isStartElement() && (x.name() == u"v" || x.name() == u"t")) {
            cell.value = x.readElementText();
        } else if (x.isEndElement() && x.name() == u"c") {
            if (cell.type == u"s")
                cell.value = shared.value(cell.value.toInt());
            wb.cells[ref] = cell;
        }
    }
    return wb;
}

}  // namespace

class TstXlsxExport : public QObject {
    Q_OBJECT
private slots:
    void numberFormats_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("expected");
        QTest::newRow("money") << "#,###,##0.00" << "#,##0.00";
        QTest::newRow("two integer digits") << "#,###,##00.00" << "#,#00.00";
        QTest::newRow("no grouping") << "0.000" << "0.000";
        QTest::newRow("sections") << "#,##0.00;-#,##0.00" << "#,##0.00;-#,##0.00";
        QTest::newRow("none") << "" << "";
    }
    void numberFormats()
    {
        QFETCH(QString, picture);
        QFETCH(QString, expected);
        QCOMPARE(spreadsheetNumberFormat(picture), expected);
    }

    void paths_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("xlsx kept") << "/tmp/a.xlsx" << "/tmp/a.xlsx";
        QTest::newRow("xls becomes xlsx") << "/tmp/a.xls" << "/tmp/a.xlsx";
        QTest::newRow("no extension") << "/tmp/sepet" << "/tmp/sepet.xlsx";
        QTest::newRow("dotted name") << "/tmp/sepet.2024" << "/tmp/sepet.2024.xlsx";
        QTest::newRow("cancelled") << "" << "";
    }
    void paths()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(normaliseSpreadsheetPath(chosen), written);
    }

    void wholeGridReadBack()
    {
        DataSet ds;
        ds.setFieldDefs({{"STOKNO", FieldType::Int32},
                         {"ADI", FieldType::WideString},
                         {"FIYAT", FieldType::Float},
                         {"TARIH", FieldType::Date},
                         {"DURUM", FieldType::Int32},
                         {"GIZLI", FieldType::WideString}});
        ds.fieldByName("FIYAT")->setDisplayFormat("#,###,##0.00");
        const int n = 250;  // more than a screen page
        for (int i = 0; i < n; ++i) {
            ds.appendRecord();
            ds.fieldByName("STOKNO")->setValue(i);
            ds.fieldByName("ADI")->setValue(i == 3 ? QStringLiteral("ÇİĞ & <ÖZEL> \"ş\"") : QStringLiteral("P%1").arg(i));
            if (i != 5)
                ds.fieldByName("FIYAT")->setValue(1000.0 + i + 0.25);
            ds.fieldByName("TARIH")->setValue(QDate(2024, 3, 1).addDays(i));
            ds.fieldByName("DURUM")->setValue(i % 2);
            ds.fieldByName("GIZLI")->setValue("x");
        }
        DataSource src(&ds);
        GridView g;
        g.setColumns({col("STOKNO", "No"), col("ADI", "Açıklama"), col("FIYAT", "Fiyatı"), col("TARIH", "Tarih"),
                      col("DURUM", "Durum").iconCell(&stateImages(), stockStateIcons()), col("GIZLI", "Gizli").hidden()});
        g.setDataSource(&src);
        g.sortBy("STOKNO", Qt::DescendingOrder);

        QTemporaryDir dir;
        const QString file = dir.filePath("sepet.xlsx");
        const ExportResult res = exportGridToXlsx(g, file);
        QVERIFY2(res.ok, qPrintable(res.error));
        QCOMPARE(res.rows, n);
        const Workbook wb = readBack(file);

        // Captions of the visible columns only.
        QCOMPARE(wb.text("A1"), QStringLiteral("No"));
        QCOMPARE(wb.text("B1"), QStringLiteral("Açıklama"));
        QCOMPARE(wb.text("C1"), QStringLiteral("Fiyatı"));
        QCOMPARE(wb.text("D1"), QStringLiteral("Tarih"));
        QCOMPARE(wb.text("E1"), QStringLiteral("Durum"));
        QVERIFY(!wb.cells.contains("F1"));
        // Every row, in view order (sorted descending).
        QCOMPARE(wb.text("A2"), QString::number(n - 1));
        QCOMPARE(wb.text(QStringLiteral("A%1").arg(n + 1)), QStringLiteral("0"));
        QVERIFY(!wb.cells.contains(QStringLiteral("A%1").arg(n + 2)));
        // Numbers as numbers with their format, dates as date serials.
        const QString price = QStringLiteral("C%1").arg(n + 1);  // row of STOKNO 0
        QCOMPARE(wb.cells[price].type, QString());
        QCOMPARE(wb.text(price).toDouble(), 1000.25);
        QCOMPARE(wb.format(price), QStringLiteral("#,##0.00"));
        const QString date = QStringLiteral("D%1").arg(n + 1);
        QCOMPARE(wb.text(date).toDouble(), dateToSerial(QDate(2024, 3, 1)));
        QCOMPARE(wb.format(date), QStringLiteral("dd.mm.yyyy"));
        // Texts survive with their Turkish letters and markup characters.
        const QString special = QStringLiteral("B%1").arg(n + 1 - 3);
        QCOMPARE(wb.text(special), QStringLiteral("ÇİĞ & <ÖZEL> \"ş\""));
        // A null cell stays empty; an icon cell carries its description.
        QVERIFY(!wb.cells.contains(QStringLiteral("C%1").arg(n + 1 - 5)));
        QCOMPARE(wb.text(QStringLiteral("E%1").arg(n + 1)), QStringLiteral("Yok"));
        QCOMPARE(wb.text(QStringLiteral("E%1").arg(n)), QStringLiteral("Var"));
    }

    void filteredRowsOnly()
    {
        DataSet ds;
        ds.setFieldDefs({{"ADI", FieldType::WideString}});
        for (const char *s : {"FREN", "DISK", "FREN HORTUMU"}) {
            ds.appendRecord();
            ds.fieldByName("ADI")->setValue(QString::fromUtf8(s));
        }
        DataSource src(&ds);
        GridView g;
        g.setColumns({col("ADI", "Açıklama")});
        g.setDataSource(&src);
        g.setColumnFilter("ADI", {FilterOp::BeginsWith, "fren"});
        QTemporaryDir dir;
        const QString file = dir.filePath("f.xlsx");
        QVERIFY(exportGridToXlsx(g, file).ok);
        const Workbook wb = readBack(file);
        QCOMPARE(wb.text("A2"), QStringLiteral("FREN"));
        QCOMPARE(wb.text("A3"), QStringLiteral("FREN HORTUMU"));
        QVERIFY(!wb.cells.contains("A4"));
    }

    void footerBelowTheRows()
    {
        DataSet ds;
        ds.setFieldDefs({{"TARIH", FieldType::Date}, {"BORC", FieldType::Float}, {"D", FieldType::WideString}});
        ds.fieldByName("BORC")->setDisplayFormat("#,###,##0.00");
        for (double v : {100.0, 23.5}) {
            ds.appendRecord();
            ds.fieldByName("TARIH")->setValue(QDate(2024, 5, 1));
            ds.fieldByName("BORC")->setValue(v);
        }
        DataSource src(&ds);
        GridView g;
        g.setColumns({col("TARIH", "Tarih"), col("BORC", "Borç"), col("D")});
        g.summary().footerText = [](int index, const QVariant &, const QString &def) {
            return index == 2 ? QStringLiteral("B") : def;
        };
        g.setSummaries({{"TARIH", SummaryKind::Count, {}, {}},
                        {"BORC", SummaryKind::Sum, {}, {}},
                        {"D", SummaryKind::Custom, {}, {}}});
        g.setFooterVisible(true);
        g.setDataSource(&src);
        QTemporaryDir dir;
        const QString file = dir.filePath("ekstre.xlsx");
        QVERIFY(exportGridToXlsx(g, file).ok);
        const Workbook wb = readBack(file);
        QCOMPARE(wb.text("A4"), QStringLiteral("2"));
        QCOMPARE(wb.text("B4").toDouble(), 123.5);
        QCOMPARE(wb.format("B4"), QStringLiteral("#,##0.00"));
        QCOMPARE(wb.text("C4"), QStringLiteral("B"));

        // No footer row when the grid shows none.
        g.setFooterVisible(false);
        QVERIFY(exportGridToXlsx(g, file).ok);
        QVERIFY(!readBack(file).cells.contains("A4"));
    }

    void unwritablePathFails()
    {
        DataSet ds;
        DataSource src(&ds);
        GridView g;
        g.setColumns({col("ADI", "Açıklama")});
        g.setDataSource(&src);
        const ExportResult res = exportGridToXlsx(g, "/nonexistent-dir/x/y.xlsx");
        QVERIFY(!res.ok);
        QVERIFY(!res.error.isEmpty());
    }
};

QTEST_MAIN(TstXlsxExport)
#include "tst_xlsxexport.moc"

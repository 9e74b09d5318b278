#include "catalogue/kayanyazi.h"
#include "catalogue/kayanyazimetni.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QtTest>

using namespace varo::katalog;

namespace {

QFont temelYazi()
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(20);
    return f;
}

// The format of the text run that holds the given word.
QTextCharFormat bicimi(const QTextDocument &doc, const QString &kelime)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(kelime))
                return it.fragment().charFormat();
    return {};
}

}  // namespace

class TstKayanYazi : public QObject {
    Q_OBJECT
private slots:
    void duzMetin_data()
    {
        QTest::addColumn<QString>("isaretli");
        QTest::addColumn<QString>("duz");
        QTest::newRow("tags go, text stays") << QStringLiteral("<b>Yeni</b> <i>ürün</i>") << QStringLiteral("Yeni ürün");
        QTest::newRow("blanks collapse") << QStringLiteral("  a \n\t b  ") << QStringLiteral("a b ");
        QTest::newRow("entities") << QStringLiteral("A&amp;B &lt;3&gt; &#65;&#x42;") << QStringLiteral("A&B <3> AB");
        QTest::newRow("unknown entity kept") << QStringLiteral("a &zz; b") << QStringLiteral("a &zz; b");
        QTest::newRow("unknown tag dropped") << QStringLiteral("<blink>x</blink>y") << QStringLiteral("xy");
        QTest::newRow("lone angle") << QStringLiteral("3 < 4") << QStringLiteral("3 < 4");
        QTest::newRow("comment") << QStringLiteral("a<!-- x -->b") << QStringLiteral("ab");
    }
    void duzMetin()
    {
        QFETCH(QString, isaretli);
        QFETCH(QString, duz);
        const auto doc = kayanYaziBelgesi(isaretli, temelYazi());
        QCOMPARE(doc->toPlainText(), duz);
        QCOMPARE(doc->blockCount(), 1);
    }

    void bicimler_data()
    {
        QTest::addColumn<QString>("isaretli");
        QTest::addColumn<QString>("kelime");
        QTest::addColumn<bool>("kalin");
        QTest::addColumn<bool>("egik");
        QTest::addColumn<bool>("alticizili");
        QTest::addColumn<bool>("ustucizili");
        QTest::addColumn<double>("punto");
        QTest::addColumn<int>("dikey");  // baseline: 1 raised, -1 lowered
        QTest::newRow("bold") << "<B>xx</B>yy" << "xx" << true << false << false << false << 20.0 << 0;
        QTest::newRow("bold closed") << "<B>xx</B>yy" << "yy" << false << false << false << false << 20.0 << 0;
        QTest::newRow("strong, lower case") << "<strong>xx</strong>" << "xx" << true << false << false << false << 20.0 << 0;
        QTest::newRow("italic") << "<I>xx</I>" << "xx" << false << true << false << false << 20.0 << 0;
        QTest::newRow("underline") << "<U>xx</U>" << "xx" << false << false << true << false << 20.0 << 0;
        QTest::newRow("strike") << "<S>xx</S>" << "xx" << false << false << false << true << 20.0 << 0;
        QTest::newRow("strike long") << "<STRIKE>xx</STRIKE>" << "xx" << false << false << false << true << 20.0 << 0;
        QTest::newRow("sup") << "a<SUP>xx</SUP>" << "xx" << false << false << false << false << 14.0 << 1;
        QTest::newRow("sub") << "a<SUB>xx</SUB>" << "xx" << false << false << false << false << 14.0 << -1;
        QTest::newRow("small") << "<SMALL>xx</SMALL>" << "xx" << false << false << false << false << 15.0 << 0;
        QTest::newRow("big") << "<BIG>xx</BIG>" << "xx" << false << false << false << false << 25.0 << 0;
        QTest::newRow("size in points") << "<FONT SIZE=30>xx</FONT>" << "xx" << false << false << false << false << 30.0 << 0;
        QTest::newRow("size plus") << "<FONT SIZE=\"+4\">xx</FONT>" << "xx" << false << false << false << false << 24.0 << 0;
        QTest::newRow("size minus") << "<FONT SIZE='-6'>xx</FONT>" << "xx" << false << false << false << false << 14.0 << 0;
        QTest::newRow("relative to big") << "<BIG><FONT SIZE=+5>xx</FONT></BIG>" << "xx" << false << false << false << false << 30.0 << 0;
        QTest::newRow("nested closes in order") << "<B><I>xx</I>yy</B>" << "yy" << true << false << false << false << 20.0 << 0;
        QTest::newRow("unclosed runs to the end") << "<U>xx yy" << "yy" << false << false << true << false << 20.0 << 0;
        QTest::newRow("stray closing ignored") << "</B>xx" << "xx" << false << false << false << false << 20.0 << 0;
        QTest::newRow("bad size ignored") << "<FONT SIZE=abc>xx</FONT>" << "xx" << false << false << false << false << 20.0 << 0;
    }
    void bicimler()
    {
        QFETCH(QString, isaretli);
        QFETCH(QString, kelime);
        const auto doc = kayanYaziBelgesi(isaretli, temelYazi());
        const QTextCharFormat f = bicimi(*doc, kelime);
        QTEST(f.fontWeight() >= QFont::Bold, "kalin");
        QTEST(f.fontItalic(), "egik");
        QTEST(f.fontUnderline(), "alticizili");
        QTEST(f.fontStrikeOut(), "ustucizili");
        QTEST(f.fontPointSize(), "punto");
        QTEST(f.baselineOffset() > 0 ? 1 : f.baselineOffset() < 0 ? -1 : 0, "dikey");
    }

    void fontNitelikleri_data()
    {
        QTest::addColumn<QString>("isaretli");
        QTest::addColumn<QString>("aile");
        QTest::addColumn<QColor>("renk");
        QTest::addColumn<QColor>("zemin");
        QTest::newRow("face and colours")
            << "<FONT FACE=\"Courier New\" COLOR=\"#FF0000\" BGCOLOR=yellow>xx</FONT>"
            << "Courier New" << QColor(Qt::red) << QColor(Qt::yellow);
        QTest::newRow("colour without hash") << "<font color=00FF00>xx</font>" << "Arial" << QColor(Qt::green) << QColor();
        QTest::newRow("bad colour ignored") << "<font color=nonsense>xx</font>" << "Arial" << QColor() << QColor();
    }
    void fontNitelikleri()
    {
        QFETCH(QString, isaretli);
        QFETCH(QString, aile);
        QFETCH(QColor, renk);
        QFETCH(QColor, zemin);
        const auto doc = kayanYaziBelgesi(isaretli, temelYazi());
        const QTextCharFormat f = bicimi(*doc, QStringLiteral("xx"));
        QCOMPARE(f.fontFamilies().toStringList().value(0), aile);
        if (renk.isValid())
            QCOMPARE(f.foreground().color(), renk);
        else
            QVERIFY(f.foreground().style() == Qt::NoBrush);
        if (zemin.isValid())
            QCOMPARE(f.background().color(), zemin);
        else
            QVERIFY(f.background().style() == Qt::NoBrush);
    }

    void baglantiVeResim()
    {
        const auto doc = kayanYaziBelgesi(
            QStringLiteral("<A HREF=\"http://ornek/kampanya\">buraya</A> "
                           "<IMG SRC=\"logo.png\" WIDTH=40 HEIGHT=20 HSPACE=3 VSPACE=2>"),
            temelYazi());
        const QTextCharFormat a = bicimi(*doc, QStringLiteral("buraya"));
        QVERIFY(a.isAnchor());
        QCOMPARE(a.anchorHref(), QStringLiteral("http://ornek/kampanya"));

        bool resimVar = false;
        for (auto it = doc->begin().begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (f.isImageFormat()) {
                const QTextImageFormat r = f.toImageFormat();
                QCOMPARE(r.name(), QStringLiteral("logo.png"));
                QCOMPARE(r.width(), 40.0);
                QCOMPARE(r.height(), 20.0);
                resimVar = true;
            }
        }
        QVERIFY(resimVar);
    }

    // Setting the text lays it out once; ticks only move it.
    void kaydirma()
    {
        KayanYazi k;
        k.resize(300, 50);
        k.setHiz(3, 5);
        k.KayanYaziGoster(QStringLiteral("   "));
        QVERIFY(k.bos());
        QVERIFY(k.calisiyor());

        k.KayanYaziGoster(QStringLiteral("<b>Duyuru</b> <a href=\"x:1\">bak</a>"));
        QVERIFY(!k.bos());
        QVERIFY(k.calisiyor());
        QCOMPARE(k.kayma(), 0.0);
        const qint64 anahtar = k.resimAnahtari();
        QTRY_VERIFY(k.kayma() >= 30.0);
        QCOMPARE(k.resimAnahtari(), anahtar);

        k.durdur();
        const qreal durdu = k.kayma();
        QTest::qWait(30);
        QCOMPARE(k.kayma(), durdu);
    }

    // The main window's font is bold; the ticker's plain text must not be,
    // or the bold markup would show nothing.
    void pencereninKalinYazisi()
    {
        QWidget pencere;
        QFont kalin(QStringLiteral("Tahoma"));
        kalin.setPixelSize(13);
        kalin.setBold(true);
        pencere.setFont(kalin);
        auto *k = new KayanYazi(&pencere);
        QVERIFY(!k->font().bold());
        QCOMPARE(k->font().family(), QStringLiteral("Arial"));
        QCOMPARE(k->font().pointSize(), 24);
    }

    // Set VARO_KAYAN_RESIM to a file name to look at the rendered markup.
    void gorunum()
    {
        const QString yol = qEnvironmentVariable("VARO_KAYAN_RESIM");
        if (yol.isEmpty())
            QSKIP("no picture asked for");
        KayanYazi k;
        k.resize(1500, 60);
        k.setHiz(1, 100000);
        k.KayanYaziGoster(QStringLiteral(
            "<B>Kalın</B> <I>eğik</I> <U>altı çizili</U> <S>üstü çizili</S> m<SUP>2</SUP> H<SUB>2</SUB>O "
            "<SMALL>küçük</SMALL> <BIG>büyük</BIG> <FONT FACE=\"Courier New\" SIZE=14 COLOR=red>kırmızı</FONT> "
            "<FONT SIZE=+6 BGCOLOR=yellow>sarı zemin</FONT> <A HREF=\"http://ornek\">bağlantı</A>"));
        k.durdur();
        k.setKayma(1490);  // text from the left edge
        k.show();
        QVERIFY(QTest::qWaitForWindowExposed(&k));
        QVERIFY(k.grab().save(yol));
    }

    void resimSeridi()
    {
        ResimSeridi r;
        QVERIFY(r.calisiyor());
        QCOMPARE(r.objectName(), QStringLiteral("RealTimeMarquee1"));
        QPixmap p(20, 10);
        p.fill(Qt::red);
        r.setResim(p);
        QCOMPARE(r.resim().size(), QSize(20, 10));
    }
};

QTEST_MAIN(TstKayanYazi)
#include "tst_kayanyazi.moc"

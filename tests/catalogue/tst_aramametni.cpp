#include "catalogue/aramametni.h"
#include "catalogue/vitrin.h"
#include "catalogue/resimokuma.h"

#include <QBuffer>

#include <QtTest>

using namespace varo::katalog;

class TstAramaMetni : public QObject {
    Q_OBJECT
private slots:
    void harfler_data()
    {
        QTest::addColumn<QString>("yazilan");
        QTest::addColumn<QString>("kutuda");
        QTest::newRow("s a f t") << QStringLiteral("şaft") << QStringLiteral("SAFT");
        QTest::newRow("dotless i") << QStringLiteral("ı") << QStringLiteral("I");
        QTest::newRow("dotted i") << QStringLiteral("i") << QStringLiteral("I");
        QTest::newRow("capital dotted I") << QStringLiteral("İ") << QStringLiteral("I");
        QTest::newRow("small letters") << QStringLiteral("ğüşöç") << QStringLiteral("GUSOC");
        QTest::newRow("capitals") << QStringLiteral("ĞÜŞÖÇ") << QStringLiteral("GUSOC");
        QTest::newRow("digits and blanks kept") << QStringLiteral(" fren 12-a") << QStringLiteral(" FREN 12-A");
    }
    void harfler()
    {
        QFETCH(QString, yazilan);
        QFETCH(QString, kutuda);
        QCOMPARE(aramaMetniYaz(yazilan), kutuda);
    }

    void ucHarf_data()
    {
        QTest::addColumn<QString>("metin");
        QTest::addColumn<bool>("aranir");
        QTest::newRow("two letters in blanks") << QStringLiteral("  AB  ") << false;
        QTest::newRow("three letters after a blank") << QStringLiteral(" ABC") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blanks only") << QStringLiteral("     ") << false;
        QTest::newRow("three") << QStringLiteral("ABC") << true;
        QTest::newRow("inner blank counts") << QStringLiteral("A B") << true;
    }
    void ucHarf()
    {
        QFETCH(QString, metin);
        QFETCH(bool, aranir);
        QCOMPARE(aramaYapilabilir(metin), aranir);
    }

    void duyuru_data()
    {
        QTest::addColumn<QString>("arama");
        QTest::addColumn<int>("hedef");
        QTest::newRow("campaign") << QStringLiteral("#KAMPANYA#") << int(DuyuruHedefi::Kampanya);
        QTest::newRow("new items") << QStringLiteral("#YENİ#") << int(DuyuruHedefi::Yeniler);
        QTest::newRow("new items without dotted capital is a search")
            << QStringLiteral("#YENI#") << int(DuyuruHedefi::Arama);
        QTest::newRow("part code") << QStringLiteral("FREN BALATA") << int(DuyuruHedefi::Arama);
        QTest::newRow("blank") << QStringLiteral("   ") << int(DuyuruHedefi::Hicbiri);
        QTest::newRow("untrimmed mark is a search") << QStringLiteral(" #KAMPANYA#") << int(DuyuruHedefi::Arama);
    }
    void duyuru()
    {
        QFETCH(QString, arama);
        QFETCH(int, hedef);
        QCOMPARE(int(duyuruHedefi(arama)), hedef);
    }

    void hex_data()
    {
        QTest::addColumn<QString>("metin");
        QTest::addColumn<bool>("gecerli");
        QTest::addColumn<QByteArray>("baytlar");
        QTest::newRow("pairs") << QStringLiteral("FFD8ff00") << true << QByteArray("\xFF\xD8\xFF\x00", 4);
        QTest::newRow("last lone digit") << QStringLiteral("0A7") << true << QByteArray("\x0A\x07", 2);
        QTest::newRow("empty") << QString() << true << QByteArray();
        QTest::newRow("not hex") << QStringLiteral("0G") << false << QByteArray();
    }
    void hex()
    {
        QFETCH(QString, metin);
        QFETCH(bool, gecerli);
        QFETCH(QByteArray, baytlar);
        QByteArray out("untouched");
        QCOMPARE(HexCoz(metin, &out), gecerli);
        if (gecerli)
            QCOMPARE(out, baytlar);
        else
            QCOMPARE(out, QByteArray("untouched"));
    }

    void resim_data()
    {
        QTest::addColumn<int>("gonderilen");
        QTest::addColumn<qint64>("boy");
        QTest::addColumn<bool>("gecerli");
        QTest::newRow("exact, several blocks") << 2500 << qint64(2500) << true;
        QTest::newRow("exact multiple of a block") << 2048 << qint64(2048) << true;
        QTest::newRow("short transfer") << 1000 << qint64(2500) << false;
        QTest::newRow("longer than announced") << 3000 << qint64(2048) << false;
        QTest::newRow("announced zero") << 100 << qint64(0) << false;
    }
    void resim()
    {
        QFETCH(int, gonderilen);
        QFETCH(qint64, boy);
        QByteArray veri(gonderilen, 'x');
        QBuffer b(&veri);
        b.open(QIODevice::ReadOnly);
        b.seek(10);  // read from the start whatever the stream's position
        QByteArray out;
        QTEST(stokResmiOku(b, boy, &out), "gecerli");
        if (out.size())
            QCOMPARE(out, veri);
    }

    void genislik_data()
    {
        QTest::addColumn<QList<int>>("agirlik");
        QTest::addColumn<int>("genislik");
        QTest::addColumn<QList<int>>("sonuc");
        QTest::newRow("truncated unit") << QList<int>{1, 2, 3} << 65 << QList<int>{10, 20, 30};
        QTest::newRow("narrow") << QList<int>{2, 3} << 4 << QList<int>{0, 0};
        QTest::newRow("no columns") << QList<int>{} << 500 << QList<int>{};
    }
    void genislik()
    {
        QFETCH(QList<int>, agirlik);
        QFETCH(int, genislik);
        QFETCH(QList<int>, sonuc);
        QCOMPARE(agirlikliGenislikler(agirlik, genislik), sonuc);
    }
};

QTEST_APPLESS_MAIN(TstAramaMetni)
#include "tst_aramametni.moc"

#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "catalogue/vitrinsekmeleri.h"
#include "grid/gridview.h"
#include "protocol/dataset.h"

#include <QSignalSpy>
#include <QtTest>

using namespace varo;
using namespace varo::katalog;

class TstVitrin : public QObject {
    Q_OBJECT
    QStringList m_mesajlar;

private slots:
    void init()
    {
        m_mesajlar.clear();
        shell::setMesajSunucu([this](const shell::MesajIstegi &m) {
            m_mesajlar << m.metin;
            return int(shell::mrOk);
        });
    }

    void duyuruCiftTiklama_data()
    {
        QTest::addColumn<QString>("arama");
        QTest::addColumn<QString>("sonuc");
        QTest::newRow("campaign") << QStringLiteral("#KAMPANYA#") << QStringLiteral("kampanya");
        QTest::newRow("new items") << QStringLiteral("#YENİ#") << QStringLiteral("yeniler");
        QTest::newRow("part code") << QStringLiteral("FREN") << QStringLiteral("ara:FREN");
        QTest::newRow("blank") << QStringLiteral("  ") << QString();
    }
    void duyuruCiftTiklama()
    {
        QFETCH(QString, arama);
        shell::TsPageControl sayfalar;
        auto *sayfa = sayfalar.sayfaEkle(QStringLiteral("sTabSheetduyuru"), QStringLiteral("Duyurular"), {});
        DuyuruVitrini v(sayfa, nullptr);
        QString sonuc;
        v.kampanyayaGit = [&] { sonuc = QStringLiteral("kampanya"); };
        v.yenilereGit = [&] { sonuc = QStringLiteral("yeniler"); };
        v.ara = [&](const QString &t) { sonuc = QStringLiteral("ara:") + t; };
        v.yukle = [arama] {
            // One announcement without a picture, one with three bytes.
            return QList<Duyuru>{{1, QString(), QStringLiteral("Bir"), arama},
                                 {2, QStringLiteral("FFD8FF"), QStringLiteral("İki"), QStringLiteral("X")}};
        };
        QSignalSpy bitti(&v, &DuyuruVitrini::yuklendi);
        v.Yukle();
        QVERIFY(bitti.wait(3000));
        QCOMPARE(v.izgara->rowCount(), 2);
        QCOMPARE(v.izgara->value(1, QStringLiteral("duyuru")).toByteArray(), QByteArray("\xFF\xD8\xFF"));
        v.izgara->setFocusedRow(0);
        v.CiftTiklama();
        QTEST(sonuc, "sonuc");
    }

    void yenilerYukle()
    {
        shell::TsPageControl sayfalar;
        auto *sayfa = sayfalar.sayfaEkle(QStringLiteral("syeniler"), QStringLiteral("Yeni\r\nStoklar"), {});
        UrunVitrini v(UrunVitrini::Yeniler, sayfa, nullptr);
        bool hata = false;
        v.yukle = [&hata](DataSet &d) {
            if (hata)
                throw std::runtime_error("down");
            d.setFieldDefs({{QStringLiteral("STOK_STOKNO"), FieldType::Int32}});
            d.open();
            for (int i = 0; i < 4; ++i) {
                d.appendRecord();
                d.fieldByName(QStringLiteral("STOK_STOKNO"))->setValue(100 + i);
            }
        };
        QList<int> tiklanan;
        v.ciftTiklandi = [&](int n) { tiklanan << n; };
        QSignalSpy bitti(&v, &UrunVitrini::yuklendi);
        v.Yukle();
        QVERIFY(bitti.wait(3000));
        QCOMPARE(sayfa->BagTag(), 4);
        QVERIFY(v.izgara->isEnabled());
        v.izgara->setFocusedRow(2);
        v.CiftTiklama();
        QCOMPARE(tiklanan, QList<int>{102});
        QCOMPARE(v.veri->fieldByName(QStringLiteral("STOK_STOKNO"))->asInteger(), qint64(102));

        // A failed reload keeps the rows and reports the connection error.
        hata = true;
        v.Yukle();
        QVERIFY(bitti.wait(3000));
        QCOMPARE(v.veri->recordCount(), 4);
        QCOMPARE(m_mesajlar, QStringList{QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!")});
    }
};

QTEST_MAIN(TstVitrin)
#include "tst_vitrin.moc"

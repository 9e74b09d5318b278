#include "app/shell/cerceve.h"
#include "app/shell/mesajkutusu.h"
#include "catalogue/fiyatlistesi.h"
#include "catalogue/vitrinsekmeleri.h"
#include "grid/gridview.h"
#include "protocol/dataset.h"

#include <QLineEdit>
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

    void fiyatListesi()
    {
        shell::TsPageControl sayfalar;
        auto *sayfa = sayfalar.sayfaEkle(QStringLiteral("sTabSheet2"), QStringLiteral("Orjinal\r\nFiyatlar"), {});
        FiyatListesi f(sayfa, nullptr);
        QStringList gelen;
        bool hata = false;
        f.varodeAra = [&](const QString &s, DataSet &d) {
            gelen << s;
            if (hata)
                throw std::runtime_error("down");
            d.setFieldDefs({{QStringLiteral("KOD"), FieldType::WideString}, {QStringLiteral("KDVHARIC"), FieldType::Float}});
            d.open();
            d.appendRecord();
            d.fieldByName(QStringLiteral("KOD"))->setValue(s);
            d.fieldByName(QStringLiteral("KDVHARIC"))->setValue(1000.0);
        };
        QSignalSpy bitti(&f, &FiyatListesi::aramaBitti);
        f.varoedit->setText(QStringLiteral("   "));
        QTest::keyClick(f.varoedit, Qt::Key_Return);
        QVERIFY(gelen.isEmpty());  // blank text: nothing asked

        f.varoedit->setText(QStringLiteral(" X1"));  // no minimum length, sent as typed
        QTest::keyClick(f.varoedit, Qt::Key_Return);
        QVERIFY(bitti.wait(3000));
        QCOMPARE(gelen, QStringList{QStringLiteral(" X1")});
        QCOMPARE(f.cxGrid7DBTableView1->displayText(0, QStringLiteral("KDVHARIC")), QStringLiteral("1.000,00"));

        hata = true;
        QTest::keyClick(f.varoedit, Qt::Key_Return);
        QVERIFY(bitti.wait(3000));
        QCOMPARE(f.VAROLISTE->recordCount(), 1);  // kept on failure
        QCOMPARE(m_mesajlar.size(), 1);
    }
};

QTEST_MAIN(TstVitrin)
#include "tst_vitrin.moc"

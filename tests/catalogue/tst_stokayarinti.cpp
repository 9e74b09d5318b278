#include "catalogue/stokayarinti.h"

#include <QBuffer>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using namespace varo::katalog;

namespace {

SepeteEkleGorunum gorunum(bool acik)
{
    SepeteEkleGorunum g;
    g.barkod = QStringLiteral("8690001");
    g.adi = QStringLiteral("FREN BALATASI");
    g.indirimBasligi = QStringLiteral("İndirim:  % 10,00");
    g.fiyatAcik = acik;
    g.fiyat.kdvoran = 18;
    g.fiyat.birimfiyat = 1000;
    g.fiyat.indoran = 10;
    g.fiyat.indtutar = 900;
    g.fiyat.kdvdahiltutar = 1062;
    g.fiyat.kdvlifiyat = 1062;
    return g;
}

}  // namespace

class TstStokAyarinti : public QObject {
    Q_OBJECT
private slots:
    void dolumVeIlkToplam()
    {
        Tstokayarinti d;
        d.doldur(gorunum(false));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("Sepete Ekle"));
        QCOMPARE(d.barkod->text(), QStringLiteral("8690001"));
        QCOMPARE(d.indirimoran->text(), QStringLiteral("İndirim:  % 10,00"));
        QCOMPARE(d.birimfiyat->text(), QStringLiteral("1.000,00"));
        QCOMPARE(d.geneltutar->text(), QStringLiteral("1.062,00"));
        QCOMPARE(d.adet->minimum(), 1);
        QCOMPARE(d.adet->maximum(), 10000);
    }

    // Only staff (types 1 and 2) may type a price or a discount.
    void kilit_data()
    {
        QTest::addColumn<bool>("acik");
        QTest::newRow("locked") << false;
        QTest::newRow("open") << true;
    }
    void kilit()
    {
        QFETCH(bool, acik);
        Tstokayarinti d;
        d.doldur(gorunum(acik));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.birimfiyat->isReadOnly(), !acik);
        QCOMPARE(d.indoran->isReadOnly(), !acik);
        QVERIFY(d.indtutar->isReadOnly());
        QVERIFY(d.kdvdahiltutar->isReadOnly());
        QVERIFY(d.geneltutar->isReadOnly());

        d.birimfiyat->setFocus();
        d.birimfiyat->selectAll();
        QTest::keyClicks(d.birimfiyat, QStringLiteral("2000"));
        QCOMPARE(d.birimFiyat(), acik ? 2000.0 : 1000.0);
        // 2000 - 10 % = 1800; x 1.18 = 2124
        QCOMPARE(d.geneltutar->text(), acik ? QStringLiteral("2.124,00") : QStringLiteral("1.062,00"));
    }

    void adetDegisince()
    {
        Tstokayarinti d;
        d.doldur(gorunum(false));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.adet->setValue(3);
        QCOMPARE(d.geneltutar->text(), QStringLiteral("3.186,00"));
        QCOMPARE(d.miktar(), 3.0);
        QTest::keyClick(d.adet, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void vazgec()
    {
        Tstokayarinti d;
        d.doldur(gorunum(false));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTest::mouseClick(d.ParcaliTus2, Qt::LeftButton);
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }

    // Set VARO_AYARINTI_RESIM to a file name to look at the dialog.
    void ekranGoruntusu()
    {
        const QString yol = qEnvironmentVariable("VARO_AYARINTI_RESIM");
        if (yol.isEmpty())
            QSKIP("no picture asked for");
        Tstokayarinti d;
        d.doldur(gorunum(true));
        d.adet->setValue(3);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.grab().save(yol));
    }

    void resim()
    {
        Tstokayarinti d;
        QVERIFY(!d.resimGoster(QByteArray("not a picture")));
        QImage im(40, 30, QImage::Format_RGB32);
        im.fill(Qt::blue);
        QByteArray jpg;
        QBuffer b(&jpg);
        b.open(QIODevice::WriteOnly);
        QVERIFY(im.save(&b, "JPG"));
        QVERIFY(d.resimGoster(jpg));
    }
};

QTEST_MAIN(TstStokAyarinti)
#include "tst_stokayarinti.moc"

#include "app/identity/identity.h"
#include "app/login/kullanicikayit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace varo::login;

namespace {
class FixedSources : public varo::identity::IdentitySources {
public:
    QString deviceDatabaseDiskSerial() override { return QStringLiteral("ab 12cd"); }
    QString driveSerial(int) override { return {}; }
    QList<QByteArray> adapterAddresses() override { return {}; }
    QString computerName() override { return {}; }
    QString userName() override { return {}; }
    QString hostIpv4() override { return {}; }
};

class FakeServer : public IstekSunucusu {
public:
    std::optional<CariBilgisi> cari;
    bool connects = true;
    bool throws = false;
    QList<QStringList> sent;
    std::optional<CariBilgisi> MobilCariBilgisiGetir(int sirano, const QString &idsi) override
    {
        asked << QStringLiteral("%1:%2").arg(sirano).arg(idsi);
        return connects ? cari : std::nullopt;
    }
    bool MailGonserCari(const QString &idsi, const QString &baslik, const IstekAlanlari &a) override
    {
        if (throws)
            throw std::runtime_error("sunucu hatası");
        if (!connects)
            return false;
        sent << QStringList{idsi, baslik, a.firmaadi, a.adres1, a.adres2, a.ilce, a.sehir, a.telefon,
                            a.fax, a.vd, a.vn, a.yetkili, a.kullaniciadi, a.sifre, a.mail, a.kargoambar};
        return true;
    }
    QStringList asked;
};

const char *const kOrder[] = {"firmaadi", "adres1", "adres2", "ilce", "sehir", "telefon", "fax",
                              "vd", "vn", "yetkili", "kullaniciadi", "sifre", "mail", "kargoambar"};
} // namespace

class TstKullaniciKayit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { varo::identity::setIdentitySources(&m_sources); }
    void firstEmptyField_data();
    void firstEmptyField();
    void sendsTextsAsTyped();
    void passwordChangePrefill();
    void failuresShowNoSuccess();

private:
    FixedSources m_sources;
};

void TstKullaniciKayit::firstEmptyField_data()
{
    QTest::addColumn<QStringList>("filled"); // edits given a value
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing filled") << QStringList() << "firmaadi" << "Firma Adı boş olamaz !";
    QTest::newRow("only firm name") << QStringList{"firmaadi"} << "adres1" << "Adres boş olamaz !";
    QTest::newRow("optional fields skipped") << QStringList{"firmaadi", "adres1"} << "ilce" << "İlçe Adı boş olamaz !";
    QTest::newRow("city") << QStringList{"firmaadi", "adres1", "ilce"} << "sehir" << "Şehir Adı boş olamaz !";
    QTest::newRow("phone") << QStringList{"firmaadi", "adres1", "ilce", "sehir"} << "telefon" << "Telefon  boş olamaz !";
    QTest::newRow("person") << QStringList{"firmaadi", "adres1", "ilce", "sehir", "telefon"} << "yetkili" << "Yetkili  boş olamaz !";
    QTest::newRow("user") << QStringList{"firmaadi", "adres1", "ilce", "sehir", "telefon", "yetkili"}
                          << "kullaniciadi" << "Kullanıcı  boş olamaz !";
    QTest::newRow("password") << QStringList{"firmaadi", "adres1", "ilce", "sehir", "telefon", "yetkili", "kullaniciadi"}
                              << "sifre" << "Şifre  boş olamaz !";
    QTest::newRow("mail") << QStringList{"firmaadi", "adres1", "ilce", "sehir", "telefon", "yetkili", "kullaniciadi", "sifre"}
                          << "mail" << "Mail  boş olamaz !";
}

void TstKullaniciKayit::firstEmptyField()
{
    QFETCH(QStringList, filled);
    QFETCH(QString, field);
    QFETCH(QString, message);
    auto server = std::make_shared<FakeServer>();
    QStringList messages;
    std::unique_ptr<Tkullanicikayit> f(Tkullanicikayit::Yeni(nullptr, server, [&](const QString &t, MessageKind k) {
        QCOMPARE(k, MessageKind::Uyari);
        messages << t;
    }));
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    for (const QString &name : filled)
        f->findChild<QLineEdit *>(name)->setText(QStringLiteral("X"));
    // A field of blanks only counts as empty.
    f->findChild<QLineEdit *>(field)->setText(QStringLiteral("   "));
    f->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    QCOMPARE(messages, QStringList{message});
    QCOMPARE(QApplication::focusWidget(), f->findChild<QLineEdit *>(field));
    QVERIFY(server->sent.isEmpty());
}

void TstKullaniciKayit::sendsTextsAsTyped()
{
    auto server = std::make_shared<FakeServer>();
    QStringList messages;
    std::unique_ptr<Tkullanicikayit> f(Tkullanicikayit::Yeni(nullptr, server, [&](const QString &t, MessageKind) { messages << t; }));
    QCOMPARE(f->windowTitle(), QStringLiteral("B2B İstek Formu"));
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("lblid"))->text(), QStringLiteral("Bilgisayar ID: AB12CD"));
    QStringList expected{QStringLiteral("AB12CD"), QStringLiteral("B2B Yeni Kullanıcı İstek")};
    for (const char *name : kOrder) {
        const bool optional = QByteArray(name) == "adres2" || QByteArray(name) == "fax" || QByteArray(name) == "vd"
                              || QByteArray(name) == "vn" || QByteArray(name) == "kargoambar";
        const QString v = optional ? QString() : QStringLiteral("  %1 değeri").arg(QLatin1String(name));
        f->findChild<QLineEdit *>(QLatin1String(name))->setText(v);
        expected << v;
    }
    f->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    QCOMPARE(server->sent.size(), 1);
    QCOMPARE(server->sent.first(), expected);
    QCOMPARE(messages, QStringList{QStringLiteral("İsteğiniz Gönderildi!")});
    // The form stays open; another press sends again.
    f->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    QCOMPARE(server->sent.size(), 2);
    f->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    QCOMPARE(f->result(), int(QDialog::Rejected));
}

void TstKullaniciKayit::passwordChangePrefill()
{
    auto server = std::make_shared<FakeServer>();
    server->cari = CariBilgisi{QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("KADIKÖY"), QStringLiteral("İSTANBUL"),
                               QStringLiteral("T1"), QStringLiteral("F1"), QStringLiteral("VD"), QStringLiteral("123")};
    std::unique_ptr<Tkullanicikayit> f(Tkullanicikayit::Ac(nullptr, server, QStringLiteral("ALI"), QStringLiteral("ALI OTO"),
                                                           [](const QString &, MessageKind) {}));
    QCOMPARE(f->windowTitle(), QStringLiteral("Şifre Değiştirme İsteği"));
    QCOMPARE(f->durum(), TIstek::teski);
    QCOMPARE(server->asked, QStringList{QStringLiteral("0:AB12CD")});
    const IstekAlanlari a = f->alanlar();
    QCOMPARE(a.kullaniciadi, QStringLiteral("ALI"));
    QCOMPARE(a.firmaadi, QStringLiteral("ALI OTO"));
    QCOMPARE(a.ilce, QStringLiteral("KADIKÖY"));
    QCOMPARE(a.vn, QStringLiteral("123"));
    QVERIFY(a.yetkili.isEmpty() && a.sifre.isEmpty() && a.mail.isEmpty() && a.kargoambar.isEmpty());

    server->connects = false;
    std::unique_ptr<Tkullanicikayit> g(Tkullanicikayit::Ac(nullptr, server, QStringLiteral("ALI"), QStringLiteral("ALI OTO"),
                                                           [](const QString &, MessageKind) {}));
    QVERIFY(g->alanlar().adres1.isEmpty());
    QCOMPARE(g->alanlar().firmaadi, QStringLiteral("ALI OTO"));
}

void TstKullaniciKayit::failuresShowNoSuccess()
{
    auto server = std::make_shared<FakeServer>();
    QStringList messages;
    std::unique_ptr<Tkullanicikayit> f(Tkullanicikayit::Ac(nullptr, server, QStringLiteral("ALI"), QStringLiteral("ALI OTO"),
                                                           [&](const QString &t, MessageKind) { messages << t; }));
    for (const char *name : kOrder)
        f->findChild<QLineEdit *>(QLatin1String(name))->setText(QStringLiteral("X"));
    server->connects = false;
    f->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    server->connects = true;
    server->throws = true;
    f->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    QCOMPARE(messages, QStringList{QStringLiteral("sunucu hatası")});
    QVERIFY(server->sent.isEmpty());
}

QTEST_MAIN(TstKullaniciKayit)
#include "tst_kullanicikayit.moc"

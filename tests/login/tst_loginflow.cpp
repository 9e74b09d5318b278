#include "app/login/loginflow.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace varo::login;

Q_DECLARE_METATYPE(varo::login::LoginOutcome)

class TstLoginFlow : public QObject {
    Q_OBJECT
private slots:
    void evaluation_data();
    void evaluation();
    void settingsRoundTrip_data();
    void settingsRoundTrip();
    void settingsMissingFile();
};

// Each case records the hooks in the order they ran.
void TstLoginFlow::evaluation_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("varmi");
    QTest::addColumn<QString>("adi");
    QTest::addColumn<QString>("sifre");
    QTest::addColumn<int>("aktif");
    QTest::addColumn<int>("tip");
    QTest::addColumn<bool>("selectionOk");
    QTest::addColumn<LoginOutcome>("outcome");
    QTest::addColumn<QString>("trace");

    QTest::newRow("call failed") << false << 5 << true << "ALI" << "X" << 1 << 0 << true
                                 << LoginOutcome::ConnectionFailed << "fail:Hata:Bağlantı Kurulamadı !";
    QTest::newRow("dealer accepted") << true << 5 << true << "ALI" << "X" << 1 << 0 << true
                                     << LoginOutcome::Accepted << "save,accept";
    QTest::newRow("wrong password") << true << 5 << true << "ALI" << "Y" << 1 << 0 << true
                                    << LoginOutcome::WrongCredentials
                                    << "fail:Uyarı:Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !";
    QTest::newRow("trailing blank is a difference") << true << 5 << true << "ALI " << "X" << 1 << 0 << true
                                    << LoginOutcome::WrongCredentials
                                    << "fail:Uyarı:Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !";
    QTest::newRow("server name in lower case never matches") << true << 5 << true << "ALİ" << "X" << 1 << 0 << true
                                    << LoginOutcome::WrongCredentials
                                    << "fail:Uyarı:Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !";
    QTest::newRow("inactive saves then warns") << true << 5 << true << "ALI" << "X" << 0 << 0 << true
                                    << LoginOutcome::Inactive
                                    << "save,fail:Uyarı:Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !";
    QTest::newRow("unregistered with empty fields") << true << 5 << false << "" << "" << 0 << 0 << true
                                    << LoginOutcome::Unregistered << "request,exit";
    QTest::newRow("version 4 updates first") << true << 4 << true << "ALI" << "X" << 1 << 0 << true
                                    << LoginOutcome::Accepted << "update:4,save,accept";
    QTest::newRow("version 6 before unregistered") << true << 6 << false << "ALI" << "X" << 1 << 0 << true
                                    << LoginOutcome::Unregistered << "update:6,request,exit";
    QTest::newRow("rep type 1 chooses customer") << true << 5 << true << "ALI" << "X" << 1 << 1 << true
                                    << LoginOutcome::Accepted << "save,select,accept";
    QTest::newRow("rep type 2 cancels selection") << true << 5 << true << "ALI" << "X" << 1 << 2 << false
                                    << LoginOutcome::SelectionCancelled << "save,select,exit";
    QTest::newRow("type 3 needs no selection") << true << 5 << true << "ALI" << "X" << 1 << 3 << false
                                    << LoginOutcome::Accepted << "save,accept";
}

void TstLoginFlow::evaluation()
{
    QFETCH(bool, ok);
    QFETCH(int, version);
    QFETCH(bool, varmi);
    QFETCH(QString, adi);
    QFETCH(QString, sifre);
    QFETCH(int, aktif);
    QFETCH(int, tip);
    QFETCH(bool, selectionOk);
    QFETCH(LoginOutcome, outcome);
    QFETCH(QString, trace);

    LoginAnswer a;
    a.Version = version;
    a.Varmi = varmi;
    a.ADI = QStringLiteral("ALI");
    a.SIFRE = QStringLiteral("X");
    a.AKTIF = aktif;
    a.MusteriTipi = tip;
    if (QTest::currentDataTag() == QLatin1String("server name in lower case never matches"))
        a.ADI = QStringLiteral("Ali");

    QStringList t;
    LoginHooks h;
    h.guncellemeAc = [&](int v) { t << QStringLiteral("update:%1").arg(v); };
    h.yeniKullaniciIstegi = [&] { t << QStringLiteral("request"); };
    h.cariSecimiYap = [&] { t << QStringLiteral("select"); return selectionOk; };
    h.ayarKaydet = [&] { t << QStringLiteral("save"); };
    h.failure = [&](const QString &text, MessageKind k) {
        t << QStringLiteral("fail:%1:%2").arg(k == MessageKind::Hata ? "Hata" : "Uyarı", text);
    };
    h.accept = [&] { t << QStringLiteral("accept"); };
    h.terminate = [&] { t << QStringLiteral("exit"); };

    QCOMPARE(evaluateLogin(ok, a, adi, sifre, h), outcome);
    QCOMPARE(t.join(QLatin1Char(',')), trace);
}

void TstLoginFlow::settingsRoundTrip_data()
{
    QTest::addColumn<QString>("isim");
    QTest::addColumn<QString>("sifre");
    QTest::addColumn<bool>("hatirla");
    QTest::addColumn<QString>("line");
    QTest::newRow("remembered") << "ŞAHİN" << "ÇÖĞ1" << true << "hatırla=1";
    QTest::newRow("not remembered still writes") << "ALI" << "X" << false << "hatırla=0";
    QTest::newRow("empty values") << "" << "" << true << "isim=";
}

void TstLoginFlow::settingsRoundTrip()
{
    QFETCH(QString, isim);
    QFETCH(QString, sifre);
    QFETCH(bool, hatirla);
    QFETCH(QString, line);
    QTemporaryDir dir;
    LoginSettings s(dir.filePath(QStringLiteral("varodilva/ayar.ini")));
    QVERIFY(!s.exists());
    QVERIFY(s.write({isim, sifre, hatirla}));
    const RememberedLogin r = s.read();
    QCOMPARE(r.isim, isim);
    QCOMPARE(r.sifre, sifre);
    QCOMPARE(r.hatirla, hatirla);
    QFile f(s.path());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY2(text.contains(QStringLiteral("[kullanici]")), qPrintable(text));
    QVERIFY2(text.contains(line), qPrintable(text));
}

void TstLoginFlow::settingsMissingFile()
{
    LoginSettings s(QStringLiteral("/nonexistent/dir/ayar.ini"));
    const RememberedLogin r = s.read();
    QVERIFY(r.hatirla);
    QVERIFY(r.isim.isEmpty());
}

QTEST_GUILESS_MAIN(TstLoginFlow)
#include "tst_loginflow.moc"

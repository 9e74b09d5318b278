#include "orderserver/database.h"
#include "orderserver/httpserver.h"
#include "orderserver/methods.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

using namespace varo::orderserver;

// Every server method through the JSON form the web mirror serves.
class TestMethods : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<Repository> m_repo;
    std::unique_ptr<ServerMethods> m_methods;

    static QJsonValue session(int carino = 1, int type = 0)
    {
        return QJsonObject{{"type", "baglantiu.TSonucBilgisi"},
                           {"fields", QJsonObject{{"FCARINO", carino}, {"FMusteriTipi", type}, {"FSirano", 1}, {"Fcarikod", "120.01.001"}}}};
    }

private slots:
    void initTestCase()
    {
        m_db = std::make_unique<Database>(DbConfig{m_dir.filePath("m.db"), {}});
        m_db->migrate();
        seedDatabase(*m_db, SeedOptions{1500, 10, 40});
        m_repo = std::make_unique<Repository>(*m_db);
        m_repo->registerComputer("PC-1", "BAYI");
        m_methods = std::make_unique<ServerMethods>(*m_repo);
    }

    void everyMethodAnswers_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QJsonArray>("params");
        QTest::addColumn<QString>("kind");  // table, object, list, stream, int, string, bool, none, array
        const QJsonValue s = session();
        auto row = [](const char *m, QJsonArray p, const char *kind) { QTest::newRow(m) << QString::fromLatin1(m) << p << QString::fromLatin1(kind); };
        row("DSServerModuleCreate", {QJsonValue()}, "none");
        row("EchoString", {"Merhaba"}, "string");
        row("ReverseString", {"abc"}, "string");
        row("StokAra", {"FREN", "1", 0}, "table");
        row("SepetVer", {1}, "table");
        row("OncekiSiparisler", {1}, "table");
        row("OncekiSiparisler2", {1}, "table");
        row("CariEkstreVer", {1}, "table");
        row("CariEkstreVer2", {1, 45000, 47000}, "table");
        row("CariEkstreVer2Baslik", {1, 46000}, "table");
        row("YenilerVer", {1}, "table");
        row("VaroYenilerVer", {1}, "table");
        row("YenilerVerMobile", {1}, "table");
        row("KampanyaliVer", {1, 0}, "table");
        row("VaroKampanyaliVer", {1, 0}, "table");
        row("KampanyaliVermMobil", {1, 0}, "table");
        row("DuyuruVer", {}, "table");
        row("DuyuruVer2", {}, "table");
        row("BakiyelerVer", {1}, "table");
        row("BuyukGetir", {"PC-1"}, "object");
        row("ResimVer5", {5, 0}, "stream");
        row("ResimVer6", {5, 0}, "array");
        row("StokAraTesvo", {"FREN", s}, "table");
        row("Dornavel", {"FREN", s}, "table");
        row("StokAraVaro", {"FREN", s}, "table");
        row("TeslimVer", {}, "table");
        row("KargoVer", {}, "table");
        row("KargolarVer", {1}, "table");
        row("SepetEkle", {s, 1, 5, "B5", "X", 2, 18, 100, 10, 1, 0}, "int");
        row("SepetGuncelle", {s, 1, 0, "", "", 2, 18, 100, 10, 1, 999999}, "int");
        row("SepetHepsiniSil", {s}, "int");
        row("CikisGonder", {s}, "none");
        row("SepetSatirSil", {s, 999999, "B-X"}, "int");
        row("SiparisKaydet", {s, 1, 1, 1, "not", 1, 1}, "bool");
        row("Oncekiler", {1}, "table");
        row("SiparisAyrintisi", {1, 1}, "table");
        row("FaturaGetir", {1, 1}, "table");
        row("FaturaAltGetir", {1}, "table");
        row("Tahsilat", {4}, "table");
        row("SiparisAytintisiDip", {0, 1}, "object");
        row("CariAra", {s, ""}, "table");
        row("SepetSayisi", {s}, "int");
        row("TusSonuclariVer", {session(0, 1)}, "object");
        row("CariSepetVer", {s, 0}, "table");
        row("DosyaIndir", {0}, "stream");
        row("BelgeIndir", {1, 0, ""}, "stream");
        row("BelgeIndir2", {1, 0, "", s}, "stream");
        row("KayanYaziGetir", {}, "string");
        row("BannerResimVer", {0}, "stream");
        row("RaporGetir", {7, 7, 1, 1, "", 45000, 47000, 0}, "stream");
        row("KurlariAl", {0, 0}, "int");
        row("BalonGetir", {s}, "table");
        row("TumSiparislerVer", {1, 5}, "table");
        row("SepetSecimGuncelle", {1, 1}, "none");
        row("MobilStokara", {"FREN", s, 0, 10}, "list");
        row("MobilStokNoAra", {5, s}, "object");
        row("SepetMobilVer", {1}, "list");
        row("MailGonserCari", {"PC-1", "B2B Yeni Kullanıcı İstek", "F", "A1", "A2", "I", "S", "T", "F", "VD", "VN", "Y", "K", "S", "M", "KA"}, "int");
        row("MailGonserCariNormal", {"PC-1", "Başlık", "F", "A1", "A2", "I", "S", "T", "F", "VD", "VN", "Y", "K", "S", "M", "", "Konu"}, "int");
        row("MobilCariBilgisiGetir", {0, "PC-1"}, "object");
        row("AcilisReklamAdet", {}, "int");
        row("AcilisREklamVer", {0}, "object");
        row("AcilisEkranlarVer", {}, "list");
        row("AcilisEkranlarVer2", {}, "object");
        row("MobilStokaraGeri", {"FREN", s, 0, 10, QJsonValue()}, "int");
        row("MobilStokaraAdimli", {"FREN", s, 0, 10, 0, 5, false, 0}, "list");
        row("DepartmanlariGetir", {}, "table");
        row("VarodeAra", {"ORİJİNAL"}, "table");
        row("DosyaListesi", {}, "table");
        row("DosyaListesi2", {}, "table");
        row("AcilisEkranlariVerData", {}, "table");
        row("BuyukResimVer", {5, 0}, "string");
        row("HttpResimVer", {5}, "stream");
        row("KucukResimVer", {5}, "string");
        row("SifremiUnuttum", {"PC-1", 0}, "bool");
        row("BalonGetir2", {1, 0, 0, 0, 0, 0, 0}, "int");
        row("MobilSiparisKaydet", {1}, "int");
        row("RaporAlinanSiparisler", {s, 45000, 47000}, "table");
        row("RaporEnCokSatilanStoklar", {s, 45000, 47000}, "table");
        row("ParvenorVer", {}, "stream");
        row("CariDurumVer", {1}, "string");
    }
    void everyMethodAnswers()
    {
        QFETCH(QString, method);
        QFETCH(QJsonArray, params);
        QFETCH(QString, kind);
        const QJsonObject a = m_methods->call(method, params);
        const QJsonValue r = a.value("result");
        if (kind == "table") {
            QVERIFY(r.toObject().contains("columns"));
            QCOMPARE(r.toObject().value("data").toArray().size(), r.toObject().value("columns").toArray().size());
        } else if (kind == "object") {
            QVERIFY(r.toObject().value("type").toString().contains('.'));
            QVERIFY(r.toObject().contains("fields"));
        } else if (kind == "list") {
            QVERIFY(r.toObject().value("items").isArray());
        } else if (kind == "stream") {
            const QByteArray bytes = QByteArray::fromBase64(r.toObject().value("base64").toString().toLatin1());
            QVERIFY(!bytes.isEmpty());
            QCOMPARE(qint64(r.toObject().value("size").toDouble()), bytes.size());
            const QJsonObject out = a.value("out").toObject();
            for (const char *k : {"size", "boy"})
                if (out.contains(k))
                    QCOMPARE(qint64(out.value(k).toDouble()), bytes.size());
        } else if (kind == "int") {
            QVERIFY(r.isDouble());
        } else if (kind == "string") {
            QVERIFY(r.isString());
        } else if (kind == "bool") {
            QVERIFY(r.isBool());
        } else if (kind == "array") {
            QVERIFY(r.isArray());
        } else {
            QVERIFY(r.isNull());
        }
    }

    void catalogueHasEveryMethodOnce()
    {
        const QStringList names = ServerMethods::methodNames();
        QCOMPARE(names.size(), 84);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 84);
        QVERIFY_THROWS_EXCEPTION(RequestError, m_methods->call("Yok", {}));
    }

    void answersTheClientReliesOn()
    {
        QCOMPARE(m_methods->call("EchoString", {"çğış"}).value("result").toString(), QStringLiteral("çğış"));
        QCOMPARE(m_methods->call("ReverseString", {"abç"}).value("result").toString(), QStringLiteral("çba"));
        const QJsonObject unknown = m_methods->call("BuyukGetir", {"NOPE"}).value("result").toObject().value("fields").toObject();
        QCOMPARE(unknown.value("FVarmi").toBool(), false);
        const QJsonObject known = m_methods->call("BuyukGetir", {"PC-1"}).value("result").toObject().value("fields").toObject();
        QCOMPARE(known.value("FVarmi").toBool(), true);
        QCOMPARE(known.value("FVersion").toInt(), 5);
        QCOMPARE(known.value("FADI").toString(), QStringLiteral("BAYI"));
        // Delivery rows are read by position: id, then name.
        const QJsonObject teslim = m_methods->call("TeslimVer", {}).value("result").toObject();
        QCOMPARE(teslim.value("columns").toArray().at(0).toObject().value("type").toInt(), int(varo::FieldType::Int32));
        // Positions beyond the opening screens still answer an object.
        QVERIFY(m_methods->call("AcilisREklamVer", {99}).value("result").toObject().contains("fields"));
        const QJsonObject add = m_methods->call("SepetEkle", {session(), 1, 5, "B", "X", 1, 18, 10, 0, 1, 0});
        QCOMPARE(add.value("result").toInt(), 1);
        QCOMPARE(m_methods->call("SiparisKaydet", {session(), 1, 1, 1, "", 1, 1}).value("result").toBool(), true);
        QCOMPARE(m_methods->call("SiparisKaydet", {session(), 1, 1, 1, "", 1, 1}).value("result").toBool(), false);
    }

    void balancesChangeAndClose()
    {
        // A fresh open line of its own so the seeded history does not matter.
        m_methods->call("SepetEkle", {session(2), 2, 9, "B9", "X", 4, 18, 50, 0, 1, 0});
        QVERIFY(m_methods->call("SiparisKaydet", {session(2), 2, 1, 1, "", 1, 1}).value("result").toBool());
        auto openLines = [&] {
            auto t = m_repo->openBalances(2);
            QMap<int, std::pair<double, double>> m;  // line -> open quantity, price
            for (t->first(); !t->eof(); t->next())
                m[int(t->fieldByName("STOKHAR_NO")->asInteger())] = {t->fieldByName("KALAN")->asFloat(), t->fieldByName("BIRIMFIYAT")->asFloat()};
            return m;
        };
        const int line = scalar(m_db->connection(), "SELECT MAX(sirano) FROM siparissatir").toInt();
        QCOMPARE(openLines().value(line).first, 4.0);
        m_methods->call("BakiyeDegistir", {session(2), 9, line, line, 1, 1, "B9"});
        QCOMPARE(openLines().value(line).first, 1.0);
        m_methods->call("BakiyeFiyatDegistir", {session(2, 2), 0, line, line, 1, 1, "B9", 42.5, 5});
        QCOMPARE(openLines().value(line).second, 42.5);
        m_methods->call("BakiyeDuzenle", {session(2), 9, line, line, 1, 1, "B9"});
        QVERIFY(!openLines().contains(line));
        // Another account cannot touch the line.
        QVERIFY_THROWS_EXCEPTION(RequestError, m_methods->call("BakiyeDegistir", {session(3), 9, line, line, 1, 1, "B9"}));
    }

    void badArguments_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QJsonArray>("params");
        QTest::newRow("negative quantity") << "SepetEkle" << QJsonArray{session(), 1, 5, "B", "X", -1, 18, 10, 0, 1, 0};
        QTest::newRow("unknown account") << "SepetEkle" << QJsonArray{session(777), 777, 5, "B", "X", 1, 18, 10, 0, 1, 0};
        QTest::newRow("absurd price") << "SepetGuncelle" << QJsonArray{session(), 1, 0, "", "", 1, 18, 1e15, 0, 1, 1};
        QTest::newRow("huge integer") << "SepetVer" << QJsonArray{1e20};
        QTest::newRow("long search") << "StokAraVaro" << QJsonArray{QString(10000, 'X'), session()};
        QTest::newRow("unknown report") << "RaporGetir" << QJsonArray{3, 3, 1, 1, "", 0, 0, 0};
        QTest::newRow("re-price by dealer") << "BakiyeFiyatDegistir" << QJsonArray{session(1, 0), 1, 0, 1, 1, 1, "", 10, 0};
    }
    void badArguments()
    {
        QFETCH(QString, method);
        QFETCH(QJsonArray, params);
        QVERIFY_THROWS_EXCEPTION(std::exception, m_methods->call(method, params));
    }

    void webSide_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("contains");
        QTest::addColumn<QByteArray>("absent");
        QTest::newRow("root") << QByteArray("/") << 200 << QByteArray("DVVaroOtomotivSetup.exe") << QByteArray();
        QTest::newRow("card page") << QByteArray("/zafirkart.html?carino=12&sube=MERKEZ&firmasi=%C3%96Z%20OTO&bakiye=1.250,00")
                                   << 200 << QByteArray("ÖZ OTO") << QByteArray();
        QTest::newRow("card page escapes") << QByteArray("/zafirkart.html?carino=%3Cscript%3Ealert(1)%3C/script%3E&sube=%22%3E")
                                           << 200 << QByteArray("&lt;script&gt;") << QByteArray("<script>");
        QTest::newRow("setup") << QByteArray("/program/DVVaroOtomotivSetup.exe") << 200 << QByteArray("MZ") << QByteArray();
        QTest::newRow("no way out") << QByteArray("/program/..%2F..%2Fetc%2Fpasswd") << 404 << QByteArray() << QByteArray("root:");
        QTest::newRow("mirror") << QByteArray("/datasnap/rest/TServerMethods1/EchoString/Merhaba") << 200 << QByteArray("Merhaba") << QByteArray();
        QTest::newRow("mirror unknown") << QByteArray("/datasnap/rest/TServerMethods1/Yok") << 404 << QByteArray("Bilinmeyen") << QByteArray();
        QTest::newRow("unknown page") << QByteArray("/yok.html") << 404 << QByteArray() << QByteArray();
    }
    void webSide()
    {
        QFETCH(QByteArray, target);
        QFETCH(int, status);
        QFETCH(QByteArray, contains);
        QFETCH(QByteArray, absent);
        QDir(m_dir.path()).mkpath("program");
        QFile f(m_dir.filePath("program/DVVaroOtomotivSetup.exe"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("MZ fake setup");
        f.close();
        QThreadPool pool;
        HttpServer http(*m_methods, pool, m_dir.filePath("program"));
        const HttpReply r = http.handle("GET", target, {});
        QCOMPARE(r.status, status);
        if (!contains.isEmpty())
            QVERIFY2(r.body.contains(contains), r.body.constData());
        if (!absent.isEmpty())
            QVERIFY(!r.body.contains(absent));
    }
};

QTEST_MAIN(TestMethods)
#include "tst_methods.moc"

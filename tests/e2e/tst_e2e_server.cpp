#include "orderserver/database.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"
#include "protocol/transferobjects.h"
#include "server/connection.h"
#include "server/servermethods1client.h"
#include "tests/support/dbfixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrent>
#include <QtTest>

#include <atomic>
#include <csignal>

using namespace varo;
using namespace varo::orderserver;

// The method client against the real server program on loopback, on SQLite
// and, when VARO_TEST_POSTGRES_URL is set, on PostgreSQL.
class TestE2eServer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_port;
    QString m_pg;        // this test's own database
    QString m_pgSource;  // the cluster's database it was made from

    void configure(Connection &c) const
    {
        c.HostName = QStringLiteral("127.0.0.1");
        c.Port = m_port;
    }
    std::unique_ptr<TSonucBilgisi> session(int carino = 1, int type = 0) const
    {
        auto s = std::make_unique<TSonucBilgisi>();
        s->setCARINO(carino);
        s->setSirano(1);
        s->setMusteriTipi(type);
        s->setcarikod(QStringLiteral("120.01.001"));
        return s;
    }
    template <class F>
    auto withClient(F &&f)
    {
        Connection c;
        configure(c);
        c.Open();
        TServerMethods1Client client(c);
        return f(client);
    }

private slots:
    void initTestCase_data() { testsupport::addEngineRows(); }

    void init()
    {
        QFETCH_GLOBAL(QString, postgres);
        if (m_server.state() != QProcess::NotRunning && postgres == m_pgSource)
            return;
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(15000);
        }
        m_pgSource = postgres;
        m_pg = postgres.isEmpty() ? postgres : testsupport::ownPostgresDatabase(postgres, QStringLiteral("varo_tst_e2e"));
        postgres = m_pg;
        const QString file = m_dir.filePath(QStringLiteral("e2e-%1.db").arg(postgres.isEmpty() ? "sqlite" : "pg"));
        {
            Database db(DbConfig{file, postgres});
            db.migrate();
            if (db.isEmpty())
                seedDatabase(db, SeedOptions{2000, 20, 60});
            Repository(db).registerComputer(QStringLiteral("E2E-PC"), QStringLiteral("BAYI"));
        }
        QString error;
        m_port = testsupport::startServer(m_server, QStringLiteral(VARO_ORDERSERVER_BIN),
                                          postgres.isEmpty() ? QStringList{"--db", file} : QStringList{"--postgres", postgres}, &error);
        QVERIFY2(!m_port.isEmpty(), qPrintable(error));
    }

    void cleanupTestCase()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_server.processId()), SIGTERM);
        QVERIFY(m_server.waitForFinished(20000));
        QCOMPARE(m_server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_server.exitCode(), 0);
    }

    void login()
    {
        withClient([&](TServerMethods1Client &c) {
            TSonucBilgisi *known = c.BuyukGetir(QStringLiteral("E2E-PC"));
            QVERIFY(known);
            QVERIFY(known->Varmi());
            QCOMPARE(known->ADI(), QStringLiteral("BAYI"));
            QCOMPARE(known->SIFRE(), QStringLiteral("BAYI123"));
            QCOMPARE(known->AKTIF(), 1);
            QCOMPARE(known->Version(), 5);
            TSonucBilgisi *unknown = c.BuyukGetir(QStringLiteral("NO-SUCH-PC"));
            QVERIFY(unknown);
            QVERIFY(!unknown->Varmi());
        });
    }

    void stockSearchAndPicture_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("dash") << "BP-1017";
        QTest::newRow("blank") << "BP 1017";
        QTest::newRow("dot lower") << "bp.1017";
    }
    void stockSearchAndPicture()
    {
        QFETCH(QString, text);
        withClient([&](TServerMethods1Client &c) {
            DataSet *t = c.StokAraVaro(text, session());
            QVERIFY(t && t->recordCount() >= 1);
            t->first();
            QCOMPARE(t->fieldByName("STOK_STOKNO")->asInteger(), 17);
            qint64 boy = 0;
            QIODevice *pic = c.ResimVer5(17, boy);
            QVERIFY(pic);
            const QByteArray bytes = pic->readAll();
            QCOMPARE(qint64(bytes.size()), boy);
            QVERIFY(bytes.startsWith("\xFF\xD8"));
        });
        // A hostile text is refused as a failed call, and the server stays up.
        QVERIFY_THROWS_EXCEPTION(std::exception, withClient([&](TServerMethods1Client &c) { return c.StokAraVaro(QString(10000, 'A'), session()); }));
        QCOMPARE(withClient([&](TServerMethods1Client &c) { return c.EchoString(QStringLiteral("çalışıyor")); }), QStringLiteral("çalışıyor"));
    }

    void basketToOrder()
    {
        const int carino = 3;
        withClient([&](TServerMethods1Client &c) { c.SepetHepsiniSil(session(carino)); });
        for (int st : {21, 22, 23})
            QCOMPARE(withClient([&](TServerMethods1Client &c) {
                         return c.SepetEkle(session(carino), carino, st, QStringLiteral("B"), QStringLiteral("X"), 2, 18, 100, 10, 1, 0);
                     }), 1);
        int line = 0;
        withClient([&](TServerMethods1Client &c) {
            DataSet *b = c.SepetVer(carino);
            QCOMPARE(b->recordCount(), 3);
            b->first();
            line = int(b->fieldByName("SIRANO")->asInteger());
            QCOMPARE(b->fieldByName("SEC")->asInteger(), 1);
        });
        QCOMPARE(withClient([&](TServerMethods1Client &c) {
                     return c.SepetGuncelle(session(carino), carino, 0, {}, {}, 4, 18, 100, 10, 1, line);
                 }), 1);
        withClient([&](TServerMethods1Client &c) { c.SepetSecimGuncelle(line, 0); });
        QCOMPARE(withClient([&](TServerMethods1Client &c) { return c.SepetSayisi(session(carino)); }), 3);
        withClient([&](TServerMethods1Client &c) {
            DataSet *t = c.TeslimVer();
            QVERIFY(t->recordCount() > 0);
            t = c.KargoVer();
            QVERIFY(t->recordCount() > 0);
        });
        QVERIFY(withClient([&](TServerMethods1Client &c) { return c.SiparisKaydet(session(carino), carino, 1, 1, QStringLiteral("e2e"), 1, 2); }));
        withClient([&](TServerMethods1Client &c) {
            DataSet *b = c.SepetVer(carino);
            QCOMPARE(b->recordCount(), 1);  // the unselected line stays
            DataSet *o = c.OncekiSiparisler2(carino);
            o->first();
            const int order = int(o->fieldByName("IDNO")->asInteger());
            QCOMPARE(c.SiparisAyrintisi(carino, order)->recordCount(), 2);
            TSiparisDipAyrinti *dip = c.SiparisAytintisiDip(0, order);
            QVERIFY(dip);
            QCOMPARE(dip->SizinMesaj(), QStringLiteral("e2e"));
            QVERIFY(c.BakiyelerVer(carino)->recordCount() >= 2);
            QCOMPARE(c.SepetSatirSil(session(carino), line, QStringLiteral("B-X")), 1);
        });
    }

    void historyAndRepresentative()
    {
        withClient([&](TServerMethods1Client &c) {
            DataSet *e = c.CariEkstreVer(1);
            QVERIFY(e->recordCount() > 0);
            int invoice = 0, collection = 0;
            for (e->first(); !e->eof(); e->next()) {
                const QString kind = e->fieldByName("TURADI")->asString();
                if (kind.contains("Fatura") && !invoice)
                    invoice = int(e->fieldByName("IDNO")->asInteger());
                if (kind == "Tahsilat" && !collection)
                    collection = int(e->fieldByName("IDNO")->asInteger());
            }
            QVERIFY(c.FaturaGetir(1, invoice)->recordCount() > 0);
            QCOMPARE(c.FaturaAltGetir(invoice)->recordCount(), 1);
            QCOMPARE(c.Tahsilat(collection)->recordCount(), 1);
            QVERIFY(c.CariAra(session(1, 2), QStringLiteral("RAZ"))->recordCount() == 1);
            TTusSonuclari *counts = c.TusSonuclariVer(std::make_unique<TSonucBilgisi>());
            QVERIFY(counts);
            QVERIFY(counts->Alindi() + counts->Onaylandi() + counts->SevkEdildi() > 0);
            QVERIFY(c.CariSepetVer(session(1, 2), 0)->fieldCount() > 0);
            qint64 size = 0;
            QIODevice *pdf = c.RaporGetir(6, 6, 1, 0, QString(), 45000, 47000, size);
            const QByteArray bytes = pdf->readAll();
            QCOMPARE(qint64(bytes.size()), size);
            QVERIFY(bytes.startsWith("%PDF"));
        });
    }

    void showcaseAndStartup()
    {
        withClient([&](TServerMethods1Client &c) {
            QVERIFY(c.VaroYenilerVer(1)->recordCount() > 0);
            QVERIFY(c.VaroKampanyaliVer(1, 0)->recordCount() > 0);
            QVERIFY(!c.KayanYaziGetir().isEmpty());
            qint64 size = 0;
            QIODevice *gif = c.BannerResimVer(size);
            QVERIFY(gif->readAll().startsWith("GIF89a"));
            double usd = 0, eur = 0;
            c.KurlariAl(usd, eur);
            QVERIFY(usd > 0 && eur > 0);
            DataSet *balon = c.BalonGetir(session());
            QCOMPARE(balon->fieldCount(), 5);
            QVERIFY(isFloatingType(balon->field(4)->dataType()));
            const int n = c.AcilisReklamAdet();
            QVERIFY(n > 0);
            TAcilisEkran *e = c.AcilisREklamVer(n - 1);
            QVERIFY(e && e->Resim().startsWith("FFD8"));
            TAcilisEkranlar *all = c.AcilisEkranlarVer();
            QVERIFY(all && all->Count() >= n);
            TMobilCariBilgisi *info = c.MobilCariBilgisiGetir(0, QStringLiteral("E2E-PC"));
            QVERIFY(info && !info->CARIADI().isEmpty());
            QCOMPARE(c.MailGonserCariNormal("E2E-PC", "Konu", "F", "A", "A", "I", "S", "T", "F", "V", "N", "Y", "K", "S", "M", "", "Metin"), 1);
            QVERIFY(c.VarodeAra(QStringLiteral("ORİJİNAL"))->recordCount() > 0);
            QVERIFY(c.CariDurumVer(1).startsWith("carino=1"));
            TMobilStoklar *mob = c.MobilStokara(QStringLiteral("FREN"), session(), 0, 10);
            QVERIFY(mob && mob->Count() > 0);
            TMobilSepetler *ms = c.SepetMobilVer(1);
            QVERIFY(ms);
        });
    }

    void manyClientsAtOnce()
    {
        // Sixteen callers, each with its own connection per call as the client
        // works, fill baskets and send orders; every line lands exactly once.
        constexpr int kCallers = 16, kLines = 3;
        const int base = withClient([&](TServerMethods1Client &c) {
            int n = 0;
            for (int carino = 11; carino <= 14; ++carino) {
                c.SepetHepsiniSil(session(carino));
                (void)carino;
            }
            return n;
        });
        Q_UNUSED(base);
        Database db(DbConfig{m_dir.filePath(QStringLiteral("e2e-%1.db").arg(m_pg.isEmpty() ? "sqlite" : "pg")), m_pg});
        const int linesBefore = scalar(db.connection(), "SELECT COUNT(*) FROM siparissatir WHERE sepetsirano > 0").toInt();
        std::atomic<int> failures{0};
        QThreadPool pool;
        pool.setMaxThreadCount(kCallers);
        QList<QFuture<void>> fs;
        for (int i = 0; i < kCallers; ++i) {
            fs << QtConcurrent::run(&pool, [&, i] {
                try {
                    const int carino = 11 + i % 4;
                    for (int l = 0; l < kLines; ++l)
                        if (withClient([&](TServerMethods1Client &c) {
                                return c.SepetEkle(session(carino), carino, 100 + i, "B", "X", 1, 18, 10, 0, 1, 0);
                            }) != 1)
                            ++failures;
                    withClient([&](TServerMethods1Client &c) { return c.SiparisKaydet(session(carino), carino, 1, 1, "", 1, 1); });
                } catch (const std::exception &e) {
                    qWarning() << e.what();
                    ++failures;
                }
            });
        }
        for (auto &f : fs)
            f.waitForFinished();
        QCOMPARE(failures.load(), 0);
        QSqlDatabase c = db.connection();
        const int inOrders = scalar(c, "SELECT COUNT(*) FROM siparissatir WHERE sepetsirano > 0").toInt() - linesBefore;
        const int inBaskets = scalar(c, "SELECT COUNT(*) FROM sepet WHERE carino BETWEEN 11 AND 14").toInt();
        QCOMPARE(inOrders + inBaskets, kCallers * kLines);
    }
};

QTEST_MAIN(TestE2eServer)
#include "tst_e2e_server.moc"

#include "orderserver/database.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"
#include "orderserver/stocktext.h"
#include "tests/support/dbfixture.h"

#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrent>
#include <QtTest>

#include <atomic>
#include <memory>

using namespace varo::orderserver;

// Runs on SQLite, and on PostgreSQL as well when VARO_TEST_POSTGRES_URL names
// a throw-away database (the test cluster of ./varo test).
class TestRepository : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<Repository> m_repo;

    Session sessionFor(const QString &user)
    {
        const QString id = QStringLiteral("PC-") + user;
        m_repo->registerComputer(id, user);
        return m_repo->sessionForComputer(id);
    }

private slots:
    void initTestCase_data() { varo::testsupport::addEngineRows(); }

    void init()
    {
        QFETCH_GLOBAL(QString, postgres);
        DbConfig cfg;
        cfg.postgresUrl = postgres.isEmpty() ? postgres : varo::testsupport::ownPostgresDatabase(postgres, QStringLiteral("varo_tst_repository"));
        cfg.sqliteFile = m_dir.filePath(QStringLiteral("t%1.db").arg(QDateTime::currentMSecsSinceEpoch()));
        m_db = std::make_unique<Database>(cfg);
        QCOMPARE(m_db->migrate(), 3);
        QCOMPARE(m_db->migrate(), 3);  // a second start changes nothing
        QVERIFY(m_db->isEmpty());
        seedDatabase(*m_db, SeedOptions{2000, 20, 60});
        m_repo = std::make_unique<Repository>(*m_db);
    }

    void cleanup()
    {
        m_repo.reset();
        m_db.reset();
    }

    void normalizedText_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("blank") << "BP 1234" << "BP1234";
        QTest::newRow("dash") << "BP-1234" << "BP1234";
        QTest::newRow("dot lower") << "bp.1234" << "BP1234";
        QTest::newRow("slash") << "bp/12 34" << "BP1234";
        QTest::newRow("turkish i") << "fi̇ltre yağ" << "FILTREYAĞ";
        QTest::newRow("quotes gone") << "\"X\" OR 1" << "XOR1";
    }
    void normalizedText()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(normalizeSearchText(in).remove(QChar(0x307)), out);
    }

    void stockSearchFindsEverySpelling_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("as stored") << "BP1017";
        QTest::newRow("blank") << "BP 1017";
        QTest::newRow("dash") << "BP-1017";
        QTest::newRow("dot lower") << "bp.1017";
        QTest::newRow("slash") << "BP/10/17";
        QTest::newRow("barcode") << "8691000000629";  // 1000000000 + 17 * 37
        QTest::newRow("internal code") << "VR-000017";
    }
    void stockSearchFindsEverySpelling()
    {
        QFETCH(QString, text);
        const Session s = sessionFor(QStringLiteral("BAYI"));
        auto t = m_repo->searchStock(text, s);
        QVERIFY(t->recordCount() >= 1);
        t->first();
        // The exact number comes first even when other items contain it.
        QCOMPARE(t->fieldByName("STOK_STOKNO")->asInteger(), 17);
        QCOMPARE(t->fieldByName("FINISHKOD")->asString(), QStringLiteral("BP1017"));
    }

    // The kept statements read the engines' own results: every kind of value,
    // question marks inside quotes left alone, a text still being read when
    // it runs again, and values bound in whatever type the caller had at hand.
    void keptStatementsReadEveryKind()
    {
        const QString sql = QStringLiteral(
            "SELECT c.carino, c.carikod, c.iskonto, NULL, 'a?b', c.cariadi FROM cari c "
            "WHERE c.carino = ? AND c.carikod <> '?' AND c.carino = ? ORDER BY c.carino");
        for (const QVariant &key : {QVariant(1), QVariant(1.0), QVariant(qint64(1))}) {
            Statement q = m_db->statement(sql, {key, QStringLiteral("1")});
            QVERIFY(q.next());
            QCOMPARE(q.integer(0), 1);
            QCOMPARE(q.value(0).toInt(), 1);
            QVERIFY(!q.text(1).isEmpty());
            QCOMPARE(q.value(2).typeId(), QMetaType::Double);
            QVERIFY(q.isNull(3));
            QVERIFY(q.text(3).isNull());
            QVERIFY(q.utf8(3).isNull());
            QCOMPARE(q.text(4), QStringLiteral("a?b"));
            QCOMPARE(QString::fromUtf8(q.utf8(5)), q.text(5));
            // The same text again while this one is open.
            Statement inner = m_db->statement(sql, {2, 2});
            QVERIFY(inner.next());
            QCOMPARE(inner.integer(0), 2);
            QVERIFY(!inner.next());
            QVERIFY(!q.next());
        }
        // Truth values reach integer columns; a Turkish text comes back whole.
        Statement active = m_db->statement(QStringLiteral("SELECT COUNT(*) FROM kullanici WHERE aktif = ?"), {true});
        QVERIFY(active.next());
        QVERIFY(active.integer(0) > 0);
        Statement turkish = m_db->statement(QStringLiteral("SELECT ?"), {QStringLiteral("ĞÜŞİÖÇ ığüşöç")});
        QVERIFY(turkish.next());
        QCOMPARE(turkish.text(0), QStringLiteral("ĞÜŞİÖÇ ığüşöç"));
        // A statement the database refuses is an error, and the next one works.
        QVERIFY_THROWS_EXCEPTION(DbError, m_db->statement(QStringLiteral("SELECT nosuchcolumn FROM cari WHERE carino = ?"), {1}));
        Statement after = m_db->statement(sql, {1, 1});
        QVERIFY(after.next());
    }

    // A worker whose PostgreSQL connection was cut fails that call and
    // connects again for the next one, with its statements prepared anew,
    // instead of failing every call after.
    void lostConnectionReconnects()
    {
        if (!m_db->isPostgres())
            QSKIP("PostgreSQL only");
        const Session s = sessionFor(QStringLiteral("BAYI"));
        QVERIFY(m_repo->searchStock(QStringLiteral("FREN"), s)->recordCount() > 0);
        qint64 pid = 0;
        {
            Statement q = m_db->statement(QStringLiteral("SELECT pg_backend_pid() WHERE 1 = ?"), {1});
            QVERIFY(q.next());
            pid = q.integer(0);
        }
        {
            Database other(m_db->config());
            Statement kill = other.statement(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid});
            QVERIFY(kill.next());
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                try {
                    Statement q = m_db->statement(QStringLiteral("SELECT pg_backend_pid() WHERE 1 = ?"), {1});
                    return q.next() && q.integer(0) != pid;
                } catch (const DbError &) {
                    return false;  // the call that finds the connection gone
                }
            }(),
            5000);
        QVERIFY(m_repo->searchStock(QStringLiteral("FREN"), s)->recordCount() > 0);
        QVERIFY(m_repo->basket(s.CARINO)->recordCount() >= 0);
    }

    void stockSearchRowsAndPrices()
    {
        const Session s = sessionFor(QStringLiteral("BAYI"));
        auto t = m_repo->searchStock(QStringLiteral("FREN BALATA"), s);
        QVERIFY(t->recordCount() > 10);
        QVERIFY(t->recordCount() <= kSearchRowCap);
        for (t->first(); !t->eof(); t->next()) {
            QVERIFY(t->fieldByName("ADI")->asString().contains(QStringLiteral("FREN BALATA")));
            const double fiyat = t->fieldByName("FIYAT")->asFloat();
            const double net = t->fieldByName("NETFIYAT")->asFloat();
            const double kdv = t->fieldByName("KDV")->asFloat();
            QVERIFY(net <= fiyat);
            QCOMPARE(t->fieldByName("KDVDAHIL")->asFloat(), std::round(net * (1 + kdv / 100) * 100) / 100);
            QVERIFY(t->fieldByName("MALIYET")->asString().contains(QRegularExpression(QStringLiteral("^\\d+\\.\\d\\d (TL|\\$|€)$"))));
        }
        // A three-letter text matching much of the catalogue stops at the cap.
        auto many = m_repo->searchStock(QStringLiteral("ATE"), s, 25);
        QCOMPARE(many->recordCount(), 25);
    }

    void stockSearchHostileText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::newRow("sql quote") << "'; DROP TABLE stok; --" << false;
        QTest::newRow("fts syntax") << "FREN* OR NEAR(a b)" << false;
        QTest::newRow("like wildcards") << "%%%___" << false;
        QTest::newRow("one letter") << "B" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("10000 chars") << QString(10000, QLatin1Char('A')) << true;
    }
    void stockSearchHostileText()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        const Session s = sessionFor(QStringLiteral("BAYI"));
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(RequestError, m_repo->searchStock(text, s));
        } else {
            auto t = m_repo->searchStock(text, s);
            QCOMPARE(t->recordCount(), 0);
        }
        QCOMPARE(scalar(m_db->connection(), "SELECT COUNT(*) FROM stok").toInt(), 2000);
    }

    void costPricedCustomer()
    {
        const Session s = sessionFor(QStringLiteral("RAZBAYI"));
        QVERIFY(s.carikod.contains(QLatin1String("RAZ")));
        auto t = m_repo->searchStock(QStringLiteral("BP1017"), s);
        QVERIFY(t->recordCount() >= 1);
        t->first();
        QCOMPARE(t->fieldByName("INDIRIM")->asFloat(), 0.0);
        QVERIFY(t->fieldByName("NETFIYAT")->asFloat() < t->fieldByName("FIYAT")->asFloat());
    }

    void loginRecord_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("type");
        QTest::newRow("dealer") << "BAYI" << 0;
        QTest::newRow("representative") << "TEMSILCI" << 1;
        QTest::newRow("type 2") << "YONETICI" << 2;
        QTest::newRow("type 3") << "BAYI3" << 3;
        QTest::newRow("type 4") << "BAYI4" << 4;
    }
    void loginRecord()
    {
        QFETCH(QString, user);
        QFETCH(int, type);
        QVERIFY(!m_repo->sessionForComputer(QStringLiteral("UNKNOWN-PC")).Varmi);
        const Session s = sessionFor(user);
        QVERIFY(s.Varmi);
        QCOMPARE(s.ADI, user);
        QCOMPARE(s.MusteriTipi, type);
        QCOMPARE(s.AKTIF, 1);
        QCOMPARE(s.Version, 5);
        QVERIFY(s.CARINO > 0);
        QVERIFY(!s.SaticiAdi.isEmpty());
        QVERIFY_THROWS_EXCEPTION(RequestError, m_repo->registerComputer(QStringLiteral("X"), QStringLiteral("NOBODY")));
    }

    void basketRefusesBadInput_data()
    {
        QTest::addColumn<int>("carino");
        QTest::addColumn<int>("stokno");
        QTest::addColumn<double>("miktar");
        QTest::addColumn<double>("fiyat");
        QTest::addColumn<double>("indirim");
        QTest::newRow("unknown account") << 99999 << 5 << 1.0 << 10.0 << 0.0;
        QTest::newRow("unknown item") << 1 << 999999 << 1.0 << 10.0 << 0.0;
        QTest::newRow("negative quantity") << 1 << 5 << -3.0 << 10.0 << 0.0;
        QTest::newRow("zero quantity") << 1 << 5 << 0.0 << 10.0 << 0.0;
        QTest::newRow("nan quantity") << 1 << 5 << qQNaN() << 10.0 << 0.0;
        QTest::newRow("absurd price") << 1 << 5 << 1.0 << 1e12 << 0.0;
        QTest::newRow("negative price") << 1 << 5 << 1.0 << -1.0 << 0.0;
        QTest::newRow("discount over 100") << 1 << 5 << 1.0 << 10.0 << 150.0;
    }
    void basketRefusesBadInput()
    {
        QFETCH(int, carino);
        QFETCH(int, stokno);
        QFETCH(double, miktar);
        QFETCH(double, fiyat);
        QFETCH(double, indirim);
        const Session s = sessionFor(QStringLiteral("BAYI"));
        BasketLineInput in{carino, stokno, s.Sirano, QStringLiteral("B"), QStringLiteral("X"), miktar, 18, fiyat, indirim};
        QVERIFY_THROWS_EXCEPTION(RequestError, m_repo->basketAdd(s, in));
        QCOMPARE(m_repo->basket(1)->recordCount(), 0);
    }

    void basketChangesAndOrder()
    {
        const Session s = sessionFor(QStringLiteral("BAYI"));
        for (int st : {3, 4, 5})
            QCOMPARE(m_repo->basketAdd(s, {s.CARINO, st, s.Sirano, QStringLiteral("B%1").arg(st), QString(), 2, 18, 100, 10}), 1);
        auto b = m_repo->basket(s.CARINO);
        QCOMPARE(b->recordCount(), 3);
        QCOMPARE(m_repo->basketCount(s), 3);
        b->first();
        const int first = int(b->fieldByName("SIRANO")->asInteger());
        QCOMPARE(b->fieldByName("NETTUTAR")->asFloat(), 180.0);
        QCOMPARE(b->fieldByName("VEREN")->asString(), QStringLiteral("BAYI"));
        QCOMPARE(m_repo->basketUpdate(s, {s.CARINO, 0, s.Sirano, {}, {}, 5, 18, 100, 0}, first), 1);
        QCOMPARE(m_repo->basketUpdate(s, {s.CARINO, 0, s.Sirano, {}, {}, 5, 18, 100, 0}, 999999), 0);
        // Another customer's line cannot be changed through this account.
        Session other = s;
        other.CARINO = 2;
        QCOMPARE(m_repo->basketUpdate(other, {2, 0, s.Sirano, {}, {}, 1, 18, 1, 0}, first), 0);
        QCOMPARE(m_repo->basketDeleteLine(other, first), 0);

        // The unselected line stays in the basket; the order takes the rest.
        b->next();
        m_repo->basketSelect(int(b->fieldByName("SIRANO")->asInteger()), 0);
        const int before = scalar(m_db->connection(), "SELECT COUNT(*) FROM siparis").toInt();
        QVERIFY(m_repo->saveOrder(s, {s.CARINO, 1, 1, 1, s.Sirano, QStringLiteral("acil")}));
        QCOMPARE(scalar(m_db->connection(), "SELECT COUNT(*) FROM siparis").toInt(), before + 1);
        QCOMPARE(m_repo->basket(s.CARINO)->recordCount(), 1);
        auto orders = m_repo->previousOrders(s.CARINO);
        orders->first();
        const int order = int(orders->fieldByName("IDNO")->asInteger());
        auto lines = m_repo->orderLines(s.CARINO, order);
        QCOMPARE(lines->recordCount(), 2);
        lines->first();
        QCOMPARE(lines->fieldByName("MIKTAR")->asFloat(), 5.0);
        QCOMPARE(m_repo->orderFooter(order).SizinMesaj, QStringLiteral("acil"));
        QCOMPARE(m_repo->orderFooter(order).Durumu, QStringLiteral("Alındı"));
        // Nothing selected: no order, answer false.
        m_repo->basketSelect(int(m_repo->basket(s.CARINO)->fieldByName("SIRANO")->asInteger()), 0);
        QVERIFY(!m_repo->saveOrder(s, {s.CARINO, 1, 1, 1, s.Sirano, {}}));
        QVERIFY(!m_repo->saveOrder(s, {424242, 1, 1, 1, s.Sirano, {}}));
        QCOMPARE(m_repo->basketClear(s), 1);
    }

    void manyClientsLoseNothing()
    {
        // Eight callers fill their baskets and send orders at once; every line
        // ends up in exactly one order.
        constexpr int kThreads = 8, kRounds = 5, kLines = 3;
        std::atomic<int> saved{0}, failures{0};
        QThreadPool pool;
        pool.setMaxThreadCount(kThreads);
        QList<QFuture<void>> futures;
        for (int th = 0; th < kThreads; ++th) {
            futures << QtConcurrent::run(&pool, [&, th] {
                try {
                    Session s;
                    s.CARINO = 1 + th % 4;  // two callers share each basket
                    s.Sirano = 1;
                    for (int r = 0; r < kRounds; ++r) {
                        for (int l = 0; l < kLines; ++l)
                            m_repo->basketAdd(s, {s.CARINO, 1 + (th * 31 + l) % 2000, 1, QStringLiteral("B"), {}, 1, 18, 10, 0});
                        if (m_repo->saveOrder(s, {s.CARINO, 1, 1, 1, 1, {}}))
                            ++saved;
                    }
                } catch (const std::exception &e) {
                    qWarning() << e.what();
                    ++failures;
                }
            });
        }
        for (auto &f : futures)
            f.waitForFinished();
        QCOMPARE(failures.load(), 0);
        QSqlDatabase db = m_db->connection();
        const int inOrders = scalar(db, "SELECT COUNT(*) FROM siparissatir WHERE sepetsirano > 0").toInt();
        const int inBaskets = scalar(db, "SELECT COUNT(*) FROM sepet").toInt();
        QCOMPARE(inOrders + inBaskets, kThreads * kRounds * kLines);
        QCOMPARE(scalar(db, "SELECT COUNT(DISTINCT sepetsirano) FROM siparissatir WHERE sepetsirano > 0").toInt(), inOrders);
        QVERIFY(saved.load() > 0);
    }

    void failedSaveLeavesBasket()
    {
        const Session s = sessionFor(QStringLiteral("BAYI"));
        m_repo->basketAdd(s, {s.CARINO, 7, s.Sirano, QStringLiteral("B"), {}, 1, 18, 10, 0});
        QSqlDatabase db = m_db->connection();
        // A save that breaks after the order row was written rolls back whole.
        const int orders = scalar(db, "SELECT COUNT(*) FROM siparis").toInt();
        try {
            Transaction tx(db);
            exec(db, "INSERT INTO siparis (carino, tarih, saat, teslimid, kargoid, kargofirma, verenid) VALUES (?,?,?,1,1,1,1)",
                 {s.CARINO, QStringLiteral("2026-01-01"), QStringLiteral("10:00:00")});
            exec(db, "INSERT INTO siparissatir (siparisno, stokno) VALUES (1, 1)");  // violates NOT NULL
            tx.commit();
            QFAIL("the broken insert went through");
        } catch (const DbError &) {
        }
        QCOMPARE(scalar(db, "SELECT COUNT(*) FROM siparis").toInt(), orders);
        QCOMPARE(m_repo->basket(s.CARINO)->recordCount(), 1);
    }

    void statementRunningBalance_data()
    {
        // Movements as "date debit credit" in the order they are entered;
        // the balances and marks as listed (by date).
        QTest::addColumn<QStringList>("movements");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QList<double>>("balances");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("invoice, then part paid") << QStringList{"2026-01-05 100 0", "2026-01-10 0 40"} << QString()
                                                << QList<double>{100, 60} << QStringList{"B", "B"};
        QTest::newRow("paid over") << QStringList{"2026-01-05 100 0", "2026-01-10 0 150"} << QString()
                                   << QList<double>{100, -50} << QStringList{"B", "A"};
        QTest::newRow("settled exactly") << QStringList{"2026-01-05 100.10 0", "2026-01-10 0 100.10"} << QString()
                                         << QList<double>{100.1, 0} << QStringList{"B", " "};
        QTest::newRow("by date, not by entry") << QStringList{"2026-02-01 0 30", "2026-01-01 50 0"} << QString()
                                               << QList<double>{50, 20} << QStringList{"B", "B"};
        QTest::newRow("cents do not drift") << QStringList{"2026-01-01 0.1 0", "2026-01-02 0.2 0", "2026-01-03 0.3 0"} << QString()
                                            << QList<double>{0.1, 0.3, 0.6} << QStringList{"B", "B", "B"};
        QTest::newRow("dated statement starts at zero") << QStringList{"2026-01-01 500 0", "2026-03-01 0 20", "2026-03-02 10 0"}
                                                        << QStringLiteral("2026-02-01") << QList<double>{-20, -10}
                                                        << QStringList{"A", "A"};
    }
    void statementRunningBalance()
    {
        QFETCH(QStringList, movements);
        QFETCH(QString, from);
        QFETCH(QList<double>, balances);
        QFETCH(QStringList, marks);
        QSqlDatabase db = m_db->connection();
        exec(db, "INSERT INTO cari (carino, carikod, cariadi) VALUES (9001, '120.99.001', 'EKSTRE DENEME')");
        for (const QString &m : movements) {
            const QStringList f = m.split(QLatin1Char(' '));
            exec(db, "INSERT INTO hareket (carino, tarih, vade, evrakno, turadi, borc, alacak) VALUES (9001, ?, ?, 'E1', 'Tahsilat', ?, ?)",
                 {f[0], f[0], f[1].toDouble(), f[2].toDouble()});
        }
        const double fromSerial = from.isEmpty() ? 0 : varo::dateToSerial(QDate::fromString(from, Qt::ISODate));
        auto t = m_repo->statement(9001, fromSerial);
        QCOMPARE(t->recordCount(), balances.size());
        for (int r = 0; r < balances.size(); ++r) {
            const double got = t->fieldByName(QStringLiteral("BAKIYE"))->doubleAt(r);
            QVERIFY2(got == balances[r], qPrintable(QString::number(got, 'g', 17)));  // to the cent, not nearly
            QCOMPARE(t->fieldByName(QStringLiteral("D"))->stringAt(r), marks[r]);
        }
    }

    void historyTables()
    {
        const Session s = sessionFor(QStringLiteral("BAYI"));
        auto ekstre = m_repo->statement(s.CARINO);
        QVERIFY(ekstre->recordCount() > 0);
        bool sawInvoice = false, sawCollection = false;
        for (ekstre->first(); !ekstre->eof(); ekstre->next()) {
            const QString kind = ekstre->fieldByName("TURADI")->asString();
            const int id = int(ekstre->fieldByName("IDNO")->asInteger());
            if (kind.contains(QLatin1String("Fatura")) && !sawInvoice) {
                sawInvoice = true;
                auto lines = m_repo->invoiceLines(s.CARINO, id);
                QVERIFY(lines->recordCount() > 0);
                auto foot = m_repo->invoiceFooter(id);
                QCOMPARE(foot->recordCount(), 1);
                QVERIFY(foot->fieldByName("KDVDAHIL")->asFloat() > foot->fieldByName("MATRAH")->asFloat());
                QCOMPARE(m_repo->invoiceLines(s.CARINO + 1, id)->recordCount(), 0);  // not another account's invoice
            }
            if (kind == QLatin1String("Tahsilat") && !sawCollection) {
                sawCollection = true;
                QCOMPARE(m_repo->collection(id)->recordCount(), 1);
            }
        }
        QVERIFY(sawInvoice);
        QVERIFY(sawCollection);
        auto open = m_repo->openBalances(s.CARINO);
        for (open->first(); !open->eof(); open->next())
            QVERIFY(open->fieldByName("KALAN")->asFloat() > 0);
        const StateCounts c = m_repo->stateCounts(s);
        QCOMPARE(c.Alindi + c.Onaylandi + c.Goruldu + c.ParcaliHazirlandi + c.Hazirlandi + c.SevkEdildi,
                 scalar(m_db->connection(), "SELECT COUNT(*) FROM siparis").toInt());
    }

    void representativeTables()
    {
        const Session rep = sessionFor(QStringLiteral("YONETICI"));
        QCOMPARE(m_repo->customers(rep, QString())->recordCount(), 20);
        auto raz = m_repo->customers(rep, QStringLiteral("RAZ"));
        QCOMPARE(raz->recordCount(), 1);
        QCOMPARE(m_repo->customers(rep, QStringLiteral("' OR 1=1 --"))->recordCount(), 0);
        QVERIFY(m_repo->carriers(1)->recordCount() > 0);
        QCOMPARE(m_repo->carriers(-5)->recordCount(), 0);
    }

    void reportsArePdf_data()
    {
        QTest::addColumn<int>("report");
        QTest::newRow("receivables") << 6;
        QTest::newRow("purchase-sales") << 7;
    }
    void reportsArePdf()
    {
        QFETCH(int, report);
        const QByteArray pdf = m_repo->reportPdf(report, 0, QStringLiteral("MEHMET ÖZTÜRK"), varo::dateToSerial(QDate(2025, 1, 1)),
                                                 varo::dateToSerial(QDate(2027, 12, 31)));
        QVERIFY(pdf.startsWith("%PDF-"));
        QVERIFY(pdf.size() > 1000);
        QVERIFY_THROWS_EXCEPTION(RequestError, m_repo->reportPdf(3, 0, {}, 0, 0));
    }

    void showcase()
    {
        const Session s = sessionFor(QStringLiteral("BAYI"));
        QVERIFY(m_repo->newItems(s.CARINO)->recordCount() > 0);
        QVERIFY(m_repo->campaignItems(s.CARINO, 0)->recordCount() > 0);
        QCOMPARE(m_repo->campaignItems(s.CARINO, 4)->recordCount(), 0);
        const auto screens = m_repo->openingScreens(false);
        QVERIFY(screens.size() >= 3);
        QVERIFY(screens.first().Resim.startsWith(QLatin1String("FFD8")));
        QStringList searches;
        for (const auto &o : screens)
            searches << o.Arama;
        QVERIFY(searches.contains(QStringLiteral("#KAMPANYA#")));
        QVERIFY(searches.contains(QStringLiteral("#YENİ#")));
        QVERIFY(m_repo->itemPicture(5).startsWith("\xFF\xD8"));
        QVERIFY(m_repo->itemPicture(999999).isEmpty());
        QVERIFY(m_repo->rates().first > 0);
        QVERIFY(!m_repo->tickerText().isEmpty());
        QCOMPARE(m_repo->badges(s)->fieldCount(), 5);
        QVERIFY(m_repo->customerInfo(0, QStringLiteral("PC-BAYI")).value("CARIADI").toString().size() > 0);
        QVERIFY(m_repo->accountState(s.CARINO).startsWith(QLatin1String("carino=")));
    }
};

QTEST_MAIN(TestRepository)
#include "tst_repository.moc"

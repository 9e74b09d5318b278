#include "orderserver/database.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace varo::orderserver;

// The server process dies in the middle of an order save: afterwards the
// basket is whole and no part of the order exists.
class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void orderSaveKilledMidTransaction()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("c.db");
        {
            Database db(DbConfig{file, {}});
            db.migrate();
            seedDatabase(db, SeedOptions{300, 5, 10});
            Repository repo(db);
            Session s;
            s.CARINO = 1;
            s.Sirano = 1;
            for (int st : {1, 2, 3})
                repo.basketAdd(s, {1, st, 1, QStringLiteral("B"), {}, 2, 18, 10, 0});
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARO_CRASH_BEFORE_ORDER_COMMIT", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        const QJsonObject session{{"type", "baglantiu.TSonucBilgisi"}, {"fields", QJsonObject{{"FCARINO", 1}, {"FSirano", 1}}}};
        const QJsonArray params{session, 1, 1, 1, "", 1, 1};
        p.start(QStringLiteral(VARO_ORDERSERVER_BIN),
                {"call", "SiparisKaydet", QString::fromUtf8(QJsonDocument(params).toJson(QJsonDocument::Compact)), "--db", file});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY(p.exitStatus() == QProcess::CrashExit || p.exitCode() != 0);

        Database db(DbConfig{file, {}});
        QSqlDatabase c = db.connection();
        QCOMPARE(scalar(c, "SELECT COUNT(*) FROM sepet WHERE carino = 1").toInt(), 3);
        QCOMPARE(scalar(c, "SELECT COUNT(*) FROM siparis").toInt(), 10);
        QCOMPARE(scalar(c, "SELECT COUNT(*) FROM siparissatir WHERE sepetsirano > 0").toInt(), 0);
        // The same save without the crash goes through whole.
        Repository repo(db);
        Session s;
        s.CARINO = 1;
        s.Sirano = 1;
        QVERIFY(repo.saveOrder(s, {1, 1, 1, 1, 1, {}}));
        QCOMPARE(scalar(c, "SELECT COUNT(*) FROM sepet WHERE carino = 1").toInt(), 0);
        QCOMPARE(scalar(c, "SELECT COUNT(*) FROM siparissatir WHERE sepetsirano > 0").toInt(), 3);
    }
};

QTEST_MAIN(TestCrash)
#include "tst_crash.moc"

// Stock search on a large catalogue: the whole method, the query behind it and
// a plain LIKE scan of the same table, side by side. The catalogue is built
// once per size and kept in the temp folder (VARO_BENCH_ITEMS, default
// 1,000,000; VARO_BENCH_POSTGRES=<url> adds the PostgreSQL runs).
#include "orderserver/database.h"
#include "orderserver/methods.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"
#include "orderserver/stocktext.h"
#include "protocol/tablecodec.h"
#include "protocol/transferobjects.h"
#include "server/connection.h"
#include "server/servermethods1client.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace varo::orderserver;

namespace {

const char *const kTexts[] = {"FRE", "BALATA", "BP1017", "BP 10", "AMORTİSÖR", "8691000", "GOLF VI", "TRİGER SETİ", "MHDB", "ROT BAŞI"};

int itemCount() { return qEnvironmentVariableIsSet("VARO_BENCH_ITEMS") ? qEnvironmentVariableIntValue("VARO_BENCH_ITEMS") : 1000000; }

struct Fixture {
    std::unique_ptr<Database> db;
    std::unique_ptr<Repository> repo;
    std::unique_ptr<ServerMethods> methods;
    Session session;
};

Fixture g_fixtures[2];
QProcess *g_server[2] = {nullptr, nullptr};
QString g_port[2];

Fixture &fixture(bool postgres)
{
    Fixture *f = g_fixtures;
    Fixture &x = f[postgres ? 1 : 0];
    if (x.db)
        return x;
    DbConfig cfg;
    if (postgres)
        cfg.postgresUrl = qEnvironmentVariable("VARO_BENCH_POSTGRES");
    else
        cfg.sqliteFile = QDir::tempPath() + QStringLiteral("/varo-bench-search-%1.db").arg(itemCount());
    x.db = std::make_unique<Database>(cfg);
    x.db->migrate();
    if (x.db->isEmpty())
        seedDatabase(*x.db, SeedOptions{itemCount(), 50, 300});
    x.repo = std::make_unique<Repository>(*x.db);
    x.methods = std::make_unique<ServerMethods>(*x.repo);
    x.session.CARINO = 1;
    x.session.MusteriTipi = 0;
    return x;
}

template <class F>
void timed(benchmark::State &state, F &&body)
{
    std::vector<double> ms;
    size_t i = 0, rows = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        rows += body(QString::fromUtf8(kTexts[i++ % std::size(kTexts)]));
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    if (!ms.empty()) {
        state.counters["p50_ms"] = ms[ms.size() / 2];
        state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
        state.counters["rows"] = double(rows) / double(ms.size());
    }
}

// The server's whole work for a call without the wire: the method and its
// reply frames, the table written as the server writes it.
void BM_Method(benchmark::State &state, bool pg)
{
    Fixture &f = fixture(pg);
    const QJsonObject session = ServerMethods::sessionToJson(f.session);
    const varo::MethodInfo *info = varo::findMethod(QStringLiteral("TServerMethods1.StokAraVaro"));
    timed(state, [&](const QString &text) {
        varo::MethodAnswer a = f.methods->run(QStringLiteral("StokAraVaro"), {text, session});
        const size_t rows = a.table ? size_t(a.table->recordCount()) : 0;
        QByteArray out;
        varo::appendExecuteReply(out, *info, a, varo::TableForm::Frame);
        benchmark::DoNotOptimize(out.data());
        return rows;
    });
}

// The real server program on the same database, called through the method
// client with a new connection per call, as the ordering client works.
// The server program on the fixture's database, started once; its port.
QString serverPort(Fixture &f, bool pg)
{
    const int k = pg ? 1 : 0;
    if (!g_server[k]) {
        g_server[k] = new QProcess;
        QStringList args{"serve", "--port", "0", "--http-port", "0"};
        args << (pg ? QStringList{"--postgres", f.db->config().postgresUrl} : QStringList{"--db", f.db->config().sqliteFile});
        if (qEnvironmentVariableIsSet("VARO_BENCH_WORKERS"))  // to try other pool sizes
            args << QStringLiteral("--workers") << qEnvironmentVariable("VARO_BENCH_WORKERS");
        // Another build of the server, to compare two side by side.
        g_server[k]->start(qEnvironmentVariable("VARO_BENCH_SERVER_BIN", QStringLiteral(VARO_ORDERSERVER_BIN)), args);
        g_server[k]->waitForStarted();
        QByteArray text;
        const QRegularExpression re(QStringLiteral("methods on port (\\d+)"));
        for (int i = 0; i < 300 && !re.match(QString::fromUtf8(text)).hasMatch(); ++i) {
            g_server[k]->waitForReadyRead(200);
            text += g_server[k]->readAllStandardOutput();
        }
        g_port[k] = re.match(QString::fromUtf8(text)).captured(1);
    }
    return g_port[k];
}

// One search through the method client with a new connection, as the
// ordering client works; the rows it got.
size_t searchThroughClient(const QString &port, const QString &text)
{
    varo::Connection c;
    c.HostName = QStringLiteral("127.0.0.1");
    c.Port = port;
    c.Open();
    TServerMethods1Client client(c);
    auto s = std::make_unique<TSonucBilgisi>();
    s->setCARINO(1);
    s->setMusteriTipi(0);
    return size_t(client.StokAraVaro(text, std::move(s))->recordCount());
}

// The real server program on the same database, called through the method
// client with a new connection per call.
void BM_Client(benchmark::State &state, bool pg)
{
    Fixture &f = fixture(pg);
    const QString port = serverPort(f, pg);
    timed(state, [&](const QString &text) { return searchThroughClient(port, text); });
}

void BM_Query(benchmark::State &state, bool pg)
{
    Fixture &f = fixture(pg);
    timed(state, [&](const QString &text) { return size_t(f.repo->searchStock(text, f.session)->recordCount()); });
}

// The whole call and the query alone taking turns: on a shared machine whose
// speed drifts from minute to minute, their ratio is steadier this way than
// from two runs one after the other. Each searches another text than the
// other just did, so neither finds the other's pages freshly read.
void BM_CallVersusQuery(benchmark::State &state, bool pg)
{
    Fixture &f = fixture(pg);
    const QString port = serverPort(f, pg);
    std::vector<double> call, query;
    size_t i = 0;
    for (auto _ : state) {
        const QString text = QString::fromUtf8(kTexts[i % std::size(kTexts)]);
        const QString other = QString::fromUtf8(kTexts[(i + std::size(kTexts) / 2) % std::size(kTexts)]);
        ++i;
        QElapsedTimer t;
        t.start();
        benchmark::DoNotOptimize(f.repo->searchStock(text, f.session)->recordCount());
        query.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        benchmark::DoNotOptimize(searchThroughClient(port, other));
        call.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(call.begin(), call.end());
    std::sort(query.begin(), query.end());
    if (!call.empty()) {
        state.counters["call_p50_ms"] = call[call.size() / 2];
        state.counters["query_p50_ms"] = query[query.size() / 2];
        state.counters["ratio_p50"] = call[call.size() / 2] / query[query.size() / 2];
    }
}

// The table of a search on both ends of the wire: written by the server,
// read into the client's data set (the results of the ten texts, in turn).
void BM_Codec(benchmark::State &state, bool decode)
{
    Fixture &f = fixture(false);
    std::vector<QByteArray> wire;
    for (const char *text : kTexts)
        wire.push_back(varo::encodeTable(*f.repo->searchStock(QString::fromUtf8(text), f.session)));
    size_t i = 0;
    timed(state, [&](const QString &) {
        const QByteArray &json = wire[i++ % wire.size()];
        varo::DataSet t;
        varo::decodeTable(json, t);
        if (decode)
            return size_t(t.recordCount());
        const QByteArray again = varo::encodeTable(t);
        benchmark::DoNotOptimize(again.data());
        return size_t(t.recordCount());
    });
}

void BM_PlainLike(benchmark::State &state, bool pg)
{
    Fixture &f = fixture(pg);
    QSqlDatabase db = f.db->connection();
    timed(state, [&](const QString &text) {
        // The same ranking and cap without the index: every row is read.
        const QString needle = normalizeSearchText(text);
        const QString like = QStringLiteral("%") + text + QStringLiteral("%");
        QSqlQuery q = exec(db,
                           "SELECT stokno, kod, finishkod, barkod, adi FROM stok WHERE kod LIKE ? OR finishkod LIKE ? OR barkod LIKE ? "
                           "OR oem1 LIKE ? OR oem2 LIKE ? OR oem3 LIKE ? OR oem4 LIKE ? OR ureticikodu LIKE ? OR adi LIKE ? "
                           "ORDER BY CASE WHEN kod = ? OR finishkod = ? OR barkod = ? THEN 0 ELSE 1 END, finishkod LIMIT 500",
                           {like, like, like, like, like, like, like, like, like, needle, needle, needle});
        size_t n = 0;
        while (q.next())
            ++n;
        return n;
    });
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::RegisterBenchmark("StokAraVaro/client/sqlite", BM_Client, false)->Unit(benchmark::kMillisecond)->Iterations(1000);
    benchmark::RegisterBenchmark("StokAraVaro/method/sqlite", BM_Method, false)->Unit(benchmark::kMillisecond)->Iterations(1000);
    benchmark::RegisterBenchmark("StokAraVaro/query/sqlite", BM_Query, false)->Unit(benchmark::kMillisecond)->Iterations(1000);
    benchmark::RegisterBenchmark("StokAraVaro/plain-like/sqlite", BM_PlainLike, false)->Unit(benchmark::kMillisecond)->Iterations(20);
    benchmark::RegisterBenchmark("StokAraVaro/call-vs-query/sqlite", BM_CallVersusQuery, false)->Unit(benchmark::kMillisecond)->Iterations(1000);
    // The second includes the first: encoding is the difference.
    benchmark::RegisterBenchmark("StokAraVaro/table-decode", BM_Codec, true)->Unit(benchmark::kMillisecond)->Iterations(500);
    benchmark::RegisterBenchmark("StokAraVaro/table-decode+encode", BM_Codec, false)->Unit(benchmark::kMillisecond)->Iterations(500);
    if (qEnvironmentVariableIsSet("VARO_BENCH_POSTGRES")) {
        benchmark::RegisterBenchmark("StokAraVaro/client/postgres", BM_Client, true)->Unit(benchmark::kMillisecond)->Iterations(1000);
        benchmark::RegisterBenchmark("StokAraVaro/method/postgres", BM_Method, true)->Unit(benchmark::kMillisecond)->Iterations(1000);
        benchmark::RegisterBenchmark("StokAraVaro/query/postgres", BM_Query, true)->Unit(benchmark::kMillisecond)->Iterations(1000);
        benchmark::RegisterBenchmark("StokAraVaro/plain-like/postgres", BM_PlainLike, true)->Unit(benchmark::kMillisecond)->Iterations(20);
        benchmark::RegisterBenchmark("StokAraVaro/call-vs-query/postgres", BM_CallVersusQuery, true)->Unit(benchmark::kMillisecond)->Iterations(1000);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (QProcess *p : g_server) {
        if (p) {
            p->terminate();
            p->waitForFinished(15000);
            delete p;
        }
    }
    // Connections go before the application object does.
    for (Fixture &f : g_fixtures) {
        f.methods.reset();
        f.repo.reset();
        f.db.reset();
    }
    return 0;
}

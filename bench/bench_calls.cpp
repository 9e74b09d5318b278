// Small calls under concurrency: SepetVer of a 20-line basket through the
// method client (a new connection per call, as the client works) with 16
// callers, beside a bare TCP connect + echo + close loop with the same number
// of callers against a minimal echo server. VARO_BENCH_POSTGRES=<url> adds a
// server on that PostgreSQL database (its basket of account 1 is replaced).
#include "orderserver/database.h"
#include "orderserver/repository.h"
#include "orderserver/seed.h"
#include "server/connection.h"
#include "server/servermethods1client.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace varo::orderserver;

namespace {

constexpr int kCallers = 16;
constexpr int kCallsEach = 25;

QString g_port[2];  // SQLite, PostgreSQL

template <class F>
void concurrent(benchmark::State &state, F &&call)
{
    for (auto _ : state) {
        std::vector<std::thread> threads;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kCallers; ++i)
            threads.emplace_back([&] {
                for (int k = 0; k < kCallsEach; ++k)
                    call();
            });
        for (auto &th : threads)
            th.join();
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
    state.counters["calls_per_s"] = benchmark::Counter(double(kCallers * kCallsEach) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_SepetVer(benchmark::State &state, int k)
{
    concurrent(state, [k] {
        varo::Connection c;
        c.HostName = QStringLiteral("127.0.0.1");
        c.Port = g_port[k];
        c.Open();
        TServerMethods1Client client(c);
        benchmark::DoNotOptimize(client.SepetVer(1)->recordCount());
    });
}

std::atomic<bool> g_stopEcho{false};
int g_echoPort = 0;

void echoServer(int fd)
{
    while (!g_stopEcho) {
        const int c = ::accept(fd, nullptr, nullptr);
        if (c < 0)
            continue;
        std::thread([c] {
            char b;
            if (::read(c, &b, 1) == 1)
                [[maybe_unused]] auto n = ::write(c, &b, 1);
            ::close(c);
        }).detach();
    }
}

void BM_BareEcho(benchmark::State &state)
{
    concurrent(state, [] {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(quint16(g_echoPort));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0) {
            char b = 'x';
            [[maybe_unused]] auto n = ::write(s, &b, 1);
            n = ::read(s, &b, 1);
        }
        ::close(s);
    });
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("calls.db"));
    auto fill = [](const DbConfig &cfg) {
        Database db(cfg);
        db.migrate();
        if (db.isEmpty())
            seedDatabase(db, SeedOptions{2000, 10, 20});
        Repository repo(db);
        Session s;
        s.CARINO = 1;
        s.Sirano = 1;
        repo.basketClear(s);
        for (int i = 1; i <= 20; ++i)
            repo.basketAdd(s, {1, i, 1, QStringLiteral("B%1").arg(i), {}, 1, 18, 10, 0});
    };
    const QString pg = qEnvironmentVariable("VARO_BENCH_POSTGRES");
    fill(DbConfig{file, {}});
    if (!pg.isEmpty())
        fill(DbConfig{{}, pg});
    QProcess servers[2];
    for (int k = 0; k < (pg.isEmpty() ? 1 : 2); ++k) {
        QProcess &server = servers[k];
        QStringList args{"serve", "--port", "0", "--http-port", "0"};
        args << (k == 0 ? QStringList{"--db", file} : QStringList{"--postgres", pg});
        if (qEnvironmentVariableIsSet("VARO_BENCH_WORKERS"))  // to try other pool sizes
            args << QStringLiteral("--workers") << qEnvironmentVariable("VARO_BENCH_WORKERS");
        // Another build of the server, to compare two side by side.
        const QString bin = qEnvironmentVariable("VARO_BENCH_SERVER_BIN", QStringLiteral(VARO_ORDERSERVER_BIN));
        server.start(bin, args);
        server.waitForStarted();
        QByteArray text;
        const QRegularExpression re(QStringLiteral("methods on port (\\d+)"));
        for (int i = 0; i < 300 && !re.match(QString::fromUtf8(text)).hasMatch(); ++i) {
            server.waitForReadyRead(200);
            text += server.readAllStandardOutput();
        }
        g_port[k] = re.match(QString::fromUtf8(text)).captured(1);
    }

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(fd, 256);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    g_echoPort = ntohs(a.sin_port);
    std::thread echo(echoServer, fd);

    benchmark::RegisterBenchmark("SepetVer20/16-callers/client/sqlite", BM_SepetVer, 0)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
    if (!pg.isEmpty())
        benchmark::RegisterBenchmark("SepetVer20/16-callers/client/postgres", BM_SepetVer, 1)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BareTcpEcho/16-callers", BM_BareEcho)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    g_stopEcho = true;
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
    echo.join();
    for (QProcess &server : servers) {
        if (server.state() != QProcess::NotRunning) {
            server.terminate();
            server.waitForFinished(15000);
        }
    }
    return 0;
}

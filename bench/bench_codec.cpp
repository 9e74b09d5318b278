// Table codec on a stock list of the size the stock search can return:
// 100,000 rows of 30 columns, about 42.5 MB of JSON. Encoding writes the wire
// form from a data set, decoding fills a data set from it (and lets it go
// again); QJsonDocument's parse of the same bytes (which builds no data set
// at all) is the yardstick.
//
// Measured on the 2-core development machine (Release, ms for the whole
// table; "kept": the output buffer or data set carried over between rounds):
//   encode  2 threads 40 fresh / 28 kept,  1 thread 71 fresh / 50 kept
//   decode  2 threads 37 fresh / 37 kept,  1 thread 79 fresh / 81 kept
//   QJsonDocument::fromJson alone 137-152
// A fresh 42 MB output costs the encoder about 12 ms of the kernel mapping
// and zeroing new pages; the data set's many small blocks come from the heap.
//
// The values repeat where a stock list repeats them and not elsewhere:
// codes, names, barcodes, OEM and maker numbers are unique per row (names
// are nine Turkish words each); brand, group and subgroup come from a
// handful of values, department and unit are the same everywhere, the
// special code is mostly "STANDART". Apart from those two constants, each
// cell's text is a string of its own, as when a table is filled row by row
// from a query.
#include "protocol/dataset.h"
#include "protocol/tablecodec.h"

#include <QJsonDocument>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <random>

using namespace varo;

namespace {

constexpr int kRows = 100000;

const char *const kGroups[] = {"FREN SİSTEMİ", "MOTOR", "SÜSPANSİYON", "ELEKTRİK", "FİLTRE", "ŞANZIMAN", "KAPORTA", "SOĞUTMA"};
const char *const kMakers[] = {"BOSCH", "VALEO", "MANN", "SACHS", "LEMFÖRDER", "FEBI", "TRW", "MAHLE", "GATES", "DAYCO"};
const char *const kWords[] = {"FREN", "BALATASI", "ÖN", "ARKA", "DİSK", "AMORTİSÖR", "YAĞ", "FİLTRESİ", "HAVA", "POLEN",
                              "SAĞ", "SOL", "TAKIM", "KAYIŞ", "DEVİRDAİM", "TERMOSTAT", "BUJİ", "ROTİL", "SALINCAK", "CONTA"};

DataSet &stockTable()
{
    static DataSet t;
    if (t.fieldCount())
        return t;
    const struct { const char *name; FieldType type; } cols[] = {
        {"STOK_STOKNO", FieldType::Int32},   {"KOD", FieldType::WideString},        {"ADI", FieldType::WideString},
        {"BARKOD", FieldType::WideString},   {"OEMNO", FieldType::WideString},      {"URETICIKODU", FieldType::WideString},
        {"MARKA", FieldType::WideString},    {"ANAGRUP", FieldType::WideString},    {"ALTGRUP", FieldType::WideString},
        {"DEPARTMAN", FieldType::WideString}, {"BIRIM", FieldType::WideString},     {"OZELKOD", FieldType::WideString},
        {"LISTEFIYATI", FieldType::Float},   {"ISK1", FieldType::Float},            {"ISK2", FieldType::Float},
        {"ISK3", FieldType::Float},          {"NETFIYAT", FieldType::Float},        {"KDV", FieldType::Float},
        {"KDVDAHIL", FieldType::Float},      {"MALIYET", FieldType::Currency},      {"KALAN", FieldType::Float},
        {"ALINANSIPARIS", FieldType::Float}, {"VERILENSIPARIS", FieldType::Float},  {"DURUM", FieldType::Int32},
        {"YENI", FieldType::Boolean},        {"KAMPANYALI", FieldType::Boolean},    {"RESIMVAR", FieldType::Int32},
        {"SONGIRIS", FieldType::DateTime},   {"KAYITTARIHI", FieldType::Date},      {"SIRANO", FieldType::Int64},
    };
    for (const auto &c : cols)
        t.addField(QString::fromLatin1(c.name), c.type);
    std::mt19937 rng(42);
    auto pick = [&](const auto &arr) { return QString::fromUtf8(arr[rng() % std::size(arr)]); };
    auto code = [&](int len) {
        QString s;
        for (int i = 0; i < len; ++i)
            s += QChar(i % 3 == 2 ? '0' + int(rng() % 10) : 'A' + int(rng() % 26));
        return s;
    };
    for (int c = 0; c < t.fieldCount(); ++c)
        t.field(c)->column().reserve(t.field(c)->dataType(), kRows);
    auto col = [&](int c) -> Column & { return t.field(c)->column(); };
    for (int r = 0; r < kRows; ++r) {
        QString name;
        for (int w = 0; w < 9; ++w)
            name += (w ? QStringLiteral(" ") : QString()) + pick(kWords);
        col(0).ints.push_back(100000 + r);
        col(1).texts.push_back(code(18));
        col(2).texts.push_back(name);
        col(3).texts.push_back(QString::number(8690000000000LL + rng() % 9999999));
        col(4).texts.push_back(code(14) + QLatin1Char(' ') + code(14) + QLatin1Char(' ') + code(14));
        col(5).texts.push_back(code(16) + QLatin1Char(' ') + code(16));
        col(6).texts.push_back(pick(kMakers));
        col(7).texts.push_back(pick(kGroups));
        col(8).texts.push_back(pick(kGroups) + QStringLiteral(" PARÇALARI VE BAĞLANTI ELEMANLARI"));
        col(9).texts.push_back(QStringLiteral("OTOMOTİV YEDEK PARÇA VE AKSESUAR DEPARTMANI"));
        col(10).texts.push_back(QStringLiteral("ADET"));
        col(11).texts.push_back(r % 7 ? QStringLiteral("STANDART") : code(6));
        const double list = double(rng() % 500000) / 100.0;
        col(12).reals.push_back(list);
        col(13).reals.push_back(double(rng() % 40));
        col(14).reals.push_back(double(rng() % 10));
        col(15).reals.push_back(0);
        const double net = std::round(list * 0.7 * 100.0) / 100.0;
        col(16).reals.push_back(net);
        col(17).reals.push_back(18);
        col(18).reals.push_back(std::round(net * 118.0) / 100.0);
        col(19).reals.push_back(std::round(net * 55.0) / 100.0);
        col(20).reals.push_back(double(rng() % 1000));
        col(21).reals.push_back(double(rng() % 50));
        col(22).reals.push_back(double(rng() % 50));
        col(23).ints.push_back(int(rng() % 4));
        col(24).ints.push_back(rng() % 10 == 0);
        col(25).ints.push_back(rng() % 20 == 0);
        col(26).ints.push_back(int(rng() % 2));
        col(27).reals.push_back(45000.0 + double(rng() % 1500) + double(rng() % 86400) / 86400.0);
        col(28).reals.push_back(40000.0 + double(rng() % 6000));
        col(29).ints.push_back(qint64(r) * 7919 + (qint64(1) << 33));
    }
    t.commitBulkLoad(kRows);
    return t;
}

const QByteArray &stockJson()
{
    static const QByteArray bytes = encodeTable(stockTable());
    return bytes;
}

void report(benchmark::State &state, qint64 bytes)
{
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["rows/s"] = benchmark::Counter(double(state.iterations()) * kRows, benchmark::Counter::kIsRate);
    state.counters["MB"] = double(bytes) / 1e6;
}

// Large tables are coded on the caller's thread and one pool thread; the
// argument caps the pool, so that 1 shows what a single core does.
struct PoolCap {
    explicit PoolCap(benchmark::State &state) : m_old(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(int(state.range(0)));
    }
    ~PoolCap() { QThreadPool::globalInstance()->setMaxThreadCount(m_old); }
    int m_old;
};

// Second argument 0: a fresh output buffer each time, whose 42 MB the kernel
// maps and zeroes anew (above glibc's largest mmap threshold, so it is never
// taken from the heap); 1: one buffer kept, as a writer that lives on does.
void BM_EncodeTable(benchmark::State &state)
{
    const DataSet &t = stockTable();
    PoolCap cap(state);
    const bool keep = state.range(1) != 0;
    QByteArray out;
    for (auto _ : state) {
        if (keep)
            out.resize(0);
        else
            out.clear();
        out.reserve(stockJson().size() + 4096);
        encodeTable(t, out);
        benchmark::DoNotOptimize(out.data());
    }
    report(state, out.size());
}

void BM_DecodeTableIntoDataSet(benchmark::State &state)
{
    const QByteArray &json = stockJson();
    PoolCap cap(state);
    const bool keep = state.range(1) != 0;
    DataSet kept;
    for (auto _ : state) {
        DataSet fresh;
        DataSet &into = keep ? kept : fresh;
        decodeTable(json, into);
        if (into.recordCount() != kRows)
            state.SkipWithError("row count differs");
        benchmark::DoNotOptimize(into.recordCount());
    }
    report(state, json.size());
}

void BM_QJsonDocumentParseOnly(benchmark::State &state)
{
    const QByteArray &json = stockJson();
    for (auto _ : state) {
        QJsonParseError e;
        QJsonDocument doc = QJsonDocument::fromJson(json, &e);
        if (e.error != QJsonParseError::NoError)
            state.SkipWithError("QJsonDocument refused the table");
        benchmark::DoNotOptimize(doc.isObject());
    }
    report(state, json.size());
}

}  // namespace

// Arguments: threads, and whether the output (buffer or data set) is kept
// from one round to the next.
BENCHMARK(BM_EncodeTable)->ArgNames({"threads", "kept"})->ArgsProduct({{2, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DecodeTableIntoDataSet)->ArgNames({"threads", "kept"})->ArgsProduct({{2, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_QJsonDocumentParseOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();

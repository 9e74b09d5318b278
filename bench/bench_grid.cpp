// The bound grid against the ordinary way (a QStandardItemModel filled with
// the rows behind a QSortFilterProxyModel), on a 100,000-row, 30-column
// stock table: attach and first paint, sorting by a text and a number
// column, a header filter, incremental search to the last row and best fit.
// Resident memory of each way is measured in a child process of its own.
#include "grid/gridview.h"
#include "protocol/dataset.h"
#include "tools/grid-demo/stockgen.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>

#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

using namespace varo;

namespace {

constexpr int kRows = 100000;
const QSize kViewSize(1600, 900);

DataSet &stock()
{
    static DataSet *ds = [] {
        auto *d = new DataSet;
        generateStock(*d, kRows);
        return d;
    }();
    return *ds;
}

DataSource &stockSource()
{
    static DataSource src(&stock());
    return src;
}

void firstPaint(QWidget &w)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    w.render(&img);
    benchmark::DoNotOptimize(img.constBits());
}

// --- our grid --------------------------------------------------------------

std::unique_ptr<GridView> makeGrid()
{
    auto g = std::make_unique<GridView>();
    g->setAttribute(Qt::WA_DontShowOnScreen);
    g->setColumns(stockListColumns());
    for (const GridColumn &c : g->columns())  // all 30 columns on show, as in the ordinary table
        g->setColumnVisible(c.field, true);
    g->setHeaderFilters(true);
    g->setIncrementalSearch(true);
    g->setDataRowHeight(50);
    g->resize(kViewSize);
    g->show();
    return g;
}

GridView &sharedGrid()
{
    static std::unique_ptr<GridView> g = [] {
        auto v = makeGrid();
        v->setDataSource(&stockSource());
        return v;
    }();
    return *g;
}

// --- the ordinary way ------------------------------------------------------

struct Standard {
    QStandardItemModel model;
    QSortFilterProxyModel proxy;
    QTableView view;
};

std::unique_ptr<Standard> makeStandard()
{
    auto s = std::make_unique<Standard>();
    const DataSet &ds = stock();
    const QList<GridColumn> cols = stockListColumns();
    s->model.setColumnCount(int(cols.size()));
    s->model.setRowCount(ds.recordCount());
    QStringList captions;
    std::vector<const Field *> fields;
    for (const GridColumn &c : cols) {
        captions << c.caption;
        fields.push_back(ds.findField(c.field));
    }
    s->model.setHorizontalHeaderLabels(captions);
    for (int r = 0; r < ds.recordCount(); ++r) {
        for (int c = 0; c < int(fields.size()); ++c) {
            const Field *f = fields[std::size_t(c)];
            auto *item = new QStandardItem;
            if (f) {
                item->setData(f->displayTextAt(r), Qt::DisplayRole);
                item->setData(f->value(r), Qt::UserRole);  // sorts by value, not text
            }
            s->model.setItem(r, c, item);
        }
    }
    s->proxy.setSourceModel(&s->model);
    s->proxy.setSortRole(Qt::UserRole);
    s->proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    s->view.setAttribute(Qt::WA_DontShowOnScreen);
    s->view.setModel(&s->proxy);
    s->view.verticalHeader()->setDefaultSectionSize(50);
    s->view.resize(kViewSize);
    s->view.show();
    return s;
}

Standard &sharedStandard()
{
    static std::unique_ptr<Standard> s = makeStandard();
    return *s;
}

int columnOf(const char *field)
{
    const QList<GridColumn> cols = stockListColumns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].field == QLatin1String(field))
            return i;
    return -1;
}

// --- benchmarks ------------------------------------------------------------

void BM_Grid_AttachFirstPaint(benchmark::State &state)
{
    stock();
    for (auto _ : state) {
        auto g = makeGrid();
        g->beginUpdate();
        g->setDataSource(&stockSource());
        g->endUpdate();
        firstPaint(*g);
    }
}

void BM_Standard_FillFirstPaint(benchmark::State &state)
{
    stock();
    for (auto _ : state) {
        auto s = makeStandard();
        firstPaint(s->view);
    }
}

void gridSort(benchmark::State &state, const char *field)
{
    GridView &g = sharedGrid();
    const int c = columnOf(field);
    bool desc = false;
    for (auto _ : state) {
        g.model()->sort(c, desc ? Qt::DescendingOrder : Qt::AscendingOrder);
        desc = !desc;
    }
    g.model()->sort(-1);
}

void standardSort(benchmark::State &state, const char *field)
{
    Standard &s = sharedStandard();
    const int c = columnOf(field);
    bool desc = false;
    for (auto _ : state) {
        s.proxy.sort(c, desc ? Qt::DescendingOrder : Qt::AscendingOrder);
        desc = !desc;
    }
    s.proxy.sort(-1);
}

void BM_Grid_SortText(benchmark::State &state) { gridSort(state, "ADI"); }
void BM_Standard_SortText(benchmark::State &state) { standardSort(state, "ADI"); }
void BM_Grid_SortNumber(benchmark::State &state) { gridSort(state, "NETFIYAT"); }
void BM_Standard_SortNumber(benchmark::State &state) { standardSort(state, "NETFIYAT"); }

void BM_Grid_HeaderFilter(benchmark::State &state)
{
    GridView &g = sharedGrid();
    const int c = columnOf("ADI");
    for (auto _ : state) {
        g.model()->setFilter(c, {FilterOp::Contains, QStringLiteral("fren")});
        state.PauseTiming();
        g.model()->clearFilters();
        state.ResumeTiming();
    }
}

void BM_Standard_HeaderFilter(benchmark::State &state)
{
    Standard &s = sharedStandard();
    s.proxy.setFilterKeyColumn(columnOf("ADI"));
    for (auto _ : state) {
        s.proxy.setFilterFixedString(QStringLiteral("fren"));
        state.PauseTiming();
        s.proxy.setFilterFixedString(QString());
        state.ResumeTiming();
    }
}

QString lastCode()
{
    return stock().fieldByName(QStringLiteral("FINISHKOD"))->stringAt(kRows - 1);
}

void BM_Grid_IncrementalSearchToLast(benchmark::State &state)
{
    GridView &g = sharedGrid();
    const int c = columnOf("FINISHKOD");
    const QString target = lastCode();
    for (auto _ : state) {
        g.table()->setCurrentIndex(g.model()->index(0, c));
        g.clearSearch();
        if (!g.incrementalSearch(target) || g.focusedRow() != kRows - 1)
            state.SkipWithError("search did not reach the last row");
    }
}

void BM_Standard_IncrementalSearchToLast(benchmark::State &state)
{
    Standard &s = sharedStandard();
    const int c = columnOf("FINISHKOD");
    const QString target = lastCode();
    for (auto _ : state) {
        s.view.setCurrentIndex(s.proxy.index(0, c));
        s.view.keyboardSearch(QString());  // starts a new search
        s.view.keyboardSearch(target);
        if (s.view.currentIndex().row() != kRows - 1)
            state.SkipWithError("search did not reach the last row");
        // keyboardSearch keeps typing into the same search for a moment; wait it out
        state.PauseTiming();
        usleep(useconds_t(QApplication::keyboardInputInterval() + 20) * 1000);
        state.ResumeTiming();
    }
}

void BM_Grid_BestFit(benchmark::State &state)
{
    GridView &g = sharedGrid();
    for (auto _ : state)
        g.bestFitColumns();
}

void BM_Standard_BestFit(benchmark::State &state)
{
    Standard &s = sharedStandard();
    for (auto _ : state)
        s.view.resizeColumnsToContents();
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// Child mode: build one way, paint once and print how much resident memory
// it added on top of the data set.
int measureMemory(const char *which)
{
    stock();
    const long before = residentKb();
    std::unique_ptr<GridView> g;
    std::unique_ptr<Standard> s;
    if (std::strcmp(which, "grid") == 0) {
        g = makeGrid();
        g->setDataSource(&stockSource());
        firstPaint(*g);
    } else {
        s = makeStandard();
        firstPaint(s->view);
    }
    const long after = residentKb();
    std::printf("%ld %ld\n", before, after - before);
    return 0;
}

}  // namespace

BENCHMARK(BM_Grid_AttachFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Standard_FillFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Grid_SortText)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_Standard_SortText)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Grid_SortNumber)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_Standard_SortNumber)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Grid_HeaderFilter)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_Standard_HeaderFilter)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_Grid_IncrementalSearchToLast)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_Standard_IncrementalSearchToLast)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Grid_BestFit)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_Standard_BestFit)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0) {
        QApplication app(argc, argv);
        return measureMemory(argv[2]);
    }
    QApplication app(argc, argv);

    // Resident memory, each way in a fresh process.
    for (const char *which : {"grid", "standard"}) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), QString::fromLatin1(which)});
        p.waitForFinished(600000);
        const QList<QByteArray> v = p.readAllStandardOutput().trimmed().split(' ');
        if (v.size() == 2)
            std::printf("memory %-8s data set and process %7ld KiB, added by the view %8ld KiB\n", which,
                        v[0].toLong(), v[1].toLong());
    }
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

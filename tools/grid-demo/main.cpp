// A window with a generated stock list on the grid layer: for looking at the
// grid by eye and for screenshots. Options:
//   --rows N           number of generated rows (default 100000)
//   --sort FIELD       sort by a field, --desc for descending
//   --filter F:OP:TEXT header filter (OP: eq ne lt gt contains notcontains begins)
//   --search TEXT      incremental search in the focused column
//   --export FILE      write the grid to a spreadsheet file and quit
#include "grid/columnrules.h"
#include "grid/gridview.h"
#include "grid/imagelist.h"
#include "grid/xlsxexport.h"
#include "tools/grid-demo/stockgen.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

using namespace varo;

namespace {

// The legend of the state icons below the list.
QWidget *stateLegend(QWidget *parent)
{
    auto *w = new QWidget(parent);
    auto *lay = new QHBoxLayout(w);
    lay->setContentsMargins(6, 2, 6, 2);
    lay->addWidget(new QLabel(QStringLiteral("Durum Açıklaması:    "), w));
    const QList<QPair<int, QString>> items{{0, " Stok mevcut  "}, {8, " Telefon Açınız  "}, {2, " Yolda  "},
                                           {5, " Tedarik Sürecinde "}, {1, " Özel Sipariş  "}, {4, " Yok  "}};
    for (const auto &[icon, text] : items) {
        auto *img = new QLabel(w);
        img->setPixmap(stateImages().image(icon));
        lay->addWidget(img);
        lay->addWidget(new QLabel(text, w));
    }
    lay->addStretch(1);
    return w;
}

std::optional<FilterOp> parseOp(const QString &s)
{
    static const QHash<QString, FilterOp> ops{{"eq", FilterOp::Equal},         {"ne", FilterOp::NotEqual},
                                              {"lt", FilterOp::Less},          {"gt", FilterOp::Greater},
                                              {"contains", FilterOp::Contains}, {"notcontains", FilterOp::NotContains},
                                              {"begins", FilterOp::BeginsWith}, {"blank", FilterOp::Blank},
                                              {"nonblank", FilterOp::NonBlank}};
    auto it = ops.find(s);
    if (it == ops.end())
        return std::nullopt;
    return *it;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser p;
    p.addHelpOption();
    p.addOption({"rows", "Generated rows.", "n", "100000"});
    p.addOption({"sort", "Sort by field.", "field"});
    p.addOption({"desc", "Sort descending."});
    p.addOption({"filter", "Header filter FIELD:OP:TEXT.", "filter"});
    p.addOption({"search", "Incremental search text.", "text"});
    p.addOption({"export", "Export to FILE and quit.", "file"});
    p.addOption({"type", "Customer type for the column rules.", "n", "1"});
    p.process(app);

    DataSet stok;
    QElapsedTimer t;
    t.start();
    generateStock(stok, p.value("rows").toInt());
    const qint64 genMs = t.elapsed();
    DataSource source(&stok);

    QMainWindow win;
    win.setWindowTitle(QStringLiteral("Stok Listesi"));
    auto *central = new QWidget(&win);
    auto *lay = new QVBoxLayout(central);
    auto *bar = new QHBoxLayout;
    auto *search = new QLineEdit(central);
    search->setPlaceholderText(QStringLiteral("Ara"));
    auto *exportButton = new QPushButton(QStringLiteral("Excel Kaydet"), central);
    bar->addWidget(search, 1);
    bar->addWidget(exportButton);
    lay->addLayout(bar);

    auto *grid = new GridView(central);
    grid->setObjectName(QStringLiteral("cxGrid1DBTableView1"));
    grid->setColumns(stockListColumns());
    grid->setReadOnly(true);
    grid->setRowSelect(true);
    grid->setIncrementalSearch(true);
    grid->setHeaderFilters(true);
    grid->setFooterVisible(true);
    grid->setDataRowHeight(50);
    grid->setHeaderHeight(40);
    grid->setGridFont(QFont(QStringLiteral("Arial"), -1));
    {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(13);
        grid->setGridFont(f);
    }
    grid->setSummaries({{"FINISHKOD", SummaryKind::Count, {}, {}},
                        {"BARKOD", SummaryKind::Count, {}, {}},
                        {"OEM1", SummaryKind::Count, {}, {}},
                        {"NETFIYAT", SummaryKind::Sum, {}, {}}});
    applyColumnRules(loginColumnRules(), {p.value("type").toInt(), {}}, central);
    lay->addWidget(grid, 1);
    lay->addWidget(stateLegend(central));
    win.setCentralWidget(central);

    t.restart();
    grid->beginUpdate();
    grid->setDataSource(&source);
    grid->endUpdate();
    const qint64 attachMs = t.elapsed();

    if (p.isSet("sort"))
        grid->sortBy(p.value("sort"), p.isSet("desc") ? Qt::DescendingOrder : Qt::AscendingOrder);
    if (p.isSet("filter")) {
        const QStringList parts = p.value("filter").split(u':');
        if (parts.size() >= 2)
            if (auto op = parseOp(parts[1]))
                grid->setColumnFilter(parts[0], {*op, parts.mid(2).join(u':')});
    }
    if (p.isSet("search")) {
        grid->setFocusedRow(0);
        grid->incrementalSearch(p.value("search"));
    }

    if (p.isSet("export")) {
        t.restart();
        const ExportResult r = exportGridToXlsx(*grid, p.value("export"));
        std::printf("export: %s, %d rows, %lld ms %s\n", r.ok ? "ok" : "failed", r.rows, qlonglong(t.elapsed()),
                    qPrintable(r.error));
        return r.ok ? 0 : 1;
    }

    QObject::connect(search, &QLineEdit::returnPressed, grid, [grid, search] {
        grid->setColumnFilter(QStringLiteral("ADI"), {FilterOp::Contains, search->text()});
    });
    QObject::connect(exportButton, &QPushButton::clicked, grid, [grid, &win] {
        const QString file = chooseSpreadsheetFile(&win);
        if (file.isEmpty())
            return;
        const ExportResult r = exportGridToXlsx(*grid, file);
        if (!r.ok)
            QMessageBox::critical(&win, QStringLiteral("Hata"), r.error);
    });
    QObject::connect(grid, &GridView::resized, grid, [grid] {
        grid->applyWidthRule(grid->scrollBarMarginRule());
    });
    win.statusBar()->showMessage(QStringLiteral("%1 satır üretildi %2 ms, bağlandı %3 ms")
                                     .arg(stok.recordCount())
                                     .arg(genMs)
                                     .arg(attachMs));
    win.resize(1600, 900);
    win.show();
    grid->table()->setFocus();
    return app.exec();
}

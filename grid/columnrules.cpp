#include "columnrules.h"

#include "grid/gridview.h"

namespace varo {

bool CustomerCondition::matches(const CustomerProfile &p) const
{
    if (types.contains(p.musteriTipi))
        return true;
    return razCode && p.cariKod.contains(QStringLiteral("RAZ"), Qt::CaseSensitive);
}

const QList<ColumnRule> &loginColumnRules()
{
    static const QList<ColumnRule> rules = [] {
        const CustomerCondition staffOrRaz{{1, 2}, true};
        const CustomerCondition type3{{3}, false};
        const CustomerCondition type4{{4}, false};
        const QStringList stockFigures{QStringLiteral("ALINANSIPARIS"), QStringLiteral("KALAN"),
                                       QStringLiteral("VERILENSIPARIS")};
        return QList<ColumnRule>{
            {staffOrRaz, QStringLiteral("cxGrid1DBTableView1"), stockFigures + QStringList{QStringLiteral("MALIYET")}, true},
            {staffOrRaz, QStringLiteral("cxGridDBTableView5"), stockFigures, true},
            {staffOrRaz, QStringLiteral("cxGridDBTableViewkampanyali"), stockFigures, true},
            {staffOrRaz, QStringLiteral("cxGridDBTableView1"), {QStringLiteral("KALAN")}, true},
            {type3, QStringLiteral("cxGridDBTableView1"), {QStringLiteral("DURUM")}, false},
            {type4, QStringLiteral("cxGrid1DBTableView1"), {QStringLiteral("K")}, false},
        };
    }();
    return rules;
}

namespace {

int applyLine(const ColumnRule &rule, GridView *view)
{
    int changes = 0;
    for (const QString &f : rule.fields) {
        if (view->columnIndex(f) < 0)
            continue;
        view->showColumn(f, rule.show);
        ++changes;
    }
    return changes;
}

}  // namespace

int applyColumnRules(const QList<ColumnRule> &rules, const CustomerProfile &customer, GridView *view)
{
    if (!view)
        return 0;
    int changes = 0;
    for (const ColumnRule &rule : rules)
        if (rule.view == view->objectName() && rule.when.matches(customer))
            changes += applyLine(rule, view);
    return changes;
}

int applyColumnRules(const QList<ColumnRule> &rules, const CustomerProfile &customer, QObject *root)
{
    if (!root)
        return 0;
    QList<GridView *> views = root->findChildren<GridView *>();
    if (auto *self = qobject_cast<GridView *>(root))
        views.prepend(self);
    int changes = 0;
    for (const ColumnRule &rule : rules) {
        if (!rule.when.matches(customer))
            continue;
        for (GridView *v : std::as_const(views))
            if (v->objectName() == rule.view)
                changes += applyLine(rule, v);
    }
    return changes;
}

}  // namespace varo

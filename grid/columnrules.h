#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QObject;

namespace varo {

class GridView;

// Who the logged-in user is, as far as column visibility cares.
struct CustomerProfile {
    int musteriTipi = 0;
    QString cariKod;
};

// A condition on the customer: one of the listed user types, or (when set)
// a customer code containing "RAZ" (case-sensitive).
struct CustomerCondition {
    QList<int> types;
    bool razCode = false;
    bool matches(const CustomerProfile &p) const;
};

// One line of a visibility table: when the condition holds, the listed
// columns of the named view are shown and offered in customization (or
// hidden and withdrawn from it). Lines that do not apply change nothing.
struct ColumnRule {
    CustomerCondition when;
    QString view;  // objectName of the GridView
    QStringList fields;
    bool show = true;
};

// The columns adjusted right after login in the main window's grids.
const QList<ColumnRule> &loginColumnRules();

// Applies the table in order, each line on its own. Views are looked up by
// objectName among the children of `root` (root itself included). Returns the
// number of column changes made (0 when nothing applied).
int applyColumnRules(const QList<ColumnRule> &rules, const CustomerProfile &customer, QObject *root);
// The same for one view; only lines naming it apply.
int applyColumnRules(const QList<ColumnRule> &rules, const CustomerProfile &customer, GridView *view);

}  // namespace varo

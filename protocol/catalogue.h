#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace varo {

// One server method as methods.def declares it.
struct MethodParam {
    QString name;
    QString kind;       // "S", "I", "D", "L", "B", "C", "O:<class>"
    bool out = false;
};

struct MethodInfo {
    QString name;       // without the "TServerMethods1." prefix
    std::vector<MethodParam> params;
    QString result;     // "-", "S", "I", "B", "R", "T", "J", "O:<class>"
    int resultPosition() const { return int(params.size()); }
};

inline const QString kCommandPrefix = QStringLiteral("TServerMethods1.");

const std::vector<MethodInfo> &methodCatalogue();
const MethodInfo *findMethod(const QString &name);  // accepts the prefixed form too

}  // namespace varo

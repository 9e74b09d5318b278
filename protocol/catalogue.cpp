#include "catalogue.h"

namespace varo {

namespace {

MethodInfo parse(const char *name, const char *params, const char *result)
{
    MethodInfo m;
    m.name = QString::fromLatin1(name);
    m.result = QString::fromLatin1(result);
    const QString p = QString::fromLatin1(params);
    if (p.isEmpty())
        return m;
    for (const QString &item : p.split(u',')) {
        MethodParam mp;
        QString s = item;
        if (s.startsWith(u'!')) {
            mp.out = true;
            s.remove(0, 1);
        }
        const qsizetype colon = s.indexOf(u':');
        mp.name = s.left(colon);
        mp.kind = s.mid(colon + 1);
        m.params.push_back(mp);
    }
    return m;
}

std::vector<MethodInfo> build()
{
    std::vector<MethodInfo> all;
#define VARO_METHOD(name, params, result) all.push_back(parse(#name, params, result));
#include "methods.def"
#undef VARO_METHOD
    return all;
}

}  // namespace

const std::vector<MethodInfo> &methodCatalogue()
{
    static const std::vector<MethodInfo> all = build();
    return all;
}

const MethodInfo *findMethod(const QString &name)
{
    const QString bare = name.startsWith(kCommandPrefix) ? name.mid(kCommandPrefix.size()) : name;
    for (const MethodInfo &m : methodCatalogue())
        if (m.name == bare)
            return &m;
    return nullptr;
}

}  // namespace varo

#!/usr/bin/env python3
"""Writes the method client (one operation per server method) from methods.def."""
import re
import sys

src, out_h, out_cpp = sys.argv[1:4]
methods = []
for line in open(src, encoding="utf-8"):
    m = re.match(r'VARO_METHOD\((\w+), "(.*)", "(.*)"\)', line)
    if m:
        name, params, result = m.groups()
        ps = []
        for p in filter(None, params.split(",")):
            out = p.startswith("!")
            p = p.lstrip("!")
            pname, kind = p.split(":", 1)
            ps.append((pname, kind, out))
        methods.append((name, ps, result))

LISTS = {"TMobilStoklar": "TMobilStoklar", "TMobilSepetler": "TMobilSepetler",
         "TAcilisEkranlar": "TAcilisEkranlar", "TAcilisEkranlariki": "TAcilisEkranlar"}

def ident(n):
    return n if n not in ("k",) else n

def arg_type(kind, out):
    if out:
        return {"S": "QString &", "I": "int &", "D": "double &", "L": "qint64 &", "B": "bool &"}[kind]
    if kind == "S": return "const QString &"
    if kind == "I": return "int"
    if kind == "D": return "double"
    if kind == "C": return "const QJsonValue &"
    if kind == "O:*": return "const QJsonValue &"
    return "std::unique_ptr<%s>" % kind[2:]

def result_type(r):
    if r == "-": return "void"
    if r == "S": return "QString"
    if r == "I": return "int"
    if r == "B": return "bool"
    if r == "R": return "varo::DataSet *"
    if r == "T": return "QIODevice *"
    if r == "J": return "QJsonArray"
    cls = r[2:]
    return (LISTS.get(cls, cls)) + " *"

h = ["// Generated from protocol/methods.def by server/gen_client.py. Do not edit.",
     "#pragma once", "", '#include "server/methodclientbase.h"', "",
     "class TServerMethods1Client : public varo::MethodClientBase {", "public:",
     "    using MethodClientBase::MethodClientBase;", ""]
c = ["// Generated from protocol/methods.def by server/gen_client.py. Do not edit.",
     '#include "server/servermethods1client.h"', "", "#include <QJsonArray>", ""]
for idx, (name, ps, r) in enumerate(methods):
    args = ", ".join("%s %s" % (arg_type(k, o), n) for n, k, o in ps)
    rt = result_type(r)
    h.append("    %s %s(%s);" % (rt, name, args))
    body = []
    for n, k, o in ps:
        if o and k == "S":
            body.append("    %s.clear();" % n)
    body.append("    QJsonArray in;")
    for n, k, o in ps:
        if o or k == "C":
            body.append("    in.append(QJsonValue());")
        elif k in ("S", "I", "D"):
            body.append("    in.append(%s);" % n)
        elif k == "O:*":
            body.append("    in.append(%s);" % n)
        else:
            body.append("    in.append(%s ? QJsonValue(%s->toJson()) : QJsonValue());" % (n, n))
            body.append("    %s.reset();  // consumed by the call" % n)
    body.append('    const Reply v = call(%d, QStringLiteral("%s"), in);' % (idx, name))
    for i, (n, k, o) in enumerate(ps):
        if o:
            conv = {"S": "v.value(%d).toString()", "I": "v.value(%d).toInt()", "D": "v.value(%d).toDouble()",
                    "L": "qint64(v.value(%d).toDouble())", "B": "v.value(%d).toBool()"}[k] % i
            body.append("    %s = %s;" % (n, conv))
    last = "v.value(%d)" % len(ps)
    if r == "-":
        body.append("    (void)v;")
    elif r == "S": body.append("    return %s.toString();" % last)
    elif r == "I": body.append("    return %s.toInt();" % last)
    elif r == "B": body.append("    return %s.toBool();" % last)
    elif r == "J": body.append("    return %s.toArray();" % last)
    elif r == "R": body.append("    return keepReader(%d, v, %d);" % (idx, len(ps)))
    elif r == "T": body.append("    return keepStream(%d, v, %d);" % (idx, len(ps)))
    else:
        cls = r[2:]
        if cls in LISTS:
            body.append("    return keepList<%s>(%d, %s);" % (LISTS[cls].replace("TAcilisEkranlar", "TAcilisEkran").replace("TMobilStoklar", "TMobilStok").replace("TMobilSepetler", "TMobilSepet"), idx, last))
        else:
            body.append("    return keepObject<%s>(%d, %s);" % (cls, idx, last))
    c.append("%s TServerMethods1Client::%s(%s)\n{\n%s\n}\n" % (rt, name, args, "\n".join(body)))
h.append("};")
open(out_h, "w", encoding="utf-8").write("\n".join(h) + "\n")
open(out_cpp, "w", encoding="utf-8").write("\n".join(c) + "\n")

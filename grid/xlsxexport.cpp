#include "xlsxexport.h"

#include "grid/gridview.h"
#include "protocol/dataset.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHash>

#include <xlsxwriter.h>

#include <cmath>

namespace varo {

QString spreadsheetNumberFormat(const QString &picture)
{
    if (picture.isEmpty())
        return {};
    QStringList out;
    for (const QString &section : picture.split(u';')) {
        // Grouping in our pictures is a ',' anywhere in the integer part; the
        // spreadsheet wants exactly one group mark.
        const qsizetype dot = section.indexOf(u'.');
        const QString intPart = dot < 0 ? section : section.left(dot);
        const QString fracPart = dot < 0 ? QString() : section.mid(dot);
        if (!intPart.contains(u',')) {
            out << section;
            continue;
        }
        qsizetype first = 0;
        while (first < intPart.size() && intPart[first] != u'#' && intPart[first] != u'0')
            ++first;
        qsizetype last = intPart.size();
        while (last > first && intPart[last - 1] != u'#' && intPart[last - 1] != u'0')
            --last;
        const QString digits = intPart.mid(first, last - first);
        qsizetype zeros = 0;
        for (QChar c : digits)
            if (c == u'0')
                ++zeros;
        QString core = QStringLiteral("#,##") + QString(std::max<qsizetype>(zeros, 1), u'0');
        if (zeros > 1)  // keep the minimum number of integer digits
            core = QStringLiteral("#,") + QString(std::max<qsizetype>(3 - zeros, 0), u'#')
                + QString(zeros, u'0');
        out << intPart.left(first) + core + intPart.mid(last) + fracPart;
    }
    return out.join(u';');
}

namespace {

struct Sheet {
    lxw_workbook *book = nullptr;
    lxw_worksheet *ws = nullptr;
    QHash<QString, lxw_format *> formats;

    lxw_format *numberFormat(const QString &pic)
    {
        if (pic.isEmpty())
            return nullptr;
        auto it = formats.find(pic);
        if (it != formats.end())
            return *it;
        lxw_format *f = workbook_add_format(book);
        format_set_num_format(f, pic.toUtf8().constData());
        formats.insert(pic, f);
        return f;
    }
};

}  // namespace

ExportResult exportGridToXlsx(const GridView &grid, const QString &path)
{
    ExportResult res;
    if (path.isEmpty()) {
        res.error = QStringLiteral("Dosya adı boş.");
        return res;
    }
    Sheet s;
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook_options opts = {};
    opts.constant_memory = LXW_TRUE;  // rows stream to disk; long lists stay small in memory
    s.book = workbook_new_opt(file.constData(), &opts);
    if (!s.book) {
        res.error = QStringLiteral("Dosya oluşturulamadı: %1").arg(path);
        return res;
    }
    s.ws = workbook_add_worksheet(s.book, "Sayfa1");
    lxw_format *headerFmt = workbook_add_format(s.book);
    format_set_bold(headerFmt);

    // Visible columns in the order the header shows them.
    const GridModel *m = grid.model();
    const GridHeader *h = grid.header();
    QList<int> cols;
    for (int v = 0; v < h->count(); ++v) {
        const int c = h->logicalIndex(v);
        if (!h->isSectionHidden(c))
            cols << c;
    }

    for (int i = 0; i < cols.size(); ++i) {
        const GridColumn &c = m->column(cols[i]);
        worksheet_write_string(s.ws, 0, lxw_col_t(i), c.caption.toUtf8().constData(), headerFmt);
        worksheet_set_column(s.ws, lxw_col_t(i), lxw_col_t(i), std::max(6.0, h->sectionSize(cols[i]) / 7.0), nullptr);
    }

    // Formats per column, decided once.
    std::vector<lxw_format *> fmts(std::size_t(cols.size()), nullptr);
    for (int i = 0; i < cols.size(); ++i) {
        const Field *f = m->fieldOf(cols[i]);
        if (!f)
            continue;
        switch (f->dataType()) {
        case FieldType::Date: fmts[std::size_t(i)] = s.numberFormat(QStringLiteral("dd.mm.yyyy")); break;
        case FieldType::DateTime: fmts[std::size_t(i)] = s.numberFormat(QStringLiteral("dd.mm.yyyy hh:mm:ss")); break;
        case FieldType::Float:
        case FieldType::Currency:
            fmts[std::size_t(i)] = s.numberFormat(spreadsheetNumberFormat(f->displayFormat()));
            break;
        default: break;
        }
    }

    lxw_error err = LXW_NO_ERROR;
    std::vector<int> rows;
    if (const DataSet *ds = m->dataSet()) {
        rows.reserve(m->viewRows().size());
        for (int r : m->viewRows())
            if (r < ds->recordCount())
                rows.push_back(r);
    }
    for (std::size_t vr = 0; vr < rows.size() && err == LXW_NO_ERROR; ++vr) {
        const int r = rows[vr];
        const auto xr = lxw_row_t(vr + 1);
        for (int i = 0; i < cols.size() && err == LXW_NO_ERROR; ++i) {
            const GridColumn &c = m->column(cols[i]);
            const Field *f = m->fieldOf(cols[i]);
            if (!f || f->isNull(r))
                continue;
            const auto xc = lxw_col_t(i);
            const FieldType t = f->dataType();
            if (c.kind == CellKind::Icon) {
                // The picture cannot travel; its description says the same.
                const IconEntry *e = c.iconFor(f->intAt(r));
                if (e && !e->description.isEmpty())
                    err = worksheet_write_string(s.ws, xr, xc, e->description.toUtf8().constData(), nullptr);
                else
                    err = worksheet_write_number(s.ws, xr, xc, f->doubleAt(r), nullptr);
            } else if (t == FieldType::Blob) {
                continue;
            } else if (t == FieldType::Boolean) {
                err = worksheet_write_boolean(s.ws, xr, xc, f->boolAt(r) ? 1 : 0, nullptr);
            } else if (isIntegerType(t) || isFloatingType(t)) {
                const double v = f->doubleAt(r);
                if (std::isfinite(v))
                    err = worksheet_write_number(s.ws, xr, xc, v, fmts[std::size_t(i)]);
            } else {
                err = worksheet_write_string(s.ws, xr, xc, f->stringAt(r).toUtf8().constData(), nullptr);
            }
        }
    }
    if (err == LXW_NO_ERROR && !rows.empty() && !cols.isEmpty())
        worksheet_autofilter(s.ws, 0, 0, lxw_row_t(rows.size()), lxw_col_t(cols.size() - 1));

    // The footer goes below the rows, as the grid shows it: figures stay
    // numbers unless a hook gave them a text of their own.
    const FooterSummary &sum = grid.summary();
    if (err == LXW_NO_ERROR && grid.isFooterVisible() && sum.count() > 0) {
        const auto xr = lxw_row_t(rows.size() + 1);
        for (int i = 0; i < cols.size() && err == LXW_NO_ERROR; ++i) {
            QList<int> under;
            for (int k = 0; k < sum.count(); ++k)
                if (sum.items()[k].column.compare(m->column(cols[i]).field, Qt::CaseInsensitive) == 0)
                    under << k;
            if (under.isEmpty())
                continue;
            const int k = under.first();
            const QVariant v = sum.value(k);
            bool numeric = false;
            const double d = v.toDouble(&numeric);
            numeric = numeric && under.size() == 1 && sum.text(k) == sum.defaultText(k)
                && v.metaType().id() != QMetaType::QString;
            if (numeric) {
                lxw_format *f = sum.items()[k].kind == SummaryKind::Count
                    ? nullptr : s.numberFormat(spreadsheetNumberFormat(sum.format(k)));
                err = worksheet_write_number(s.ws, xr, lxw_col_t(i), d, f);
            } else {
                QStringList texts;
                for (int j : under)
                    texts << sum.text(j);
                err = worksheet_write_string(s.ws, xr, lxw_col_t(i), texts.join(u' ').toUtf8().constData(), nullptr);
            }
        }
    }
    const lxw_error closeErr = workbook_close(s.book);
    if (err != LXW_NO_ERROR || closeErr != LXW_NO_ERROR) {
        res.error = QStringLiteral("Dosya yazılamadı: %1 (%2)")
                        .arg(path, QString::fromUtf8(lxw_strerror(err != LXW_NO_ERROR ? err : closeErr)));
        return res;
    }
    res.ok = true;
    res.rows = int(rows.size());
    return res;
}

QString normaliseSpreadsheetPath(const QString &chosen)
{
    if (chosen.isEmpty())
        return {};
    const QFileInfo fi(chosen);
    const QString suffix = fi.suffix().toLower();
    if (suffix == u"xlsx")
        return chosen;
    // The workbook is always .xlsx; a ".xls" name would make spreadsheet
    // programs complain about a format that does not match the name.
    if (suffix.startsWith(u"xls"))
        return chosen.left(chosen.size() - fi.suffix().size()) + QStringLiteral("xlsx");
    return chosen + QStringLiteral(".xlsx");
}

QString chooseSpreadsheetFile(QWidget *parent)
{
    QFileDialog dlg(parent);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilter(QStringLiteral("Excel (*.xls*)"));
    dlg.setDefaultSuffix(QStringLiteral("xlsx"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return normaliseSpreadsheetPath(dlg.selectedFiles().constFirst());
}

}  // namespace varo

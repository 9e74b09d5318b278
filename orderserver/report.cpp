#include "orderserver/database.h"
#include "orderserver/repository.h"

#include <QBuffer>
#include <QDate>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QTextDocument>

#include <cmath>

namespace varo::orderserver {

namespace {

QString money(double v) { return QLocale(QLocale::Turkish, QLocale::Turkey).toString(v, 'f', 2); }

QByteArray renderPdf(const QString &html)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buf);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(96);
    pdf.setTitle(QStringLiteral("Rapor"));
    pdf.setCreator(QStringLiteral("varo-orderserver"));
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    doc.setHtml(html);
    doc.setPageSize(QSizeF(pdf.width(), pdf.height()));
    QPainter painter(&pdf);
    const int pages = doc.pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            pdf.newPage();
        painter.save();
        painter.translate(0, -p * pdf.height());
        doc.drawContents(&painter, QRectF(0, p * pdf.height(), pdf.width(), pdf.height()));
        painter.restore();
    }
    painter.end();
    buf.close();
    return out;
}

}  // namespace

QByteArray Repository::reportPdf(int report, int carino, const QString &rep, double fromSerial, double toSerial)
{
    if (report != 6 && report != 7)
        throw RequestError("Rapor bulunamadı");
    QSqlDatabase db = m_db.connection();
    const QString from = fromSerial > 0 ? varo::serialToDate(fromSerial).toString(Qt::ISODate) : QStringLiteral("1900-01-01");
    const QString to = toSerial > 0 ? varo::serialToDate(toSerial).toString(Qt::ISODate) : QStringLiteral("9999-12-31");
    QString html = QStringLiteral("<html><body>");
    if (report == 6) {
        // Receivables of every customer, grouped by due date.
        html += QStringLiteral("<h2>Toplu Alacaklar (Vadeye Göre)</h2><p>%1 - %2</p>")
                    .arg(varo::serialToDate(fromSerial).toString(QStringLiteral("dd.MM.yyyy")),
                         varo::serialToDate(toSerial).toString(QStringLiteral("dd.MM.yyyy")).toHtmlEscaped());
        html += QStringLiteral("<table border=1 cellspacing=0 cellpadding=3 width=100%><tr><th>Vade</th><th>Cari Kod</th><th>Cari Adı</th>"
                               "<th>Borç</th><th>Alacak</th><th>Bakiye</th></tr>");
        QString where = QStringLiteral("h.vade >= ? AND h.vade <= ?");
        QVariantList binds{from, to};
        if (carino > 0) {
            where += QStringLiteral(" AND h.carino = ?");
            binds << carino;
        }
        QSqlQuery q = exec(db, QStringLiteral("SELECT h.vade, c.carikod, c.cariadi, SUM(h.borc), SUM(h.alacak) FROM hareket h "
                                              "JOIN cari c ON c.carino = h.carino WHERE %1 GROUP BY h.vade, c.carikod, c.cariadi "
                                              "ORDER BY h.vade, c.carikod").arg(where), binds);
        double tb = 0, ta = 0;
        while (q.next()) {
            const double b = q.value(3).toDouble(), a = q.value(4).toDouble();
            tb += b;
            ta += a;
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td align=right>%4</td><td align=right>%5</td><td align=right>%6</td></tr>")
                        .arg(QDate::fromString(q.value(0).toString(), Qt::ISODate).toString(QStringLiteral("dd.MM.yyyy")),
                             q.value(1).toString().toHtmlEscaped(), q.value(2).toString().toHtmlEscaped(), money(b), money(a), money(b - a));
        }
        html += QStringLiteral("<tr><th colspan=3>Toplam</th><th align=right>%1</th><th align=right>%2</th><th align=right>%3</th></tr></table>")
                    .arg(money(tb), money(ta), money(tb - ta));
    } else {
        html += QStringLiteral("<h2>Alış Satış Tablosu</h2><p>Temsilci: %1</p>").arg(rep.toHtmlEscaped());
        html += QStringLiteral("<table border=1 cellspacing=0 cellpadding=3 width=100%><tr><th>Cari Kod</th><th>Cari Adı</th>"
                               "<th>Temsilci</th><th>Satış</th><th>Tahsilat</th><th>Fark</th></tr>");
        QString where = QStringLiteral("h.tarih >= ? AND h.tarih <= ?");
        QVariantList binds{from, to};
        if (!rep.trimmed().isEmpty()) {
            where += QStringLiteral(" AND t.adi = ?");
            binds << rep.trimmed();
        }
        QSqlQuery q = exec(db, QStringLiteral("SELECT c.carikod, c.cariadi, COALESCE(t.adi, ''), SUM(h.borc), SUM(h.alacak) FROM hareket h "
                                              "JOIN cari c ON c.carino = h.carino LEFT JOIN satici t ON t.saticino = c.saticino WHERE %1 "
                                              "GROUP BY c.carikod, c.cariadi, t.adi ORDER BY c.carikod").arg(where), binds);
        while (q.next()) {
            const double b = q.value(3).toDouble(), a = q.value(4).toDouble();
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td align=right>%4</td><td align=right>%5</td><td align=right>%6</td></tr>")
                        .arg(q.value(0).toString().toHtmlEscaped(), q.value(1).toString().toHtmlEscaped(),
                             q.value(2).toString().toHtmlEscaped(), money(b), money(a), money(b - a));
        }
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("</body></html>");
    return renderPdf(html);
}

}  // namespace varo::orderserver

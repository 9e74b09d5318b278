#include "web/setupdownloader.h"

#include "app/shell/ortak.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStandardPaths>

#ifndef VARO_WEB_SITE
#define VARO_WEB_SITE "http://localhost:8080/"
#endif

namespace varo::web {

namespace {

const QString kFileName = QStringLiteral("DVVaroOtomotivSetup.exe");

// The download accepts no cookies.
class NoCookies : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    bool setCookiesFromUrl(const QList<QNetworkCookie> &, const QUrl &) override { return false; }
};

QString number(double v, const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(v, 'f', 2);
}

} // namespace

SetupDownloader::SetupDownloader(QUrl url, QString targetPath, QObject *parent)
    : QObject(parent), m_url(std::move(url)), m_target(std::move(targetPath))
{
}

QUrl SetupDownloader::defaultUrl()
{
    // The build's web site, unless a test or demo setup names another.
    const QString env = qEnvironmentVariable("VARO_WEB_SITE");
    QUrl site(env.isEmpty() ? QStringLiteral(VARO_WEB_SITE) : env);
    return site.resolved(QUrl(QStringLiteral("/program/DVVaroOtomotivSetup.exe")));
}

QString SetupDownloader::defaultTargetPath()
{
    QString folder = shell::BelgelerKlasoru();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    return folder + QLatin1Char('/') + kFileName;
}

QString SetupDownloader::progressText(qint64 read, qint64 length, const QLocale &locale)
{
    const double percent = length > 0 ? double(read) / double(length) * 100.0 : 0.0;
    return QStringLiteral("Bilgi: %") + number(percent, locale) + QStringLiteral("  İndirilen: ")
           + number(double(read) / 1024 / 1024, locale) + QLatin1Char('/')
           + number(double(length) / 1024 / 1024, locale) + QStringLiteral(" Mb");
}

DownloadResult SetupDownloader::run()
{
    if (QFileInfo::exists(m_target) && !QFile::remove(m_target))
        return {false, QStringLiteral("%1 silinemedi").arg(m_target), true};

    QNetworkAccessManager nam;
    nam.setCookieJar(new NoCookies(&nam));
    nam.setTransferTimeout(kTimeoutMs);
    QNetworkRequest req(m_url);
    req.setTransferTimeout(kTimeoutMs);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    req.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    req.setRawHeader("Accept",
                     "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8");
    // Accept-Encoding "gzip, deflate" is what Qt sends by itself; naming it
    // here would turn off its decompression of the body.
    req.setRawHeader("Accept-Language", "en-US,tr-TR;q=0.8,tr;q=0.6,en;q=0.4");
    req.setHeader(QNetworkRequest::UserAgentHeader,
                  QStringLiteral("Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                                 "Chrome/60.0.3112.32 Safari/537.36"));

    QNetworkReply *reply = nam.get(req);
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 read, qint64 total) {
        if (total > 0)
            emit progress(read, total);
    });
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    DownloadResult result;
    if (status != 0 && (status < 200 || status > 299)) {
        const QString phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        result.error = QStringLiteral("HTTP %1 %2").arg(status).arg(phrase).trimmed();
    } else if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->errorString();
    } else if (body.isEmpty()) {
        result.error = QStringLiteral("Sunucudan boş yanıt geldi");
    }
    reply->deleteLater();
    if (!result.error.isEmpty())
        return result;

    QDir().mkpath(QFileInfo(m_target).absolutePath());
    QSaveFile out(m_target);
    if (!out.open(QIODevice::WriteOnly) || out.write(body) != body.size() || !out.commit())
        return {false, QStringLiteral("%1 yazılamadı: %2").arg(m_target, out.errorString()), true};
    QFile::setPermissions(m_target, QFile::permissions(m_target) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return {true, {}, false};
}

} // namespace varo::web

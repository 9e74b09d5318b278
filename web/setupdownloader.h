#pragma once
// Fetches the setup program of a newer version over HTTP and saves it. The
// call blocks (the dialog that uses it has nothing else to do) but keeps
// the event loop running so progress can be shown.

#include <QLocale>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

namespace varo::web {

struct DownloadResult {
    bool ok = false;
    QString error;          // the reason when not ok
    bool saveFailed = false; // the answer was fine but the file could not be written
};

class SetupDownloader : public QObject {
    Q_OBJECT
public:
    SetupDownloader(QUrl url, QString targetPath, QObject *parent = nullptr);

    // Company web site (the build's, or VARO_WEB_SITE when set) + the setup
    // program's path.
    static QUrl defaultUrl();
    static QString defaultTargetPath(); // Documents folder + the setup program's name
    static constexpr int kTimeoutMs = 60000;

    // "Bilgi: %50,00  İndirilen: 1,00/2,00 Mb"
    static QString progressText(qint64 read, qint64 length, const QLocale &locale = QLocale(QLocale::Turkish, QLocale::Turkey));

    // Removes an older file, downloads, and saves only a successful (2xx)
    // answer with a body, marked executable. Anything else is an error and
    // leaves no file behind.
    DownloadResult run();

    const QUrl &url() const { return m_url; }
    const QString &targetPath() const { return m_target; }

signals:
    void progress(qint64 read, qint64 length);

private:
    QUrl m_url;
    QString m_target;
};

} // namespace varo::web

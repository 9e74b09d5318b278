#pragma once
// The self-update dialog: shown when the server expects another program
// version; downloads the setup program, starts it silently and ends this
// process. It never closes by itself.

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QProgressBar;

namespace varo::web {

class Tdosyaindir : public QDialog {
    Q_OBJECT
public:
    // Starts the saved setup program; false when it could not be started.
    using Starter = std::function<bool(const QString &path, const QStringList &args)>;
    using ErrorBox = std::function<void(QWidget *parent, const QString &text)>;
    using Terminator = std::function<void(int code)>;

    static Tdosyaindir *Yeni(QWidget *AOwner, int _y);
    Tdosyaindir(QWidget *AOwner, int _y);

    // Where from and where to; defaults from the build's web site and the
    // user's Documents folder.
    void setSource(const QUrl &url) { m_url = url; }
    void setTarget(const QString &path) { m_target = path; }
    void setStarter(Starter s) { m_start = std::move(s); }
    void setErrorBox(ErrorBox e) { m_errorBox = std::move(e); }
    void setTerminator(Terminator t) { m_terminate = std::move(t); }

    // The login's connection; kept for the opener, not used by the download.
    QObject *bag = nullptr;
    bool basladi = false;

    QString labelText() const;
    QString bilgiText() const;

public slots:
    void indir();

protected:
    void showEvent(QShowEvent *e) override;
    bool event(QEvent *e) override;

private:
    void endProcess();

    QLabel *m_sLabel1 = nullptr;
    QLabel *m_bilgi = nullptr;
    QProgressBar *m_bar = nullptr;
    QUrl m_url;
    QString m_target;
    Starter m_start;
    ErrorBox m_errorBox;
    Terminator m_terminate;
};

} // namespace varo::web

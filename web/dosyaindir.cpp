#include "web/dosyaindir.h"

#include "web/setupdownloader.h"

#include "app/shell/ortak.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace varo::web {

namespace {
constexpr int kOwnVersion = 5;

// The plain error box, with its button in Turkish.
void errorBox(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::NoButton, parent);
    box.setDefaultButton(box.addButton(QStringLiteral("Tamam"), QMessageBox::AcceptRole));
    box.exec();
}
} // namespace

Tdosyaindir *Tdosyaindir::Yeni(QWidget *AOwner, int _y) { return new Tdosyaindir(AOwner, _y); }

Tdosyaindir::Tdosyaindir(QWidget *AOwner, int _y)
    : QDialog(AOwner, Qt::Tool), m_url(SetupDownloader::defaultUrl()), m_target(SetupDownloader::defaultTargetPath())
{
    setObjectName(QStringLiteral("dosyaindir"));
    setWindowTitle(QStringLiteral("Dosya İndir"));
    setFixedSize(543, 309);

    m_sLabel1 = new QLabel(this);
    m_sLabel1->setObjectName(QStringLiteral("sLabel1"));
    m_sLabel1->setAlignment(Qt::AlignCenter);
    m_sLabel1->setWordWrap(true);
    QFont big = m_sLabel1->font();
    big.setPixelSize(18);
    big.setBold(true);
    m_sLabel1->setFont(big);
    m_sLabel1->setText(QStringLiteral("VARO Zorozizo Online Sipariş Programı (Dilva) Programının\r\nYeni versiyonu indirilecektir\r\n"
                                      "Lütfen Bekleyiniz...!\r\nVersion: ")
                       + QString::number(_y) + QLatin1Char('-') + QString::number(kOwnVersion));
    m_bilgi = new QLabel(this);
    m_bilgi->setObjectName(QStringLiteral("bilgi"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setTextVisible(false);

    auto *lay = new QVBoxLayout(this);
    lay->addWidget(m_sLabel1, 1);
    lay->addWidget(m_bilgi);
    lay->addWidget(m_bar);

    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

QString Tdosyaindir::labelText() const { return m_sLabel1->text(); }
QString Tdosyaindir::bilgiText() const { return m_bilgi->text(); }

void Tdosyaindir::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // Activation may not come on every platform; showing counts as the first one.
    QTimer::singleShot(0, this, &Tdosyaindir::indir);
}

bool Tdosyaindir::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        QTimer::singleShot(0, this, &Tdosyaindir::indir);
    return QDialog::event(e);
}

void Tdosyaindir::indir()
{
    if (basladi)
        return;
    basladi = true;

    SetupDownloader dl(m_url, m_target);
    connect(&dl, &SetupDownloader::progress, this, [this](qint64 read, qint64 length) {
        m_bilgi->setText(SetupDownloader::progressText(read, length));
        m_bar->setMaximum(int(qMin<qint64>(length, INT_MAX)));
        m_bar->setValue(int(qMin<qint64>(read, INT_MAX)));
    });
    const DownloadResult r = dl.run();
    if (!r.ok && r.saveFailed) {
        // The file could not be written: report it and leave the dialog open;
        // closing it lets the login go on.
        errorBox(this, QStringLiteral("Hata"), r.error);
        return;
    }
    if (!r.ok) {
        const QString text = QStringLiteral("Hata Oluştu !\r\nHata: ") + r.error;
        if (m_errorBox)
            m_errorBox(this, text);
        else
            errorBox(this, QApplication::applicationDisplayName(), text);
        endProcess();
        return;
    }
    const QStringList args{QStringLiteral("/silent")};
    if (m_start)
        m_start(m_target, args);
    else
        QProcess::startDetached(m_target, args);
    endProcess();
}

void Tdosyaindir::endProcess()
{
    if (m_terminate)
        m_terminate(0);
    else
        shell::SureciSonlandir(0);
    // Only reached where ending the process has been replaced (tests).
    reject();
}

} // namespace varo::web

#include "app/shell/arkaplan.h"

#include <QApplication>
#include <QMessageBox>
#include <QMutex>
#include <QThread>
#include <QThreadPool>
#include <stdexcept>

namespace varo::shell {

namespace {
QMutex g_lock;
HataGosterici g_gosterici;
} // namespace

QThreadPool *ortakHavuz()
{
    // Several bodies may run at once (start-up and a tab load); a small pool
    // keeps idle threads around for a minute.
    static QThreadPool *havuz = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(qMax(4, QThread::idealThreadCount()));
        p->setExpiryTimeout(60000);
        return p;
    }();
    return havuz;
}

void Gorev::Await(std::function<void()> tamamlama, QObject *baglam)
{
    QPointer<QObject> hedef = baglam ? baglam : static_cast<QObject *>(QCoreApplication::instance());
    auto govde = std::move(m_govde);
    ortakHavuz()->start([govde = std::move(govde), tamamlama = std::move(tamamlama), hedef]() mutable {
        std::exception_ptr hata;
        try {
            if (govde)
                govde();
        } catch (...) {
            hata = std::current_exception();
        }
        // Release what the body captured here, so the closure state is freed
        // by whichever side lets go last.
        govde = nullptr;
        QObject *alici = hedef.data();
        if (!alici)
            return;
        QMetaObject::invokeMethod(
            alici,
            [tamamlama = std::move(tamamlama), hata]() mutable {
                if (tamamlama)
                    tamamlama();
                tamamlama = nullptr;
                if (hata)
                    GenelHataGoster(hata);
            },
            Qt::QueuedConnection);
    });
}

void ArayuzdeCalistir(const std::function<void()> &is)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        is();
        return;
    }
    std::exception_ptr hata;
    QMetaObject::invokeMethod(
        app,
        [&] {
            try {
                is();
            } catch (...) {
                hata = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (hata)
        std::rethrow_exception(hata);
}

void ArayuzeGonder(std::function<void()> is)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [is = std::move(is)] {
            try {
                is();
            } catch (...) {
                GenelHataGoster(std::current_exception());
            }
        },
        Qt::QueuedConnection);
}

void setGenelHataGosterici(HataGosterici g)
{
    QMutexLocker l(&g_lock);
    g_gosterici = std::move(g);
}

QString hataMetni(std::exception_ptr hata)
{
    try {
        std::rethrow_exception(hata);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (const QString &s) {
        return s;
    } catch (...) {
        return QStringLiteral("Bilinmeyen hata");
    }
}

void GenelHataGoster(std::exception_ptr hata)
{
    if (!hata)
        return;
    const QString metin = hataMetni(hata);
    HataGosterici g;
    {
        QMutexLocker l(&g_lock);
        g = g_gosterici;
    }
    if (g) {
        g(metin);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QGuiApplication::applicationDisplayName(), metin);
}

} // namespace varo::shell

#pragma once
// Background work: a body on a worker thread of one shared pool and a
// completion on the UI thread, delivered through the event loop.
//
//   auto durum = std::make_shared<Durum>();   // shared by body and completion
//   Async([durum] { ... worker ... }).Await([durum] { ... UI ... }, this);
//
// An exception escaping the body is kept; the completion still runs, then the
// error goes to the general error box with its own text.

#include <QObject>
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>

class QThreadPool;

namespace varo::shell {

// The one pool every background body runs on.
QThreadPool *ortakHavuz();

class Gorev {
public:
    explicit Gorev(std::function<void()> govde) : m_govde(std::move(govde)) {}
    // Starts the body. The completion runs on the thread of `baglam` (the
    // application object when null) and is skipped when `baglam` is gone.
    void Await(std::function<void()> tamamlama, QObject *baglam = nullptr);

private:
    std::function<void()> m_govde;
};

inline Gorev Async(std::function<void()> govde) { return Gorev(std::move(govde)); }

// Runs `is` on the UI thread and waits for it; runs it directly when already
// there. An exception thrown by `is` comes back to the caller.
void ArayuzdeCalistir(const std::function<void()> &is);
// Queues `is` for the UI thread and returns at once.
void ArayuzeGonder(std::function<void()> is);

// The application's general error box: shows the error's own text.
// Replaceable so tests can record what would have been shown.
using HataGosterici = std::function<void(const QString &metin)>;
void setGenelHataGosterici(HataGosterici g);
void GenelHataGoster(std::exception_ptr hata);
QString hataMetni(std::exception_ptr hata);

} // namespace varo::shell

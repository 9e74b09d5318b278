#pragma once
// Runs the login as the main window needs it: the dialog with its three
// hand-overs (update, new-user request, customer selection) in place.

#include "app/login/girisform.h"
#include "app/login/kullanicikayit.h"
#include "web/dosyaindir.h"

#include <QUrl>
#include <functional>
#include <memory>

namespace varo::login {

struct GirisAyarlari {
    // The server call of the login (worker thread), see Tgirisform::LoginCall.
    Tgirisform::LoginCall girisKontrol;
    // The customer selection of sales representatives; true when it ended
    // with OK. Without it the login goes on as if a customer was chosen.
    std::function<bool(QWidget *owner)> cariSecimi;
    // Server side of the new-user request form.
    std::shared_ptr<IstekSunucusu> istekSunucusu;
    // Where the update comes from; empty for the build's web site.
    QUrl guncellemeAdresi;
    // Starts the downloaded setup program; empty for the system's way.
    web::Tdosyaindir::Starter guncellemeBaslatici;
    QString ayarDosyasi; // empty for the default ayar.ini
};

// Shows the login dialog modally; true when it ended with OK. Every other way
// out (unregistered computer, cancelled selection, "Vazgeç", update) has
// ended the process before this returns, except closing the window, which
// returns false.
bool GirisYap(const GirisAyarlari &ayarlar);

} // namespace varo::login

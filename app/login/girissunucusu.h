#pragma once
// The login's and the request form's calls to the order server, made the
// way the program makes them: a copy of the main connection for each call
// and a method client that lives for that one call.

#include "app/login/girisform.h"
#include "app/login/kullanicikayit.h"

class TSonucBilgisi;

namespace varo {
class Connection;
}

namespace varo::login {

// The login call for Tgirisform (runs on a worker thread). Points `bagim` at
// the order server's host, asks BuyukGetir on a copy of it, copies the whole
// answer into `bilgim` and lays this computer's own identity fields over it.
// False (and `bilgim` untouched) when the copy cannot be opened or the server
// answers without an account object; server errors are thrown.
// `bagim` and `bilgim` must outlive the dialog.
Tgirisform::LoginCall sunucuGirisCagrisi(Connection &bagim, TSonucBilgisi &bilgim);

// The request form's server side, each call on its own copy of `bagc`
// (which must outlive this object). A connection that cannot be opened is
// reported by the connection layer and answered with nullopt/false.
class SunucuIstekleri : public IstekSunucusu {
public:
    explicit SunucuIstekleri(Connection &bagc) : m_bagc(bagc) {}
    std::optional<CariBilgisi> MobilCariBilgisiGetir(int sirano, const QString &idsi) override;
    bool MailGonserCari(const QString &idsi, const QString &baslik, const IstekAlanlari &a) override;

private:
    Connection &m_bagc;
};

} // namespace varo::login

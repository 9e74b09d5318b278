#pragma once
// Binds the window's features to the order server: the session record and
// the main connection live here for the whole run, and every feature's
// server hook is answered through a connection (or a copy of it) and a
// method client made for that one call.

#include "app/mainwindow/form1.h"
#include "catalogue/katalog.h"

class TSonucBilgisi;

namespace varo {
class Connection;
}

namespace varo::mainwindow {

TSonucBilgisi &sbilgi();
Connection &bagc();

// Installs the hooks of the login, the start-up task and the catalogue,
// and the report of connection failures through the message box.
void sunucuBaglariniKur(Form1Kancalari &kancalar);

// The catalogue's server calls, and the session values it reads.
katalog::KatalogSunucusu katalogSunucusuVer();
katalog::Oturum katalogOturumu(const TForm1 &f);

}  // namespace varo::mainwindow

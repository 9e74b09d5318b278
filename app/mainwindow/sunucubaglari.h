#pragma once
// Binds the window's features to the order server: every feature's server
// hook is answered through the window's connection (or a copy of it) and a
// method client made for that one call, with a copy of the window's session.

#include "app/mainwindow/form1.h"
#include "catalogue/katalog.h"

namespace varo::mainwindow {

// Installs the hooks of the login, the start-up task and the catalogue,
// and the report of connection failures through the message box.
void sunucuBaglariniKur(Form1Kancalari &kancalar);

// The catalogue's server calls, and the session values it reads.
katalog::KatalogSunucusu katalogSunucusuVer(TForm1 &f);
katalog::Oturum katalogOturumu(const TForm1 &f);

}  // namespace varo::mainwindow

#pragma once
// Small operations used all over the client.

#include <QString>
#include <QStringList>
#include <functional>

namespace varo {
class DataSet;
}

namespace varo::shell {

// Open and holding at least one record.
bool KayitVarmi(const DataSet *ds);
// Walks from the first record to the first one whose SEC is 1 and stays
// there; false (cursor past the end) when none is.
bool SeciliVarmi(DataSet *ds);
// Money format on the plain floating-point fields; currency, integer, text
// and date fields keep theirs.
void ParaFormatiUygula(DataSet *ds);
inline const QString kParaFormati = QStringLiteral("#,###,##0.00");

// The user's documents folder; empty when the desktop names none. Not created.
QString BelgelerKlasoru();
// The address with the characters a command line or URL cannot carry encoded.
QString UrlKodla(const QString &metin);
// Major version of the embedded web engine's browser core; 0 without one.
int IeSurumuAl();
// First existing Chrome or Chromium executable, empty when none.
QString ChromeYolu();
QStringList chromeAdaylari(const QString &evKlasoru);
QString ilkVarOlan(const QStringList &adaylar);

// Ends the process at once with `kod`; nothing else runs. Replaceable so
// tests can see the call without dying.
using Sonlandirici = std::function<void(int kod)>;
void setSonlandirici(Sonlandirici s);
void SureciSonlandir(int kod = 0);

} // namespace varo::shell

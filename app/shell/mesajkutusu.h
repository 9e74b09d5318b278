#pragma once
// The program's Turkish message box: caption, buttons, sound and placement
// by kind, answering with the platform's dialog result codes.

#include <QList>
#include <QString>
#include <functional>

class QDialog;
class QPushButton;
class QWidget;

namespace varo::shell {

// Kinds of message.
enum MesajTuru { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

// Buttons, by their platform codes.
enum MesajDugmesi {
    mbYes = 0, mbNo = 1, mbOK = 2, mbCancel = 3, mbAbort = 4, mbRetry = 5,
    mbIgnore = 6, mbAll = 7, mbNoToAll = 8, mbYesToAll = 9, mbHelp = 10,
};

// Results of a pressed button.
enum MesajSonucu {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
    mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrHelp = 11,
};

using DugmeSeti = QList<MesajDugmesi>;

struct MesajIstegi {
    QString metin;
    MesajTuru tur = mtInformation;
    DugmeSeti dugmeler;
    MesajDugmesi odak = mbOK;
};

// Shows a message and returns the pressed button's result.
int MesajKutusu(const QString &metin, MesajTuru tur, const DugmeSeti &dugmeler, MesajDugmesi odak);

// The two shapes the program uses.
inline int Bildir(const QString &metin, MesajTuru tur) { return MesajKutusu(metin, tur, {mbOK}, mbOK); }
inline int Sor(const QString &metin, MesajDugmesi odak = mbYes)
{
    return MesajKutusu(metin, mtConfirmation, {mbYes, mbNo}, odak);
}

// Whoever answers message boxes. Empty means the real dialog; tests install
// one that records the request and answers at once.
using MesajSunucu = std::function<int(const MesajIstegi &)>;
void setMesajSunucu(MesajSunucu sunucu);
MesajSunucu mesajSunucu();

// Font size of every message box (points).
void setMesajYaziBoyutu(int boyut);
int mesajYaziBoyutu();

// Rules the dialog follows, exposed so they can be checked on their own.
QString mesajBasligi(MesajTuru tur);        // empty for the custom kind
QString dugmeYazisi(MesajDugmesi dugme);
int dugmeSonucu(MesajDugmesi dugme);
int varsayilanDugme(const DugmeSeti &dugmeler); // -1 when none applies
int kacisSonucu(const DugmeSeti &dugmeler);     // result of Escape
const char *mesajSesi(MesajTuru tur);           // desktop event sound id, nullptr for none

// Builds the dialog without showing it. Buttons carry the objectName
// "dugme<code>" and the property "sonuc".
QDialog *mesajDialoguOlustur(const MesajIstegi &istek, QWidget *parent = nullptr);
// Buttons of a dialog in their tab order, starting at the first one.
QList<QPushButton *> sekmeSirasi(QDialog *dialog);

// Plays the kind's desktop sound where a sound server exists.
void mesajSesiCal(MesajTuru tur);

} // namespace varo::shell

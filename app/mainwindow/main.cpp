#include "app/identity/identity.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/sunucubaglari.h"
#include "catalogue/altpaneller.h"
#include "catalogue/katalog.h"
#include "catalogue/stoksekmesi.h"
#include "grid/columnrules.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

int main(int argc, char **argv)
{
    // Lets set-up scripts register this computer with the server; no window.
    if (const int rc = varo::identity::printComputerIdIfAsked(argc, argv); rc >= 0)
        return rc;
    QApplication app(argc, argv);
    // The program speaks Turkish only: Qt's own texts (edit menus, standard buttons) too.
    QTranslator qtMetinleri;
    if (qtMetinleri.load(QLocale(QLocale::Turkish, QLocale::Turkey), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtMetinleri);
    auto &kancalar = varo::mainwindow::form1Kancalari();
    kancalar.kurulumlar.push_back([](varo::mainwindow::TForm1 &f) {
        varo::katalog::durumAciklamasiKur(f.Panel3);
        varo::katalog::kayanPanelKur(f.Panel5);
        const varo::katalog::KatalogYeri yer{&f, f.Panel2Duzeni, f.sPageControl1, f.sstoklistesi, f.syeniler,
                                             f.skampanyali, f.sTabSheetduyuru, f.ssepet, f.sTabSheet2, f.gifstokara,
                                             f.gifyeniler, f.gifkampanyali, f.gifduyuru, f.gifvaroara};
        new varo::katalog::Katalog(yer, varo::mainwindow::katalogSunucusuVer(f),
                                   [&f] { return varo::mainwindow::katalogOturumu(f); }, &f);
    });
    kancalar.kolonAyarla = [](varo::mainwindow::TForm1 &f, const varo::mainwindow::MusteriAyari &) {
        varo::applyColumnRules(varo::loginColumnRules(), {f.sbilgi.MusteriTipi(), f.sbilgi.carikod()}, &f);
    };
    kancalar.stokAra = [](varo::mainwindow::TForm1 &f, const QString &t) {
        if (auto *k = f.findChild<varo::katalog::Katalog *>())
            k->stokSekmesi->metniAra(t);
    };
    kancalar.cariDegisti.push_back([](varo::mainwindow::TForm1 &f) {
        if (auto *k = f.findChild<varo::katalog::Katalog *>())
            k->cariDegisti();
    });
    kancalar.kayanYaziYukle = [](varo::mainwindow::TForm1 &f, const QString &t) { varo::katalog::KayanYaziGoster(&f, t); };
    // Last, so that the server calls answer every hook above.
    varo::mainwindow::sunucuBaglariniKur(kancalar);
    varo::mainwindow::TForm1 Form1;
    Form1.FormCreate();
    // Fills the screen also where no window manager maximizes windows.
    if (QScreen *ekran = QGuiApplication::primaryScreen())
        Form1.setGeometry(ekran->availableGeometry());
    Form1.showMaximized();
    return app.exec();
}

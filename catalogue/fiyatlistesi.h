#pragma once

#include <QObject>
#include <functional>

class QLineEdit;
class QToolButton;

namespace varo {
class DataSet;
class DataSource;
class GridView;
namespace shell {
class TsTabSheet;
class TMesgulAnimasyonu;
}  // namespace shell
}  // namespace varo

namespace varo::katalog {

// The second price list: a code looked up as typed, prices without and with VAT.
class FiyatListesi : public QObject {
    Q_OBJECT
public:
    FiyatListesi(shell::TsTabSheet *sayfa, shell::TMesgulAnimasyonu *gif, QObject *parent = nullptr);

    // Worker thread: fills the table for the text, throws on failure.
    std::function<void(const QString &s, DataSet &hedef)> varodeAra;

    QLineEdit *varoedit = nullptr;
    QToolButton *sSpeedButton3 = nullptr;  // "Temizle"
    DataSet *VAROLISTE = nullptr;
    DataSource *DataSource_VAROLISTE = nullptr;
    GridView *cxGrid7DBTableView1 = nullptr;

    void VaroOrjinalAra();
    void sSpeedButton3Click();

signals:
    void aramaBitti(bool hata);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    shell::TMesgulAnimasyonu *m_gif;
};

}  // namespace varo::katalog

#pragma once

#include <QObject>
#include <functional>

namespace varo {
class DataSet;
}

namespace varo::sepet {

// The server-side basket as the client holds it: the `sepet` table and its
// reload. The badge follows the number of lines after each reload.
class SepetDeposu : public QObject {
    Q_OBJECT
public:
    explicit SepetDeposu(QObject *parent = nullptr);

    DataSet *sepet = nullptr;
    // Fills the table from the server; throws on failure.
    std::function<void(DataSet &hedef)> sepetVer;

    // Reloads; on failure the table keeps what it held. Returns success.
    bool SepetiYenile();
    // Forgets the lines held; the next use loads the basket afresh.
    void bosalt();
    int satirSayisi() const;

signals:
    void yenilendi(int satirSayisi);
};

}  // namespace varo::sepet

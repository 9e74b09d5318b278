#include "app/identity/identity.h"
#include "app/login/girisform.h"
#include "app/shell/ortak.h"
#include "app/shell/tema.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>

using namespace varo::login;

namespace {
class FixedSources : public varo::identity::IdentitySources {
public:
    QString deviceDatabaseDiskSerial() override { return QStringLiteral("test disk 01"); }
    QString driveSerial(int) override { return {}; }
    QList<QByteArray> adapterAddresses() override { return {}; }
    QString computerName() override { return QStringLiteral("PC"); }
    QString userName() override { return QStringLiteral("user"); }
    QString hostIpv4() override { return {}; }
};
} // namespace

class TstGirisForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void emptyFieldEnter_data();
    void emptyFieldEnter();
    void nameEnterMovesToPassword();
    void upperCaseInput();
    void passwordShownAsStars();
    void enterDuringLoginStartsNothing();
    void failedTryReenablesButton();
    void rememberUnticked();
    void shapeAndVazgec();

private:
    FixedSources m_sources;
    QTemporaryDir m_dir;
    QString ini() const { return m_dir.filePath(QStringLiteral("ayar.ini")); }
};

void TstGirisForm::initTestCase()
{
    varo::identity::setIdentitySources(&m_sources);
}

void TstGirisForm::emptyFieldEnter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("warning");
    QTest::newRow("empty name") << "adi" << "" << "X" << "Lütfen kullanıcı adını giriniz !";
    QTest::newRow("blank name") << "adi" << "   " << "X" << "Lütfen kullanıcı adını giriniz !";
    QTest::newRow("empty password") << "sifre" << "ALI" << "" << "Lütfen kullanıcı şifresini giriniz !";
    QTest::newRow("blank password") << "sifre" << "ALI" << "  " << "Lütfen kullanıcı şifresini giriniz !";
}

void TstGirisForm::emptyFieldEnter()
{
    QFETCH(QString, field);
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, warning);
    QFile::remove(ini());
    Tgirisform f(nullptr, ini());
    QStringList warnings;
    int calls = 0;
    f.setUyariKutusu([&](QWidget *, const QString &t) { warnings << t; });
    f.setGirisKontrol([&](const QString &, const QString &, LoginAnswer &) { ++calls; return false; });
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    auto *adi = f.findChild<QLineEdit *>(QStringLiteral("adi"));
    auto *sifre = f.findChild<QLineEdit *>(QStringLiteral("sifre"));
    adi->setText(name);
    sifre->setText(password);
    auto *edit = f.findChild<QLineEdit *>(field);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(warnings, QStringList{warning});
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->selectedText(), edit->text());
    QVERIFY(!f.loginRunning());
    QCOMPARE(calls, 0);
}

void TstGirisForm::nameEnterMovesToPassword()
{
    Tgirisform f(nullptr, ini());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    auto *adi = f.findChild<QLineEdit *>(QStringLiteral("adi"));
    adi->setText(QStringLiteral("ALI"));
    adi->setFocus();
    QTest::keyClick(adi, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f.findChild<QLineEdit *>(QStringLiteral("sifre")));
}

void TstGirisForm::upperCaseInput()
{
    Tgirisform f(nullptr, ini());
    f.show();
    auto *adi = f.findChild<QLineEdit *>(QStringLiteral("adi"));
    adi->clear();
    QTest::keyClicks(adi, QStringLiteral("ali can"));
    QCOMPARE(adi->text(), QStringLiteral("ALI CAN"));
    QCOMPARE(f.idsi(), QStringLiteral("TESTDISK01"));
}

// The password is upper case too, and shown as stars, also under the
// program's own style sheet.
void TstGirisForm::passwordShownAsStars()
{
    varo::shell::TemaUygula(qApp, QDate(2026, 6, 1));
    const auto restore = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    Tgirisform f(nullptr, ini());
    f.show();
    auto *sifre = f.findChild<QLineEdit *>(QStringLiteral("sifre"));
    sifre->clear();
    QTest::keyClicks(sifre, QStringLiteral("gizli"));
    QCOMPARE(sifre->text(), QStringLiteral("GIZLI"));
    QCOMPARE(sifre->displayText(), QStringLiteral("*****"));
}

void TstGirisForm::enterDuringLoginStartsNothing()
{
    QFile::remove(ini());
    Tgirisform f(nullptr, ini());
    std::atomic<int> calls{0};
    QSemaphore release;
    f.setGirisKontrol([&](const QString &idsi, const QString &disip, LoginAnswer &a) {
        ++calls;
        release.acquire();
        a.Version = 5;
        a.Varmi = true;
        a.ADI = QStringLiteral("ALI");
        a.SIFRE = QStringLiteral("ZZ");
        a.AKTIF = 1;
        return idsi == QLatin1String("TESTDISK01") && disip == QLatin1String("127.0.0.1");
    });
    QStringList messages;
    f.setMesajKutusu([&](const QString &t, MessageKind) { messages << t; });
    f.show();
    auto *adi = f.findChild<QLineEdit *>(QStringLiteral("adi"));
    auto *sifre = f.findChild<QLineEdit *>(QStringLiteral("sifre"));
    auto *button = f.findChild<QPushButton *>(QStringLiteral("Button1"));
    adi->setText(QStringLiteral("ALI"));
    sifre->setText(QStringLiteral("ZZ"));
    sifre->setFocus();
    QTest::keyClick(sifre, Qt::Key_Return);
    QVERIFY(f.loginRunning());
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("Bağlanıyor..."));
    QTRY_COMPARE(calls.load(), 1);
    QCOMPARE(button->text(), QStringLiteral("Giriş!"));
    QTRY_VERIFY(f.findChild<QWidget *>(QStringLiteral("RxGIFAnimator1"))->isVisible());
    QTest::keyClick(sifre, Qt::Key_Return);
    button->click();
    release.release(3);
    QTRY_VERIFY(!f.loginRunning());
    QCOMPARE(calls.load(), 1);
    QCOMPARE(f.lastOutcome(), LoginOutcome::Accepted);
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QVERIFY(messages.isEmpty());
    QVERIFY(!f.findChild<QWidget *>(QStringLiteral("RxGIFAnimator1"))->isVisible());
}

void TstGirisForm::failedTryReenablesButton()
{
    Tgirisform f(nullptr, ini());
    f.setGirisKontrol([](const QString &, const QString &, LoginAnswer &) { return false; });
    QStringList messages;
    f.setMesajKutusu([&](const QString &t, MessageKind k) { messages << t; QCOMPARE(k, MessageKind::Hata); });
    f.show();
    auto *button = f.findChild<QPushButton *>(QStringLiteral("Button1"));
    button->click();
    QTRY_VERIFY(!f.loginRunning());
    QCOMPARE(messages, QStringList{QStringLiteral("Bağlantı Kurulamadı !")});
    QVERIFY(button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("Giriş!"));
    QCOMPARE(QApplication::focusWidget(), f.findChild<QLineEdit *>(QStringLiteral("adi")));
}

void TstGirisForm::rememberUnticked()
{
    QFile::remove(ini());
    {
        Tgirisform f(nullptr, ini());
        f.findChild<QLineEdit *>(QStringLiteral("adi"))->setText(QStringLiteral("ALI"));
        f.findChild<QLineEdit *>(QStringLiteral("sifre"))->setText(QStringLiteral("ZZ"));
        f.findChild<QCheckBox *>(QStringLiteral("benihatirla"))->setChecked(false);
        f.AyarKaydet();
    }
    const RememberedLogin r = LoginSettings(ini()).read();
    QCOMPARE(r.isim, QStringLiteral("ALI"));
    QCOMPARE(r.sifre, QStringLiteral("ZZ"));
    QVERIFY(!r.hatirla);
    Tgirisform next(nullptr, ini());
    QVERIFY(next.findChild<QLineEdit *>(QStringLiteral("adi"))->text().isEmpty());
    QVERIFY(next.findChild<QLineEdit *>(QStringLiteral("sifre"))->text().isEmpty());
    QVERIFY(!next.findChild<QCheckBox *>(QStringLiteral("benihatirla"))->isChecked());

    LoginSettings(ini()).write({QStringLiteral("VELI"), QStringLiteral("Q"), true});
    Tgirisform third(nullptr, ini());
    QCOMPARE(third.findChild<QLineEdit *>(QStringLiteral("adi"))->text(), QStringLiteral("VELI"));
    QVERIFY(third.findChild<QCheckBox *>(QStringLiteral("benihatirla"))->isChecked());
}

void TstGirisForm::shapeAndVazgec()
{
    Tgirisform f(nullptr, ini());
    QCOMPARE(f.size(), QSize(368, 579));
    QVERIFY(!f.mask().isEmpty());
    QVERIFY(!f.mask().contains(QPoint(0, 0)));
    QVERIFY(f.mask().contains(QPoint(184, 300)));
    QVERIFY(f.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!f.parentWidget()); // its own task-bar button

    // Dragging anywhere on the body moves the window.
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const QPoint start = f.pos();
    QTest::mousePress(&f, Qt::LeftButton, {}, QPoint(184, 250));
    QMouseEvent move(QEvent::MouseMove, QPointF(224, 280), f.mapToGlobal(QPointF(224, 280)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &move);
    QTest::mouseRelease(&f, Qt::LeftButton, {}, QPoint(224, 280));
    QCOMPARE(f.pos(), start + QPoint(40, 30));
    int code = -1;
    varo::shell::setSonlandirici([&](int c) { code = c; });
    f.findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    QCOMPARE(code, 0);
    varo::shell::setSonlandirici({});
}

QTEST_MAIN(TstGirisForm)
#include "tst_girisform.moc"

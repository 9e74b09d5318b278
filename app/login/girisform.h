#pragma once
// The login dialog: a frameless window in the outline of its picture that
// asks for name and password, asks the server which account is registered
// for this computer and compares on the client.

#include "app/login/loginflow.h"

#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varo::login {

// The small login animation: a turning ring, no picture file needed.
class LoginAnimation : public QWidget {
    Q_OBJECT
public:
    explicit LoginAnimation(QWidget *parent = nullptr);
    void setAnimated(bool on);
    bool isAnimated() const { return m_timer != 0; }

protected:
    void paintEvent(QPaintEvent *) override;
    void timerEvent(QTimerEvent *) override;

private:
    int m_timer = 0;
    int m_step = 0;
};

class Tgirisform : public QDialog {
    Q_OBJECT
public:
    // Runs on a worker thread: asks the server for the account of `idsi`,
    // copies it into the session record (with the local identity fields and
    // the external address `disip`) and fills `out`. False when no
    // connection, a server error or no account object.
    using LoginCall = std::function<bool(const QString &idsi, const QString &disip, LoginAnswer &out)>;
    using MessageFn = std::function<void(const QString &text, MessageKind kind)>;
    using WarningFn = std::function<void(QWidget *parent, const QString &text)>;

    explicit Tgirisform(QWidget *parent = nullptr, const QString &iniPath = QString());

    void setGirisKontrol(LoginCall call) { m_call = std::move(call); }
    // The three hand-overs of the evaluation; each optional.
    void setGuncellemeAc(std::function<void(int)> f) { m_guncellemeAc = std::move(f); }
    void setYeniKullaniciIstegi(std::function<void()> f) { m_yeniKullanici = std::move(f); }
    void setCariSecimiYap(std::function<bool()> f) { m_cariSecimi = std::move(f); }
    // Notices (the shared message box) and the plain warning of empty fields.
    void setMesajKutusu(MessageFn f) { m_mesaj = std::move(f); }
    void setUyariKutusu(WarningFn f) { m_uyari = std::move(f); }

    const QString &idsi() const { return m_idsi; }
    bool loginRunning() const;
    LoginOutcome lastOutcome() const { return m_lastOutcome; }
    const LoginSettings &settings() const { return m_settings; }

    void AyarOku();
    void AyarKaydet();

public slots:
    void Button1Click();
    void Button2Click();

signals:
    void loginEvaluated(varo::login::LoginOutcome outcome);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *e) override;
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    void Devamet(const QString &i);
    void evaluate(bool dogrusonuc, const LoginAnswer &answer);
    void failureReport(const QString &text, MessageKind kind);
    bool emptyFieldWarning(QLineEdit *edit, const QString &text);

    QPixmap m_background;
    QLineEdit *m_adi = nullptr;
    QLineEdit *m_sifre = nullptr;
    QCheckBox *m_benihatirla = nullptr;
    QPushButton *m_button1 = nullptr;
    QPushButton *m_button2 = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    LoginAnimation *m_animation = nullptr;

    QString m_idsi;
    LoginSettings m_settings;
    LoginCall m_call;
    std::function<void(int)> m_guncellemeAc;
    std::function<void()> m_yeniKullanici;
    std::function<bool()> m_cariSecimi;
    MessageFn m_mesaj;
    WarningFn m_uyari;
    LoginOutcome m_lastOutcome = LoginOutcome::ConnectionFailed;
    int m_stage = 0; // 0 idle, 1 first stage, 2 login call
    QPoint m_dragOffset;
    bool m_dragging = false;
};

} // namespace varo::login

#include "app/login/girisform.h"

#include "app/identity/identity.h"
#include "app/shell/arkaplan.h"
#include "app/shell/mesajkutusu.h"
#include "app/shell/ortak.h"

#include <QApplication>
#include <QBitmap>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QValidator>
#include <memory>

// The picture lives in a static library; make sure its resources are registered.
static void initLoginResources() { Q_INIT_RESOURCE(login); }

namespace varo::login {

namespace {

// Forces typed text to upper case as it is entered.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

void defaultMessage(const QString &text, MessageKind kind)
{
    const shell::MesajTuru tur = kind == MessageKind::Hata    ? shell::mtError
                                 : kind == MessageKind::Uyari ? shell::mtWarning
                                                              : shell::mtInformation;
    shell::MesajKutusu(text, tur, {shell::mbOK}, shell::mbOK);
}

void defaultWarning(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::NoButton, parent);
    box.setDefaultButton(box.addButton(QStringLiteral("Tamam"), QMessageBox::AcceptRole));
    box.exec();
}

} // namespace

// --- animation -------------------------------------------------------------

LoginAnimation::LoginAnimation(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void LoginAnimation::setAnimated(bool on)
{
    if (on && !m_timer)
        m_timer = startTimer(80);
    else if (!on && m_timer) {
        killTimer(m_timer);
        m_timer = 0;
    }
}

void LoginAnimation::timerEvent(QTimerEvent *)
{
    m_step = (m_step + 1) % 12;
    update();
}

void LoginAnimation::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width() / 2.0, height() / 2.0);
    const double r = qMin(width(), height()) / 2.0 - 4;
    for (int i = 0; i < 12; ++i) {
        QColor c(244, 162, 97);
        c.setAlphaF(((i - m_step + 12) % 12 + 1) / 12.0);
        p.setPen(QPen(c, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -r * 0.55), QPointF(0, -r));
        p.rotate(30);
    }
}

// --- dialog ------------------------------------------------------------------

Tgirisform::Tgirisform(QWidget *parent, const QString &iniPath)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      m_settings(iniPath.isEmpty() ? LoginSettings::defaultIniPath() : iniPath)
{
    setObjectName(QStringLiteral("girisform"));
    setWindowTitle(QStringLiteral("Giriş"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);

    initLoginResources();
    m_background.load(QStringLiteral(":/login/giris.png"));
    setFixedSize(368, 579);
    // Cut the window to the picture's outline; the transparent corners and
    // the area around the emblem are not part of the window.
    setAttribute(Qt::WA_TranslucentBackground);
    if (!m_background.isNull())
        setMask(m_background.mask());

    auto makeLabel = [this](const char *name, const QString &text, const QRect &geo, const QString &style) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(geo);
        l->setStyleSheet(style);
        return l;
    };
    m_label1 = makeLabel("Label1", QStringLiteral(" Kullanıcı Adı:"), QRect(30, 280, 308, 24),
                         QStringLiteral("color: white;"));
    m_label2 = makeLabel("Label2", QStringLiteral(" Şifre:"), QRect(30, 362, 308, 26),
                         QStringLiteral("color: white; background: #e76f51;"));

    m_adi = new QLineEdit(this);
    m_adi->setObjectName(QStringLiteral("adi"));
    m_adi->setGeometry(30, 306, 308, 32);
    m_adi->setValidator(new UpperCaseValidator(m_adi));

    m_button2 = new QPushButton(QStringLiteral("Vazgeç"), this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button2->setGeometry(30, 490, 146, 40);
    m_button2->setAutoDefault(false);

    m_benihatirla = new QCheckBox(QStringLiteral("Beni hatırla"), this);
    m_benihatirla->setObjectName(QStringLiteral("benihatirla"));
    m_benihatirla->setGeometry(30, 440, 200, 28);
    m_benihatirla->setChecked(true);
    // White text on the dark picture; the box is drawn here because the
    // style would draw its tick in the text colour, white on white.
    m_benihatirla->setStyleSheet(QStringLiteral(
        "QCheckBox { color: white; spacing: 6px; }"
        "QCheckBox::indicator { width: 14px; height: 14px; border: 1px solid #8daed8; border-radius: 2px;"
        " background: white; }"
        "QCheckBox::indicator:checked { image: url(:/login/tik.svg); }"));

    m_sifre = new QLineEdit(this);
    m_sifre->setObjectName(QStringLiteral("sifre"));
    m_sifre->setGeometry(30, 392, 308, 32);
    m_sifre->setEchoMode(QLineEdit::Password);
    // Stars, not the style's dots (see showEvent).
    m_sifre->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    m_sifre->setValidator(new UpperCaseValidator(m_sifre));

    m_button1 = new QPushButton(QStringLiteral("Giriş"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setGeometry(192, 490, 146, 40);
    m_button1->setAutoDefault(false);

    m_animation = new LoginAnimation(this);
    m_animation->setObjectName(QStringLiteral("RxGIFAnimator1"));
    m_animation->setGeometry(159, 230, 50, 50);
    m_animation->hide();


    setTabOrder(m_adi, m_button2);
    setTabOrder(m_button2, m_benihatirla);
    setTabOrder(m_benihatirla, m_sifre);
    setTabOrder(m_sifre, m_button1);
    m_adi->setFocus();

    m_adi->installEventFilter(this);
    m_sifre->installEventFilter(this);
    connect(m_button1, &QPushButton::clicked, this, &Tgirisform::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &Tgirisform::Button2Click);

    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());

    // FormCreate
    m_idsi = identity::BilgisayarIdAl();
    AyarOku();
}

bool Tgirisform::loginRunning() const { return m_stage != 0; }

void Tgirisform::AyarOku()
{
    if (!m_settings.exists())
        return;
    const RememberedLogin r = m_settings.read();
    m_benihatirla->setChecked(r.hatirla);
    if (m_benihatirla->isChecked()) {
        m_adi->setText(r.isim);
        m_sifre->setText(r.sifre);
    }
}

void Tgirisform::AyarKaydet()
{
    m_settings.write({m_adi->text(), m_sifre->text(), m_benihatirla->isChecked()});
}

bool Tgirisform::emptyFieldWarning(QLineEdit *edit, const QString &text)
{
    if (!edit->text().trimmed().isEmpty())
        return false;
    QApplication::beep();
    if (m_uyari)
        m_uyari(this, text);
    else
        defaultWarning(this, text);
    edit->selectAll();
    edit->setFocus();
    return true;
}

bool Tgirisform::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_adi) {
                if (!emptyFieldWarning(m_adi, QStringLiteral("Lütfen kullanıcı adını giriniz !"))) {
                    m_sifre->selectAll();
                    m_sifre->setFocus();
                }
                return true;
            }
            if (watched == m_sifre) {
                if (!emptyFieldWarning(m_sifre, QStringLiteral("Lütfen kullanıcı şifresini giriniz !"))
                    && m_button1->isEnabled())
                    Button1Click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tgirisform::Button1Click()
{
    if (m_stage != 0)
        return;
    m_stage = 1;
    m_button1->setText(QStringLiteral("Bağlanıyor..."));
    m_button1->setEnabled(false);

    // Closure state shared by body and completion: the external address.
    auto i = std::make_shared<QString>();
    QPointer<Tgirisform> self(this);
    shell::Async([self, i] {
        shell::ArayuzeGonder([self] {
            if (self) {
                self->m_animation->show();
                self->m_animation->setAnimated(true);
            }
        });
        *i = identity::DisIpAl();
    }).Await([this, i] {
        m_button1->setText(QStringLiteral("Giriş!"));
        Devamet(*i);
    }, this);
}

void Tgirisform::Devamet(const QString &i)
{
    m_stage = 2;
    struct Durum {
        bool dogrusonuc = false;
        LoginAnswer answer;
    };
    auto durum = std::make_shared<Durum>();
    const LoginCall call = m_call;
    const QString idsi = m_idsi;
    shell::Async([durum, call, idsi, i] {
        if (!call)
            return;
        try {
            durum->dogrusonuc = call(idsi, i, durum->answer);
        } catch (...) {
            durum->dogrusonuc = false;
        }
    }).Await([this, durum] { evaluate(durum->dogrusonuc, durum->answer); }, this);
}

void Tgirisform::evaluate(bool dogrusonuc, const LoginAnswer &answer)
{
    m_animation->hide();
    m_animation->setAnimated(false);
    LoginHooks h;
    h.guncellemeAc = m_guncellemeAc;
    h.yeniKullaniciIstegi = m_yeniKullanici;
    h.cariSecimiYap = m_cariSecimi;
    h.ayarKaydet = [this] { AyarKaydet(); };
    h.failure = [this](const QString &text, MessageKind kind) { failureReport(text, kind); };
    h.accept = [this] { m_stage = 0; accept(); };
    h.terminate = [] { shell::SureciSonlandir(0); };
    m_lastOutcome = evaluateLogin(dogrusonuc, answer, m_adi->text(), m_sifre->text(), h);
    m_stage = 0;
    emit loginEvaluated(m_lastOutcome);
}

void Tgirisform::failureReport(const QString &text, MessageKind kind)
{
    if (m_mesaj)
        m_mesaj(text, kind);
    else
        defaultMessage(text, kind);
    m_button1->setEnabled(true);
    m_adi->selectAll();
    m_adi->setFocus();
}

void Tgirisform::Button2Click() { shell::SureciSonlandir(0); }

void Tgirisform::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // Under an application style sheet the edit picks up its password
    // character while being polished, before its own rule applies; a style
    // change makes it read the character anew.
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(m_sifre, &styleChange);
}

void Tgirisform::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_background.isNull())
        p.fillRect(rect(), QColor(29, 53, 87));
    else
        p.drawPixmap(0, 0, m_background);
}

// The whole body is a handle for moving the window.
void Tgirisform::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(e);
}

void Tgirisform::mouseMoveEvent(QMouseEvent *e)
{
    if (m_dragging && (e->buttons() & Qt::LeftButton))
        move(e->globalPosition().toPoint() - m_dragOffset);
    QDialog::mouseMoveEvent(e);
}

void Tgirisform::mouseReleaseEvent(QMouseEvent *e)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(e);
}

} // namespace varo::login

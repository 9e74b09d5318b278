#include "protocol/numberformat.h"

#include <QTest>

using namespace varo;

class tst_NumberFormat : public QObject {
    Q_OBJECT
private slots:
    void formatFloat_data();
    void formatFloat();
    void roundHalfAwayFromZero_data();
    void roundHalfAwayFromZero();
};

void tst_NumberFormat::formatFloat_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    const QString money = QStringLiteral("#,###,##0.00");
    QTest::newRow("thousands") << money << 1234.56 << QStringLiteral("1.234,56");
    QTest::newRow("millions") << money << 1234567.891 << QStringLiteral("1.234.567,89");
    QTest::newRow("below one") << money << 0.5 << QStringLiteral("0,50");
    QTest::newRow("zero") << money << 0.0 << QStringLiteral("0,00");
    QTest::newRow("negative") << money << -1234.5 << QStringLiteral("-1.234,50");
    QTest::newRow("tiny negative rounds to zero") << money << -0.001 << QStringLiteral("0,00");
    QTest::newRow("binary half") << money << 2.675 << QStringLiteral("2,68");
    QTest::newRow("carry") << money << 999.995 << QStringLiteral("1.000,00");
    QTest::newRow("no leading zero") << QStringLiteral("#,###,##.00") << 0.5 << QStringLiteral(",50");
    QTest::newRow("optional decimals") << QStringLiteral("0.##") << 3.10 << QStringLiteral("3,1");
    QTest::newRow("literal suffix") << QStringLiteral("0.00 TL") << 12.0 << QStringLiteral("12,00 TL");
    QTest::newRow("negative section") << QStringLiteral("0.00;(0.00)") << -5.0 << QStringLiteral("(5,00)");
}

void tst_NumberFormat::formatFloat()
{
    QFETCH(QString, picture);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(varo::formatFloat(picture, value, turkishLocale()), expected);
}

void tst_NumberFormat::roundHalfAwayFromZero_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("half up") << 0.125 << 0.13;
    QTest::newRow("half negative") << -0.125 << -0.13;
    QTest::newRow("binary 1.005") << 1.005 << 1.01;
    QTest::newRow("already two") << 317.8 << 317.8;
    QTest::newRow("large") << 123456789.995 << 123456790.0;
}

void tst_NumberFormat::roundHalfAwayFromZero()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(varo::roundHalfAwayFromZero(value, 2), expected);
}

QTEST_GUILESS_MAIN(tst_NumberFormat)
#include "tst_numberformat.moc"

#pragma once
// The two looks of the program: a blue one and, around the new year, a winter one.

#include <QDate>
#include <QString>

class QApplication;

namespace varo::shell {

// 26-31 December and 1-5 January.
bool KisMevsimi(const QDate &gun);
QString temaAdi(const QDate &gun); // "mavi" or "kis"
QString stilSayfasi(const QString &tema);
// Chooses by date and applies the style sheet to the application.
QString TemaUygula(QApplication *app, const QDate &gun = QDate::currentDate());

} // namespace varo::shell

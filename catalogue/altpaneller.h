#pragma once

#include <QString>

class QWidget;

namespace varo::katalog {

class KayanYazi;
class ResimSeridi;

// Fills the legend panel with the stock state meanings, left to right.
void durumAciklamasiKur(QWidget *Panel3);
// Puts the picture strip and the news ticker (below it) into the bottom panel.
void kayanPanelKur(QWidget *Panel5);
// The window's ticker, found by name; null before kayanPanelKur.
KayanYazi *kayanYazi(QWidget *pencere);
// Stops the ticker, replaces its text and starts it again.
void KayanYaziGoster(QWidget *pencere, const QString &metin);

}  // namespace varo::katalog

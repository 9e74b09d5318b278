#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace varo {

// An ordered list of equally sized images addressed by index, as icon cells
// and legends use them.
class ImageList {
public:
    explicit ImageList(QSize size = QSize(24, 24)) : m_size(size) {}

    QSize imageSize() const { return m_size; }
    int count() const { return int(m_images.size()); }
    // Renders an SVG (file or resource path) at the list's size and appends it.
    // A file that cannot be read appends an empty image, so indices stay put.
    int addSvg(const QString &path);
    int add(const QPixmap &pm);
    QPixmap image(int index) const;  // a null pixmap outside the list

private:
    QSize m_size;
    QList<QPixmap> m_images;
};

// The ten 24x24 stock state images (0 in stock, 1 special order, 2 on the way,
// 4 none, 5 being supplied, 8 please call; the others are spare).
const ImageList &stateImages();
// 0 no, 1 yes marks of the new and campaign columns.
const ImageList &yesNoImages();

}  // namespace varo

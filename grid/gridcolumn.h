#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <Qt>

#include <functional>

namespace varo {

class ImageList;

// How a column draws its cells.
enum class CellKind : quint8 {
    Label,     // text, vertically centred and word-wrapped
    Memo,      // multi-line text, top-aligned
    CheckBox,  // a check box comparing the value with checkedValue
    Icon,      // an image of an image list chosen by the value; no text
    Image,     // a picture decoded from the bytes of a blob value
};

// Value-to-image table of an icon column. The descriptions are never painted;
// they name the state in exports and tool tips.
struct IconEntry {
    qint64 value;
    int imageIndex;
    QString description;
};

// One column of a grid as a feature declares it. The caption stays empty for a
// column that shows no caption; captionFromField() shows the field name.
struct GridColumn {
    QString field;
    QString caption;
    int tag = 1;               // width weight used by the column width rule
    bool visible = true;
    bool customizable = true;  // offered in the column customization menu
    Qt::Alignment alignment = Qt::AlignLeft;
    CellKind kind = CellKind::Label;
    int width = 100;           // pixels, until a width rule or best fit sets it

    // Check-box cells.
    QVariant checkedValue = 1;
    QVariant uncheckedValue = 0;
    // Called with the data set row and the value the user ticked into the
    // cell. The grid does not write the value itself: the owner of the data
    // decides (and usually tells the server first).
    std::function<void(int row, const QVariant &newValue)> onToggle;

    // Icon cells.
    QList<IconEntry> icons;
    const ImageList *images = nullptr;

    // Fluent helpers, so that a feature's column table reads as a table.
    GridColumn &hidden() { visible = false; return *this; }
    GridColumn &notOffered() { customizable = false; return *this; }
    GridColumn &hiddenNotOffered() { visible = false; customizable = false; return *this; }
    GridColumn &align(Qt::Alignment a) { alignment = a; return *this; }
    GridColumn &right() { alignment = Qt::AlignRight; return *this; }
    GridColumn &centred() { alignment = Qt::AlignHCenter; return *this; }
    GridColumn &memo() { kind = CellKind::Memo; return *this; }
    GridColumn &image() { kind = CellKind::Image; return *this; }
    GridColumn &withWidth(int w) { width = w; return *this; }
    GridColumn &captionFromField() { caption = field; return *this; }
    GridColumn &checkBox(QVariant checkedV, QVariant uncheckedV,
                         std::function<void(int, const QVariant &)> toggled = {})
    {
        kind = CellKind::CheckBox;
        checkedValue = std::move(checkedV);
        uncheckedValue = std::move(uncheckedV);
        onToggle = std::move(toggled);
        return *this;
    }
    GridColumn &iconCell(const ImageList *list, QList<IconEntry> table)
    {
        kind = CellKind::Icon;
        images = list;
        icons = std::move(table);
        return *this;
    }

    const IconEntry *iconFor(qint64 value) const
    {
        for (const IconEntry &e : icons)
            if (e.value == value)
                return &e;
        return nullptr;
    }
};

// Shorthand for a column declaration: col("BARKOD", "Barkod", 2).
inline GridColumn col(const QString &field, const QString &caption = {}, int tag = 1)
{
    GridColumn c;
    c.field = field;
    c.caption = caption;
    c.tag = tag;
    return c;
}

// The stock state icons shared by the stock, campaign, basket and balance
// grids: value, image index of stateImages(), description.
QList<IconEntry> stockStateIcons();
// New and campaign flags: 0 "Hayır", 1 "Evet" on yesNoImages().
QList<IconEntry> yesNoIcons();

}  // namespace varo

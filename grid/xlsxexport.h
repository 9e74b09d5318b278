#pragma once

#include <QString>

class QWidget;

namespace varo {

class GridView;

struct ExportResult {
    bool ok = false;
    QString error;  // why the file could not be written
    int rows = 0;
};

// Writes every row of the grid, in the order the view shows them (sorting
// and filters respected, not only the visible page), with the visible
// columns under their captions. Numbers stay numbers with their display
// formats, dates stay dates. The file is a .xlsx workbook.
ExportResult exportGridToXlsx(const GridView &grid, const QString &path);

// The spreadsheet picture for one of our number pictures:
// "#,###,##0.00" -> "#,##0.00". Empty for an empty picture.
QString spreadsheetNumberFormat(const QString &picture);

// The save dialog of the export (filter "Excel|*.xls*", default extension
// "xlsx"). Returns the chosen path, ending in ".xlsx", or an empty string.
QString chooseSpreadsheetFile(QWidget *parent);
// The name the export actually writes for what the user typed.
QString normaliseSpreadsheetPath(const QString &chosen);

}  // namespace varo

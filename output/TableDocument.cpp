#include "output/TableDocument.h"

#include "widgets/Text.h"

#include <QFont>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QTextTableFormat>

namespace kalvenor {

void FillTableDocument(QTextDocument& document, const RtfTableDocument& table) {
    document.clear();
    QFont font("Sans Serif");
    font.setPointSizeF(7);
    document.setDefaultFont(font);
    QTextCursor cursor(&document);
    QTextCharFormat title;
    title.setFontWeight(QFont::Bold);
    title.setFontPointSize(11);
    cursor.insertText(ToQString(table.title), title);
    for (const std::string& line : table.lines) {
        cursor.insertBlock();
        cursor.insertText(ToQString(line), QTextCharFormat());
    }
    cursor.insertBlock();
    if (table.columns.empty()) {
        return;
    }
    QTextTableFormat format;
    format.setHeaderRowCount(1);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setBorder(0.5);
    format.setBorderCollapse(true);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    int weights = 0;
    for (const RtfColumn& column : table.columns) {
        weights += column.weight;
    }
    QList<QTextLength> widths;
    for (const RtfColumn& column : table.columns) {
        widths << QTextLength(QTextLength::PercentageLength, 100.0 * column.weight / weights);
    }
    format.setColumnWidthConstraints(widths);
    const int columns = static_cast<int>(table.columns.size());
    QTextTable* grid = cursor.insertTable(static_cast<int>(table.rows.size()) + 1, columns, format);
    QTextCharFormat header;
    header.setFontWeight(QFont::Bold);
    const auto put = [grid](int row, int column, const std::string& text,
                            const QTextCharFormat& format, bool right) {
        QTextCursor cell = grid->cellAt(row, column).firstCursorPosition();
        QTextBlockFormat block;
        block.setAlignment(right ? Qt::AlignRight : Qt::AlignLeft);
        cell.setBlockFormat(block);
        cell.insertText(ToQString(text), format);
    };
    for (int column = 0; column < columns; ++column) {
        put(0, column, table.columns[static_cast<std::size_t>(column)].header, header, false);
    }
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        const std::vector<std::string>& cells = table.rows[row];
        for (int column = 0; column < columns && static_cast<std::size_t>(column) < cells.size();
             ++column) {
            put(static_cast<int>(row) + 1, column, cells[static_cast<std::size_t>(column)],
                QTextCharFormat(), table.columns[static_cast<std::size_t>(column)].alignRight);
        }
    }
}

}  // namespace kalvenor

#pragma once
// Display text and alignment of a grid cell from its value and its column's settings. Texts
// (including those the row-formatting handler writes) are shown as they are; dates, money and
// digit patterns are formatted here, so record sets only ever hold raw values.

#include <QLocale>
#include <QString>

#include "records/value.h"

namespace platform {

class GridColumn;

QString formatCell(const records::Value& value, const GridColumn& column,
                   const QLocale& locale = QLocale());

Qt::Alignment cellAlignment(const records::Value& value, const GridColumn& column);

}  // namespace platform

#pragma once
// How record values cross into Qt properties and back, in one place: dates go through the
// engine's date serial rules, Null maps to a null QVariant (never to the empty text), and a
// control's value is fitted to the field's type before it is written into a row.

#include <QMetaType>
#include <QVariant>

#include "records/recordset.h"
#include "records/value.h"

namespace platform {

// A value for a property of the given meta type. QString properties get the text of the value
// (Null and Empty give ""); QDate properties a date or an invalid QDate; QVariant properties the
// natural Qt value, with Null and Empty as a null QVariant. Errors 13 (type mismatch) or 6.
QVariant toPropertyValue(const records::Value& v, QMetaType target);

// The record value of what a control holds: a null QVariant or an invalid date is Null, a
// string (also the empty one) is Text, dates are dates, numbers stay numbers.
records::Value fromPropertyValue(const QVariant& v);

// The value as the field will hold it. Null stays Null. The empty text (also one of blanks
// only) and Empty become Null in a date, number, currency or Boolean field; in a text field
// Empty becomes "" and a text keeps its blanks. Anything else converts by the value rules
// (error 13 when it cannot).
records::Value fitToField(const records::Value& v, records::FieldType type);

}  // namespace platform

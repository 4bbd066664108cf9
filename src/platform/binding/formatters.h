#pragma once
// The value formatters of the editing dialogs, built once here so both dialogs convert alike.

#include <string>

#include <QLocale>
#include <QString>

#include "platform/binding/data_format.h"

namespace platform {

// `oFmtDates`: a date in the given fixed or regional form ("mm/dd/yyyy", "Short Date"); Null shows
// as the empty text and the empty text reads back as Null.
DataFormat makeDateFormat(const std::string& format, const QLocale& locale = QLocale());

// `oFmtPhone` of the add/update dialog: the phone entry holds the number itself. Format: Empty
// gives "", anything else its text, trimmed. UnFormat: the text, trimmed.
DataFormat makePhoneFormat();

// `oFmtPhone` of the process dialog, which shows the number on a label: digits through
// formatPhone, any other text as it is. UnFormat takes out every "(", ")", "-" and blank.
DataFormat makePhoneMaskFormat();

// `oFmtText1sp`: the text trimmed, each CR and each LF made a blank, runs of blanks made one;
// the same both ways.
DataFormat makeText1spFormat();

// `oFmtText`: passes values as they are.
DataFormat makeTextFormat();

// Amounts in the locale's currency form with two decimals; a non-numeric text stays as typed (the
// field then refuses it), the empty text reads back as Null.
DataFormat makeCurrencyFormat(const QLocale& locale = QLocale());

// The rule of oFmtText1sp on a text.
std::string text1sp(const std::string& text);

}  // namespace platform

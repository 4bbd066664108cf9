#pragma once
// Values written in scenario steps: buttons of a message box, dates, keys, control-array names.

#include <QDate>
#include <QKeyCombination>
#include <QMessageBox>
#include <QString>
#include <optional>

namespace app {

// "Yes", "No", "Cancel", "OK" (letter case ignored).
std::optional<QMessageBox::StandardButton> answerButton(const QString& word);
QString answerWord(QMessageBox::StandardButton button);

// "MM/DD/YYYY", "today", "today+N", "today-N" or "none". An invalid QDate inside the optional
// means "none" (the picker is cleared); nullopt means the text is no date.
std::optional<QDate> parseDateSpec(const QString& text, const QDate& today);

// A key as QKeySequence reads it ("Tab", "Insert", "F4", "Ctrl+V", "Shift+Insert"); "Enter" is
// the main keyboard's Return key, "Escape" and "Esc" both work.
std::optional<QKeyCombination> parseKeySpec(const QString& text);

// "mOptBankruptcy(2)" -> base "mOptBankruptcy", index 2; nullopt for a plain name.
struct IndexedName {
    QString base;
    int index = 0;
};
std::optional<IndexedName> splitIndexedName(const QString& name);

// A caption as it shows: "&&" is "&", a single "&" marks the mnemonic and is not shown.
QString displayedCaption(const QString& caption);

}  // namespace app

#pragma once
// Number sequences: receipt numbers ("R") and second numbers ("F"). A number drawn is held by
// the user who drew it; handed back, it may be given again, but only while no payment carries
// it. No number is ever given twice.

#include <QString>
#include <cstdint>
#include <optional>

#include "backend/database.h"

namespace backend {

bool IsNumberKind(const QString& kind);

// Draws the next number of the kind for the holder, inside the caller's write transaction.
std::int64_t DrawNumber(Sql& sql, const QString& kind, const QString& holder);

enum class HandBack { Pooled, AlreadyPooled, CarriedByPayment };
// Hands a number back, inside the caller's write transaction. An empty holder is the support
// tool speaking for whoever holds it. Throws records::Error for a number never drawn, or held
// by someone else.
HandBack HandBackNumber(Sql& sql, const QString& kind, std::int64_t number, const QString& holder);

enum class ReceiptState { Usable, NotANumber, NeverDrawn, HandedBack, HeldByOther, Used };
// Whether a payment of the sender may carry this receipt number: only one the sender holds.
ReceiptState CheckReceipt(Sql& sql, const QString& receipt, const QString& sender);

// Plain digits, as numbers are written: nothing when the text is anything else.
std::optional<std::int64_t> ParseNumber(const QString& text);

}  // namespace backend

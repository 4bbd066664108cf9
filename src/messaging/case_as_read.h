#pragma once
// The read state of a change request: the case row as this screen read it from the back end
// (its original values, before the change was staged), sent as the part "ORIGINAL" beside the
// change. The back end refuses the change ("STALE") when another user changed the case since.

#include "messaging/common_library.h"

namespace messaging {

inline constexpr const char* kCaseAsReadPart = "ORIGINAL";

// Adds the part to the request from the current row of `cases` (layout "BANKRUPTCY").
void AddCaseAsRead(CommonLibrary& lib, RequestMessage& request, const records::Recordset& cases);

}  // namespace messaging

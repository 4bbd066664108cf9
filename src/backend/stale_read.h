#pragma once
// Changes made from a stale read: ADDUPDATE "UPD" and PROCESS may carry the case as the sender
// read it (the part "ORIGINAL", one "BANKRUPTCY" row: the original values of the row it
// edited). When the stored case differs from it, another user changed the case in between and
// the request is refused with "STALE". A request without that part is applied as it comes.

#include "backend/case_store.h"
#include "backend/handlers.h"

namespace backend {

inline constexpr const char* kReadPart = "ORIGINAL";

// Call with the case locked for the change (so no other writer can slip in after the check).
void RefuseIfChangedSinceRead(RequestContext& ctx, const CaseRecord& stored);

}  // namespace backend

#pragma once
// The shared record-set procedures of the screen: empty record sets of a layout cut from one
// cached template per layout, independent copies through a stream, and rebinding a grid.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "records/errors.h"
#include "records/recordset.h"

namespace records {

// What the procedures need of the common library's layout object.
class LayoutObject {
  public:
    virtual ~LayoutObject() = default;
    virtual void SetDTDName(const std::string& name) = 0;
    virtual std::string DTDName() const = 0;
    // The layout object's record set (closed until OpenRecordset gives it the layout's fields).
    virtual RecordsetPtr Recordset() = 0;
    virtual void OpenRecordset() = 0;
};
using LayoutObjectFactory = std::function<std::unique_ptr<LayoutObject>()>;

// The layout objects the procedures create come from here. By default they are served from the
// layouts of records/layouts.h; the common library installs its own at start-up.
void SetLayoutObjectFactory(LayoutObjectFactory factory);
std::unique_ptr<LayoutObject> NewLayoutObject();

// What RebindGrid needs of a data grid bound to a record set.
class BoundGrid {
  public:
    virtual ~BoundGrid() = default;
    virtual bool Redraw() const = 0;
    virtual void SetRedraw(bool on) = 0;
    virtual RecordsetPtr DataSource() const = 0;
    virtual void SetDataSource(RecordsetPtr rs) = 0;  // nullptr unbinds
    virtual void SetBatchUpdate(bool on) = 0;
    virtual void ReBind() = 0;  // re-read the rows
    virtual void Reset() = 0;   // clear the display
};

RecordsetPtr NewRecordsetTemplate(
    std::string_view layoutName, ErrorSink* sink, int cacheSize = 100,
    std::string_view errorSource = "KORVA_Bankruptcy.NewRecordsetTemplate");
RecordsetPtr IndependentCloneRS(const RecordsetPtr& source, bool bEmpty, bool bAsIs,
                                LockType lockType, ErrorSink* sink);
void RebindGrid(BoundGrid& grid, const RecordsetPtr& newRs, RecordsetPtr* previous, bool bCloseOld,
                bool bClearFirst, ErrorSink* sink);
RecordsetPtr NewBankruptcyCaseRS(ErrorSink* sink = nullptr);
RecordsetPtr NewAccntRecvRS(ErrorSink* sink = nullptr);

// Drops the cached templates (tests only: the cache otherwise lives for the process).
void ResetTemplateCacheForTests();

}  // namespace records

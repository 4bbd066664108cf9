#include "records/mod_bankruptcy.h"

#include <map>
#include <mutex>

#include "records/layouts.h"
#include "records/stream.h"
#include "records/text_util.h"

namespace records {

namespace {

// The layout object served when the common library has installed none: the layouts of
// records/layouts.h.
class BuiltInLayoutObject final : public LayoutObject {
  public:
    void SetDTDName(const std::string& name) override { name_ = name; }
    std::string DTDName() const override { return name_; }
    RecordsetPtr Recordset() override { return rs_; }
    void OpenRecordset() override {
        rs_->Close();
        OpenLayoutInto(*rs_, name_);
    }

  private:
    std::string name_;
    RecordsetPtr rs_ = Recordset::Create();
};

struct Module {
    std::recursive_mutex mutex;  // the cache is shared by every document of the process
    LayoutObjectFactory factory;
    std::map<std::string, RecordsetPtr> templates;  // by upper-cased layout name
};

Module& TheModule() {
    static Module m;
    return m;
}

// Lock type 0 (or unspecified) means "the source's".
bool TakesSourceLockType(LockType t) {
    return static_cast<int>(t) == 0 || t == LockType::Unspecified;
}

RecordsetPtr NewEmptyOfLayout(std::string_view layout, ErrorSink* sink) {
    RecordsetPtr result;
    IgnoreErrors([&] {
        Module& m = TheModule();
        std::lock_guard lock(m.mutex);
        RecordsetPtr& cached = m.templates[ToUpperAscii(layout)];
        if (!cached) cached = NewRecordsetTemplate(layout, sink);
        if (cached)
            result = IndependentCloneRS(cached, true, false, static_cast<LockType>(0), sink);
    });
    if (!result) IgnoreErrors([&] { result = NewRecordsetTemplate(layout, sink); });
    return result;
}

}  // namespace

void SetLayoutObjectFactory(LayoutObjectFactory factory) {
    Module& m = TheModule();
    std::lock_guard lock(m.mutex);
    m.factory = std::move(factory);
}

std::unique_ptr<LayoutObject> NewLayoutObject() {
    LayoutObjectFactory factory;
    {
        Module& m = TheModule();
        std::lock_guard lock(m.mutex);
        factory = m.factory;
    }
    if (factory) return factory();
    return std::make_unique<BuiltInLayoutObject>();
}

RecordsetPtr NewRecordsetTemplate(std::string_view layoutName, ErrorSink* sink, int cacheSize,
                                  std::string_view errorSource) {
    RecordsetPtr result;
    Trap(sink, errorSource, [&] {
        std::unique_ptr<LayoutObject> dtd = NewLayoutObject();
        if (!dtd) throw Error(err::InvalidArgument, "No layout object could be created");
        dtd->SetDTDName(std::string(layoutName));
        RecordsetPtr source = dtd->Recordset();
        if (!source) throw Error(err::InvalidArgument, "The layout object has no record set");
        if (!source->IsOpen()) source->SetLockType(LockType::BatchOptimistic);
        source->SetCacheSize(cacheSize);
        dtd->OpenRecordset();

        RecordsetPtr rs = Recordset::Create();
        rs->SetLockType(LockType::BatchOptimistic);
        rs->Open(*source);
        rs->SetCacheSize(cacheSize);
        rs->UpdateBatch(Affect::AllChapters);
        dtd.reset();
        result = std::move(rs);
    });
    return result;
}

RecordsetPtr IndependentCloneRS(const RecordsetPtr& source, bool bEmpty, bool bAsIs,
                                LockType lockType, ErrorSink* sink) {
    RecordsetPtr result;
    Trap(sink, "KORVA_Bankruptcy.IndependentCloneRS", [&] {
        if (!source) throw Error(err::InvalidArgument, "There is no record set to copy");
        Stream stm;
        stm.Open();
        stm.SetPosition(0);
        if (bAsIs) {
            source->Save(stm);  // only the rows visible through its filter
        } else {
            RecordsetPtr clone = source->Clone();  // no filter: every row
            clone->SetSort(source->Sort());
            clone->Save(stm);
            clone->Close();
        }
        stm.SetPosition(0);
        RecordsetPtr rs = Recordset::Create();
        rs->SetLockType(source->GetLockType());
        if (!TakesSourceLockType(lockType)) rs->SetLockType(lockType);
        rs->Open(stm);
        stm.SetPosition(0);
        stm.SetEOS();
        if (bEmpty && rs->RecordCount() > 0) {
            rs->MoveLast();
            while (rs->RecordCount() >= 1) {
                rs->Delete();
                rs->MovePrevious();
            }
        }
        // An empty copy holds no rows: with batch locking the deletes above (and the source's
        // own staged rows that travelled in the image) would stay staged, and a CancelBatch,
        // for instance when a grid lets go of the set, would bring the source's rows back.
        if (bEmpty) rs->UpdateBatch(Affect::AllChapters);
        IgnoreErrors([&] {
            if (rs->RecordCount() > 0) rs->SetBookmark(source->GetBookmark());
        });
        stm.Close();
        result = std::move(rs);
    });
    return result;
}

void RebindGrid(BoundGrid& grid, const RecordsetPtr& newRs, RecordsetPtr* previous, bool bCloseOld,
                bool bClearFirst, ErrorSink* sink) {
    Trap(sink, "KORVA_Bankruptcy.RebindGrid", [&] {
        const bool redraw = grid.Redraw();
        grid.SetRedraw(false);
        RecordsetPtr old = grid.DataSource();
        if (previous) *previous = old;
        if (old && old->IsOpen()) {
            grid.SetBatchUpdate(old->GetLockType() == LockType::BatchOptimistic);
            if (old->GetEditMode() != EditMode::None) old->CancelUpdate();
            old->CancelBatch(Affect::All);
        }
        grid.ReBind();
        if (bClearFirst) {
            grid.SetDataSource(nullptr);
            grid.Reset();
        }
        if (!newRs) {
            grid.SetDataSource(nullptr);
            grid.SetBatchUpdate(false);
        } else {
            grid.SetDataSource(newRs);
            grid.SetBatchUpdate(newRs->GetLockType() == LockType::BatchOptimistic);
        }
        if (bCloseOld && old) IgnoreErrors([&] { old->Close(); });
        grid.SetRedraw(redraw);
    });
}

RecordsetPtr NewBankruptcyCaseRS(ErrorSink* sink) {
    return NewEmptyOfLayout(kLayoutBankruptcy, sink);
}

RecordsetPtr NewAccntRecvRS(ErrorSink* sink) {
    return NewEmptyOfLayout(kLayoutAccntRecv, sink);
}

void ResetTemplateCacheForTests() {
    Module& m = TheModule();
    std::lock_guard lock(m.mutex);
    m.templates.clear();
}

}  // namespace records

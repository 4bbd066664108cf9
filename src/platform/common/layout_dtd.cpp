#include "platform/common/layout_dtd.h"

#include <utility>

#include "records/layouts.h"
#include "records/mod_bankruptcy.h"
#include "records/stream.h"

namespace platform {

LayoutDtd::LayoutDtd() : rows_(records::Recordset::Create()) {}

LayoutDtd::LayoutDtd(std::string name, records::RecordsetPtr rows, std::string messageKey)
    : name_(std::move(name)),
      rows_(std::move(rows)),
      messageKey_(std::move(messageKey)),
      opened_(rows_ && rows_->IsOpen()) {}

void LayoutDtd::SetDTDName(const std::string& name) {
    name_ = name;
}

void LayoutDtd::OpenRecordset() {
    if (opened_) {
        // Opening again starts afresh, on a new record set with the same settings (a closed
        // record set keeps the fields it had).
        auto fresh = records::Recordset::Create();
        fresh->SetLockType(rows_->GetLockType());
        fresh->SetCacheSize(rows_->CacheSize());
        rows_ = std::move(fresh);
    }
    records::OpenLayoutInto(*rows_, name_);
    opened_ = true;
}

void LayoutDtd::AddRow() {
    if (rows_->GetEditMode() != records::EditMode::None) rows_->Update();
    rows_->AddNew();
}

int LayoutDtd::FieldCount() {
    if (rows_->IsOpen()) return rows_->FieldCount();
    const records::Layout* layout = records::FindLayout(name_);
    return layout ? static_cast<int>(layout->fields.size()) : 0;
}

void LayoutDtd::FinishRows() {
    if (rows_->GetEditMode() != records::EditMode::None) rows_->Update();
    if (rows_->IsBatchOptimistic()) rows_->UpdateBatch(records::Affect::AllChapters);
}

void installLayoutObjectFactory() {
    records::SetLayoutObjectFactory([] { return std::make_unique<LayoutDtd>(); });
}

records::RecordsetPtr copyThroughImage(const records::Recordset& source) {
    records::Stream image;
    image.Open();
    source.Save(image);
    image.SetPosition(0);
    auto copy = records::Recordset::Create();
    copy->Open(image);
    return copy;
}

}  // namespace platform

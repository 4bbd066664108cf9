#include "platform/common/layout_dtd.h"

#include <utility>

#include "records/layouts.h"
#include "records/mod_bankruptcy.h"
#include "records/stream.h"
#include "records/text_util.h"

namespace platform {

namespace {

// Blanks collapsed and letter case ignored, so a query typed with other spacing still reads.
std::string normalized(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += records::AsciiUpper(c);
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

bool isLayoutNameQuery(const std::string& text) {
    static const std::string query = normalized(records::LayoutNameQuery());
    return normalized(text) == query;
}

LayoutDtd::LayoutDtd() : rows_(records::Recordset::Create()) {}

LayoutDtd::LayoutDtd(std::string name, records::RecordsetPtr rows, std::string messageKey)
    : name_(std::move(name)),
      rows_(std::move(rows)),
      messageKey_(std::move(messageKey)),
      opened_(rows_ && rows_->IsOpen()) {}

void LayoutDtd::SetDTDName(const std::string& name) { name_ = name; }

void LayoutDtd::OpenRecordset() {
    if (opened_) {
        // Opening again starts afresh, on a new record set with the same settings (a closed
        // record set keeps the fields it had).
        auto fresh = records::Recordset::Create();
        fresh->SetLockType(rows_->GetLockType());
        fresh->SetCacheSize(rows_->CacheSize());
        rows_ = std::move(fresh);
    }
    records::OpenLayoutInto(*rows_, isLayoutNameQuery(name_) ? records::LayoutNameQuery() : name_);
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

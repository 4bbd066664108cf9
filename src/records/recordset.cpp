// Record set: structure, state, fields and values. Cursor, filter and sort are in
// recordset_cursor.cpp; editing and batches in recordset_edit.cpp; images in image_*.cpp.
#include "records/recordset.h"

#include "records/errors.h"
#include "records/recordset_view.h"
#include "records/text_util.h"

namespace records {

// --- checks

void Recordset::View::RequireOpen() const {
    if (!store)
        throw Error(err::ObjectClosed, "Operation is not allowed when the object is closed.");
}

void Recordset::View::RequireClosed() const {
    if (store) throw Error(err::ObjectOpen, "Operation is not allowed when the object is open.");
}

void Recordset::View::RequireWritable() const {
    RequireOpen();
    if (owner->GetLockType() == LockType::ReadOnly) {
        throw Error(err::FeatureNotAvailable, "The record set is read-only and cannot be changed.");
    }
}

int Recordset::View::RequireField(std::string_view name) const {
    RequireOpen();
    const int f = store->FieldIndex(name);
    if (f < 0) {
        throw Error(err::ItemNotFound,
                    "Item cannot be found in the collection corresponding to "
                    "the requested name or ordinal: '" +
                        std::string(name) + "'.");
    }
    return f;
}

int Recordset::View::RequireField(int ordinal) const {
    RequireOpen();
    if (ordinal < 0 || ordinal >= static_cast<int>(store->Fields().size())) {
        throw Error(err::ItemNotFound,
                    "Item cannot be found in the collection corresponding to "
                    "the requested ordinal " +
                        std::to_string(ordinal) + ".");
    }
    return ordinal;
}

RowId Recordset::View::RequireRow() const {
    RequireOpen();
    if (!OnRow()) {
        throw Error(err::NoCurrentRecord,
                    "Either BOF or EOF is True, or the current record has been deleted. "
                    "Requested operation requires a current record.");
    }
    return rows[cur];
}

// --- life

Recordset::Recordset() : view_(std::make_unique<View>(this)) {}

Recordset::~Recordset() = default;

RecordsetPtr Recordset::Create() {
    return RecordsetPtr(new Recordset());
}

void Recordset::AppendField(std::string name, FieldType type, int size) {
    view_->RequireClosed();
    if (name.empty()) throw Error(err::InvalidArgument, "A field needs a name.");
    if (name.find(']') != std::string::npos) {
        throw Error(err::InvalidArgument, "The field name '" + name +
                                              "' holds a ']', so no filter or sort could name it.");
    }
    for (const auto& f : pendingFields_) {
        if (EqualsIgnoreCase(f.name, name)) {
            throw Error(err::InvalidArgument, "The field '" + name + "' is already defined.");
        }
    }
    if (size < 0) throw Error(err::InvalidArgument, "A field size cannot be negative.");
    pendingFields_.push_back({std::move(name), type, size});
}

void Recordset::Open() {
    view_->RequireClosed();
    // the appended fields become the set's own; Close lets go of them with the rows
    store_ = std::make_shared<RowStore>(std::move(pendingFields_));
    pendingFields_.clear();
    view_->Attach(store_);
    if (!sortText_.empty()) SetSort(std::string(sortText_));
    view_->Tell({RowChange::Kind::Reset, 0});
}

void Recordset::Close() {
    if (!view_->store) return;
    view_->Detach();  // a pending edit goes with it; clones keep the store alive
    store_.reset();
    pendingFields_.clear();  // a new definition starts from no fields
    sortText_.clear();
    view_->Tell({RowChange::Kind::Reset, 0});
}

int Recordset::State() const noexcept {
    return view_->store ? kStateOpen : kStateClosed;
}

void Recordset::SetLockType(LockType t) {
    view_->RequireClosed();
    lockType_ = t == LockType::Unspecified ? LockType::BatchOptimistic : t;
}

void Recordset::SetCacheSize(int n) {
    if (n < 1) throw Error(err::InvalidArgument, "The cache size must be at least 1.");
    cacheSize_ = n;
}

// --- fields

int Recordset::FieldCount() const {
    return view_->store ? static_cast<int>(view_->store->Fields().size())
                        : static_cast<int>(pendingFields_.size());
}

const FieldDef& Recordset::Field(int index) const {
    const auto& fields = view_->store ? view_->store->Fields() : pendingFields_;
    if (index < 0 || index >= static_cast<int>(fields.size())) {
        throw Error(err::ItemNotFound,
                    "Item cannot be found in the collection corresponding to "
                    "the requested ordinal " +
                        std::to_string(index) + ".");
    }
    return fields[index];
}

int Recordset::FieldIndex(std::string_view name) const noexcept {
    if (view_->store) return view_->store->FieldIndex(name);
    for (std::size_t i = 0; i < pendingFields_.size(); ++i) {
        if (EqualsIgnoreCase(pendingFields_[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

// --- values of the current row

Value Recordset::Get(std::string_view field) const {
    return Get(view_->RequireField(field));
}

Value Recordset::Get(int field) const {
    const View& v = *view_;
    v.RequireField(field);
    if (v.mode == EditMode::Add) return v.buffer[field];
    const RowId r = v.RequireRow();
    if (v.mode == EditMode::InProgress && v.editRow == r && v.touched[field]) {
        return v.buffer[field];
    }
    return v.store->Get(r, field);
}

void Recordset::Set(std::string_view field, const Value& value) {
    Set(view_->RequireField(field), value);
}

void Recordset::Set(int field, const Value& value) {
    View& v = *view_;
    v.RequireField(field);
    v.RequireWritable();
    Value converted = ConvertForField(value, v.store->Fields()[field]);
    if (v.mode == EditMode::None) {
        v.editRow = v.RequireRow();
        v.mode = EditMode::InProgress;
        v.buffer.assign(v.store->Fields().size(), Value::Null());
        v.touched.assign(v.store->Fields().size(), 0);
    } else if (v.mode == EditMode::InProgress && v.CurrentRow() != v.editRow) {
        v.RequireRow();
    }
    v.buffer[field] = std::move(converted);
    v.touched[field] = 1;
}

Value Recordset::OriginalValue(std::string_view field) const {
    const View& v = *view_;
    const int f = v.RequireField(field);
    if (v.mode == EditMode::Add) return Value::Null();
    return v.store->Original(v.RequireRow(), f);
}

Value Recordset::UnderlyingValue(std::string_view field) const {
    return OriginalValue(field);
}

int Recordset::Status() const {
    const View& v = *view_;
    v.RequireOpen();
    if (v.mode == EditMode::Add) return status::New;
    RowId r = v.CurrentRow();
    if (r == kNoRow && v.gap) r = v.gapRow;  // a deleted row still under the cursor
    if (r == kNoRow) v.RequireRow();
    const int bits = v.store->StatusBits(r) & 7;
    return bits == 0 ? status::Unmodified : bits;
}

EditMode Recordset::GetEditMode() const {
    return view_->mode;
}

std::shared_ptr<void> Recordset::Subscribe(Observer observer) {
    auto holder = std::make_shared<Observer>(std::move(observer));
    view_->observers.push_back(holder);
    return holder;
}

}  // namespace records

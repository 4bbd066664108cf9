#pragma once
// `oDbBind`: binds control properties to fields of the current row of a record set.
//
// Reading: on UpdateControls, on Move, and when a notification of the record set finds it on
// another row than the one shown (a closed, re-opened, filtered or emptied view), every bound
// property gets its field's value through the formatter. Values written into the shown row by
// anyone else do not overwrite what a control shows, so entries stay as typed until the row is
// left. The record set tells no plain cursor move: after moving it directly (AddNew, MoveNext),
// call UpdateControls to show the new row.
// Writing: in update-when-the-row-changes mode the changed bindings are written by Move and
// MoveZero (the record set's own Move(0) writes nothing; moves made directly on the record set
// are not seen in time to write first). In immediate mode each user edit is written at once.
// A write goes through the formatter's UnFormat and is fitted to the field's type; Null stays
// Null and the empty text of a text field stays "" (see value_conversion.h). Errors while reading
// or writing a binding never throw: they raise Error and the other bindings go on.
//
// Properties are named as the control declares them, matched without regard to letter case, plus
// the old names "Caption" (a label's or button's text) and "Text" (a plain or rich text box's
// plain text). A control may name its user-edit signal with Q_CLASSINFO("UserEditSignal", "sig()");
// otherwise a line edit's textEdited and else the property's notify signal mark a binding changed.

#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include <QObject>
#include <QString>

#include "platform/binding/binding.h"
#include "platform/binding/data_format.h"
#include "records/errors.h"
#include "records/recordset.h"

namespace platform {

class BindingCollection : public QObject {
    Q_OBJECT

  public:
    // Edits are written when the row changes (MoveZero, Move); 0 behaves as 2.
    enum class UpdateMode : int { UsePropertyAttributes = 0, WhenRowChanges = 2 };

    explicit BindingCollection(QObject* parent = nullptr);
    ~BindingCollection() override;

    const records::RecordsetPtr& DataSource() const noexcept { return source_; }
    // Keeps the record set and reads its current row into the bound controls; nullptr unbinds.
    void SetDataSource(records::RecordsetPtr source);
    const QString& DataMember() const noexcept { return dataMember_; }
    void SetDataMember(const QString& member) { dataMember_ = member; }
    UpdateMode GetUpdateMode() const noexcept { return mode_; }
    void SetUpdateMode(UpdateMode mode) { mode_ = mode; }

    // Binds and reads the field's value into the property at once (DataChanged is then false).
    // The binding keeps a copy of the formatter; nullptr means none. Errors 3265 (no such
    // property or field), 3001 (no control, no data source or a key already taken).
    Binding* Add(QObject* control, const QString& propertyName, const QString& dataField,
                 const DataFormat* format = nullptr, const QString& key = QString());
    // By key, letter case ignored; error 3265 when none.
    Binding* Item(const QString& key) const;
    Binding* Item(int index) const;  // 0-based; error 3265 out of range
    Binding* Find(const QString& key) const noexcept;
    int Count() const noexcept { return static_cast<int>(bindings_.size()); }
    void Remove(const QString& key);
    void Clear();

    // The current row's values into every bound control (also after a move made directly on the
    // record set).
    void UpdateControls();
    // Every changed binding's value into the current row (records::Recordset::Set).
    void WriteChanged();
    // Writes the changed values, then moves the record set; a real move reads the new row.
    // Errors of the move itself are the record set's and propagate.
    void Move(long rows);
    void MoveZero() { Move(0); }

  signals:
    // A binding could not be read or written. A handler that sets *cancelDisplay keeps the
    // collection from logging the error itself.
    void Error(long number, const QString& description, platform::Binding* binding,
               bool* cancelDisplay);

  private:
    friend class Binding;
    void readBinding(Binding& b);
    bool writeBinding(Binding& b);
    void userEdited(Binding& b);
    void raiseError(long number, const QString& description, Binding* b);
    void onRowsChanged(const records::RowChange& change);
    bool hasRow() const;
    std::optional<records::Bookmark> currentBookmark() const;
    // A written value that the row no longer holds (a withdrawn edit) marks its binding changed.
    void markWithdrawn(Binding& b) const;

    records::RecordsetPtr source_;
    std::shared_ptr<void> subscription_;
    QString dataMember_;
    UpdateMode mode_ = UpdateMode::WhenRowChanges;
    std::vector<std::unique_ptr<Binding>> bindings_;
    std::optional<records::Bookmark> shownRow_;  // the row whose values the controls hold
    int busy_ = 0;  // reading or writing: control signals and row notifications are our own
};

// One control property of a dialog bound to a field.
struct BoundField {
    QObject* control;
    const char* property;
    const char* field;
    const char* key;
    const DataFormat* format;
};

// Binds the collection afresh (written when the row changes) to the record set with these
// fields, each marked unchanged. Every step runs in a trap of its own that reports to the sink
// under `where`, so one failing binding does not keep the others from being made.
void BindFields(BindingCollection& bindings, const records::RecordsetPtr& source,
                std::initializer_list<BoundField> fields, records::ErrorSink* sink,
                std::string_view where);

}  // namespace platform

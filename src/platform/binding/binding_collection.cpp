#include "platform/binding/binding_collection.h"

#include <QLineEdit>
#include <QLoggingCategory>
#include <QMetaClassInfo>
#include <QMetaMethod>
#include <QMetaObject>

#include "platform/binding/value_conversion.h"
#include "records/errors.h"

namespace platform {
namespace {

Q_LOGGING_CATEGORY(lcBinding, "halberon.binding")

namespace err = records::err;

// Counts a nesting of our own reads and writes, so the controls' signals and the record set's
// notifications they cause are not taken for the user's or another view's.
class BusyGuard {
  public:
    explicit BusyGuard(int& n) : n_(n) { ++n_; }
    ~BusyGuard() { --n_; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

  private:
    int& n_;
};

QMetaProperty findProperty(const QMetaObject* mo, const QString& name) {
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (name.compare(QLatin1String(p.name()), Qt::CaseInsensitive) == 0) return p;
    }
    return QMetaProperty();
}

// The control's property of that name, or of the old name's Qt counterpart.
QMetaProperty resolveProperty(const QObject* control, const QString& name) {
    const QMetaObject* mo = control->metaObject();
    if (const int i = mo->indexOfProperty(name.toLatin1().constData()); i >= 0) {
        return mo->property(i);
    }
    if (QMetaProperty p = findProperty(mo, name); p.isValid()) return p;
    if (name.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0) {
        if (QMetaProperty p = findProperty(mo, QStringLiteral("text")); p.isValid()) return p;
        return findProperty(mo, QStringLiteral("title"));
    }
    if (name.compare(QLatin1String("Text"), Qt::CaseInsensitive) == 0) {
        return findProperty(mo, QStringLiteral("plainText"));
    }
    return QMetaProperty();
}

// The signal that tells that the user changed the property; invalid for display-only ones.
QMetaMethod editSignal(const QObject* control, const QMetaProperty& p) {
    const QMetaObject* mo = control->metaObject();
    if (mo->userProperty().propertyIndex() == p.propertyIndex()) {
        const int info = mo->indexOfClassInfo("UserEditSignal");
        if (info >= 0) {
            const QByteArray sig = QMetaObject::normalizedSignature(mo->classInfo(info).value());
            const int s = mo->indexOfSignal(sig.constData());
            if (s >= 0) return mo->method(s);
        }
    }
    if (qobject_cast<const QLineEdit*>(control) && qstrcmp(p.name(), "text") == 0) {
        return mo->method(mo->indexOfSignal("textEdited(QString)"));
    }
    return p.hasNotifySignal() ? p.notifySignal() : QMetaMethod();
}

}  // namespace

// --- Binding

Binding::Binding(BindingCollection* owner, QObject* control, QMetaProperty property,
                 QString dataField, std::optional<DataFormat> format, QString key)
    : owner_(owner),
      control_(control),
      property_(property),
      dataField_(std::move(dataField)),
      format_(std::move(format)),
      key_(std::move(key)) {}

bool Binding::DataChanged() const {
    if (changed_) return true;
    if (!written_ || owner_->currentBookmark() != owner_->shownRow_) return false;
    try {
        return !(owner_->source_->Get(dataField_.toStdString()) == *written_);
    } catch (const records::Error&) {  // no row to compare with: nothing pending for it
        return false;
    }
}

void Binding::SetDataChanged(bool changed) {
    // The owner's word overrides what an earlier write left behind.
    changed_ = changed;
    written_.reset();
}

void Binding::controlEdited() {
    owner_->userEdited(*this);
}

// --- BindingCollection

BindingCollection::BindingCollection(QObject* parent) : QObject(parent) {}

BindingCollection::~BindingCollection() {
    subscription_.reset();  // no row notification may reach a half-destroyed collection
}

void BindingCollection::SetDataSource(records::RecordsetPtr source) {
    subscription_.reset();
    source_ = std::move(source);
    shownRow_.reset();
    for (auto& b : bindings_) b->written_.reset();
    if (source_) {
        subscription_ =
            source_->Subscribe([this](const records::RowChange& c) { onRowsChanged(c); });
    }
    UpdateControls();
}

Binding* BindingCollection::Add(QObject* control, const QString& propertyName,
                                const QString& dataField, const DataFormat* format,
                                const QString& key) {
    if (!control) throw records::Error(err::InvalidArgument, "No control to bind");
    if (!source_) throw records::Error(err::InvalidArgument, "The bindings have no data source");
    const QMetaProperty property = resolveProperty(control, propertyName);
    if (!property.isValid() || !property.isReadable() || !property.isWritable()) {
        throw records::Error(err::ItemNotFound, "Property '" + propertyName.toStdString() +
                                                    "' not found on " +
                                                    control->metaObject()->className());
    }
    if (!source_->HasField(dataField.toStdString())) {
        throw records::Error(err::ItemNotFound, "Field '" + dataField.toStdString() +
                                                    "' not found in the data source");
    }
    if (!key.isEmpty() && Find(key)) {
        throw records::Error(err::InvalidArgument,
                             "The key '" + key.toStdString() + "' is already bound");
    }
    std::optional<DataFormat> ownFormat;
    if (format) ownFormat = *format;
    auto binding = std::unique_ptr<Binding>(
        new Binding(this, control, property, dataField, std::move(ownFormat), key));
    if (const QMetaMethod signal = editSignal(control, property); signal.isValid()) {
        const QMetaObject& mo = Binding::staticMetaObject;
        connect(control, signal, binding.get(), mo.method(mo.indexOfSlot("controlEdited()")));
    }
    Binding* added = binding.get();
    bindings_.push_back(std::move(binding));
    if (currentBookmark() != shownRow_) {
        UpdateControls();  // the row moved since the others were read
    } else {
        BusyGuard busy(busy_);
        readBinding(*added);
    }
    return added;
}

Binding* BindingCollection::Find(const QString& key) const noexcept {
    for (const auto& b : bindings_) {
        if (!key.isEmpty() && b->key_.compare(key, Qt::CaseInsensitive) == 0) return b.get();
    }
    return nullptr;
}

Binding* BindingCollection::Item(const QString& key) const {
    if (Binding* b = Find(key)) return b;
    throw records::Error(err::ItemNotFound, "No binding with the key '" + key.toStdString() + "'");
}

Binding* BindingCollection::Item(int index) const {
    if (index < 0 || index >= Count()) {
        throw records::Error(err::ItemNotFound, "No binding at index " + std::to_string(index));
    }
    return bindings_[static_cast<std::size_t>(index)].get();
}

void BindingCollection::Remove(const QString& key) {
    Binding* b = Item(key);
    std::erase_if(bindings_, [b](const auto& p) { return p.get() == b; });
}

void BindingCollection::Clear() {
    bindings_.clear();
}

bool BindingCollection::hasRow() const {
    try {
        return source_ && source_->IsOpen() && source_->HasCurrentRow();
    } catch (const records::Error&) {  // a closed or emptied view has no row
        return false;
    }
}

std::optional<records::Bookmark> BindingCollection::currentBookmark() const {
    if (!hasRow()) return std::nullopt;
    try {
        return source_->GetBookmark();
    } catch (const records::Error&) {
        return std::nullopt;
    }
}

void BindingCollection::UpdateControls() {
    BusyGuard busy(busy_);
    for (auto& b : bindings_) readBinding(*b);
    shownRow_ = currentBookmark();
}

void BindingCollection::WriteChanged() {
    if (!source_) return;
    BusyGuard busy(busy_);
    const auto row = currentBookmark();
    for (auto& b : bindings_) {
        if (row != shownRow_) {
            b->written_.reset();  // written into another row
        } else {
            markWithdrawn(*b);
        }
        if (b->changed_) writeBinding(*b);
    }
    shownRow_ = row;
}

void BindingCollection::Move(long rows) {
    if (!source_) throw records::Error(err::ObjectClosed, "The bindings have no data source");
    WriteChanged();
    {
        BusyGuard busy(busy_);
        source_->Move(rows);
    }
    if (rows != 0) UpdateControls();
}

void BindingCollection::markWithdrawn(Binding& b) const {
    if (b.changed_ || !b.written_) return;
    if (b.DataChanged()) {
        b.changed_ = true;
        b.written_.reset();
    }
}

void BindingCollection::readBinding(Binding& b) {
    QObject* control = b.control_.data();
    if (control) {
        try {
            records::Value v =
                hasRow() ? source_->Get(b.dataField_.toStdString()) : records::Value::Null();
            if (b.format_) b.format_->Format(v);
            const QVariant shown = toPropertyValue(v, b.property_.metaType());
            if (b.property_.read(control) != shown && !b.property_.write(control, shown)) {
                throw records::Error(
                    err::DataConversion,
                    std::string("The control refused the value for '") + b.property_.name() + "'");
            }
        } catch (const records::Error& e) {
            raiseError(e.Number(), QString::fromStdString(e.Description()), &b);
        } catch (const std::exception& e) {
            raiseError(err::DataConversion, QString::fromUtf8(e.what()), &b);
        }
    }
    b.changed_ = false;
    b.written_.reset();
}

bool BindingCollection::writeBinding(Binding& b) {
    QObject* control = b.control_.data();
    if (!control) {  // the control is gone; nothing of it can be written
        b.changed_ = false;
        return false;
    }
    try {
        records::Value v = fromPropertyValue(b.property_.read(control));
        if (b.format_) b.format_->UnFormat(v);
        const int field = source_->FieldIndex(b.dataField_.toStdString());
        if (field < 0) {
            throw records::Error(err::ItemNotFound,
                                 "Field '" + b.dataField_.toStdString() + "' not found");
        }
        source_->Set(field, fitToField(v, source_->Field(field).type));
        b.written_ = source_->Get(field);
        b.changed_ = false;
        return true;
    } catch (const records::Error& e) {
        raiseError(e.Number(), QString::fromStdString(e.Description()), &b);
    } catch (const std::exception& e) {
        raiseError(err::DataConversion, QString::fromUtf8(e.what()), &b);
    }
    return false;
}

void BindingCollection::userEdited(Binding& b) {
    if (busy_ > 0) return;
    b.changed_ = true;
    b.written_.reset();
}

void BindingCollection::raiseError(long number, const QString& description, Binding* b) {
    bool cancelDisplay = false;
    emit Error(number, description, b, &cancelDisplay);
    if (!cancelDisplay) {
        qCWarning(lcBinding).noquote()
            << "binding" << (b ? b->Key() : QString()) << "to" << (b ? b->DataField() : QString())
            << ":" << description << number;
    }
}

void BindingCollection::onRowsChanged(const records::RowChange&) {
    // Only another row is read: changes to the shown row (a batch settled or rolled back through
    // another view) must not overwrite what the user has typed.
    if (busy_ == 0 && currentBookmark() != shownRow_) UpdateControls();
}

void BindFields(BindingCollection& bindings, const records::RecordsetPtr& source,
                std::initializer_list<BoundField> fields, records::ErrorSink* sink,
                std::string_view where) {
    records::Trap(sink, where, [&] {
        bindings.Clear();
        bindings.SetUpdateMode(BindingCollection::UpdateMode::WhenRowChanges);
        bindings.SetDataMember(QString());
        bindings.SetDataSource(source);
    });
    for (const BoundField& f : fields) {
        records::Trap(sink, where, [&] {
            bindings
                .Add(f.control, QString::fromLatin1(f.property), QString::fromLatin1(f.field),
                     f.format, QString::fromLatin1(f.key))
                ->SetDataChanged(false);
        });
    }
}

}  // namespace platform

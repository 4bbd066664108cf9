#pragma once
// One binding of a control property to a field of the data source's current row.

#include <optional>

#include <QMetaProperty>
#include <QObject>
#include <QPointer>
#include <QString>

#include "platform/binding/data_format.h"
#include "records/value.h"

namespace platform {

class BindingCollection;

class Binding : public QObject {
    Q_OBJECT

  public:
    const QString& Key() const noexcept { return key_; }
    const QString& DataField() const noexcept { return dataField_; }
    // The property as the control names it ("text" for a binding added as "Text").
    QString PropertyName() const { return QString::fromLatin1(property_.name()); }
    QObject* Object() const { return control_.data(); }  // nullptr once the control is gone
    const DataFormat* GetDataFormat() const { return format_ ? &*format_ : nullptr; }

    // True when the control holds a value that the next write must put into the row: set by the
    // user's edits (or by the owner), cleared when the value was written or read. A value written
    // into a pending edit that was then withdrawn (CancelUpdate) counts as changed again, since
    // the control still shows it.
    bool DataChanged() const;
    void SetDataChanged(bool changed);

  private slots:
    void controlEdited();

  private:
    friend class BindingCollection;
    Binding(BindingCollection* owner, QObject* control, QMetaProperty property, QString dataField,
            std::optional<DataFormat> format, QString key);

    BindingCollection* owner_;
    QPointer<QObject> control_;
    QMetaProperty property_;
    QString dataField_;
    std::optional<DataFormat> format_;
    QString key_;
    bool changed_ = false;
    std::optional<records::Value> written_;  // what the last write put into the row
};

}  // namespace platform

#pragma once
// The layout object over the record layouts. Its name is a layout name or the layout-name query
// of the data-source control; OpenRecordset gives the record set the layout's fields, or, for the
// query, one field "Name" with a row per layout name in name order.

#include <string>

#include "messaging/common_library.h"

namespace platform {

class LayoutDtd : public messaging::DTD {
  public:
    LayoutDtd();
    // An answer part: the stored rows (a view of them) and the answer's message key.
    LayoutDtd(std::string name, records::RecordsetPtr rows, std::string messageKey);

    void SetDTDName(const std::string& name) override;
    std::string DTDName() const override { return name_; }
    records::RecordsetPtr Recordset() override { return rows_; }
    void OpenRecordset() override;
    void AddRow() override;
    int FieldCount() override;
    void FinishRows() override;
    std::string MessageKey() const override { return messageKey_; }

  private:
    std::string name_;
    records::RecordsetPtr rows_;
    std::string messageKey_;
    bool opened_ = false;
};

// Makes records::NewLayoutObject (and so NewRecordsetTemplate) create LayoutDtd objects.
void installLayoutObjectFactory();

// An independent copy of a record set made through its stream image. The two share their storage
// copy-on-write: neither ever sees the other's changes, whichever thread each is used on.
records::RecordsetPtr copyThroughImage(const records::Recordset& source);

}  // namespace platform

#pragma once
// The invisible data-source control: at run time it serves nothing while DesignTimeOnly is on
// (its default), else an empty record set of the layout named by the data member.

#include <string>

#include "records/errors.h"
#include "records/recordset.h"

namespace records {

class ucDTDDesignerDS {
  public:
    explicit ucDTDDesignerDS(ErrorSink* sink = nullptr) : sink_(sink) {}

    bool DesignTimeOnly() const { return designTimeOnly_; }
    void SetDesignTimeOnly(bool value) { designTimeOnly_ = value; }

    void GetDataMember(const std::string& dataMember, RecordsetPtr& data);

    // Container events.
    void UserControl_Resize();

    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    ErrorSink* sink_;
    bool designTimeOnly_ = true;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace records

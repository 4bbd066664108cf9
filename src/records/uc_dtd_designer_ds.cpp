#include "records/uc_dtd_designer_ds.h"

#include "records/mod_bankruptcy.h"

namespace records {

namespace {
constexpr int kControlSize = 150;  // container units: the control stays a small fixed square
}

void ucDTDDesignerDS::UserControl_Resize() {
    width_ = kControlSize;
    height_ = kControlSize;
}

void ucDTDDesignerDS::GetDataMember(const std::string& dataMember, RecordsetPtr& data) {
    Trap(sink_, "UCDataSource.UserControl_GetDataMember", [&] {
        data = nullptr;
        if (designTimeOnly_ || dataMember.empty()) return;
        data = NewRecordsetTemplate(dataMember.substr(0, dataMember.find(';')), sink_, 20,
                                    "UCDataSource.NewRecordsetTemplate");
    });
}

}  // namespace records

#include "records/uc_dtd_designer_ds.h"

#include "records/layouts.h"
#include "records/mod_bankruptcy.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace records {

namespace {
constexpr int kControlSize = 150;  // container units: the control stays a small fixed square
}

ucDTDDesignerDS::ucDTDDesignerDS(ErrorSink* sink) : sink_(sink) {
    UserControl_Initialize();
}

ucDTDDesignerDS::~ucDTDDesignerDS() {
    UserControl_Terminate();
}

void ucDTDDesignerDS::SetDesignTimeOnly(bool value) {
    designTimeOnly_ = value;
    propertiesChanged_ = true;
}

void ucDTDDesignerDS::UserControl_Initialize() {
    designTimeOnly_ = true;
    fetched_ = false;
}

void ucDTDDesignerDS::UserControl_ReadProperties(const PropertyBag& bag) {
    designTimeOnly_ = CBool(bag.ReadProperty("DesignTimeOnly", true));
}

void ucDTDDesignerDS::UserControl_WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("DesignTimeOnly", designTimeOnly_, true);
}

void ucDTDDesignerDS::UserControl_Resize() {
    IgnoreErrors([&] {
        width_ = kControlSize;
        height_ = kControlSize;
        FetchDataMemberNames();
    });
}

void ucDTDDesignerDS::FetchDataMemberNames() {
    RecordsetPtr names;
    Trap(sink_, "UCDataSource.FetchDataMemberNames", [&] {
        if (userMode_ || fetched_) return;
        if (!dataMembers_.empty()) return;
        fetched_ = true;
        names = NewRecordsetTemplate(LayoutNameQuery());
        if (names && names->RecordCount() >= 1) {
            dataMembers_.clear();
            for (names->MoveFirst(); !names->IsEOF(); names->MoveNext()) {
                dataMembers_.push_back(Trim(TextOf(names->Get("Name"))));
            }
        }
    });
    IgnoreErrors([&] {
        if (names) names->Close();
    });
}

RecordsetPtr ucDTDDesignerDS::NewRecordsetTemplate(const std::string& source) {
    return records::NewRecordsetTemplate(source, sink_, 20, "UCDataSource.NewRecordsetTemplate");
}

void ucDTDDesignerDS::GetDataMember(const std::string& dataMember, RecordsetPtr& data) {
    UserControl_GetDataMember(dataMember, data);
}

void ucDTDDesignerDS::UserControl_GetDataMember(const std::string& dataMember, RecordsetPtr& data) {
    Trap(sink_, "UCDataSource.UserControl_GetDataMember", [&] {
        if (userMode_ && designTimeOnly_) {
            data = nullptr;
            return;
        }
        if (dataMember.empty()) {
            data = nullptr;
            return;
        }
        data = NewRecordsetTemplate(dataMember.substr(0, dataMember.find(';')));
    });
}

void ucDTDDesignerDS::ReBindControls(const std::string& dataMember, const RecordsetPtr& data,
                                     const std::vector<DataBoundControl*>& controls) {
    Trap(sink_, "UCDataSource.ReBindControls", [&] {
        for (DataBoundControl* control : controls) {
            // a failing control is passed over
            IgnoreErrors([&] {
                if (control && EqualsIgnoreCase(control->BoundDataMember(), dataMember)) {
                    control->SetDataSource(data);
                    control->Refresh();
                }
            });
        }
    });
}

void ucDTDDesignerDS::UserControl_Terminate() {
    IgnoreErrors([] {});
}

}  // namespace records

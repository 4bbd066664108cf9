#pragma once
// The invisible data-source control: offers the layout names of the layout store as data members
// while a screen is designed, and serves an empty record set of a layout on request. At run time
// it serves nothing unless DesignTimeOnly is off; it can also rebind controls on request.

#include <string>
#include <vector>

#include "records/errors.h"
#include "records/property_bag.h"
#include "records/recordset.h"

namespace records {

// A control bound to a data source through a data member.
class DataBoundControl {
  public:
    virtual ~DataBoundControl() = default;
    virtual std::string BoundDataMember() const = 0;
    virtual void SetDataSource(RecordsetPtr rs) = 0;
    virtual void Refresh() = 0;
};

class ucDTDDesignerDS {
  public:
    explicit ucDTDDesignerDS(ErrorSink* sink = nullptr);
    ~ucDTDDesignerDS();

    // The ambient user mode of the container: true at run time, false while designing.
    void SetUserMode(bool userMode) { userMode_ = userMode; }
    bool UserMode() const { return userMode_; }

    bool DesignTimeOnly() const { return designTimeOnly_; }
    void SetDesignTimeOnly(bool value);
    // Set when a property changed, so the container saves the properties again.
    bool PropertiesChanged() const { return propertiesChanged_; }

    void GetDataMember(const std::string& dataMember, RecordsetPtr& data);
    void ReBindControls(const std::string& dataMember, const RecordsetPtr& data,
                        const std::vector<DataBoundControl*>& controls);

    // Container events.
    void UserControl_Initialize();
    void UserControl_ReadProperties(const PropertyBag& bag);
    void UserControl_WriteProperties(PropertyBag& bag) const;
    void UserControl_Resize();
    void UserControl_GetDataMember(const std::string& dataMember, RecordsetPtr& data);
    void UserControl_Terminate();

    // The data-member list the container offers to bound controls.
    const std::vector<std::string>& DataMembers() const { return dataMembers_; }
    void AddDataMember(const std::string& name) { dataMembers_.push_back(name); }
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    void FetchDataMemberNames();
    RecordsetPtr NewRecordsetTemplate(const std::string& source);

    ErrorSink* sink_;
    bool userMode_ = true;
    bool designTimeOnly_ = true;
    bool fetched_ = false;
    bool propertiesChanged_ = false;
    std::vector<std::string> dataMembers_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace records

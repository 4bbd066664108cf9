#include "records/uc_dtd_designer_ds.h"

#include <gtest/gtest.h>

namespace records {
namespace {

class CountingSink : public ErrorSink {
  public:
    void ReportError(const std::string& d, const std::string&, const std::string& source) override {
        reports.push_back(source + ": " + d);
    }
    std::vector<std::string> reports;
};

TEST(DataSourceControl, ServesNothingUnlessDesignTimeOnlyIsOff) {
    CountingSink sink;
    ucDTDDesignerDS ds(&sink);
    ds.UserControl_Resize();
    EXPECT_EQ(ds.Width(), 150);
    EXPECT_EQ(ds.Height(), 150);
    RecordsetPtr data = Recordset::Create();
    ds.GetDataMember("BANKRUPTCY", data);
    EXPECT_EQ(data, nullptr);

    ds.SetDesignTimeOnly(false);
    ds.GetDataMember("BANKRUPTCY", data);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->IsOpen());
    EXPECT_EQ(data->RecordCount(), 0);
    EXPECT_TRUE(data->HasField("TRSTE_NM"));
    EXPECT_EQ(data->CacheSize(), 20);
    RecordsetPtr second;
    ds.GetDataMember("ACNTSRCVBL;anything after the separator", second);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, data);  // every record set served is new
    EXPECT_TRUE(second->HasField("ACCT_RCVBL_NBR"));
    ds.GetDataMember("", data);
    EXPECT_EQ(data, nullptr);
    EXPECT_TRUE(sink.reports.empty());

    // An unknown layout, or nothing before the separator: reported, nothing served.
    for (const char* member : {"NO_SUCH_LAYOUT", ";BANKRUPTCY"}) {
        data = second;
        ds.GetDataMember(member, data);
        EXPECT_EQ(data, nullptr) << member;
    }
    ASSERT_EQ(sink.reports.size(), 2u);
    EXPECT_EQ(sink.reports[0].rfind("UCDataSource.NewRecordsetTemplate", 0), 0u);
}

}  // namespace
}  // namespace records

#include "records/uc_dtd_designer_ds.h"

#include <gtest/gtest.h>

namespace records {
namespace {

// Design time only (the default) serves nothing; otherwise a new empty record set of the layout
// named before the ';', reading 20 rows at a time.
TEST(DataSourceControl, ServesNothingUnlessDesignTimeOnlyIsOff) {
    ucDTDDesignerDS ds;
    RecordsetPtr data = Recordset::Create();
    ds.GetDataMember("BANKRUPTCY", data);
    EXPECT_EQ(data, nullptr);
    ds.SetDesignTimeOnly(false);
    ds.GetDataMember("ACNTSRCVBL;anything after the separator", data);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->HasField("ACCT_RCVBL_NBR"));
    EXPECT_EQ(data->RecordCount(), 0);
    EXPECT_EQ(data->CacheSize(), 20);
}

}  // namespace
}  // namespace records

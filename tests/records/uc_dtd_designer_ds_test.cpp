#include "records/uc_dtd_designer_ds.h"

#include <gtest/gtest.h>

#include "records/layouts.h"
#include "records/mod_bankruptcy.h"

namespace records {
namespace {

class CountingSink : public ErrorSink {
  public:
    void ReportError(const std::string& d, const std::string&, const std::string& source) override {
        reports.push_back(source + ": " + d);
    }
    std::vector<std::string> reports;
};

// A layout object over the layout store that counts how many were created, to tell whether
// the store was asked.
class StoreLayoutObject : public LayoutObject {
  public:
    void SetDTDName(const std::string& name) override { name_ = name; }
    std::string DTDName() const override { return name_; }
    RecordsetPtr Recordset() override { return rs_; }
    void OpenRecordset() override { OpenLayoutInto(*rs_, name_); }

  private:
    std::string name_;
    RecordsetPtr rs_ = Recordset::Create();
};

class CountingFactory {
  public:
    CountingFactory() {
        SetLayoutObjectFactory([this] {
            ++created;
            return std::make_unique<StoreLayoutObject>();
        });
    }
    ~CountingFactory() { SetLayoutObjectFactory(nullptr); }
    int created = 0;
};

class FakeControl : public DataBoundControl {
  public:
    explicit FakeControl(std::string member, bool fails = false)
        : member_(std::move(member)), fails_(fails) {}
    std::string BoundDataMember() const override { return member_; }
    void SetDataSource(RecordsetPtr rs) override {
        if (fails_) throw Error(err::IllegalOperation, "control refused");
        source = std::move(rs);
    }
    void Refresh() override { ++refreshed; }
    RecordsetPtr source;
    int refreshed = 0;

  private:
    std::string member_;
    bool fails_;
};

TEST(DataSourceControl, AtRunTimeServesNothingUnlessDesignTimeOnlyIsOff) {
    ucDTDDesignerDS ds;
    RecordsetPtr data = Recordset::Create();
    ds.GetDataMember("BANKRUPTCY", data);
    EXPECT_EQ(data, nullptr);

    ds.SetDesignTimeOnly(false);
    EXPECT_TRUE(ds.PropertiesChanged());
    ds.GetDataMember("BANKRUPTCY", data);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->IsOpen());
    EXPECT_EQ(data->RecordCount(), 0);
    EXPECT_TRUE(data->HasField("TRSTE_NM"));
    EXPECT_EQ(data->CacheSize(), 20);

    ds.GetDataMember("ACNTSRCVBL;anything after the separator", data);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->HasField("ACCT_RCVBL_NBR"));

    ds.GetDataMember("", data);
    EXPECT_EQ(data, nullptr);
}

TEST(DataSourceControl, WhileDesigningEveryRequestIsServedWhateverDesignTimeOnlySays) {
    CountingSink sink;
    ucDTDDesignerDS ds(&sink);
    ds.SetUserMode(false);
    ASSERT_TRUE(ds.DesignTimeOnly());
    RecordsetPtr first, second;
    ds.GetDataMember("BANKRUPTCY", first);
    ds.GetDataMember("bankruptcy", second);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);  // every record set served is new
    EXPECT_EQ(first->FieldCount(), second->FieldCount());
    EXPECT_TRUE(sink.reports.empty());

    // Nothing before the separator names no layout: reported, nothing served.
    RecordsetPtr data = first;
    ds.GetDataMember(";BANKRUPTCY", data);
    EXPECT_EQ(data, nullptr);
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.reports[0].rfind("UCDataSource.NewRecordsetTemplate", 0), 0u);
}

TEST(DataSourceControl, UnknownLayoutIsReportedAndServesNothing) {
    CountingSink sink;
    ucDTDDesignerDS ds(&sink);
    ds.SetUserMode(false);
    RecordsetPtr data;
    ds.GetDataMember("NO_SUCH_LAYOUT", data);
    EXPECT_EQ(data, nullptr);
    ASSERT_FALSE(sink.reports.empty());
    EXPECT_EQ(sink.reports[0].rfind("UCDataSource.NewRecordsetTemplate", 0), 0u);
}

TEST(DataSourceControl, DesignModeFetchesLayoutNamesOnceInNameOrder) {
    CountingFactory counter;
    ucDTDDesignerDS ds;
    ds.SetUserMode(false);
    ds.UserControl_Resize();
    EXPECT_EQ(ds.Width(), 150);
    EXPECT_EQ(ds.Height(), 150);
    EXPECT_EQ(ds.DataMembers(), LayoutNames());
    EXPECT_EQ(ds.DataMembers().front(), "ACNTSRCVBL");
    const int asked = counter.created;
    EXPECT_GT(asked, 0);
    ds.UserControl_Resize();
    EXPECT_EQ(counter.created, asked);
    EXPECT_EQ(ds.DataMembers().size(), LayoutNames().size());
}

TEST(DataSourceControl, RunTimeAndFilledListsNeverQuery) {
    CountingFactory counter;
    ucDTDDesignerDS runTime;
    runTime.UserControl_Resize();
    EXPECT_TRUE(runTime.DataMembers().empty());

    ucDTDDesignerDS designed;
    designed.SetUserMode(false);
    designed.AddDataMember("BANKRUPTCY");
    designed.UserControl_Resize();
    EXPECT_EQ(designed.DataMembers(), std::vector<std::string>{"BANKRUPTCY"});
    EXPECT_EQ(counter.created, 0);
}

TEST(DataSourceControl, ReBindMatchesDataMembersWithoutRegardToCaseAndPassesOverFailures) {
    ucDTDDesignerDS ds;
    FakeControl caseGrid("BANKRUPTCY"), arGrid("ACNTSRCVBL"), broken("Bankruptcy", true);
    auto rs = OpenLayoutRecordset("BANKRUPTCY");
    ds.ReBindControls("bankruptcy", rs, {&broken, &caseGrid, &arGrid});
    EXPECT_EQ(caseGrid.source, rs);
    EXPECT_EQ(caseGrid.refreshed, 1);
    EXPECT_EQ(arGrid.source, nullptr);
    EXPECT_EQ(arGrid.refreshed, 0);
}

TEST(DataSourceControl, DesignTimeOnlyIsPersistedWithDefaultTrue) {
    ucDTDDesignerDS saved;
    saved.SetDesignTimeOnly(false);
    PropertyBag bag;
    saved.UserControl_WriteProperties(bag);
    EXPECT_TRUE(bag.Contains("DesignTimeOnly"));

    PropertyBag image;
    image.SetContents(bag.Contents());
    ucDTDDesignerDS restored;
    restored.UserControl_ReadProperties(image);
    EXPECT_FALSE(restored.DesignTimeOnly());

    ucDTDDesignerDS fresh;
    PropertyBag defaults;
    fresh.UserControl_WriteProperties(defaults);
    EXPECT_FALSE(defaults.Contains("DesignTimeOnly"));  // the default is not stored
    fresh.SetDesignTimeOnly(false);
    fresh.UserControl_ReadProperties(PropertyBag());
    EXPECT_TRUE(fresh.DesignTimeOnly());
}

TEST(DataSourceControl, LayoutNameQueryIsAnsweredByTheLayoutStore) {
    auto rs = OpenLayoutRecordset(LayoutNameQuery());
    ASSERT_EQ(rs->FieldCount(), 1);
    std::vector<std::string> names;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) names.push_back(rs->Get("Name").text());
    EXPECT_EQ(names, LayoutNames());
}

}  // namespace
}  // namespace records

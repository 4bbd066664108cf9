#include <gtest/gtest.h>

#include "records/layouts.h"
#include "records/mod_bankruptcy.h"
#include "recordset_fixture.h"

namespace records::testing {
namespace {

struct Report {
    std::string description, exe, source;
};

class RecordingSink : public ErrorSink {
  public:
    void ReportError(const std::string& description, const std::string& exeName,
                     const std::string& source) override {
        reports.push_back({description, exeName, source});
    }
    std::vector<Report> reports;
};

// A layout object over the built-in layouts that counts how often it is created.
class CountingLayoutObject : public LayoutObject {
  public:
    explicit CountingLayoutObject(int& created) { ++created; }
    void SetDTDName(const std::string& name) override { name_ = name; }
    std::string DTDName() const override { return name_; }
    RecordsetPtr Recordset() override { return rs_; }
    void OpenRecordset() override {
        const Layout* layout = FindLayout(name_);
        if (!layout) throw Error(err::ItemNotFound, "no layout " + name_);
        for (const auto& f : layout->fields) rs_->AppendField(f.name, f.type, f.size);
        rs_->Open();
    }

  private:
    std::string name_;
    RecordsetPtr rs_ = records::Recordset::Create();
};

class ModBankruptcyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTemplateCacheForTests();
        SetLayoutObjectFactory([this] { return std::make_unique<CountingLayoutObject>(created); });
    }
    void TearDown() override {
        SetLayoutObjectFactory(nullptr);
        ResetTemplateCacheForTests();
    }
    int created = 0;
    RecordingSink sink;
};

constexpr LockType kSourceLock = static_cast<LockType>(0);

TEST_F(ModBankruptcyTest, TemplateIsAnEmptyBatchRecordSetOfTheLayout) {
    auto rs = NewRecordsetTemplate("BANKRUPTCY", &sink);
    ASSERT_TRUE(rs);
    EXPECT_TRUE(rs->IsOpen());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(rs->GetLockType(), LockType::BatchOptimistic);
    EXPECT_EQ(rs->CacheSize(), 100);
    EXPECT_EQ(rs->FieldCount(), static_cast<int>(FindLayout("BANKRUPTCY")->fields.size()));
    EXPECT_TRUE(rs->HasField("cust_id"));
    EXPECT_TRUE(sink.reports.empty());

    EXPECT_FALSE(NewRecordsetTemplate("NO_SUCH_LAYOUT", &sink));
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.reports[0].source, "KORVA_Bankruptcy.NewRecordsetTemplate");
    EXPECT_EQ(sink.reports[0].exe, "KORVA_Bankruptcy");
    EXPECT_NE(sink.reports[0].description.find("NO_SUCH_LAYOUT"), std::string::npos);

    // a copy of nothing, or of a closed set, is reported
    EXPECT_FALSE(IndependentCloneRS(nullptr, false, false, kSourceLock, &sink));
    ASSERT_EQ(sink.reports.size(), 2u);
    EXPECT_EQ(sink.reports[1].source, "KORVA_Bankruptcy.IndependentCloneRS");
    auto closed = Recordset::Create();
    EXPECT_FALSE(IndependentCloneRS(closed, false, true, kSourceLock, &sink));
    EXPECT_EQ(sink.reports.size(), 3u);
}

TEST_F(ModBankruptcyTest, EmptyRecordSetsAreCutFromOneCachedTemplatePerLayout) {
    auto a = NewBankruptcyCaseRS(&sink);
    auto b = NewBankruptcyCaseRS(&sink);
    EXPECT_EQ(created, 1);  // the second call creates no layout object
    auto r = NewAccntRecvRS(&sink);
    EXPECT_EQ(created, 2);
    ASSERT_TRUE(a && b && r);
    EXPECT_TRUE(r->HasField("ACCT_RCVBL_NBR"));
    EXPECT_EQ(a->GetLockType(), LockType::BatchOptimistic);

    a->AddNew({"CUST_ID"}, {Value("123")});  // copies share nothing
    EXPECT_EQ(b->RecordCount(), 0);
    EXPECT_EQ(NewBankruptcyCaseRS(&sink)->RecordCount(), 0);
    EXPECT_TRUE(sink.reports.empty());
}

RecordsetPtr FiveSorted() {
    auto rs = PeopleRs();
    for (int i = 1; i <= 5; ++i) AddPerson(rs, "r" + std::to_string(i), i);
    rs->UpdateBatch();
    rs->SetSort("Num DESC");
    return rs;
}

// As is: the visible rows, on the source's current row; else every row in the sort order.
TEST_F(ModBankruptcyTest, CopiesHoldTheVisibleOrAllRows) {
    auto src = FiveSorted();
    src->SetFilter("[Num] >= 3");
    src->MoveLast();  // r3
    auto copy = IndependentCloneRS(src, false, true, kSourceLock, &sink);
    ASSERT_TRUE(copy);
    EXPECT_EQ(Texts(copy, "Name"), (Names{"r5", "r4", "r3"}));
    EXPECT_EQ(copy->GetBookmark(), 3);
    EXPECT_FALSE(copy->HasFilter());
    EXPECT_EQ(copy->Sort(), "");
    src->MoveFirst();  // r5
    copy = IndependentCloneRS(src, false, false, kSourceLock, &sink);
    ASSERT_TRUE(copy);
    EXPECT_EQ(Texts(copy, "Name"), (Names{"r5", "r4", "r3", "r2", "r1"}));
    EXPECT_EQ(copy->GetBookmark(), 5);
    EXPECT_EQ(copy->GetLockType(), LockType::BatchOptimistic);
    EXPECT_EQ(IndependentCloneRS(src, false, false, LockType::ReadOnly, &sink)->GetLockType(),
              LockType::ReadOnly);
    src->SetFilter(std::vector<Bookmark>{1});  // a bookmark filter does not limit the image
    EXPECT_EQ(IndependentCloneRS(src, false, true, kSourceLock, &sink)->RecordCount(), 5);
}

// The deletes that empty a copy are final: nothing of the source comes back on CancelBatch,
// nor through an image of the copy, even for rows the source itself had staged.
TEST_F(ModBankruptcyTest, EmptyCopyHasNoStagedRowsToBringBack) {
    auto src = FiveSorted();
    src->MoveFirst();
    src->Delete();  // staged in the source: travels in the image as a deleted row
    AddPerson(src, "new", 6);
    src->MoveFirst();
    src->Set("Note", "edited");
    src->Update();
    auto empty = IndependentCloneRS(src, true, false, kSourceLock, &sink);
    ASSERT_TRUE(empty);
    ASSERT_EQ(empty->GetLockType(), LockType::BatchOptimistic);
    EXPECT_EQ(empty->FieldCount(), src->FieldCount());
    empty->CancelBatch(Affect::AllChapters);
    EXPECT_EQ(empty->RecordCount(), 0);
    auto again = IndependentCloneRS(empty, false, true, kSourceLock, &sink);
    ASSERT_TRUE(again);
    again->CancelBatch(Affect::AllChapters);
    EXPECT_EQ(again->RecordCount(), 0);
    EXPECT_EQ(src->RecordCount(), 5);  // 4 left of five, one added
    AddPerson(empty, "only", 1);
    EXPECT_EQ(empty->RecordCount(), 1);
    EXPECT_TRUE(sink.reports.empty());
}

// The built-in layout object serves when none is installed and opens its record set again.
TEST_F(ModBankruptcyTest, TheBuiltInLayoutObjectOpensAgainWithItsFieldsOnce) {
    SetLayoutObjectFactory(nullptr);
    auto dtd = NewLayoutObject();
    dtd->SetDTDName(std::string(kLayoutAccntRecv));
    dtd->OpenRecordset();
    const int fields = dtd->Recordset()->FieldCount();
    dtd->OpenRecordset();
    EXPECT_EQ(dtd->Recordset()->FieldCount(), fields);
}

// A grid that records what is done to it.
class FakeGrid : public BoundGrid {
  public:
    bool Redraw() const override { return redraw; }
    void SetRedraw(bool on) override {
        redraw = on;
        log.push_back(on ? "redraw on" : "redraw off");
    }
    RecordsetPtr DataSource() const override { return source; }
    void SetDataSource(RecordsetPtr rs) override {
        source = std::move(rs);
        log.push_back(source ? "bind" : "unbind");
    }
    void SetBatchUpdate(bool on) override {
        batch = on;
        log.push_back(on ? "batch on" : "batch off");
    }
    void ReBind() override { log.push_back("rebind"); }
    void Reset() override { log.push_back("reset"); }

    bool redraw = true;
    bool batch = false;
    RecordsetPtr source;
    std::vector<std::string> log;
};

TEST_F(ModBankruptcyTest, RebindCancelsThePreviousChangesAndBindsTheNew) {
    FakeGrid grid;
    auto old = FiveSorted();
    grid.source = old;
    old->MoveFirst();
    old->Set("Name", "staged");
    old->Update();
    old->Set("Name", "pending");
    auto fresh = PeopleRs(LockType::Optimistic);
    RecordsetPtr previous;
    RebindGrid(grid, fresh, &previous, false, true, &sink);
    EXPECT_EQ(previous, old);
    EXPECT_EQ(grid.source, fresh);
    EXPECT_FALSE(grid.batch);  // the new record set is not batch-optimistic
    EXPECT_TRUE(grid.redraw);
    EXPECT_EQ(old->GetEditMode(), EditMode::None);
    EXPECT_EQ(Texts(old, "Name"), (Names{"r5", "r4", "r3", "r2", "r1"}));
    EXPECT_TRUE(old->IsOpen());
    const std::vector<std::string> expected = {"redraw off", "batch on", "rebind",    "unbind",
                                               "reset",      "bind",     "batch off", "redraw on"};
    EXPECT_EQ(grid.log, expected);
}

}  // namespace
}  // namespace records::testing

// Damaged screen-state files: the screen always starts, restores what it can, reports the rest
// and leaves no file behind. Includes the replay of the fuzzed state files in
// fuzz/corpus/state_file and of mutations made here of a real file.

#include <algorithm>
#include <filesystem>

#include "persistence_fixture.h"

namespace document_testing {
namespace {

// The user context with another user folder.
class FolderOverride : public messaging::UserContext {
  public:
    FolderOverride(std::shared_ptr<messaging::UserContext> inner, std::string folder)
        : inner_(std::move(inner)), folder_(std::move(folder)) {}
    std::string GetSenderId() override { return inner_->GetSenderId(); }
    std::string GetUserFolder() override { return folder_; }
    std::string GetOfficerNumber() override { return inner_->GetOfficerNumber(); }

  private:
    std::shared_ptr<messaging::UserContext> inner_;
    std::string folder_;
};

const std::string kNotRestored =
    "The screen as it was left could not be restored in full; the log has the details.";

class DamagedStateTest : public PersistenceTest {
  protected:
    std::string path() const {
        return folder.filePath("KORVA_Bankruptcy_Persist.xml").toStdString();
    }

    // A real state file: customer 1004 with its working state.
    records::Bytes realState() {
        open();
        showWorkingState();
        unload();
        reporter->errors.clear();
        return readFile(path());
    }

    // The start of the second image (the receivables) and of the main bag.
    static std::pair<std::size_t, std::size_t> offsets(const records::Bytes& file) {
        records::Stream stream;
        stream.Open();
        stream.Write(file);
        stream.SetPosition(0);
        std::size_t starts[4] = {};
        for (int i = 0; i < 3; ++i) {
            records::Recordset::Create()->Open(stream);
            starts[i + 1] = static_cast<std::size_t>(stream.Position());
        }
        return {starts[1], starts[3]};
    }

    // `status` is where the status line must have got to.
    void expectStartedAndNoFileLeft(const std::string& status = "Ready ...") {
        EXPECT_EQ(statusLine->lastText().substr(0, status.size()), status);
        EXPECT_FALSE(std::filesystem::exists(path()));
        for (int index : {KORVA_Bankruptcy::ars, KORVA_Bankruptcy::FILINGS}) {
            platform::DataGrid& g = grid(index);
            ASSERT_NE(g.DataSource(), nullptr);
            EXPECT_EQ(g.Rows(), g.DataSource()->RecordCount());
        }
    }
};

TEST_F(DamagedStateTest, EmptyOrMissingFilesStartCleanAndSilently) {
    open();  // no file at all
    expectStartedAndNoFileLeft();
    EXPECT_EQ(officerBox()->text(), "101");
    EXPECT_EQ(reporter->errors, std::vector<std::string>{});
    doc.reset();

    writeFile(path(), {});
    open();
    expectStartedAndNoFileLeft();
    EXPECT_FALSE(doc->DataChanged());
    EXPECT_EQ(reporter->errors, std::vector<std::string>{});
}

// A damaged file stops the restore where it cannot be read. Before the images are read the
// customer is lost and the screen stays on customer selection; a damaged image is passed over,
// the rest is restored and the customer's data is asked for again.
TEST_F(DamagedStateTest, DamagedFilesAreReportedAndRestoredAsFarAsTheyCanBeRead) {
    const records::Bytes real = realState();
    const auto [arsAt, bagAt] = offsets(real);
    auto cut = [&](std::size_t n) {
        return records::Bytes(real.begin(), real.begin() + static_cast<std::ptrdiff_t>(n));
    };
    auto changed = [&](std::size_t at, std::uint8_t bits, bool zero = false) {
        records::Bytes b = real;
        b[at] = zero ? 0 : b[at] ^ bits;
        return b;
    };
    StateFile swapped = readState(path());  // the cases' and the receivables' images swapped
    std::swap(swapped.cases, swapped.ars);
    const std::string xml = "<?xml version=\"1.0\"?><state customer=\"1004\"/>";
    struct Case {
        const char* what;
        records::Bytes bytes;
        const char* reported;
        bool customerBack;
    };
    const Case cases[] = {
        {"cut in the first header", cut(10), "truncated", false},
        {"cut in the receivables", cut(arsAt + 40), "truncated", false},
        {"without the main bag", cut(bagAt), "Property bag image", false},
        {"cut in the main bag", cut(real.size() - 5), "Property bag image", false},
        {"a damaged main bag", changed(real.size() - 20, 0x5A), "Property bag image", false},
        {"foreign content", records::Bytes(xml.begin(), xml.end()), "not a record-set image",
         false},
        {"an older image version", changed(arsAt + 4, 0, true), "older than", true},
        {"a damaged image", changed(arsAt + (bagAt - arsAt) / 2, 0x01), "checksum", true},
        {"images out of place", stateBytes(swapped), "is no BANKRUPTCY record set", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reporter->errors.clear();
        statusLine->texts.clear();
        writeFile(path(), c.bytes);
        const int asked = static_cast<int>(backEnd->requestsOf("OPENARS").size());
        // Out of the way before it is read: a file that stopped this start cannot stop the next.
        bool fileWhileReading = false;
        reporter->onError = [&] { fileWhileReading |= std::filesystem::exists(path()); };
        open();
        reporter->onError = nullptr;
        EXPECT_FALSE(fileWhileReading);
        EXPECT_TRUE(reporter->mentions(c.reported)) << allErrors();
        EXPECT_GT(errorsFrom("KORVA_Bankruptcy.RestoreData"), 0);
        if (!c.customerBack) {
            expectStartedAndNoFileLeft(kNotRestored);
            EXPECT_EQ(std::count(statusLine->texts.begin(), statusLine->texts.end(), kNotRestored),
                      1);
            EXPECT_EQ(doc->Customer().CustID, "");
            EXPECT_FALSE(doc->DataChanged());
        } else {
            EXPECT_EQ(doc->Customer().CustID, "1004");
            EXPECT_EQ(tabs()->currentIndex(), 1);
            EXPECT_EQ(officerBox()->text(), "102");
            ASSERT_TRUE(waitIdle());
            EXPECT_EQ(static_cast<int>(backEnd->requestsOf("OPENARS").size()), asked + 1);
            EXPECT_EQ(grid(KORVA_Bankruptcy::ars).Rows(), 40);
            EXPECT_EQ(grid(KORVA_Bankruptcy::FILINGS).Rows(), 3);
            EXPECT_TRUE(statusSeen("Ready ..."));
            expectStartedAndNoFileLeft("Displaying Account & Bankruptcy Info For ");
        }
        doc.reset();
    }
}

TEST_F(DamagedStateTest, BookmarksThatNoLongerExistAreReportedAndTheRestRestored) {
    realState();
    StateFile state = readState(path());
    const records::Bookmark kept = state.bag("ARS.SelBookmarks").ReadProperty("0").whole();
    records::PropertyBag selection;
    selection.WriteProperty("0", Value(std::int64_t{7777}));
    selection.WriteProperty("1", Value(kept));
    selection.WriteProperty("UBound", Value(1));
    state.setBag("ARS.SelBookmarks", selection);
    state.main.WriteProperty("mSdgBankruptcy(eDATAGRID.ars)_ThisRow", Value(std::int64_t{9999}));
    state.main.WriteProperty("mSdgBankruptcy(eDATAGRID.ars)_FirstRow", Value(std::int64_t{8888}));
    writeFile(path(), stateBytes(state));

    open();
    expectStartedAndNoFileLeft(kNotRestored);
    EXPECT_TRUE(reporter->mentions("7777")) << allErrors();
    EXPECT_TRUE(reporter->mentions("8888")) << allErrors();
    EXPECT_TRUE(reporter->mentions("9999")) << allErrors();
    platform::DataGrid& arGrid = grid(KORVA_Bankruptcy::ars);
    EXPECT_EQ(arGrid.SelBookmarks().items(), std::vector<records::Bookmark>{kept});
    EXPECT_EQ(arGrid.Bookmark(), arGrid.BookmarkAt(0));  // where the sorted rows begin
    EXPECT_EQ(arGrid.Rows(), 40);
    EXPECT_EQ(doc->Customer().CustID, "1004");
}

TEST_F(DamagedStateTest, AnUnwritableUserFolderIsReportedAndTheDocumentStillCloses) {
    const std::string blocker = folder.filePath("not-a-folder").toStdString();
    writeFile(blocker, {'x'});
    for (const std::string& userFolder : {blocker + "/", std::string()}) {
        SCOPED_TRACE("user folder '" + userFolder + "'");
        reporter->errors.clear();
        parts.library.userContext =
            std::make_shared<FolderOverride>(parts.library.userContext, userFolder);
        open();
        EXPECT_EQ(reporter->errors, std::vector<std::string>{});  // nothing to read is no error
        ASSERT_TRUE(selectAndWait("1004"));
        unload();
        EXPECT_GT(errorsFrom("KORVA_Bankruptcy.PersistData"), 0);
        EXPECT_EQ(status(), "Ready ...");  // CloseDocument ran
        EXPECT_FALSE(std::filesystem::exists("KORVA_Bankruptcy_Persist.xml"))
            << "written into the working folder";
    }
    EXPECT_EQ(readFile(blocker), records::Bytes{'x'});
}

TEST_F(DamagedStateTest, FuzzedStateFilesNeverStopTheScreen) {
    std::vector<std::pair<std::string, records::Bytes>> inputs;
    const std::filesystem::path corpus = std::filesystem::path(HALBERON_FUZZ_CORPUS) / "state_file";
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        inputs.emplace_back(entry.path().filename().string(), readFile(entry.path().string()));
    ASSERT_GE(inputs.size(), 8u);

    // And mutations of a file of this build: cuts, flipped bytes and zeroed runs spread over it.
    const records::Bytes real = realState();
    constexpr int kMutations = 36;
    for (int k = 1; k <= kMutations; ++k) {
        records::Bytes b = real;
        const std::size_t at = real.size() * static_cast<std::size_t>(k) / (kMutations + 1);
        switch (k % 3) {
            case 0:
                b.resize(at);
                break;
            case 1:
                b[at] = static_cast<std::uint8_t>(b[at] + 1 + k);
                break;
            default:
                std::fill(b.begin() + static_cast<std::ptrdiff_t>(at),
                          b.begin() + static_cast<std::ptrdiff_t>(std::min(b.size(), at + 8)), 0);
                break;
        }
        inputs.emplace_back("mutation " + std::to_string(k), std::move(b));
    }

    open();
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        writeFile(path(), bytes);
        statusLine->texts.clear();
        doc->RestoreData();
        EXPECT_TRUE(statusSeen("Ready ..."));
        EXPECT_FALSE(std::filesystem::exists(path()));
        waitIdle();
        expectStartedAndNoFileLeft("");
        if (name == "valid.bin") {
            // the seed the others were made from restores whole
            EXPECT_EQ(doc->Customer().CustID, "1004");
            EXPECT_EQ(grid(KORVA_Bankruptcy::ars).SelBookmarks().Count(), 2);
            EXPECT_EQ(reporter->errors, std::vector<std::string>{});
        }
        reporter->errors.clear();
    }
}

}  // namespace
}  // namespace document_testing

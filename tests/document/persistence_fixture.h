#pragma once
// The screen-state file in tests: a customer with more receivables than a grid shows at once,
// reading a state file into its parts and writing one from parts.

#include <fstream>
#include <iterator>

#include "document_fixture.h"
#include "records/property_bag.h"
#include "records/stream.h"

namespace document_testing {

// The parts of a state file, as PersistData writes them.
struct StateFile {
    records::RecordsetPtr cases, ars, caseArs;
    records::PropertyBag main;

    records::PropertyBag bag(const char* name) const {
        records::PropertyBag inner;
        inner.SetContents(main.ReadProperty(name).bytes());
        return inner;
    }
    void setBag(const char* name, const records::PropertyBag& inner) {
        main.WriteProperty(name, inner.Contents());
    }
};

inline StateFile readState(const std::string& path) {
    records::Stream stream;
    stream.Open();
    stream.LoadFromFile(path);
    StateFile state;
    for (records::RecordsetPtr* rs : {&state.cases, &state.ars, &state.caseArs}) {
        *rs = records::Recordset::Create();
        (*rs)->Open(stream);
    }
    state.main.SetContents(stream.Read());
    return state;
}

inline records::Bytes stateBytes(const StateFile& state) {
    records::Stream stream;
    stream.Open();
    for (const records::RecordsetPtr& rs : {state.cases, state.ars, state.caseArs})
        rs->Save(stream);
    stream.Write(state.main.Contents());
    return stream.Buffer();
}

inline void writeFile(const std::string& path, const records::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline records::Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return records::Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PersistenceTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        backEnd->customers.push_back(customer("1004", "Quarry Lane Mills"));
        auto& ars = backEnd->ars["1004"];
        for (int i = 0; i < 40; ++i) {
            ars.push_back({Value(std::int64_t{5000 + i}), i % 7, i % 3 ? "FEE" : "TX", 2020 + i % 4,
                           1 + i % 12, 1 + i % 27, ""});
        }
        backEnd->cases["1004"] = {{"BK-1", "O", 2021, 2, 1, "Ada Trustee", "5035550199", ""},
                                  {"BK-2", "D", 2019, 5, 3, "Grant Lowe", "5550107", ""},
                                  {"BK-3", "O", 2023, 9, 9, "Miriam Holt", "5035550142", ""}};
    }

    // Unloads the document as the host does, and forgets it.
    void unload() {
        doc->BeforeUnload();
        doc.reset();
        QApplication::processEvents();
    }

    // Customer 1004 on the receivables tab, scrolled down, with two receivables selected, the
    // third case current, officer 102 and the issue-date order.
    void showWorkingState() {
        ASSERT_TRUE(selectAndWait("1004"));
        tabs()->setCurrentIndex(2);
        clickSelector(grid(KORVA_Bankruptcy::FILINGS), 2);
        tabs()->setCurrentIndex(1);
        option(2)->click();
        typeOfficer("102");
        platform::DataGrid& arGrid = grid(KORVA_Bankruptcy::ars);
        arGrid.SelBookmarks().Add(*arGrid.BookmarkAt(30));
        arGrid.SelBookmarks().Add(*arGrid.BookmarkAt(3));
        arGrid.SetBookmark(*arGrid.BookmarkAt(31));
        arGrid.ScrollToRow(35);
        QApplication::processEvents();
    }

    int errorsFrom(const std::string& source) const {
        int n = 0;
        for (const auto& e : reporter->errors) n += e.rfind(source, 0) == 0 ? 1 : 0;
        return n;
    }
    std::string allErrors() const {
        std::string all;
        for (const auto& e : reporter->errors) all += e + "\n";
        return all;
    }
};

}  // namespace document_testing

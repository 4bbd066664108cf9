// The screen-state file, read side: every show reads the file that the last unload wrote,
// rebuilds the screen from it, empties the file at once and deletes it at the end, so the state
// is handed over once. A damaged file restores what it can; every step that fails is reported
// and the next one runs.

#include <cstring>
#include <filesystem>

#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include "document/korva_bankruptcy.h"
#include "document/persistence_state.h"
#include "document/screen_state_file.h"
#include "platform/widgets/data_grid.h"
#include "records/image.h"
#include "records/layouts.h"
#include "records/mod_bankruptcy.h"
#include "records/property_bag.h"
#include "records/stream.h"
#include "records/value_rules.h"

using namespace persistence;

namespace {

constexpr int kRefresh = 2;
constexpr const char* kManagerRight = "BnkrptcyMgr";
constexpr const char* kNotRestored =
    "The screen as it was left could not be restored in full; the log has the details.";

struct Slot {
    const char* name;
    records::RecordsetPtr KORVA_Bankruptcy::*member;
    std::string_view layout;
};

// After an image that could not be read, the stream moves past it when its header tells how
// long it is (an image of another version); otherwise nothing after it can be trusted.
void skipImage(records::Stream& stream, std::int64_t at) {
    const records::ByteView data = stream.Buffer();
    const auto start = static_cast<std::size_t>(at);
    const std::size_t left = data.size() - start;
    if (left >= records::kImageHeaderSize && std::memcmp(data.data() + start, "HBRS", 4) == 0) {
        std::uint64_t payload = 0;
        for (std::size_t k = 0; k < 8; ++k)
            payload |= static_cast<std::uint64_t>(data[start + 8 + k]) << (8 * k);
        if (payload <= left - records::kImageHeaderSize &&
            left - records::kImageHeaderSize - payload >= 4) {
            stream.SetPosition(at +
                               static_cast<std::int64_t>(records::kImageHeaderSize + payload + 4));
            return;
        }
    }
    stream.SetPosition(stream.Size());
}

// A restored record set must have its layout's fields, or the screen could not show it.
void requireLayout(const records::Recordset& rs, std::string_view layout, const char* name) {
    const records::Layout* expected = records::FindLayout(layout);
    if (!expected) return;
    for (const records::FieldDef& f : expected->fields) {
        if (!rs.HasField(f.name)) {
            throw records::Error(records::err::BadImage,
                                 std::string("The screen-state file's image of ") + name +
                                     " is no " + std::string(layout) + " record set (it has no " +
                                     f.name + ").");
        }
    }
}

void deleteFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;  // nothing to delete is no error
    if (!std::filesystem::remove(path, ec) || ec) {
        throw records::Error(
            records::err::FileWriteFailed,
            "The screen-state file " + path + " could not be deleted: " + ec.message());
    }
}

}  // namespace

void ScreenStateFile::Read() {
    CountingSink failures(sink());
    restoreSink_ = &failures;
    struct Release {
        records::ErrorSink*& sink;
        ~Release() { sink = nullptr; }
    } release{restoreSink_};
    auto step = [&](auto&& body) { return Step(restoreSink(), kRestoreSource, body); };
    records::Stream stream;
    records::PropertyBag main;
    bool loaded = false;
    bool complete = true;

    step([&] { setResizerEnabled(false); });
    step([&] { stream.Open(); });
    records::IgnoreErrors([&] {  // a missing file leaves the stream empty
        RequireFolder(path_, records::err::FileNotFound);
        stream.LoadFromFile(path_);
    });
    step([&] {
        stream.SetPosition(0);
        loaded = stream.Size() > 0;
    });
    // The file goes before a byte of it is read: a state is handed over once, and one that
    // stops this show cannot stop the next.
    if (!step([&] { deleteFile(path_); }) && loaded) {
        loaded = false;
        step([&] { stream.SetEOS(); });
    }

    if (loaded) {
        complete = restoreRecordsets(stream);
        step([&] { main.SetContents(stream.Read()); });

        const std::pair<const char*, records::RecordsetPtr*> sets[] = {
            {"rsBankruptcyCase", &doc_.rsBankruptcyCase},
            {"rsAccntRecv", &doc_.rsAccntRecv},
            {"rsBankruptcyAR", &doc_.rsBankruptcyAR}};
        // Plain locals, not structured bindings: lambdas may capture those only since C++20.
        for (const auto& set : sets) {
            const char* name = set.first;
            records::RecordsetPtr* rs = set.second;
            step(
                [&] { (*rs)->SetFilter(main.ReadProperty(std::string(name) + kFilterSuffix, 0)); });
        }
        for (const auto& set : sets) {
            const char* name = set.first;
            records::RecordsetPtr* rs = set.second;
            step([&] {
                const long position = records::CLng(
                    main.ReadProperty(std::string(name) + kPositionSuffix, kNoPosition));
                if (position > 0) (*rs)->SetAbsolutePosition(position);
            });
        }

        restoreCustomer(main);
        restoreScreenLayout(main);

        const std::string previousOrder = doc_.mStrARSortOrder;
        step([&] {
            try {
                doc_.rsAccntRecv->SetSort(doc_.mStrARSortOrder);
            } catch (...) {
                // an order that cannot sort is not kept either
                doc_.mStrARSortOrder = previousOrder;
                throw;
            }
        });
        step([&] { doc_.rsBankruptcyCase->SetSort(std::string("CRT_FILE_DT") + " ASC"); });

        restoreGrid(KORVA_Bankruptcy::ars, main);
        restoreGrid(KORVA_Bankruptcy::FILINGS, main);
        restoreSelection(KORVA_Bankruptcy::ars, main);
        restoreSelection(KORVA_Bankruptcy::FILINGS, main);
        step([&] { doc_.ValidateCommandButtons(); });
    }

    records::IgnoreErrors([&] { stream.Close(); });

    step([&] {
        doc_.mUdtBlankCustomer.IsBankruptcyManager =
            doc_.mLib.globalServices->HasRight(kManagerRight);
        doc_.udtCustomer.IsBankruptcyManager = doc_.mUdtBlankCustomer.IsBankruptcyManager;
    });
    step([&] {
        if (!records::IsNumeric(records::Value(doc_.ui.mTxtBankruptcy->text().toStdString()))) {
            doc_.ui.mTxtBankruptcy->setText(
                QString::fromStdString(records::Trim(doc_.mLib.userContext->GetOfficerNumber())));
        }
    });
    step([&] { doc_.ValidateAssignedOfficer(); });
    step([&] { doc_.setStatus("Ready ..."); });
    step([&] { setResizerEnabled(true); });
    step([&] { deleteFile(path_); });
    step([&] { doc_.doEvents(); });

    // Rows that still wait for an answer came from a request this document no longer watches,
    // and record sets that could not be read leave the customer half shown: the customer's data
    // is asked for again, as Refresh does.
    step([&] {
        if (!loaded || doc_.udtCustomer.CustID.empty()) return;
        if (complete && !restoredRowsPending()) return;
        doc_.mCmdBankruptcy_Click(kRefresh);
    });
    // One line for the user however many steps failed; the log has each of them.
    if (failures.count > 0) {
        records::IgnoreErrors([&] { doc_.setStatus(kNotRestored); });
    }
}

bool ScreenStateFile::restoreRecordsets(records::Stream& stream) {
    auto step = [&](auto&& body) { return Step(restoreSink(), kRestoreSource, body); };
    static constexpr Slot kSlots[] = {
        {"rsBankruptcyCase", &KORVA_Bankruptcy::rsBankruptcyCase, records::kLayoutBankruptcy},
        {"rsAccntRecv", &KORVA_Bankruptcy::rsAccntRecv, records::kLayoutAccntRecv},
        {"rsBankruptcyAR", &KORVA_Bankruptcy::rsBankruptcyAR, records::kLayoutAccntRecv},
    };
    bool complete = true;
    for (const Slot& slot : kSlots) {
        records::RecordsetPtr& rs = doc_.*slot.member;
        const bool opened = step([&] {
            if (!rs) rs = records::Recordset::Create();
            if (rs->IsOpen()) rs->Close();
            rs->SetLockType(records::LockType::BatchOptimistic);
            const std::int64_t at = stream.Position();
            try {
                rs->Open(stream);
            } catch (const records::Error& e) {
                skipImage(stream, at);
                throw records::Error(e.Number(), std::string("The screen-state file's image of ") +
                                                     slot.name +
                                                     " cannot be read: " + e.Description());
            }
            requireLayout(*rs, slot.layout, slot.name);
        });
        if (!opened) {
            complete = false;
            // What could not be read starts empty, as after a start without a file.
            step([&] {
                if (rs && rs->IsOpen()) rs->Close();
                rs = slot.layout == records::kLayoutBankruptcy
                         ? records::NewBankruptcyCaseRS(sink())
                         : records::NewAccntRecvRS(sink());
            });
        }
    }
    return complete;
}

void ScreenStateFile::restoreCustomer(const records::PropertyBag& main) {
    auto step = [&](auto&& body) { return Step(restoreSink(), kRestoreSource, body); };
    records::PropertyBag customer;
    step([&] { customer = LoadBag(main, kCustomerContents); });
    step([&] { doc_.udtCustomer = doc_.mUdtBlankCustomer; });
    for (const CustomerMember& m : kCustomerMembers) {
        step([&] {
            doc_.udtCustomer.*m.field = records::TextOf(customer.ReadProperty(m.name, ""));
        });
    }
    step([&] {
        doc_.mUdtBlankCustomer.IsBankruptcyManager =
            doc_.mLib.globalServices->HasRight(kManagerRight);
        doc_.udtCustomer.IsBankruptcyManager = doc_.mUdtBlankCustomer.IsBankruptcyManager;
    });
    step([&] { doc_.UpdateCustomerLabels(); });
    step([&] { doc_.showCustomerInControl(); });
    step([&] {
        if (!records::IsNumeric(records::Value(doc_.udtCustomer.AsgnOfficerID))) return;
        doc_.ui.mTxtBankruptcy->setText(
            QString::fromStdString(records::Trim(doc_.udtCustomer.AsgnOfficerID)));
        doc_.ValidateAssignedOfficer();
    });
}

void ScreenStateFile::restoreScreenLayout(const records::PropertyBag& main) {
    auto step = [&](auto&& body) { return Step(restoreSink(), kRestoreSource, body); };
    records::PropertyBag layout;
    step([&] { layout = LoadBag(main, kLayoutContents); });
    // Each value defaults to what the control shows now.
    step([&] {
        const std::string text = doc_.ui.mTxtBankruptcy->text().toStdString();
        doc_.ui.mTxtBankruptcy->setText(
            QString::fromStdString(records::TextOf(layout.ReadProperty(kOfficerText, text))));
    });
    step([&] {
        const int color = officerBackColor();
        setOfficerBackColor(
            static_cast<int>(records::CLng(layout.ReadProperty(kOfficerBackColor, color))));
    });
    step([&] {
        doc_.mStrARSortOrder =
            records::TextOf(layout.ReadProperty(kSortOrder, doc_.mStrARSortOrder));
    });
    for (std::size_t i = 0; i < 3; ++i) {
        step([&] {
            QRadioButton* option = doc_.ui.mOptBankruptcy[i];
            option->setChecked(
                records::CBool(layout.ReadProperty(kOptions[i], option->isChecked())));
        });
    }
    for (int i = 0; i < 3; ++i) {
        step([&] {
            doc_.ui.SSTab1->setTabEnabled(i, records::CBool(layout.ReadProperty(
                                                 kTabEnabled[i], doc_.ui.SSTab1->isTabEnabled(i))));
        });
    }
    step([&] {
        const auto tab = records::CLng(layout.ReadProperty(kTab, doc_.ui.SSTab1->currentIndex()));
        if (tab < 0 || tab >= doc_.ui.SSTab1->count()) {
            throw records::Error(records::err::InvalidArgument,
                                 "The screen-state file names tab " + std::to_string(tab) +
                                     ", which the screen does not have.");
        }
        doc_.ui.SSTab1->setCurrentIndex(static_cast<int>(tab));
    });
}

void ScreenStateFile::restoreGrid(int index, const records::PropertyBag& main) {
    auto step = [&](auto&& body) { return Step(restoreSink(), kRestoreSource, body); };
    platform::DataGrid* grid = doc_.ui.mSdgBankruptcy[static_cast<std::size_t>(index)];
    const records::RecordsetPtr rs =
        index == KORVA_Bankruptcy::ars ? doc_.rsAccntRecv : doc_.rsBankruptcyCase;
    const std::string prefix = kGridNames[index];
    records::RecordsetPtr clone;

    step([&] { grid->SetRedraw(false); });
    step([&] { grid->SetBatchUpdate(rs->IsBatchOptimistic()); });
    step([&] { clone = rs->Clone(); });
    const bool hasRows = clone && clone->RecordCount() > 0;
    if (hasRows) {
        step([&] {
            clone->SetSort(index == KORVA_Bankruptcy::ars ? doc_.mStrARSortOrder : rs->Sort());
        });
        step([&] {
            const std::string name = prefix + kThisRowSuffix;
            clone->SetBookmark(BookmarkOf(main.ReadProperty(name, clone->GetBookmark()), name));
        });
    }
    step([&] {
        if (!clone) return;
        const records::RecordsetPtr old = grid->DataSource();
        grid->SetDataSource(clone);
        records::IgnoreErrors([&] {
            if (old && old != clone) old->Close();
        });
    });
    step([&] { doc_.mSdgBankruptcy_InitColumnProps(index); });
    step([&] {
        const std::string name = prefix + kFirstRowSuffix;
        const records::Bookmark first = BookmarkOf(main.ReadProperty(name, 1), name);
        if (hasRows && !clone->IsVisible(first)) {
            throw records::Error(records::err::InvalidArgument,
                                 "The first row " + std::to_string(first) + " of " +
                                     grid->objectName().toStdString() +
                                     " is no longer a row of the grid.");
        }
        grid->SetFirstRow(first);
        // The grid scrolls only as far as its present size lets it; once the screen is laid out
        // the row is put on top again, unless the grid was bound anew meanwhile.
        QPointer<platform::DataGrid> guarded(grid);
        QTimer::singleShot(0, grid, [guarded, bound = clone, first] {
            if (guarded && guarded->DataSource() == bound && guarded->FirstRow() != first)
                guarded->SetFirstRow(first);
        });
    });
    step([&] { grid->SetRedraw(true); });
    step([&] { grid->Refresh(); });
}

void ScreenStateFile::restoreSelection(int index, const records::PropertyBag& main) {
    auto step = [&](auto&& body) { return Step(restoreSink(), kRestoreSource, body); };
    platform::DataGrid* grid = doc_.ui.mSdgBankruptcy[static_cast<std::size_t>(index)];
    records::PropertyBag selection;
    long last = -1;
    std::vector<records::Bookmark> stale;

    step([&] { grid->SetRedraw(false); });
    step([&] { selection = LoadBag(main, kSelectionNames[index]); });
    step([&] { last = static_cast<long>(records::CLng(selection.ReadProperty(kUBound, -1))); });
    // A bag holds no more numbers than values: a larger "UBound" is not believed.
    const long count = static_cast<long>(selection.Count());
    for (long i = 0; i <= last && i < count; ++i) {
        step([&] {
            const std::string name = std::to_string(i);
            const records::Value value = selection.ReadProperty(name, records::Value());
            if (value.isEmpty()) return;
            const records::Bookmark b = BookmarkOf(value, name);
            if (!grid->SelBookmarks().Contains(b) && !grid->SelBookmarks().Add(b))
                stale.push_back(b);
        });
    }
    step([&] {
        if (stale.empty()) return;
        std::string list;
        for (records::Bookmark b : stale) list += (list.empty() ? "" : ", ") + std::to_string(b);
        throw records::Error(records::err::InvalidArgument, "Selected rows " + list + " of " +
                                                                grid->objectName().toStdString() +
                                                                " are no longer rows of the grid.");
    });
    step([&] { grid->SetRedraw(true); });
}

bool ScreenStateFile::restoredRowsPending() const {
    for (const records::RecordsetPtr& rs :
         {doc_.rsBankruptcyCase, doc_.rsAccntRecv, doc_.rsBankruptcyAR}) {
        if (!rs || !rs->IsOpen()) continue;
        const records::RecordsetPtr all = rs->Clone();
        const int theme = all->FieldIndex("Theme");
        if (theme < 0) continue;
        for (records::Bookmark b : all->VisibleBookmarks()) {
            if (!records::Trim(records::TextOf(all->ValueAt(b, theme))).empty()) return true;
        }
    }
    return false;
}

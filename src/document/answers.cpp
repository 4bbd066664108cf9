// Answers from the back end: recognised by the outstanding-request table, copied into the
// document's record sets, shown in the grids, and told on the status line.

#include <map>
#include <string_view>
#include <tuple>

#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "document/korva_bankruptcy.h"
#include "platform/widgets/data_grid.h"
#include "records/errors.h"
#include "records/layouts.h"
#include "records/mod_bankruptcy.h"
#include "records/value_rules.h"

namespace {

constexpr int kRefresh = 2;
// An answer for another application: 1000 above the base of object-defined errors.
constexpr long kForeignTheme = -2147220504;  // 0x800403E8

void cancelStaged(const records::RecordsetPtr& rs) {
    if (!rs || !rs->IsOpen()) return;
    if (rs->GetEditMode() != records::EditMode::None) rs->CancelUpdate();
    rs->CancelBatch(records::Affect::All);
}

// New rows in a grid: its current row is the first one shown, in the grid's order, whatever
// row of the answer came first.
void currentOnFirstRow(platform::DataGrid& grid) {
    if (const std::optional<records::Bookmark> first = grid.BookmarkAt(0)) grid.SetBookmark(*first);
}

}  // namespace

void KORVA_Bankruptcy::mVrexMessage_DataReady(const std::string& theme) {
    std::vector<records::RecordsetPtr> replaced;
    records::Trap(sink(), "KORVA_Bankruptcy.mVrexMessage_DataReady", [&] {
        if (theme.rfind(messaging::kAppTitle, 0) != 0) {
            throw records::Error(kForeignTheme, "The answer's theme \"" + theme +
                                                    "\" belongs to another application.");
        }
        setBusy(true);
        const int kind = mUdtRequests.MatchTheme(theme);
        switch (kind) {
            case messaging::kAddUpdate:
            case messaging::kProcess:
                answerAddUpdateOrProcess(kind);
                break;
            case messaging::kCaseArs:
                answerCaseArs(mUdtRequests[kind]);
                break;
            case messaging::kCaseHist:
                answerCaseHistory(mUdtRequests[kind]);
                break;
            case messaging::kOpenArs:
                replaced.push_back(rsAccntRecv);
                answerGridRows(mUdtRequests[kind], ars);
                break;
            case messaging::kCases:
                replaced.push_back(rsBankruptcyCase);
                answerGridRows(mUdtRequests[kind], FILINGS);
                break;
            default:
                break;
        }
    });
    for (const records::RecordsetPtr& rs : replaced) {
        records::IgnoreErrors([&] {
            if (rs && rs != rsAccntRecv && rs != rsBankruptcyCase) rs->Close();
        });
    }
    setBusy(false);
    announceChangesElsewhere();
}

// Only an answer to the request the entry waits for goes on: the latest answer of the theme
// (the one being handled) must carry the entry's current key. Anything else is an answer to an
// earlier request, or one that came twice, and is logged and left alone.
bool KORVA_Bankruptcy::headerUnderCurrentKey(const messaging::RequestEntry& entry,
                                             const char* branch) {
    const std::string& key = entry.messageKey;
    messaging::DTDPtr current;
    messaging::DTDPtr latest;
    if (!key.empty() && key != messaging::kNoMessage) {
        current = mLib.answerStore->GetPart(std::string(records::kLayoutHeader), entry.theme, key);
        latest = mLib.answerStore->GetPart(std::string(records::kLayoutHeader), entry.theme, "");
    }
    const bool ours = current && (!latest || latest->MessageKey() == key);
    if (!ours) {
        const std::string latestKey = latest ? latest->MessageKey() : std::string("none");
        records::IgnoreErrors([&] {
            sink()->ReportError(std::string("Answer ignored: ") + branch + " answer " + latestKey +
                                    " does not answer the request waited for (" +
                                    (key.empty() ? std::string("none") : key) + ").",
                                std::string(records::kExeName),
                                "KORVA_Bankruptcy.mVrexMessage_DataReady");
        });
    }
    return ours;
}

// "OPENARS" fills the receivables grid, "CASES" the case grid: the answer's rows replace the
// record set, or an empty one does when it has none.
void KORVA_Bankruptcy::answerGridRows(messaging::RequestEntry& entry, int index) {
    const bool cases = index == FILINGS;
    if (!headerUnderCurrentKey(entry, cases ? "CASES" : "OPENARS")) return;
    entry.deadline = 0;
    mBlnChangedElsewhere = false;  // read after the changes heard of so far
    records::RecordsetPtr& rs = cases ? rsBankruptcyCase : rsAccntRecv;
    bool& loaded = cases ? mBlnCasesLoaded : mBlnARsLoaded;
    const std::string_view layout = cases ? records::kLayoutBankruptcy : records::kLayoutAccntRecv;
    const messaging::DTDPtr part =
        mLib.answerStore->GetPart(std::string(layout), entry.theme, entry.messageKey);
    cancelStaged(rs);
    const records::RecordsetPtr rows = part ? part->Recordset() : nullptr;
    if (!rows) {
        rs = records::IndependentCloneRS(cases ? rsEmptyBankruptcyCase : rsEmptyAccntRecv, true,
                                         false, records::LockType::BatchOptimistic, sink());
        ProcessNotificationMessage(entry);
        loaded = false;
    } else {
        if (cases) rows->SetSort(std::string("CRT_FILE_DT") + " ASC");
        rs = records::IndependentCloneRS(rows, false, false, records::LockType::BatchOptimistic,
                                         sink());
        rs->SetCacheSize(cases ? 20 : 100);
        loaded = true;
    }
    cancelStaged(rs);

    platform::DataGrid* grid = ui.mSdgBankruptcy[static_cast<std::size_t>(index)];
    grid->SetRedraw(false);
    if (cases) grid->SetDataMember("");
    records::RebindGrid(*grid, rs->Clone(), nullptr, false, true, sink());
    if (!cases) {
        for (int i = 0; i < 3; ++i) {
            if (ui.mOptBankruptcy[static_cast<std::size_t>(i)]->isChecked()) {
                mOptBankruptcy_Click(i);
                break;
            }
        }
    }
    currentOnFirstRow(*grid);
    mSdgBankruptcy_InitColumnProps(index);
    grid->Refresh();
    grid->ReBind();
    grid->SetRedraw(true);
    grid->setEnabled(true);
    commonEnding();
}

void KORVA_Bankruptcy::commonEnding() {
    for (platform::DataGrid* grid : ui.mSdgBankruptcy) {
        grid->Refresh();
        grid->ReBind();
    }
    ValidateCommandButtons();
    ui.SSTab1->setTabEnabled(1, true);
    ui.mCmdBankruptcy[kRefresh]->setEnabled(true);
    ui.SSTab1->setTabEnabled(2, true);

    const std::string name = customerDisplayName();
    if (mBlnARsLoaded && mBlnCasesLoaded) {
        setStatus("Displaying Account & Bankruptcy Info For " + name + " ...");
    } else if (mBlnARsLoaded && !mBlnCasesLoaded && !mBlnCasesTimedOut) {
        setStatus("Displaying Account Info for " + name +
                  ". No bankruptcy info for this customer.");
    } else if (!mBlnARsLoaded && mBlnCasesLoaded && !mBlnARsTimedOut) {
        setStatus("Display Bankruptcy Info for " + name + ". No account info for this customer.");
    } else if (!mBlnARsTimedOut && !mBlnCasesTimedOut) {
        setStatus("No Account or Bankruptcy info for " + name);
    }
}

void KORVA_Bankruptcy::answerCaseArs(messaging::RequestEntry& entry) {
    if (!headerUnderCurrentKey(entry, "CASEARS")) return;
    entry.deadline = 0;
    const messaging::DTDPtr part = mLib.answerStore->GetPart(std::string(records::kLayoutAccntRecv),
                                                             entry.theme, entry.messageKey);
    const records::RecordsetPtr rows = part ? part->Recordset() : nullptr;
    // Case receivables dialog: an open one is emptied first and shown the case's rows last.
    caseArsDialogEmpty();
    if (!rows) {
        ProcessNotificationMessage(entry);
        caseArsDialogShowsCase();
        return;
    }
    if (!rsBankruptcyAR) {
        rsBankruptcyAR = records::IndependentCloneRS(rows, false, true,
                                                     records::LockType::BatchOptimistic, sink());
        rsBankruptcyAR->SetCacheSize(100);
        if (rsBankruptcyAR->RecordCount() > 0) rsBankruptcyAR->MoveFirst();
        caseArsDialogShowsCase();
        return;
    }

    // Merge by the receivable triple; the first row of a triple in row order is its match.
    using Triple = std::tuple<std::string, std::string, std::string>;
    auto tripleAt = [](const records::Recordset& rs, records::Bookmark b, int nbr, int ck,
                       int typ) {
        return Triple{records::TextOf(rs.ValueAt(b, nbr)), records::TextOf(rs.ValueAt(b, ck)),
                      records::TextOf(rs.ValueAt(b, typ))};
    };
    std::map<Triple, records::Bookmark> existing;
    {
        const records::RecordsetPtr all = rsBankruptcyAR->Clone();
        const int nbr = all->FieldIndex("ACCT_RCVBL_NBR");
        const int ck = all->FieldIndex("ACCT_RCVBL_CK_NBR");
        const int typ = all->FieldIndex("ACCT_RCVBL_TYP_CD");
        for (records::Bookmark b : all->VisibleBookmarks())
            existing.emplace(tripleAt(*all, b, nbr, ck, typ), b);
    }
    const records::RecordsetPtr answer = rows->Clone();
    const int nbr = answer->FieldIndex("ACCT_RCVBL_NBR");
    const int ck = answer->FieldIndex("ACCT_RCVBL_CK_NBR");
    const int typ = answer->FieldIndex("ACCT_RCVBL_TYP_CD");
    for (records::Bookmark b : answer->VisibleBookmarks()) {
        const Triple key = tripleAt(*answer, b, nbr, ck, typ);
        const auto found = existing.find(key);
        if (found != existing.end()) {
            rsBankruptcyAR->SetBookmark(found->second);
        } else {
            rsBankruptcyAR->AddNew();
        }
        for (int f = 0; f < answer->FieldCount(); ++f) {
            const std::string& name = answer->Field(f).name;
            if (!rsBankruptcyAR->HasField(name)) continue;
            records::IgnoreErrors([&] { rsBankruptcyAR->Set(name, answer->ValueAt(b, f)); });
        }
        rsBankruptcyAR->Update();
        if (found == existing.end()) existing.emplace(key, rsBankruptcyAR->GetBookmark());
    }
    if (rsBankruptcyAR->IsBatchOptimistic()) rsBankruptcyAR->UpdateBatch(records::Affect::All);
    records::IgnoreErrors([&] { answer->Close(); });
    setStatus("Displaying Accounts for Bankruptcy Case " + udtCustomer.CaseID + " ...");
    caseArsDialogShowsCase();
}

void KORVA_Bankruptcy::answerAddUpdateOrProcess(int kind) {
    messaging::RequestEntry& entry = mUdtRequests[kind];
    messaging::RequestEntry copy = entry;
    const messaging::DTDPtr header =
        mLib.answerStore->GetPart(std::string(records::kLayoutHeader), entry.theme, "");
    const std::string headerKey = header ? header->MessageKey() : std::string();
    if (header) {
        if (headerKey != entry.messageKey) {
            copy.messageKey = headerKey;  // an earlier request of this kind has its answer
            mUdtRequests.AnswerWatched(kind, headerKey);
        } else {
            entry.deadline = 0;
        }
        ProcessNotificationMessage(copy);
        GridNotificationUpdate(copy);
    }
    if (kind == messaging::kAddUpdate) {
        ui.mSdgBankruptcy[ars]->setEnabled(true);
    } else if (header && headerKey == entry.messageKey && !copy.failed &&
               !udtCustomer.PmtReceiptNbr.empty()) {
        const std::string number = udtCustomer.PmtReceiptNbr;
        udtCustomer.PmtReceiptNbr.clear();
        mLib.globalServices->ReturnReceiptNumber(number, "R");
    }
}

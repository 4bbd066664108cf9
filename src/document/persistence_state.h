#pragma once
// What PersistData writes and RestoreData reads: the names in the screen-state file, and the
// step idiom both procedures run under.

#include <string>

#include "messaging/customer_record.h"
#include "records/errors.h"
#include "records/property_bag.h"
#include "records/recordset.h"

namespace persistence {

inline constexpr const char* kPersistSource = "KORVA_Bankruptcy.PersistData";
inline constexpr const char* kRestoreSource = "KORVA_Bankruptcy.RestoreData";

// Main bag.
inline constexpr const char* kCustomerContents = "udtCustomer_CONTENTS";
inline constexpr const char* kLayoutContents = "ScreenLayout_CONTENTS";
inline constexpr const char* kFilterSuffix = "_FILTER";
inline constexpr const char* kPositionSuffix = "_POSITION";
inline constexpr long kNoPosition = -2;  // what a record set before its first row reports
inline constexpr const char* kGridNames[2] = {"mSdgBankruptcy(eDATAGRID.ars)",
                                              "mSdgBankruptcy(eDATAGRID.FILINGS)"};
inline constexpr const char* kFirstRowSuffix = "_FirstRow";
inline constexpr const char* kThisRowSuffix = "_ThisRow";
inline constexpr const char* kSelectionNames[2] = {"ARS.SelBookmarks", "FILINGS.SelBookmarks"};
inline constexpr const char* kUBound = "UBound";

// Customer bag: the members of udtCustomer in the order they are written (IsBankruptcyManager is
// not kept; it is asked again).
struct CustomerMember {
    const char* name;
    std::string messaging::CustomerRecord::*field;
};
inline constexpr CustomerMember kCustomerMembers[] = {
    {"CustID", &messaging::CustomerRecord::CustID},
    {"CustName", &messaging::CustomerRecord::CustName},
    {"CustType", &messaging::CustomerRecord::CustType},
    {"DocType", &messaging::CustomerRecord::DocType},
    {"MailAddress", &messaging::CustomerRecord::MailAddress},
    {"MailAddress2", &messaging::CustomerRecord::MailAddress2},
    {"MailCity", &messaging::CustomerRecord::MailCity},
    {"MailState", &messaging::CustomerRecord::MailState},
    {"MailZip", &messaging::CustomerRecord::MailZip},
    {"Phone", &messaging::CustomerRecord::Phone},
    {"RefNumber", &messaging::CustomerRecord::RefNumber},
    {"CaseID", &messaging::CustomerRecord::CaseID},
    {"AsgnOfficerID", &messaging::CustomerRecord::AsgnOfficerID},
    {"CaseStatus", &messaging::CustomerRecord::CaseStatus},
    {"PmtReceiptNbr", &messaging::CustomerRecord::PmtReceiptNbr},
};

// Screen-layout bag.
inline constexpr const char* kTab = "SSTab1_Tab";
inline constexpr const char* kTabEnabled[3] = {"SSTab1_TabEnabled(0)", "SSTab1_TabEnabled(1)",
                                               "SSTab1_TabEnabled(2)"};
inline constexpr const char* kOfficerText = "mTxtBankruptcy_Text";
inline constexpr const char* kOfficerBackColor = "mTxtBankruptcy_BackColor";
inline constexpr const char* kOptions[3] = {"mOptBankruptcy(0)", "mOptBankruptcy(1)",
                                            "mOptBankruptcy(2)"};
inline constexpr const char* kSortOrder = "mStrARSortOrder";

// One step of PersistData or RestoreData: an error is reported and the procedure goes on with
// its next step; a file that is not there (error 53) is passed over silently. False when the
// step failed.
template <class F>
bool Step(records::ErrorSink* sink, const char* source, F&& body) {
    bool ok = false;
    const bool reported = !records::Trap(sink, source, [&] {
        try {
            body();
            ok = true;
        } catch (const records::Error& e) {
            if (e.Number() != records::err::FileNotFound) throw;
        }
    });
    return ok && !reported;
}

// Passes every report on and counts them, so a restore can tell the user once that it failed.
class CountingSink : public records::ErrorSink {
  public:
    explicit CountingSink(records::ErrorSink* inner) : inner_(inner) {}
    void ReportError(const std::string& description, const std::string& exeName,
                     const std::string& source) override {
        ++count;
        if (inner_) inner_->ReportError(description, exeName, source);
    }
    int count = 0;

  private:
    records::ErrorSink* inner_;
};

// The bag whose image the main bag holds under `name`; error 3709 when it holds none.
inline records::PropertyBag LoadBag(const records::PropertyBag& main, const char* name) {
    const records::Value image = main.ReadProperty(name);
    if (image.type() != records::Value::Type::Bytes) {
        throw records::Error(records::err::BadImage,
                             std::string("The screen-state file holds no \"") + name + "\".");
    }
    records::PropertyBag bag;
    bag.SetContents(image.bytes());
    return bag;
}

// A bookmark read back from a bag.
inline records::Bookmark BookmarkOf(const records::Value& value, const std::string& name) {
    if (value.type() != records::Value::Type::Long) {
        throw records::Error(records::err::TypeMismatch,
                             "The screen-state value \"" + name + "\" is no bookmark.");
    }
    return value.whole();
}

// The file's folder must exist: a path without one would land in the working folder.
void RequireFolder(const std::string& path, long errorNumber);

}  // namespace persistence

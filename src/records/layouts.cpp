#include "records/layouts.h"

#include <algorithm>

#include "records/errors.h"
#include "records/text_util.h"

namespace records {
namespace {

using T = FieldType;

const std::vector<Layout>& AllLayouts() {
    static const std::vector<Layout> layouts = {
        {std::string(kLayoutAccntRecv),
         {{"ACTION", T::Text, 10},
          {"Cust_ID", T::Text, 12},
          {"CASE_ID", T::Text, 20},
          {"TRNSCTN_DT", T::Date},
          {"TRNSCTN_NBR", T::Text, 20},
          {"ACCT_RCVBL_NBR", T::Long},
          {"ACCT_RCVBL_CK_NBR", T::Long},
          {"ACCT_RCVBL_TYP_CD", T::Text, 6},
          {"ACCT_STTS_CD", T::Text, 2},
          {"ACCT_RCVBL_DUE_AMT", T::Currency},
          {"ACCT_RCVBL_BAL_AMT", T::Currency},
          {"Theme", T::Text, 60}}},
        {std::string(kLayoutBankruptcy),
         {{"ACTION", T::Text, 10},
          {"CUST_ID", T::Text, 12},
          {"CASE_ID", T::Text, 20},
          {"STTS_CD", T::Text, 1},
          {"TRSTE_PHN_NBR", T::Text, 15},
          {"TRSTE_NM", T::Text, 72},
          {"BNKRPTCY_CMMT_TXT", T::Text, 255},
          {"NTFCTN_DT", T::Date},
          {"CRT_FILE_DT", T::Date},
          {"CLM_FILE_DT", T::Date},
          {"CRT_CLSE_DT", T::Date},
          {"ASGN_OFCR_ID", T::Long},
          {"FRCPT_NBR", T::Text, 12},
          {"FUND_RFRNC_NBR", T::Text, 20},
          {"FUND_AMT", T::Currency},
          {"TOT_PYMT_AMT", T::Currency},
          {"PYMT_CNT", T::Long},
          {"LST_PYMT_DT", T::Date},
          {"LST_RCPT_NBR", T::Text, 12},
          {"LST_PYMT_AMT", T::Currency},
          {"LST_FUND_RFRNC_NBR", T::Text, 20},
          {"TOT_BAL_DUE_AMT", T::Currency},
          {"Theme", T::Text, 60}}},
        {std::string(kLayoutHeader),
         {{"MessageKey", T::Text, 60},
          {"Theme", T::Text, 60},
          {"SenderId", T::Text, 40},
          {"Version", T::Text, 20},
          {"ServiceCode", T::Long},
          {"AnsweredAt", T::Date}}},
        {std::string(kLayoutCaseHistory),
         {{"CUST_ID", T::Text, 12},
          {"CASE_ID", T::Text, 20},
          {"HIST_ID", T::Long},
          {"CHNG_DT", T::Date},
          {"USER_NM", T::Text, 40},
          {"OFCR_ID", T::Long},
          {"ACTN_TXT", T::Text, 20},
          {"CHNG_TXT", T::Text, 2000}}},
        {std::string(kLayoutNotification),
         {{"COMPLETION_CD", T::Text, 20},
          {"COMPLETION_MSG", T::Text, 500},
          {"LOCATION", T::Text, 100},
          {"NOTE", T::Text, 500}}},
    };
    return layouts;
}

}  // namespace

const Layout* FindLayout(std::string_view name) {
    for (const auto& layout : AllLayouts()) {
        if (EqualsIgnoreCase(layout.name, name)) return &layout;
    }
    return nullptr;
}

std::vector<std::string> LayoutNames() {
    std::vector<std::string> names;
    for (const auto& layout : AllLayouts()) names.push_back(layout.name);
    std::sort(names.begin(), names.end());
    return names;
}

RecordsetPtr OpenLayoutRecordset(std::string_view name) {
    auto rs = Recordset::Create();
    OpenLayoutInto(*rs, name);
    return rs;
}

std::string LayoutNameQuery() {
    return std::string(" SELECT MSysObjects.Name FROM MSysObjects ") +
           " WHERE ( (MSysObjects.Name NOT Like " + "\"MSys*\"" + " ) " +
           " AND (MSysObjects.Type=1) ) " + " ORDER BY MSysObjects.Name ; ";
}

namespace {

// Blanks collapsed and letter case ignored, so a query typed with other spacing still reads.
std::string NormalizedQuery(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += AsciiUpper(c);
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

bool IsLayoutNameQuery(std::string_view text) {
    static const std::string query = NormalizedQuery(LayoutNameQuery());
    return NormalizedQuery(text) == query;
}

void OpenLayoutInto(Recordset& rs, std::string_view nameOrQuery) {
    if (IsLayoutNameQuery(nameOrQuery)) {
        rs.AppendField("Name", FieldType::Text, 64);
        rs.Open();
        for (const auto& name : LayoutNames()) {
            rs.AddNew({"Name"}, {Value(name)});
            rs.Update();
        }
        rs.UpdateBatch(Affect::AllChapters);
        if (rs.RecordCount() > 0) rs.MoveFirst();
        return;
    }
    const Layout* layout = FindLayout(nameOrQuery);
    if (!layout) {
        throw Error(err::ItemNotFound, "Unknown record layout '" + std::string(nameOrQuery) + "'");
    }
    for (const auto& f : layout->fields) rs.AppendField(f.name, f.type, f.size);
    rs.Open();
}

}  // namespace records

// records_bench [rows]: the record-set engine beside SQLite in memory doing the same work, on
// receivable rows of varied data. One line per operation:
//   op=<name> records_ms=<x> sqlite_ms=<y> ratio=<x/y>
// and one line on memory: memory bytes_per_row=<n> raw_bytes_per_row=<m>.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_data.h"
#include "records/layouts.h"
#include "records/mod_bankruptcy.h"
#include "records/stream.h"
#include "records/value_rules.h"

using namespace records;
using bench::ArRow;

namespace {

double TimeMs(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void Report(const char* op, double recordsMs, double sqliteMs) {
    std::printf("op=%s records_ms=%.1f sqlite_ms=%.1f ratio=%.3f\n", op, recordsMs, sqliteMs,
                recordsMs / sqliteMs);
    std::fflush(stdout);
}

// --- SQLite helpers

void Exec(sqlite3* db, const std::string& sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string m = msg ? msg : "?";
        sqlite3_free(msg);
        throw std::runtime_error(sql + ": " + m);
    }
}

struct Stmt {
    Stmt(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
        }
    }
    ~Stmt() { sqlite3_finalize(s); }
    sqlite3_stmt* s = nullptr;
};

void BindText(sqlite3_stmt* s, int i, const std::string& t) {
    if (t.empty()) {
        sqlite3_bind_null(s, i);
    } else {
        sqlite3_bind_text(s, i, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
    }
}

const char* kColumns =
    "ACTION TEXT, Cust_ID TEXT COLLATE NOCASE, CASE_ID TEXT COLLATE NOCASE, TRNSCTN_DT REAL, "
    "TRNSCTN_NBR TEXT, ACCT_RCVBL_NBR INTEGER, ACCT_RCVBL_CK_NBR INTEGER, ACCT_RCVBL_TYP_CD TEXT "
    "COLLATE NOCASE, ACCT_STTS_CD TEXT, ACCT_RCVBL_DUE_AMT INTEGER, ACCT_RCVBL_BAL_AMT INTEGER, "
    "Theme TEXT";

void BindRow(sqlite3_stmt* s, const ArRow& r) {
    BindText(s, 1, r.action);
    BindText(s, 2, r.custId);
    BindText(s, 3, r.caseId);
    sqlite3_bind_double(s, 4, r.trnsctnDt);
    BindText(s, 5, r.trnsctnNbr);
    sqlite3_bind_int64(s, 6, r.nbr);
    sqlite3_bind_int64(s, 7, r.ck);
    BindText(s, 8, r.typ);
    BindText(s, 9, r.stts);
    sqlite3_bind_int64(s, 10, r.dueUnits);
    sqlite3_bind_int64(s, 11, r.balUnits);
    sqlite3_bind_null(s, 12);
}

void SqliteLoad(sqlite3* db, const char* table, const std::vector<ArRow>& rows, std::size_t n) {
    Exec(db, std::string("CREATE TABLE ") + table + " (" + kColumns + ")");
    Exec(db, "BEGIN");
    Stmt ins(db, std::string("INSERT INTO ") + table + " VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
    for (std::size_t i = 0; i < n; ++i) {
        BindRow(ins.s, rows[i]);
        sqlite3_step(ins.s);
        sqlite3_reset(ins.s);
    }
    Exec(db, "COMMIT");
}

std::vector<std::int64_t> SqliteIds(sqlite3* db, const std::string& sql,
                                    const std::vector<std::string>& params = {}) {
    Stmt q(db, sql);
    for (std::size_t i = 0; i < params.size(); ++i) BindText(q.s, static_cast<int>(i + 1), params[i]);
    std::vector<std::int64_t> ids;
    while (sqlite3_step(q.s) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(q.s, 0));
    return ids;
}

// --- record-set helpers

const std::vector<std::string> kFields = {
    "ACTION",         "Cust_ID",           "CASE_ID",           "TRNSCTN_DT",
    "TRNSCTN_NBR",    "ACCT_RCVBL_NBR",    "ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_TYP_CD",
    "ACCT_STTS_CD",   "ACCT_RCVBL_DUE_AMT", "ACCT_RCVBL_BAL_AMT", "Theme"};

Value TextOrNull(const std::string& s) {
    return s.empty() ? Value::Null() : Value(s);
}

void RecordsLoad(const RecordsetPtr& rs, const std::vector<ArRow>& rows, std::size_t n) {
    std::vector<Value> values(kFields.size());
    for (std::size_t i = 0; i < n; ++i) {
        const ArRow& r = rows[i];
        values[0] = TextOrNull(r.action);
        values[1] = Value(r.custId);
        values[2] = TextOrNull(r.caseId);
        values[3] = Value(Date{r.trnsctnDt});
        values[4] = Value(r.trnsctnNbr);
        values[5] = Value(static_cast<long long>(r.nbr));
        values[6] = Value(static_cast<long long>(r.ck));
        values[7] = Value(r.typ);
        values[8] = Value(r.stts);
        values[9] = Value(Currency{r.dueUnits});
        values[10] = Value(Currency{r.balUnits});
        values[11] = Value::Null();
        rs->AddNew(kFields, values);
    }
    rs->UpdateBatch();
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "records_bench: the two sides disagree: %s\n", what);
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const std::size_t mergeTarget = std::min<std::size_t>(100000, n);
    const std::size_t mergeAnswers = mergeTarget / 10;
    const std::vector<ArRow> rows = bench::MakeRows(n, 42);
    std::size_t raw = 0;
    for (const auto& r : rows) raw += bench::RawBytes(r);

    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);

    // --- build
    const std::size_t heapBefore = bench::LiveHeapBytes();
    RecordsetPtr rs;
    const double buildRs = TimeMs([&] {
        rs = OpenLayoutRecordset(kLayoutAccntRecv);
        RecordsLoad(rs, rows, n);
    });
    const std::size_t heapAfter = bench::LiveHeapBytes();
    const double buildSql = TimeMs([&] { SqliteLoad(db, "ar", rows, n); });
    Report("build", buildRs, buildSql);

    // --- sort
    const char* sortExpr = "ACCT_RCVBL_NBR ASC, ACCT_RCVBL_CK_NBR ASC";
    std::vector<std::int64_t> sqlSorted;
    const double sortRs = TimeMs([&] { rs->SetSort(sortExpr); });
    const double sortSql = TimeMs([&] {
        sqlSorted = SqliteIds(db, "SELECT rowid FROM ar ORDER BY ACCT_RCVBL_NBR, ACCT_RCVBL_CK_NBR");
    });
    Check(rs->VisibleBookmarks().front() == sqlSorted.front() &&
              rs->VisibleBookmarks().back() == sqlSorted.back(),
          "sort");
    Report("sort", sortRs, sortSql);

    // --- filter by customer and case (ten different pairs that exist)
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; pairs.size() < 10 && i < n; i += n / 97 + 1) {
        if (!rows[i].caseId.empty()) pairs.emplace_back(rows[i].custId, rows[i].caseId);
    }
    std::size_t rsHits = 0, sqlHits = 0;
    auto filterText = [](const std::pair<std::string, std::string>& p) {
        return "[Cust_ID]='" + p.first + "' AND [Case_ID]='" + p.second + "'";
    };
    const double filterRs = TimeMs([&] {
        for (const auto& p : pairs) {
            rs->SetFilter(filterText(p));
            rsHits += static_cast<std::size_t>(rs->RecordCount());
        }
    });
    const double filterSql = TimeMs([&] {
        for (const auto& p : pairs) {
            sqlHits += SqliteIds(db,
                                 "SELECT rowid FROM ar WHERE Cust_ID = ?1 AND CASE_ID = ?2 "
                                 "ORDER BY ACCT_RCVBL_NBR, ACCT_RCVBL_CK_NBR",
                                 {p.first, p.second})
                           .size();
        }
    });
    Check(rsHits == sqlHits && rsHits > 0, "filter");
    Report("filter_criteria", filterRs, filterSql);
    rs->ClearFilter();

    // --- filter by 10,000 bookmarks
    std::vector<Bookmark> marks;
    std::mt19937 rng(7);
    for (int i = 0; i < 10000; ++i) marks.push_back(static_cast<Bookmark>(rng() % n) + 1);
    std::size_t markHitsRs = 0, markHitsSql = 0;
    const double marksRs = TimeMs([&] {
        rs->SetFilter(marks);
        markHitsRs = static_cast<std::size_t>(rs->RecordCount());
    });
    const double marksSql = TimeMs([&] {
        Exec(db, "CREATE TEMP TABLE marks (b INTEGER PRIMARY KEY)");
        Exec(db, "BEGIN");
        Stmt ins(db, "INSERT OR IGNORE INTO marks VALUES (?)");
        for (Bookmark b : marks) {
            sqlite3_bind_int64(ins.s, 1, b);
            sqlite3_step(ins.s);
            sqlite3_reset(ins.s);
        }
        Exec(db, "COMMIT");
        markHitsSql = SqliteIds(db,
                                "SELECT ar.rowid FROM ar JOIN marks ON ar.rowid = marks.b "
                                "ORDER BY ACCT_RCVBL_NBR, ACCT_RCVBL_CK_NBR")
                          .size();
        Exec(db, "DROP TABLE marks");
    });
    Check(markHitsRs == markHitsSql, "bookmark filter");
    Report("filter_bookmarks", marksRs, marksSql);
    rs->ClearFilter();

    // --- independent copy in sort order
    RecordsetPtr copy;
    const double copyRs = TimeMs([&] {
        copy = IndependentCloneRS(rs, false, false, static_cast<LockType>(0), nullptr);
    });
    const double copySql = TimeMs([&] {
        Exec(db, "CREATE TABLE arcopy AS SELECT * FROM ar ORDER BY ACCT_RCVBL_NBR, ACCT_RCVBL_CK_NBR");
    });
    Check(copy && copy->RecordCount() == static_cast<long>(n), "copy");
    Report("independent_clone", copyRs, copySql);
    copy.reset();
    Exec(db, "DROP TABLE arcopy");
    Exec(db, "VACUUM");

    // --- save and reopen through a stream
    // The rows as stored, like the serialised database; saving in a sort order is what
    // independent_clone measures.
    rs->SetSort("");
    RecordsetPtr reopened;
    const double streamRs = TimeMs([&] {
        Stream s;
        s.Open();
        rs->Save(s);
        s.SetPosition(0);
        reopened = Recordset::Create();
        reopened->Open(s);
    });
    long long sqlCount = 0;
    const double streamSql = TimeMs([&] {
        sqlite3_int64 size = 0;
        unsigned char* image = sqlite3_serialize(db, "main", &size, 0);
        sqlite3* db2 = nullptr;
        sqlite3_open(":memory:", &db2);
        sqlite3_deserialize(db2, "main", image, size, size,
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE);
        Stmt q(db2, "SELECT count(*) FROM ar");
        if (sqlite3_step(q.s) == SQLITE_ROW) sqlCount = sqlite3_column_int64(q.s, 0);
        sqlite3_finalize(q.s);
        q.s = nullptr;
        sqlite3_close(db2);
    });
    Check(reopened->RecordCount() == sqlCount, "save and reopen");
    Report("save_reopen", streamRs, streamSql);
    reopened.reset();

    // --- merge answers by the receivable triple
    std::vector<ArRow> answers;
    for (std::size_t i = 0; i < mergeAnswers; ++i) {
        ArRow a = rows[(i * 7) % mergeTarget];
        a.balUnits += 1;
        if (i % 2) {  // half are receivables the target does not hold yet
            a.typ = i % 4 == 1 ? "NEW" : a.typ;
            a.nbr = i % 4 == 1 ? a.nbr : a.nbr + 5000000;
        }
        answers.push_back(a);
    }
    auto target = OpenLayoutRecordset(kLayoutAccntRecv);
    RecordsLoad(target, rows, mergeTarget);
    auto answerRs = OpenLayoutRecordset(kLayoutAccntRecv);
    RecordsLoad(answerRs, answers, answers.size());
    SqliteLoad(db, "target", rows, mergeTarget);
    SqliteLoad(db, "answers", answers, answers.size());

    const double mergeRs = TimeMs([&] {
        auto src = answerRs->Clone();
        src->MoveFirst();
        const int fieldCount = src->FieldCount();
        std::vector<int> targetField(static_cast<std::size_t>(fieldCount));
        for (int f = 0; f < fieldCount; ++f) targetField[f] = target->FieldIndex(src->Field(f).name);
        while (!src->IsEOF()) {
            const Value nbr = src->Get("ACCT_RCVBL_NBR");
            const Value ck = src->Get("ACCT_RCVBL_CK_NBR");
            const Value typ = src->Get("ACCT_RCVBL_TYP_CD");
            bool matched = false;
            if (target->RecordCount() > 0) {
                target->MoveFirst();
                const std::string crit = "[ACCT_RCVBL_NBR]= " + TextOf(nbr);
                while (target->Find(crit)) {
                    if (ValuesEqual(target->Get("ACCT_RCVBL_CK_NBR"), ck) &&
                        ValuesEqual(target->Get("ACCT_RCVBL_TYP_CD"), typ)) {
                        matched = true;
                        break;
                    }
                    target->MoveNext();
                    if (target->IsEOF()) break;
                }
            }
            if (!matched) target->AddNew();
            for (int f = 0; f < fieldCount; ++f) {
                if (targetField[f] >= 0) target->Set(targetField[f], src->Get(f));
            }
            target->Update();
            src->MoveNext();
        }
        target->UpdateBatch();
        src->Close();
    });
    const double mergeSql = TimeMs([&] {
        Exec(db, "CREATE INDEX target_nbr ON target (ACCT_RCVBL_NBR)");
        Exec(db, "BEGIN");
        Stmt find(db, "SELECT rowid, ACCT_RCVBL_CK_NBR, ACCT_RCVBL_TYP_CD FROM target WHERE "
                      "ACCT_RCVBL_NBR = ? ORDER BY rowid");
        Stmt upd(db, "UPDATE target SET ACTION=?1, Cust_ID=?2, CASE_ID=?3, TRNSCTN_DT=?4, "
                     "TRNSCTN_NBR=?5, ACCT_RCVBL_NBR=?6, ACCT_RCVBL_CK_NBR=?7, "
                     "ACCT_RCVBL_TYP_CD=?8, ACCT_STTS_CD=?9, ACCT_RCVBL_DUE_AMT=?10, "
                     "ACCT_RCVBL_BAL_AMT=?11, Theme=?12 WHERE rowid=?13");
        Stmt ins(db, "INSERT INTO target VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
        Stmt src(db, "SELECT * FROM answers ORDER BY rowid");
        while (sqlite3_step(src.s) == SQLITE_ROW) {
            const std::int64_t nbr = sqlite3_column_int64(src.s, 5);
            const std::int64_t ck = sqlite3_column_int64(src.s, 6);
            const std::string typ(reinterpret_cast<const char*>(sqlite3_column_text(src.s, 7)));
            std::int64_t match = 0;
            sqlite3_bind_int64(find.s, 1, nbr);
            while (sqlite3_step(find.s) == SQLITE_ROW) {
                if (sqlite3_column_int64(find.s, 1) == ck &&
                    sqlite3_stricmp(reinterpret_cast<const char*>(sqlite3_column_text(find.s, 2)),
                                    typ.c_str()) == 0) {
                    match = sqlite3_column_int64(find.s, 0);
                    break;
                }
            }
            sqlite3_reset(find.s);
            sqlite3_stmt* w = match ? upd.s : ins.s;
            for (int c = 0; c < 12; ++c) sqlite3_bind_value(w, c + 1, sqlite3_column_value(src.s, c));
            if (match) sqlite3_bind_int64(w, 13, match);
            sqlite3_step(w);
            sqlite3_reset(w);
        }
        Exec(db, "COMMIT");
    });
    long long sqlTarget = 0;
    {
        Stmt q(db, "SELECT count(*) FROM target");
        if (sqlite3_step(q.s) == SQLITE_ROW) sqlTarget = sqlite3_column_int64(q.s, 0);
    }
    Check(target->RecordCount() == sqlTarget, "merge");
    Report("merge_answers", mergeRs, mergeSql);

    std::printf("memory bytes_per_row=%.1f raw_bytes_per_row=%.1f\n",
                static_cast<double>(heapAfter - heapBefore) / static_cast<double>(n),
                static_cast<double>(raw) / static_cast<double>(n));
    sqlite3_close(db);
    return 0;
}

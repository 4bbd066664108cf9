// records_bench [rows] [runs] [op...]: the record-set engine beside SQLite in memory doing the same
// work on the same receivable rows of varied data. Each operation runs once on each side to warm
// up, then `runs` times (5 by default) on each side, alternating which side goes first; what a side
// needs before an operation (a fresh table, no index yet, the sort cleared) is prepared outside
// the time. Both sides materialise the same result and the bench checks that the results agree
// (a sort's whole order, a filter's rows in order, a copy's rows in order, sums of the values).
// One line per operation with the medians, then a line with the spread:
//   op=<name> records_ms=<x> sqlite_ms=<y> ratio=<x/y>
//     spread records_ms=<min>..<max> sqlite_ms=<min>..<max> ratio=<min>..<max> runs=<n>
//            cpu_ratio=<ratio of the median CPU times>
// and one line on memory: memory bytes_per_row=<n> raw_bytes_per_row=<m>.
// SQLite runs at its best as a competent user would set it up: temporary storage and the sorter
// in memory with room enough, the indexes that the queries need (built inside the time of the
// operation that first needs them) and the query forms that use them.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

// --- timing

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
};

double CpuNowMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

Sample Time(const std::function<void()>& work) {
    const double c0 = CpuNowMs();
    const auto t0 = std::chrono::steady_clock::now();
    work();
    const auto t1 = std::chrono::steady_clock::now();
    return {std::chrono::duration<double, std::milli>(t1 - t0).count(), CpuNowMs() - c0};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One side of an operation: `prepare` (not timed) sets up what the work starts from.
struct Side {
    std::function<void()> prepare;
    std::function<void()> work;
};

int gRuns = 5;
std::vector<std::string> gOnly;  // operations to run; empty: all

bool Wanted(const char* op) {
    return gOnly.empty() || std::find(gOnly.begin(), gOnly.end(), op) != gOnly.end();
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "records_bench: the two sides disagree: %s\n", what.c_str());
    std::exit(1);
}

void RunOp(const char* op, const Side& rec, const Side& sql, const std::function<void()>& check) {
    if (!Wanted(op) && std::string(op) != "build") return;
    auto once = [](const Side& s) {
        if (s.prepare) s.prepare();
        return Time(s.work);
    };
    once(rec);  // warm-up
    once(sql);
    check();
    std::vector<double> rw, sw, rc, sc, ratios;
    for (int i = 0; i < gRuns; ++i) {
        Sample r, s;
        if (i % 2 == 0) {
            r = once(rec);
            s = once(sql);
        } else {
            s = once(sql);
            r = once(rec);
        }
        check();
        rw.push_back(r.wallMs);
        sw.push_back(s.wallMs);
        rc.push_back(r.cpuMs);
        sc.push_back(s.cpuMs);
        ratios.push_back(r.wallMs / s.wallMs);
    }
    const double rm = Median(rw), sm = Median(sw);
    std::printf("op=%s records_ms=%.3f sqlite_ms=%.3f ratio=%.3f\n", op, rm, sm, rm / sm);
    std::printf(
        "  spread records_ms=%.3f..%.3f sqlite_ms=%.3f..%.3f ratio=%.3f..%.3f runs=%d "
        "cpu_ratio=%.3f\n",
        *std::min_element(rw.begin(), rw.end()), *std::max_element(rw.begin(), rw.end()),
        *std::min_element(sw.begin(), sw.end()), *std::max_element(sw.begin(), sw.end()),
        *std::min_element(ratios.begin(), ratios.end()),
        *std::max_element(ratios.begin(), ratios.end()), gRuns, Median(rc) / Median(sc));
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
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
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

sqlite3* OpenMemoryDb() {
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) throw std::runtime_error("sqlite3_open");
    // sorts and temporary b-trees in memory, with room for a million rows without spilling
    Exec(db, "PRAGMA temp_store = MEMORY");
    Exec(db, "PRAGMA cache_size = -2000000");
    return db;
}

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

// The first column of every row of a query, as whole numbers.
std::vector<std::int64_t> SqliteColumn(sqlite3* db, const std::string& sql,
                                       const std::vector<std::string>& params = {}) {
    Stmt q(db, sql);
    for (std::size_t i = 0; i < params.size(); ++i)
        BindText(q.s, static_cast<int>(i + 1), params[i]);
    std::vector<std::int64_t> ids;
    while (sqlite3_step(q.s) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(q.s, 0));
    return ids;
}

std::int64_t SqliteScalar(sqlite3* db, const std::string& sql) {
    const auto v = SqliteColumn(db, sql);
    return v.empty() ? 0 : v.front();
}

// --- record-set helpers

// The receivable layout's field names, in its order (the values below follow it).
std::vector<std::string> LayoutFields() {
    std::vector<std::string> names;
    for (const FieldDef& f : FindLayout(kLayoutAccntRecv)->fields) names.push_back(f.name);
    return names;
}
const std::vector<std::string> kFields = LayoutFields();

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

// The values of one whole-number or currency field over the rows in view order, read through
// the cursor as a program reads a record set.
std::vector<std::int64_t> RecordsColumn(const RecordsetPtr& rs, const char* field) {
    std::vector<std::int64_t> out;
    out.reserve(static_cast<std::size_t>(rs->RecordCount()));
    if (rs->RecordCount() == 0) return out;
    const int f = rs->FieldIndex(field);
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        const Value v = rs->Get(f);
        out.push_back(v.type() == Value::Type::Currency ? v.currency().units : v.whole());
    }
    return out;
}

std::int64_t Sum(const std::vector<std::int64_t>& v) {
    std::int64_t s = 0;
    for (auto x : v) s += x;
    return s;
}

// A store of its own sharing the rows of `rs` (as stored), with no index built yet.
RecordsetPtr FreshCopy(const RecordsetPtr& rs) {
    Stream s;
    s.Open();
    rs->Save(s);
    s.SetPosition(0);
    RecordsetPtr copy = Recordset::Create();
    copy->Open(s);
    return copy;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    if (argc > 2) gRuns = std::max(1, std::atoi(argv[2]));
    for (int i = 3; i < argc; ++i) gOnly.emplace_back(argv[i]);
    const std::size_t mergeTarget = std::min<std::size_t>(100000, n);
    const std::size_t mergeAnswers = mergeTarget / 10;
    const std::vector<ArRow> rows = bench::MakeRows(n, 42);
    std::size_t raw = 0;
    for (const auto& r : rows) raw += bench::RawBytes(r);

    // --- build: the rows into a new record set / a new table
    RecordsetPtr rs;
    sqlite3* db = nullptr;
    std::size_t heapPerBuild = 0;
    RunOp("build",
          {[&] { rs.reset(); },
           [&] {
               const std::size_t before = bench::LiveHeapBytes();
               rs = OpenLayoutRecordset(kLayoutAccntRecv);
               RecordsLoad(rs, rows, n);
               heapPerBuild = bench::LiveHeapBytes() - before;
           }},
          {[&] {
               if (db) sqlite3_close(db);
               db = OpenMemoryDb();
           },
           [&] { SqliteLoad(db, "ar", rows, n); }},
          [&] {
              if (rs->RecordCount() != SqliteScalar(db, "SELECT count(*) FROM ar")) Fail("build");
          });

    // --- sorts: the whole order materialised as ids and compared; ties in load order on both
    // sides (rowid is the load order)
    std::vector<Bookmark> rsOrder;
    std::vector<std::int64_t> sqlOrder;
    auto sortOp = [&](const char* op, const char* expr, const char* orderBy) {
        RunOp(op,
              {[&] { rs->SetSort(""); },
               [&] {
                   rs->SetSort(expr);
                   rsOrder = rs->VisibleBookmarks();
               }},
              {nullptr,
               [&] {
                   sqlOrder =
                       SqliteColumn(db, std::string("SELECT rowid FROM ar ORDER BY ") + orderBy);
               }},
              [&] {
                  if (rsOrder != sqlOrder || rsOrder.size() != n) Fail(op);
              });
        rs->SetSort("");
    };
    sortOp("sort", "ACCT_RCVBL_NBR ASC, ACCT_RCVBL_CK_NBR ASC",
           "ACCT_RCVBL_NBR, ACCT_RCVBL_CK_NBR");
    // the screen's AR Type order: six distinct types, then the date
    sortOp("sort_text", "ACCT_RCVBL_TYP_CD ASC, TRNSCTN_DT ASC",
           "ACCT_RCVBL_TYP_CD, TRNSCTN_DT, rowid");

    // --- save and reopen as bytes: the image written into the stream and read back / the
    // database serialised and deserialised; each side then sums a column over every row in
    // place (the engine's Sum, SQLite's sum())
    std::int64_t rsSum = 0, sqlSum = 0;
    RecordsetPtr reopened;
    RunOp("save_reopen_bytes",
          {[&] { reopened.reset(); },
           [&] {
               Stream s;
               s.Open();
               rs->Save(s);
               (void)s.Buffer();  // the image as bytes in the stream
               s.SetPosition(0);
               reopened = Recordset::Create();
               reopened->Open(s);
               rsSum = reopened->Sum("ACCT_RCVBL_BAL_AMT").currency().units;
           }},
          {nullptr,
           [&] {
               sqlite3_int64 size = 0;
               unsigned char* image = sqlite3_serialize(db, "main", &size, 0);
               sqlite3* db2 = nullptr;
               sqlite3_open(":memory:", &db2);
               sqlite3_deserialize(db2, "main", image, size, size,
                                   SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE);
               sqlSum = SqliteScalar(db2, "SELECT sum(ACCT_RCVBL_BAL_AMT) FROM ar");
               sqlite3_close(db2);
           }},
          [&] {
              if (rsSum != sqlSum || reopened->RecordCount() != static_cast<long>(n) ||
                  rsSum != Sum(RecordsColumn(reopened, "ACCT_RCVBL_BAL_AMT"))) {
                  Fail("save_reopen_bytes");
              }
          });
    reopened.reset();

    // --- save and reopen sharing the rows: the kept image / SQLite's in-memory copy (backup)
    long rsCount = 0;
    std::int64_t sqlCount = 0;
    RunOp("save_reopen_shared",
          {[&] { reopened.reset(); },
           [&] {
               Stream s;
               s.Open();
               rs->Save(s);
               s.SetPosition(0);
               reopened = Recordset::Create();
               reopened->Open(s);
               rsCount = reopened->RecordCount();
           }},
          {nullptr,
           [&] {
               sqlite3* db2 = nullptr;
               sqlite3_open(":memory:", &db2);
               sqlite3_backup* b = sqlite3_backup_init(db2, "main", db, "main");
               sqlite3_backup_step(b, -1);
               sqlite3_backup_finish(b);
               sqlCount = SqliteScalar(db2, "SELECT count(*) FROM ar");
               sqlite3_close(db2);
           }},
          [&] {
              if (rsCount != sqlCount || rsCount != static_cast<long>(n))
                  Fail("save_reopen_shared");
          });
    reopened.reset();

    // --- filter by customer and case, ten pairs that exist, in the order of the first sort.
    // The engine starts from a store that has no index; SQLite builds its index on the
    // customer and the case inside the time.
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; pairs.size() < 10 && i < n; i += n / 97 + 1) {
        if (!rows[i].caseId.empty()) pairs.emplace_back(rows[i].custId, rows[i].caseId);
    }
    const char* sortExpr = "ACCT_RCVBL_NBR ASC, ACCT_RCVBL_CK_NBR ASC";
    const char* sortSql = "ACCT_RCVBL_NBR, ACCT_RCVBL_CK_NBR";
    RecordsetPtr view;
    std::vector<Bookmark> rsHits;
    std::vector<std::int64_t> sqlHits;
    auto rsFilters = [&] {
        rsHits.clear();
        for (const auto& p : pairs) {
            view->SetFilter("[Cust_ID]='" + p.first + "' AND [Case_ID]='" + p.second + "'");
            const auto marks = view->VisibleBookmarks();
            rsHits.insert(rsHits.end(), marks.begin(), marks.end());
        }
    };
    auto sqlFilters = [&] {
        sqlHits.clear();
        Stmt q(db, std::string("SELECT rowid FROM ar WHERE Cust_ID = ?1 AND CASE_ID = ?2 "
                               "ORDER BY ") +
                       sortSql);
        for (const auto& p : pairs) {
            BindText(q.s, 1, p.first);
            BindText(q.s, 2, p.second);
            while (sqlite3_step(q.s) == SQLITE_ROW) sqlHits.push_back(sqlite3_column_int64(q.s, 0));
            sqlite3_reset(q.s);
        }
    };
    auto sameHits = [&] {
        if (rsHits != sqlHits || rsHits.size() < pairs.size()) Fail("filter_criteria");
    };
    RunOp("filter_criteria",
          {[&] {
               view.reset();
               view = FreshCopy(rs);
               view->SetSort(sortExpr);
           },
           rsFilters},
          {[&] { Exec(db, "DROP INDEX IF EXISTS ar_cust_case"); },
           [&] {
               Exec(db, "CREATE INDEX ar_cust_case ON ar (Cust_ID, CASE_ID)");
               sqlFilters();
           }},
          sameHits);
    if (!view) {  // filter_criteria was left out
        view = FreshCopy(rs);
        view->SetSort(sortExpr);
        Exec(db, "CREATE INDEX ar_cust_case ON ar (Cust_ID, CASE_ID)");
    }
    RunOp("filter_criteria_repeat", {nullptr, rsFilters}, {nullptr, sqlFilters}, sameHits);
    view->ClearFilter();

    // --- filter by 10,000 bookmarks, in the order of the first sort
    std::vector<Bookmark> marks;
    std::mt19937 rng(7);
    for (int i = 0; i < 10000; ++i) marks.push_back(static_cast<Bookmark>(rng() % n) + 1);
    RunOp("filter_bookmarks",
          {[&] { view->ClearFilter(); },
           [&] {
               view->SetFilter(marks);
               rsHits = view->VisibleBookmarks();
           }},
          {nullptr,
           [&] {
               std::string list = "[";
               for (Bookmark b : marks) {
                   if (list.size() > 1) list += ',';
                   list += std::to_string(b);
               }
               list += ']';
               sqlHits =
                   SqliteColumn(db,
                                std::string("SELECT rowid FROM ar WHERE rowid IN (SELECT value "
                                            "FROM json_each(?1)) ORDER BY ") +
                                    sortSql,
                                {list});
           }},
          [&] {
              if (rsHits != sqlHits || rsHits.empty()) Fail("filter_bookmarks");
          });
    view->ClearFilter();

    // --- an independent copy in another order than the source's: the source is sorted by the
    // receivable number, the copy by customer and latest date first, so both sides sort
    const char* cloneSort = "Cust_ID ASC, TRNSCTN_DT DESC";
    const char* cloneSql = "Cust_ID, TRNSCTN_DT DESC, rowid";
    RecordsetPtr copy;
    RunOp(
        "independent_clone",
        {[&] { copy.reset(); },
         [&] {
             RecordsetPtr other = view->Clone();
             other->SetSort(cloneSort);
             copy = IndependentCloneRS(other, false, false, static_cast<LockType>(0), nullptr);
             other->Close();
         }},
        {[&] { Exec(db, "DROP TABLE IF EXISTS arcopy"); },
         [&] {
             Exec(db, std::string("CREATE TABLE arcopy AS SELECT * FROM ar ORDER BY ") + cloneSql);
         }},
        [&] {
            if (!copy || RecordsColumn(copy, "ACCT_RCVBL_NBR") !=
                             SqliteColumn(db, "SELECT ACCT_RCVBL_NBR FROM arcopy ORDER BY rowid")) {
                Fail("independent_clone");
            }
        });
    copy.reset();
    view.reset();
    Exec(db, "DROP TABLE IF EXISTS arcopy");

    // --- merge answers into a target by the receivable triple: update the row that matches,
    // add the others
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
    auto answerRs = OpenLayoutRecordset(kLayoutAccntRecv);
    RecordsLoad(answerRs, answers, answers.size());
    SqliteLoad(db, "answers", answers, answers.size());
    RecordsetPtr target;
    RunOp("merge_answers",
          {[&] {
               target = OpenLayoutRecordset(kLayoutAccntRecv);
               RecordsLoad(target, rows, mergeTarget);
           },
           [&] {
               auto src = answerRs->Clone();
               src->MoveFirst();
               const int fieldCount = src->FieldCount();
               std::vector<int> targetField(static_cast<std::size_t>(fieldCount));
               for (int f = 0; f < fieldCount; ++f) {
                   targetField[f] = target->FieldIndex(src->Field(f).name);
               }
               const int nbrField = src->FieldIndex("ACCT_RCVBL_NBR");
               const int ckField = src->FieldIndex("ACCT_RCVBL_CK_NBR");
               const int typField = src->FieldIndex("ACCT_RCVBL_TYP_CD");
               while (!src->IsEOF()) {
                   const Value nbr = src->Get(nbrField);
                   const Value ck = src->Get(ckField);
                   const Value typ = src->Get(typField);
                   bool matched = false;
                   if (target->RecordCount() > 0) {
                       target->MoveFirst();
                       const std::string crit = "[ACCT_RCVBL_NBR]= " + TextOf(nbr);
                       while (target->Find(crit)) {
                           if (ValuesEqual(target->Get(ckField), ck) &&
                               ValuesEqual(target->Get(typField), typ)) {
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
           }},
          {[&] {
               Exec(db, "DROP TABLE IF EXISTS target");
               SqliteLoad(db, "target", rows, mergeTarget);
           },
           [&] {
               // the index answers the whole triple; the first matching row is updated
               Exec(db,
                    "CREATE INDEX target_key ON target (ACCT_RCVBL_NBR, ACCT_RCVBL_CK_NBR, "
                    "ACCT_RCVBL_TYP_CD)");
               Exec(db, "BEGIN");
               Stmt find(db,
                         "SELECT rowid FROM target WHERE ACCT_RCVBL_NBR = ?1 AND "
                         "ACCT_RCVBL_CK_NBR = ?2 AND ACCT_RCVBL_TYP_CD = ?3 ORDER BY rowid "
                         "LIMIT 1");
               Stmt upd(db,
                        "UPDATE target SET ACTION=?1, Cust_ID=?2, CASE_ID=?3, TRNSCTN_DT=?4, "
                        "TRNSCTN_NBR=?5, ACCT_RCVBL_NBR=?6, ACCT_RCVBL_CK_NBR=?7, "
                        "ACCT_RCVBL_TYP_CD=?8, ACCT_STTS_CD=?9, ACCT_RCVBL_DUE_AMT=?10, "
                        "ACCT_RCVBL_BAL_AMT=?11, Theme=?12 WHERE rowid=?13");
               Stmt ins(db, "INSERT INTO target VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
               Stmt src(db, "SELECT * FROM answers ORDER BY rowid");
               while (sqlite3_step(src.s) == SQLITE_ROW) {
                   for (int c = 0; c < 3; ++c) {
                       sqlite3_bind_value(find.s, c + 1, sqlite3_column_value(src.s, 5 + c));
                   }
                   std::int64_t match = 0;
                   if (sqlite3_step(find.s) == SQLITE_ROW) match = sqlite3_column_int64(find.s, 0);
                   sqlite3_reset(find.s);
                   sqlite3_stmt* w = match ? upd.s : ins.s;
                   for (int c = 0; c < 12; ++c) {
                       sqlite3_bind_value(w, c + 1, sqlite3_column_value(src.s, c));
                   }
                   if (match) sqlite3_bind_int64(w, 13, match);
                   sqlite3_step(w);
                   sqlite3_reset(w);
               }
               Exec(db, "COMMIT");
           }},
          [&] {
              target->SetSort("");
              const auto bal = RecordsColumn(target, "ACCT_RCVBL_BAL_AMT");
              if (static_cast<std::int64_t>(bal.size()) !=
                      SqliteScalar(db, "SELECT count(*) FROM target") ||
                  Sum(bal) != SqliteScalar(db, "SELECT sum(ACCT_RCVBL_BAL_AMT) FROM target") ||
                  RecordsColumn(target, "ACCT_RCVBL_NBR") !=
                      SqliteColumn(db, "SELECT ACCT_RCVBL_NBR FROM target ORDER BY rowid")) {
                  Fail("merge_answers");
              }
          });

    std::printf("memory bytes_per_row=%.1f raw_bytes_per_row=%.1f\n",
                static_cast<double>(heapPerBuild) / static_cast<double>(n),
                static_cast<double>(raw) / static_cast<double>(n));
    sqlite3_close(db);
    return 0;
}

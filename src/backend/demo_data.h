#pragma once
// Demo data: fixed fixtures that tests and demonstrations rely on, generated customers from
// 2000 upward, and a large customer for benchmarks. The same options on the same day give the
// same data.

#include <QDate>
#include <cstdint>

#include "backend/database.h"

namespace backend {

// The customer of the large-data mode.
inline constexpr const char* kLargeCustomerId = "9000";

struct DemoOptions {
    bool demo = true;    // officers, users, fixtures 1001-1005, generated customers
    bool large = false;  // customer kLargeCustomerId with largeCount open receivables
    int largeCount = 100000;
    int generatedCustomers = 300;
    QDate today;  // the creation day; invalid means today
    std::uint64_t seed = 0x48414C424552ULL;
};

struct DemoSummary {
    int customers = 0, receivables = 0, cases = 0, payments = 0;
    bool demoWasThere = false, largeWasThere = false;  // those parts were skipped
};

// Fills the database in one transaction (the schema must be current). Parts already present
// are skipped, so running it twice changes nothing.
DemoSummary CreateDemoData(Sql& sql, const DemoOptions& options);

}  // namespace backend

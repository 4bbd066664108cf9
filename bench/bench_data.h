#pragma once
// Rows of the receivable layout for the benchmark, generated once and shared by both sides, and
// a count of the bytes the heap holds (global operator new is replaced in bench_data.cpp).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct ArRow {
    std::string action;  // "" = Null
    std::string custId;
    std::string caseId;  // "" = Null
    double trnsctnDt = 0;
    std::string trnsctnNbr;
    std::int64_t nbr = 0;
    std::int64_t ck = 0;
    std::string typ;
    std::string stts;
    std::int64_t dueUnits = 0;
    std::int64_t balUnits = 0;
};

// Varied, deterministic rows: many customers, some with cases, receivable triples unique.
std::vector<ArRow> MakeRows(std::size_t n, std::uint32_t seed);

// The raw size of a row's values: 8 per number, date or currency, a text's UTF-8 length, 0 for
// Null.
std::size_t RawBytes(const ArRow& r);

// Bytes currently held through operator new.
std::size_t LiveHeapBytes();

}  // namespace bench

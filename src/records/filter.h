#pragma once
// Filter and find expressions: clauses "field op value" joined by AND and OR (AND binds tighter),
// grouped freely with parentheses. Field names are bracketed or bare and ignore letter case.
// Operators = <> < > <= >= LIKE; values are quoted texts ('' is one apostrophe), bare numbers,
// #dates#, Null, True and False. Texts compare without regard to letter case; LIKE takes * or %
// at the end or at both ends. A Null field matches no comparison; "= Null" and "<> Null" test
// for Null. Anything malformed is error 3001 with a description, never "match all".

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/recordset.h"
#include "records/row_store.h"

namespace records {

enum class CompareOp : std::uint8_t { Eq, Ne, Lt, Gt, Le, Ge, Like };

// One comparison, prepared for the field's storage when parsed.
struct Clause {
    enum class Mode : std::uint8_t {
        IsNull,   // = Null
        NotNull,  // <> Null
        Whole,    // integer slot against `whole`
        Real,     // integer or real slot against `real` (scaled like the slot)
        Text,     // text against `text`
        Any,      // variant cell against `value`
    };
    enum class Like : std::uint8_t { None, Exact, Prefix, Contains, All };

    int field = -1;
    CompareOp op = CompareOp::Eq;
    Mode mode = Mode::Any;
    Like like = Like::None;
    std::int64_t whole = 0;
    long double real = 0;
    std::string text;  // for LIKE: the pattern without its wildcards
    Value value;

    bool Matches(const RowStore& store, RowId row) const;
    // An equality that a find index can answer: Whole, Real or Text with "=".
    bool Indexable() const;
};

class Filter {
  public:
    // Throws Error(err::BadFilter). `singleClause`: Find's form, one clause only.
    static std::unique_ptr<Filter> Parse(std::string_view text, const std::vector<FieldDef>& fields,
                                         bool singleClause = false);

    bool Matches(const RowStore& store, RowId row) const;
    const std::string& Text() const { return text_; }
    // The clause when the expression is a single clause, else nullptr.
    const Clause* Single() const;
    // Equalities that every matching row satisfies (the expression is one, or an AND with them
    // among its terms) and that an index of their field can answer: Whole on a whole-number
    // field, Real on a real field, Text on a text field.
    std::vector<const Clause*> RequiredEqualities(const RowStore& store) const;

    struct Node {
        enum class Kind : std::uint8_t { Clause, And, Or } kind = Kind::Clause;
        int clause = -1;            // Kind::Clause
        std::vector<int> children;  // And / Or: node indexes
    };

  private:
    friend class FilterParser;
    bool Eval(int node, const RowStore& store, RowId row) const;

    std::string text_;
    std::vector<Clause> clauses_;
    std::vector<Node> nodes_;
    int root_ = -1;
};

// Key of a text cell for find indexes: upper-cased.
std::string IndexKeyText(std::string_view s);

}  // namespace records

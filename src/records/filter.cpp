#include "records/filter.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

#include "records/errors.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace records {

namespace {

constexpr int kMaxDepth = 64;

bool Apply(CompareOp op, int c) {
    switch (op) {
        case CompareOp::Eq:
        case CompareOp::Like:
            return c == 0;
        case CompareOp::Ne:
            return c != 0;
        case CompareOp::Lt:
            return c < 0;
        case CompareOp::Gt:
            return c > 0;
        case CompareOp::Le:
            return c <= 0;
        case CompareOp::Ge:
            return c >= 0;
    }
    return false;
}

template <class T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool ContainsNoCase(std::string_view s, std::string_view p) {
    if (p.size() > s.size()) return false;
    for (std::size_t i = 0; i + p.size() <= s.size(); ++i) {
        if (EqualsIgnoreCase(s.substr(i, p.size()), p)) return true;
    }
    return false;
}

bool LikeMatches(std::string_view s, Clause::Like like, std::string_view p) {
    switch (like) {
        case Clause::Like::Exact:
            return EqualsIgnoreCase(s, p);
        case Clause::Like::Prefix:
            return s.size() >= p.size() && EqualsIgnoreCase(s.substr(0, p.size()), p);
        case Clause::Like::Contains:
            return ContainsNoCase(s, p);
        case Clause::Like::All:
            return true;
        case Clause::Like::None:
            break;
    }
    return false;
}

// 0 numbers, 1 text, 2 bytes
int KindClass(const Value& v) {
    switch (v.type()) {
        case Value::Type::Text:
            return 1;
        case Value::Type::Bytes:
            return 2;
        default:
            return 0;
    }
}

}  // namespace

// --- evaluation

bool Clause::Matches(const RowStore& store, RowId row) const {
    const Column& c = store.Col(field);
    if (mode == Mode::IsNull) return c.IsNull(row);
    if (c.IsNull(row)) return false;
    switch (mode) {
        case Mode::NotNull:
            return true;
        case Mode::Whole:
            return Apply(op, Sign(c.Whole(row), whole));
        case Mode::Real: {
            const long double v = c.Kind() == Storage::Number
                                      ? static_cast<long double>(c.Whole(row))
                                      : static_cast<long double>(c.Real(row));
            if (std::isnan(v)) return false;
            return Apply(op, Sign(v, real));
        }
        case Mode::Text: {
            const std::string_view s = c.Text(row);
            if (op == CompareOp::Like) return LikeMatches(s, like, text);
            if (op == CompareOp::Eq) return EqualsIgnoreCase(s, text);
            if (op == CompareOp::Ne) return !EqualsIgnoreCase(s, text);
            return Apply(op, CompareTextNoCase(s, text));
        }
        case Mode::Any: {
            const Value& v = c.Any(row);
            if (op == CompareOp::Like) {
                return v.type() == Value::Type::Text && LikeMatches(v.text(), like, text);
            }
            if (KindClass(v) != KindClass(value)) return op == CompareOp::Ne;
            return Apply(op, CompareForSort(v, value));
        }
        case Mode::IsNull:
            break;
    }
    return false;
}

bool Clause::Indexable() const {
    return op == CompareOp::Eq && (mode == Mode::Whole || mode == Mode::Text ||
                                   (mode == Mode::Real && real == static_cast<double>(real)));
}

bool Filter::Eval(int node, const RowStore& store, RowId row) const {
    const Node& n = nodes_[node];
    switch (n.kind) {
        case Node::Kind::Clause:
            return clauses_[n.clause].Matches(store, row);
        case Node::Kind::And:
            for (int ch : n.children) {
                if (!Eval(ch, store, row)) return false;
            }
            return true;
        case Node::Kind::Or:
            for (int ch : n.children) {
                if (Eval(ch, store, row)) return true;
            }
            return false;
    }
    return false;
}

bool Filter::Matches(const RowStore& store, RowId row) const {
    return Eval(root_, store, row);
}

const Clause* Filter::Single() const {
    const Node& n = nodes_[root_];
    return n.kind == Node::Kind::Clause ? &clauses_[n.clause] : nullptr;
}

std::vector<const Clause*> Filter::RequiredEqualities(const RowStore& store) const {
    std::vector<const Clause*> out;
    auto consider = [&](const Node& n) {
        if (n.kind != Node::Kind::Clause) return;
        const Clause& c = clauses_[n.clause];
        if (!c.Indexable()) return;
        const Storage kind = store.Col(c.field).Kind();
        const bool fits = (c.mode == Clause::Mode::Whole && kind == Storage::Number) ||
                          (c.mode == Clause::Mode::Real && kind == Storage::Real) ||
                          (c.mode == Clause::Mode::Text && kind == Storage::Text);
        if (fits) out.push_back(&c);
    };
    const Node& root = nodes_[root_];
    if (root.kind == Node::Kind::And) {
        for (int ch : root.children) consider(nodes_[ch]);
    } else {
        consider(root);
    }
    return out;
}

std::string IndexKeyText(std::string_view s) {
    return ToUpperAscii(s);
}

// --- parsing

class FilterParser {
  public:
    FilterParser(std::string_view text, const std::vector<FieldDef>& fields, Filter& out)
        : s_(text), fields_(fields), out_(out) {}

    void Run(bool singleClause) {
        Skip();
        if (i_ >= s_.size()) Fail("the expression is empty");
        out_.root_ = singleClause ? ParseSingle() : ParseOr(0);
        Skip();
        if (i_ < s_.size()) Fail("unexpected '" + Rest() + "'");
    }

  private:
    struct Token {
        enum class Kind { End, Open, Close, Name, Word, Op, Text, Date, Number } kind = Kind::End;
        std::string text;
        CompareOp op = CompareOp::Eq;
    };

    [[noreturn]] void Fail(const std::string& why) const {
        throw Error(err::BadFilter,
                    "Invalid filter expression \"" + std::string(s_) + "\": " + why);
    }

    std::string Rest() const {
        std::string r(s_.substr(i_, 20));
        if (i_ + 20 < s_.size()) r += "...";
        return r;
    }

    void Skip() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) {
            ++i_;
        }
    }

    static bool IsWordChar(char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '$' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
    }

    Token Next() {
        Skip();
        Token t;
        if (i_ >= s_.size()) return t;
        const char c = s_[i_];
        if (c == '(' || c == ')') {
            ++i_;
            t.kind = c == '(' ? Token::Kind::Open : Token::Kind::Close;
            return t;
        }
        if (c == '[') {
            const std::size_t end = s_.find(']', i_ + 1);
            if (end == std::string_view::npos) Fail("a field name lacks its closing ']'");
            t.kind = Token::Kind::Name;
            t.text = std::string(s_.substr(i_ + 1, end - i_ - 1));
            i_ = end + 1;
            return t;
        }
        if (c == '=' || c == '<' || c == '>' || c == '!') {
            t.kind = Token::Kind::Op;
            const char d = i_ + 1 < s_.size() ? s_[i_ + 1] : '\0';
            i_ += 1;
            if (c == '=') {
                t.op = CompareOp::Eq;
            } else if (c == '<' && d == '>') {
                t.op = CompareOp::Ne, ++i_;
            } else if (c == '<' && d == '=') {
                t.op = CompareOp::Le, ++i_;
            } else if (c == '>' && d == '=') {
                t.op = CompareOp::Ge, ++i_;
            } else if (c == '<') {
                t.op = CompareOp::Lt;
            } else if (c == '>') {
                t.op = CompareOp::Gt;
            } else {
                Fail("'!' is not an operator (use <>)");
            }
            return t;
        }
        if (c == '\'') {
            t.kind = Token::Kind::Text;
            std::size_t j = i_ + 1;
            for (;;) {
                if (j >= s_.size()) Fail("a text lacks its closing apostrophe");
                if (s_[j] == '\'') {
                    if (j + 1 < s_.size() && s_[j + 1] == '\'') {
                        t.text += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                t.text += s_[j++];
            }
            i_ = j + 1;
            return t;
        }
        if (c == '#') {
            const std::size_t end = s_.find('#', i_ + 1);
            if (end == std::string_view::npos) Fail("a date lacks its closing '#'");
            t.kind = Token::Kind::Date;
            t.text = std::string(s_.substr(i_ + 1, end - i_ - 1));
            i_ = end + 1;
            return t;
        }
        if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == '$') {
            std::size_t j = i_ + 1;
            while (j < s_.size() &&
                   (IsWordChar(s_[j]) ||
                    ((s_[j] == '+' || s_[j] == '-') && (s_[j - 1] == 'e' || s_[j - 1] == 'E')))) {
                ++j;
            }
            t.kind = Token::Kind::Number;
            t.text = std::string(s_.substr(i_, j - i_));
            i_ = j;
            return t;
        }
        if (IsWordChar(c)) {
            std::size_t j = i_;
            while (j < s_.size() && IsWordChar(s_[j])) ++j;
            t.kind = Token::Kind::Word;
            t.text = std::string(s_.substr(i_, j - i_));
            i_ = j;
            return t;
        }
        Fail("unexpected character '" + std::string(1, c) + "'");
    }

    Token Peek() {
        const std::size_t save = i_;
        Token t = Next();
        i_ = save;
        return t;
    }

    bool PeekKeyword(std::string_view kw) {
        const Token t = Peek();
        return t.kind == Token::Kind::Word && EqualsIgnoreCase(t.text, kw);
    }

    int AddNode(Filter::Node n) {
        out_.nodes_.push_back(std::move(n));
        return static_cast<int>(out_.nodes_.size() - 1);
    }

    int ParseOr(int depth) {
        std::vector<int> parts{ParseAnd(depth)};
        while (PeekKeyword("OR")) {
            Next();
            parts.push_back(ParseAnd(depth));
        }
        if (parts.size() == 1) return parts[0];
        return AddNode({Filter::Node::Kind::Or, -1, std::move(parts)});
    }

    int ParseAnd(int depth) {
        std::vector<int> parts{ParsePrimary(depth)};
        while (PeekKeyword("AND")) {
            Next();
            parts.push_back(ParsePrimary(depth));
        }
        if (parts.size() == 1) return parts[0];
        return AddNode({Filter::Node::Kind::And, -1, std::move(parts)});
    }

    int ParsePrimary(int depth) {
        if (Peek().kind == Token::Kind::Open) {
            if (depth >= kMaxDepth) Fail("parentheses are nested too deeply");
            Next();
            const int inner = ParseOr(depth + 1);
            if (Next().kind != Token::Kind::Close) Fail("a '(' lacks its closing ')'");
            return inner;
        }
        return ParseClause();
    }

    int ParseSingle() {
        const int n = ParseClause();
        Skip();
        if (i_ < s_.size()) Fail("a find takes one clause only, not '" + Rest() + "'");
        return n;
    }

    int ParseClause() {
        Token name = Next();
        if (name.kind == Token::Kind::End) Fail("a clause is missing at the end");
        if (name.kind == Token::Kind::Word &&
            (EqualsIgnoreCase(name.text, "AND") || EqualsIgnoreCase(name.text, "OR"))) {
            Fail("'" + name.text + "' lacks a clause before it");
        }
        if (name.kind != Token::Kind::Name && name.kind != Token::Kind::Word) {
            Fail("a field name is expected where '" + (name.text.empty() ? "(" : name.text) +
                 "' stands");
        }
        int field = -1;
        for (std::size_t f = 0; f < fields_.size(); ++f) {
            if (EqualsIgnoreCase(fields_[f].name, name.text)) field = static_cast<int>(f);
        }
        if (field < 0) Fail("unknown field '" + name.text + "'");

        Clause c;
        c.field = field;
        Token op = Next();
        if (op.kind == Token::Kind::Op) {
            c.op = op.op;
        } else if (op.kind == Token::Kind::Word && EqualsIgnoreCase(op.text, "LIKE")) {
            c.op = CompareOp::Like;
        } else {
            Fail("an operator is expected after '" + name.text + "'");
        }
        Token v = Next();
        Prepare(c, fields_[field], v);
        out_.clauses_.push_back(std::move(c));
        return AddNode(
            {Filter::Node::Kind::Clause, static_cast<int>(out_.clauses_.size() - 1), {}});
    }

    // A bare number as a value; nullopt when the token is not one.
    static std::optional<Value> ReadNumber(std::string_view t) {
        std::string s;
        for (char ch : t) {
            if (ch != '$') s += ch;
        }
        if (!s.empty() && s[0] == '+') s.erase(0, 1);
        if (s.empty()) return std::nullopt;
        std::int64_t n = 0;
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
        if (ec == std::errc() && p == s.data() + s.size()) return Value(static_cast<long long>(n));
        double d = 0;
        auto [q, ec2] = std::from_chars(s.data(), s.data() + s.size(), d);
        if (ec2 == std::errc() && q == s.data() + s.size() && std::isfinite(d)) return Value(d);
        return std::nullopt;
    }

    // The value as a number for a numeric field.
    Value NumberFor(const Token& v, const FieldDef& f) {
        switch (v.kind) {
            case Token::Kind::Number: {
                auto n = ReadNumber(v.text);
                if (!n) Fail("'" + v.text + "' is not a number");
                return *n;
            }
            case Token::Kind::Text:
                if (f.type == FieldType::Date) {
                    if (auto d = ParseDate(v.text)) return Value(*d);
                    Fail("'" + v.text + "' is not a date for field '" + f.name + "'");
                }
                if (f.type == FieldType::Boolean &&
                    (EqualsIgnoreCase(v.text, "True") || EqualsIgnoreCase(v.text, "False"))) {
                    return Value(EqualsIgnoreCase(v.text, "True"));
                }
                if (!IsNumeric(Value(v.text))) {
                    Fail("'" + v.text + "' is not a number for field '" + f.name + "'");
                }
                return Value(CDbl(Value(v.text)));
            case Token::Kind::Date: {
                auto d = ParseDate(v.text);
                if (!d) Fail("#" + v.text + "# is not a date");
                return Value(*d);
            }
            case Token::Kind::Word:
                if (EqualsIgnoreCase(v.text, "True") || EqualsIgnoreCase(v.text, "False")) {
                    return Value(EqualsIgnoreCase(v.text, "True"));
                }
                [[fallthrough]];
            default:
                Fail("a value is expected after the operator, not '" + v.text + "'");
        }
    }

    void PrepareNumber(Clause& c, const FieldDef& f, const Value& lit) {
        long double x = 0;
        switch (lit.type()) {
            case Value::Type::Long:
                x = static_cast<long double>(lit.whole());
                break;
            case Value::Type::Boolean:
                x = lit.boolean() ? (f.type == FieldType::Boolean ? 1 : -1) : 0;
                break;
            case Value::Type::Date:
                x = lit.date().serial;
                break;
            default:
                x = lit.real();
                break;
        }
        if (StorageOf(f.type) == Storage::Real) {
            c.mode = Clause::Mode::Real;
            c.real = x;
            return;
        }
        const long double scale = f.type == FieldType::Currency ? Currency::kScale : 1;
        const long double target = x * scale;
        if (lit.type() == Value::Type::Long && f.type != FieldType::Currency) {
            c.mode = Clause::Mode::Whole;
            c.whole = lit.whole();
        } else if (std::floor(target) == target && target > -9.2e18L && target < 9.2e18L) {
            c.mode = Clause::Mode::Whole;
            c.whole = static_cast<std::int64_t>(target);
        } else {
            c.mode = Clause::Mode::Real;
            c.real = target;
        }
    }

    void Prepare(Clause& c, const FieldDef& f, const Token& v) {
        if (v.kind == Token::Kind::End) Fail("a value is missing after the operator");
        if (v.kind == Token::Kind::Word && EqualsIgnoreCase(v.text, "Null")) {
            if (c.op == CompareOp::Eq) {
                c.mode = Clause::Mode::IsNull;
            } else if (c.op == CompareOp::Ne) {
                c.mode = Clause::Mode::NotNull;
            } else {
                Fail("Null can be compared with = or <> only");
            }
            return;
        }
        if (f.type == FieldType::Bytes) Fail("field '" + f.name + "' cannot be compared");
        if (c.op == CompareOp::Like) {
            if (v.kind != Token::Kind::Text) Fail("LIKE takes a quoted pattern");
            if (f.type != FieldType::Text && f.type != FieldType::Variant) {
                Fail("LIKE needs a text field, not '" + f.name + "'");
            }
            PrepareLike(c, v.text);
            c.mode = f.type == FieldType::Text ? Clause::Mode::Text : Clause::Mode::Any;
            return;
        }
        switch (StorageOf(f.type)) {
            case Storage::Text:
                c.mode = Clause::Mode::Text;
                if (v.kind == Token::Kind::Text || v.kind == Token::Kind::Date ||
                    v.kind == Token::Kind::Number) {
                    c.text = v.text;
                } else if (v.kind == Token::Kind::Word && (EqualsIgnoreCase(v.text, "True") ||
                                                           EqualsIgnoreCase(v.text, "False"))) {
                    c.text = EqualsIgnoreCase(v.text, "True") ? "True" : "False";
                } else {
                    Fail("a value is expected after the operator, not '" + v.text + "'");
                }
                return;
            case Storage::Number:
            case Storage::Real:
                PrepareNumber(c, f, NumberFor(v, f));
                return;
            case Storage::Any:
                c.mode = Clause::Mode::Any;
                c.value = v.kind == Token::Kind::Text ? Value(v.text) : NumberFor(v, f);
                return;
        }
    }

    void PrepareLike(Clause& c, const std::string& pattern) {
        auto wild = [](char ch) { return ch == '*' || ch == '%'; };
        std::string_view p(pattern);
        const bool lead = !p.empty() && wild(p.front());
        if (lead) p.remove_prefix(1);
        const bool trail = !p.empty() && wild(p.back());
        if (trail) p.remove_suffix(1);
        for (char ch : p) {
            if (wild(ch)) Fail("LIKE takes * or % only at the end or at both ends");
        }
        if (lead && !trail && !p.empty()) Fail("LIKE takes * or % only at the end or at both ends");
        c.text = std::string(p);
        if (p.empty() && (lead || trail)) {
            c.like = Clause::Like::All;
        } else if (lead) {
            c.like = Clause::Like::Contains;
        } else if (trail) {
            c.like = Clause::Like::Prefix;
        } else {
            c.like = Clause::Like::Exact;
        }
    }

    std::string_view s_;
    const std::vector<FieldDef>& fields_;
    Filter& out_;
    std::size_t i_ = 0;
};

std::unique_ptr<Filter> Filter::Parse(std::string_view text, const std::vector<FieldDef>& fields,
                                      bool singleClause) {
    auto f = std::make_unique<Filter>();
    f->text_ = std::string(text);
    FilterParser(text, fields, *f).Run(singleClause);
    return f;
}

}  // namespace records

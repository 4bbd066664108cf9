#include "platform/binding/formatters.h"

#include <algorithm>

#include "records/value_rules.h"

namespace platform {
namespace {

using records::Value;

bool onlyDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string text1sp(const std::string& text) {
    std::string s = records::Trim(text);
    std::replace(s.begin(), s.end(), '\r', ' ');
    std::replace(s.begin(), s.end(), '\n', ' ');
    s.erase(std::unique(s.begin(), s.end(), [](char a, char b) { return a == ' ' && b == ' '; }),
            s.end());
    return s;
}

std::string applyPhonePattern(const std::string& digits, const std::string& pattern) {
    const std::string d = records::Trim(digits);
    if (!onlyDigits(d)) return digits;
    std::string out = pattern;
    std::size_t next = d.size();
    std::size_t first = std::string::npos;
    for (std::size_t i = out.size(); i-- > 0;) {
        if (out[i] != '#') continue;
        first = i;
        if (next > 0) {
            out[i] = d[--next];
        } else {
            out[i] = '\0';  // an unused placeholder vanishes
        }
    }
    if (next > 0 && first != std::string::npos) out.insert(first, d.substr(0, next));
    out.erase(std::remove(out.begin(), out.end(), '\0'), out.end());
    return out;
}

DataFormat makeDateFormat(const std::string& format, const QLocale& locale) {
    return DataFormat(format, locale);
}

DataFormat makePhoneFormat() {
    DataFormat f;
    f.setFormatHandler([](Value& v) {
        v = v.isEmpty() ? Value(std::string()) : Value(records::Trim(records::TextOf(v)));
    });
    f.setUnFormatHandler([](Value& v) { v = Value(records::Trim(records::TextOf(v))); });
    return f;
}

DataFormat makePhoneMaskFormat() {
    DataFormat f;
    f.setFormatHandler([](Value& v) {
        const std::string text = records::Trim(records::TextOf(v));
        v = Value(
            applyPhonePattern(text, text.size() == 10 ? kPhonePatternTen : kPhonePatternOther));
    });
    f.setUnFormatHandler([](Value& v) {
        std::string text = records::TextOf(v);
        text.erase(
            std::remove_if(text.begin(), text.end(),
                           [](char c) { return c == '(' || c == ')' || c == '-' || c == ' '; }),
            text.end());
        v = Value(text);
    });
    return f;
}

DataFormat makeText1spFormat() {
    DataFormat f;
    const auto rule = [](Value& v) { v = Value(text1sp(records::TextOf(v))); };
    f.setFormatHandler(rule);
    f.setUnFormatHandler(rule);
    return f;
}

DataFormat makeTextFormat() {
    return DataFormat();
}

DataFormat makeCurrencyFormat(const QLocale& locale) {
    return DataFormat("Currency", locale);
}

}  // namespace platform

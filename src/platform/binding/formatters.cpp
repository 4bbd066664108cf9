#include "platform/binding/formatters.h"

#include <algorithm>

#include "platform/binding/display_formats.h"
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
        v = Value(onlyDigits(text) ? formatPhone(text) : text);
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

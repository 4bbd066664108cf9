#include "messaging/customer_record.h"

#include "records/value_rules.h"

namespace messaging {
namespace {

// Fills the '#' placeholders of pattern from the right with the characters of text; unused
// placeholders vanish, literals stay, characters left over go where the first placeholder is.
std::string ApplyDigitPattern(const std::string& text, const std::string& pattern) {
    const std::size_t first = pattern.find('#');
    std::string reversed;
    std::size_t ti = text.size();
    for (std::size_t pi = pattern.size(); pi-- > 0;) {
        if (pattern[pi] != '#') {
            reversed.push_back(pattern[pi]);
            continue;
        }
        if (ti > 0) reversed.push_back(text[--ti]);
        if (pi == first) {
            while (ti > 0) reversed.push_back(text[--ti]);
        }
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

}  // namespace

std::string FormatPhone(const std::string& phone) {
    const std::string trimmed = records::Trim(phone);
    if (trimmed.size() == 10) return ApplyDigitPattern(trimmed, "(###) ### - ####");
    return ApplyDigitPattern(trimmed, "      ### - ####");
}

}  // namespace messaging

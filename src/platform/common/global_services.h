#pragma once
// The shared services of the screens: numbers, rights, code tables and officers from the back end
// (a queued one, so they keep their place among the requests), the key and
// text rules of the entry boxes, and the treatment of forms and invalid entries.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "messaging/common_library.h"

namespace platform {

class BackEndGlobalServices : public messaging::GlobalServices {
  public:
    // backEnd: a QueuedDirectory that throws NoAnswer when the back end gives none.
    BackEndGlobalServices(std::shared_ptr<messaging::BackEnd> backEnd,
                          std::shared_ptr<messaging::UserContext> user);

    // "" when the back end gave no number; a number drawn after the caller stopped waiting is
    // handed back at once. arg1 and arg2 are not used.
    std::string GetNextNumber(const std::string& kind, std::string& arg1,
                              std::string& arg2) override;
    void ReturnReceiptNumber(const std::string& number, const std::string& kind) override;
    bool HasRight(const std::string& right) override;  // asked once per right
    std::string GetMessageTitle() override { return "HALBERON"; }
    // The description of the code in the table (asked once per table); the code itself when the
    // table has no such code.
    std::string GetCodeDescription(const std::string& table, const std::string& code) override;
    bool IsValidOfficer(std::int64_t officer) override;

    bool IsOfficerKey(int& keyAscii) override;
    bool IsReferenceKey(int& keyAscii) override;
    bool IsReferenceText(const std::string& text) override;
    bool IsCurrencyKey(int& keyAscii, QWidget* box) override;
    void MarkInvalid(QWidget* control) override;
    void ClearInvalid(QWidget* control) override;
    void PrepareForm(QWidget* form) override;

  private:
    std::shared_ptr<messaging::BackEnd> backEnd_;
    std::shared_ptr<messaging::UserContext> user_;
    std::map<std::string, bool> rights_;
    std::map<std::string, std::map<std::string, std::string>> codeTables_;
    std::set<std::int64_t> officers_;
};

// The key and text rules, on their own for the entry boxes and their tests.
namespace keys {
inline constexpr int kCtrlA = 1, kCtrlC = 3, kBackspace = 8, kCtrlV = 22, kCtrlX = 24, kCtrlZ = 26;
// Backspace and the clipboard and undo control keys: they pass every key rule (what a paste
// brings in is checked by the box's paste check).
bool isEditingKey(int keyAscii);
bool isOfficerKey(int keyAscii);
bool isReferenceKey(int keyAscii);
bool isReferenceText(const std::string& text);
// textOutsideSelection: the box's text without the part that the key will replace.
bool isCurrencyKey(int keyAscii, const std::string& textOutsideSelection);
}  // namespace keys

// The mark of an invalid entry: a background colour and a tool tip.
inline constexpr const char* kInvalidToolTip = "This entry is not valid.";
inline constexpr const char* kInvalidProperty = "halberonInvalid";

}  // namespace platform

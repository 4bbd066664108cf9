#pragma once
// One error type for the whole program, and the error trap that every procedure runs under.

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace records {

// Error numbers of the record-set engine and the value rules. They are fixed: logs and the
// screen's error handlers compare them.
namespace err {
inline constexpr long Overflow = 6;
inline constexpr long TypeMismatch = 13;
inline constexpr long FileNotFound = 53;
inline constexpr long InvalidUseOfNull = 94;
inline constexpr long InvalidArgument = 3001;
inline constexpr long FileOpenFailed = 3002;   // a stream's file could not be read
inline constexpr long FileWriteFailed = 3004;  // a stream's file could not be written
inline constexpr long NoCurrentRecord = 3021;
inline constexpr long IllegalOperation = 3219;
inline constexpr long FeatureNotAvailable = 3251;
inline constexpr long ItemNotFound = 3265;
inline constexpr long DataConversion = 3421;
inline constexpr long ObjectClosed = 3704;
inline constexpr long ObjectOpen = 3705;
inline constexpr long BadImage = 3709;   // a stream image that is truncated, corrupt or foreign
inline constexpr long BadFilter = 3001;  // malformed filter, find or sort expression
}  // namespace err

class Error : public std::runtime_error {
  public:
    Error(long number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}
    long Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }

  private:
    long number_;
    std::string description_;
};

// Where trapped errors go. The common library's error reporter implements it.
class ErrorSink {
  public:
    virtual ~ErrorSink() = default;
    virtual void ReportError(const std::string& description, const std::string& exeName,
                             const std::string& source) = 0;
};

// Name of this executable as error reports carry it.
inline constexpr std::string_view kExeName = "KORVA_Bankruptcy";

namespace detail {
template <class F>
bool RunTrapped(ErrorSink* sink, std::string_view source, F&& body) {
    std::string description;
    try {
        std::forward<F>(body)();
        return true;
    } catch (const Error& e) {
        description = e.Description();
    } catch (const std::exception& e) {
        description = e.what();
    } catch (...) {
        description = "Unknown error";
    }
    if (sink) {
        try {
            sink->ReportError(description, std::string(kExeName), std::string(source));
        } catch (...) {  // a failing reporter must not take the procedure down with it
        }
    }
    return false;
}
}  // namespace detail

// The error trap. Runs body; on an error reports it under `source` and returns false, so the
// caller leaves through its exit section. A procedure that "goes on with the next step" calls
// Trap once per step.
template <class F>
bool Trap(ErrorSink* sink, std::string_view source, F&& body) {
    return detail::RunTrapped(sink, source, std::forward<F>(body));
}

// A step that runs with errors ignored (closing record sets, releasing objects, clean-up).
template <class F>
void IgnoreErrors(F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (...) {  // ignored on purpose: the procedure says this step ignores errors
    }
}

}  // namespace records

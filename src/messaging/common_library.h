#pragma once
// The common library as the screen sees it: abstract objects, gathered in one context that the
// document receives at construction. platform/ implements them over a transport to the back
// end; tests give scripted ones.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "messaging/backend_api.h"
#include "records/errors.h"
#include "records/mod_bankruptcy.h"
#include "records/recordset.h"

class QWidget;

namespace messaging {

// The listener: raises DataReady(theme) when an answer is stored, MsgTimeout(theme) when the
// service gave up on a request, ChangedElsewhere(custId) when others changed a customer's data.
// All on the user-interface thread.
class MessageListener {
  public:
    virtual ~MessageListener() = default;
    std::function<void(const std::string& theme)> DataReady;
    std::function<void(const std::string& theme)> MsgTimeout;
    // Someone else (another program, another user) changed this customer's cases or
    // receivables; on the user-interface thread, in order with the answers.
    std::function<void(const std::string& custId)> ChangedElsewhere;
};

class RequestCriterion {
  public:
    std::string AppName, KeyName, Operator, Value;
};

// The layout object: a named layout and its record set; as an answer part it also carries the
// answer's message key (part "HALBERON").
class DTD : public records::LayoutObject {
  public:
    // Adds a row to the record set and makes it current (fields then set through Recordset()).
    virtual void AddRow() = 0;
    // The record set's field definitions.
    virtual int FieldCount() = 0;
    // Ends the rows: pending edits are written and the rows made final.
    virtual void FinishRows() = 0;
    virtual std::string MessageKey() const = 0;
};
using DTDPtr = std::shared_ptr<DTD>;

class RequestMessage {
  public:
    virtual ~RequestMessage() = default;
    virtual void SetTheme(const std::string& theme) = 0;
    virtual std::string Theme() const = 0;
    virtual void SetSenderId(const std::string& id) = 0;
    virtual void SetVersion(const std::string& version) = 0;
    virtual void SetServiceCode(int code) = 0;
    virtual void AddCriterion(const RequestCriterion& criterion) = 0;
    virtual void AddPart(const std::string& partName, const DTDPtr& part) = 0;
    // Assigned when the request is created: readable before Send, unique across processes.
    virtual std::string MessageKey() const = 0;
    // Returns at once; the answer comes as DataReady on every listener.
    virtual void Send() = 0;
};

class MessageService {
  public:
    virtual ~MessageService() = default;
    virtual std::shared_ptr<MessageListener> GetListener() = 0;
    virtual std::unique_ptr<RequestMessage> NewRequest() = 0;
    virtual DTDPtr NewDTD() = 0;
};

class AnswerStore {
  public:
    virtual ~AnswerStore() = default;
    // The part of the answer to (theme, key); an empty key means the latest answer of the theme.
    // nullptr when there is no such answer or part.
    virtual DTDPtr GetPart(const std::string& partName, const std::string& theme,
                           const std::string& key) = 0;
};

class StatusLine {
  public:
    virtual ~StatusLine() = default;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void EnableCommand(int command, bool enabled) = 0;
};

class UserContext {
  public:
    virtual ~UserContext() = default;
    virtual std::string GetSenderId() = 0;
    virtual std::string GetUserFolder() = 0;  // ends in a separator
    virtual std::string GetOfficerNumber() = 0;
};

class GlobalServices {
  public:
    virtual ~GlobalServices() = default;
    // Number of the kind ("R" receipt, "F" second number) as text; "" when none could be drawn.
    virtual std::string GetNextNumber(const std::string& kind, std::string& arg1,
                                      std::string& arg2) = 0;
    virtual void ReturnReceiptNumber(const std::string& number, const std::string& kind) = 0;
    virtual bool HasRight(const std::string& right) = 0;
    virtual std::string GetMessageTitle() = 0;
    virtual std::string GetCodeDescription(const std::string& table, const std::string& code) = 0;
    virtual bool IsValidOfficer(std::int64_t officer) = 0;
    // Key rules: the key code may be changed (0 discards it); the answer says whether it passes.
    virtual bool IsOfficerKey(int& keyAscii) = 0;
    virtual bool IsReferenceKey(int& keyAscii) = 0;
    virtual bool IsReferenceText(const std::string& text) = 0;
    virtual bool IsCurrencyKey(int& keyAscii, QWidget* box) = 0;
    virtual void MarkInvalid(QWidget* control) = 0;
    virtual void ClearInvalid(QWidget* control) = 0;
    virtual void PrepareForm(QWidget* form) = 0;
};

class ErrorReporter : public records::ErrorSink {
  public:
    virtual void LogNotification(const std::string& text, const std::string& completionCode) = 0;
};

// A settable clock, so deadlines and the time-out sweep can be driven in tests and scenarios.
class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary epoch.
    virtual double Now() = 0;
};

// Everything the screen receives of the common library.
struct CommonLibrary {
    std::shared_ptr<MessageService> messageService;
    std::shared_ptr<AnswerStore> answerStore;
    std::shared_ptr<StatusLine> statusLine;
    std::shared_ptr<UserContext> userContext;
    std::shared_ptr<GlobalServices> globalServices;
    std::shared_ptr<ErrorReporter> errorReporter;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<BackEnd> directory;  // customer and officer look-ups of the selection controls
};

}  // namespace messaging

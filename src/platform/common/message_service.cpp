#include "platform/common/message_service.h"

#include <QUuid>

#include "platform/common/layout_dtd.h"
#include "records/layouts.h"

namespace platform {

std::string newMessageKey() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

TransportRequest::TransportRequest(std::shared_ptr<Transport> transport)
    : transport_(std::move(transport)) {
    request_.messageKey = newMessageKey();
}

void TransportRequest::AddCriterion(const messaging::RequestCriterion& criterion) {
    request_.criteria.push_back(
        {criterion.AppName, criterion.KeyName, criterion.Operator, criterion.Value});
}

void TransportRequest::AddPart(const std::string& partName, const messaging::DTDPtr& part) {
    if (!part)
        throw records::Error(records::err::InvalidArgument,
                             "No layout object for part " + partName);
    parts_.emplace_back(partName, part);
}

void TransportRequest::Send() {
    if (sent_) {
        throw records::Error(records::err::IllegalOperation,
                             "Request " + request_.messageKey + " was already sent");
    }
    messaging::Request request = request_;
    for (const auto& [name, dtd] : parts_) {
        const auto rows = dtd->Recordset();
        // The back end works on copies: the screen's rows never leave this thread.
        request.parts.push_back({name, rows && rows->IsOpen()
                                           ? copyThroughImage(*rows)
                                           : records::OpenLayoutRecordset(dtd->DTDName())});
    }
    sent_ = true;
    transport_->send(std::move(request));
}

TransportMessageService::TransportMessageService(std::shared_ptr<Transport> transport)
    : transport_(std::move(transport)) {}

std::shared_ptr<messaging::MessageListener> TransportMessageService::GetListener() {
    auto listener = std::make_shared<messaging::MessageListener>();
    transport_->addListener(listener);
    return listener;
}

std::unique_ptr<messaging::RequestMessage> TransportMessageService::NewRequest() {
    return std::make_unique<TransportRequest>(transport_);
}

messaging::DTDPtr TransportMessageService::NewDTD() {
    return std::make_shared<LayoutDtd>();
}

}  // namespace platform

#include "analysis/http_transport.h"

namespace velomir {

std::string HttpTransport::fetchText(const std::string& address, Status& status) {
    HttpReply reply = get({address, HttpRequest::Body::Text, true});
    status = std::move(reply.status);
    return status.ok() ? std::move(reply.body) : std::string();
}

std::string HttpTransport::fetchText(const std::string& address) {
    Status ignored;
    return fetchText(address, ignored);
}

std::string HttpTransport::fetchBytes(const std::string& address) {
    HttpReply reply = get({address, HttpRequest::Body::Bytes, true});
    return reply.status.ok() ? std::move(reply.body) : std::string();
}

std::string HttpTransport::redirectTarget(const std::string& address) {
    HttpReply reply = get({address, HttpRequest::Body::Bytes, false});
    if (!reply.status.ok() || reply.code < 300 || reply.code > 399) return {};
    return std::move(reply.redirectTarget);
}

}  // namespace velomir

// A loopback HTTP server whose answers a test writes exactly: any status and headers, a body cut short, an answer
// that goes silent. One request per connection; everything stays on 127.0.0.1.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace velomir::testing {

struct ScriptedRequest {
    std::string target;  // path and query
    std::string host;
    std::string range;  // the Range header; empty when none
    std::chrono::steady_clock::time_point when;
};

struct ScriptedAnswer {
    int code = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::size_t sendBytes = std::string::npos;  // body bytes sent before the connection ends
    bool stall = false;                         // after them, silence until the client leaves
};

class ScriptedServer {
public:
    using Script = std::function<ScriptedAnswer(const ScriptedRequest&)>;

    explicit ScriptedServer(Script script) : script_(std::move(script)) {
        setenv("no_proxy", "*", 1);  // a proxy configured on the machine must not see loopback traffic
        if (::pipe(wake_) != 0) throw std::runtime_error("no pipe");
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 64) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("no loopback socket");
        }
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

    ~ScriptedServer() {
        [[maybe_unused]] const ssize_t woken = ::write(wake_[1], "x", 1);
        acceptor_.join();
        for (std::thread& connection : connections_) connection.join();
        ::close(listener_);
        ::close(wake_[0]);
        ::close(wake_[1]);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::string hostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string address(std::string_view path) const { return "http://" + hostAndPort() + std::string(path); }

    std::vector<ScriptedRequest> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    // Requests whose target starts with `prefix`.
    std::vector<ScriptedRequest> requests(std::string_view prefix) const {
        std::vector<ScriptedRequest> found;
        for (ScriptedRequest& request : requests()) {
            if (std::string_view(request.target).starts_with(prefix)) found.push_back(std::move(request));
        }
        return found;
    }
    // The most connections that were open at once.
    int mostAtOnce() const {
        std::lock_guard lock(mutex_);
        return mostOpen_;
    }

private:
    void acceptLoop() {
        while (true) {
            pollfd watched[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            if (::poll(watched, 2, -1) < 0) continue;
            if (watched[1].revents != 0) return;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            {
                std::lock_guard lock(mutex_);
                mostOpen_ = std::max(mostOpen_, ++open_);
            }
            connections_.emplace_back([this, client] {
                serve(client);
                ::close(client);
                std::lock_guard lock(mutex_);
                --open_;
            });
        }
    }

    // Waits for bytes from the client; false when it left or the server is closing.
    bool readable(int client) const {
        pollfd watched[2] = {{client, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        return ::poll(watched, 2, -1) > 0 && watched[1].revents == 0;
    }

    void serve(int client) {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            if (!readable(client)) return;
            const ssize_t count = ::recv(client, buffer, sizeof buffer, 0);
            if (count <= 0) return;
            head.append(buffer, static_cast<std::size_t>(count));
        }
        ScriptedRequest request;
        request.when = std::chrono::steady_clock::now();
        const auto firstSpace = head.find(' ');
        request.target = head.substr(firstSpace + 1, head.find(' ', firstSpace + 1) - firstSpace - 1);
        request.host = header(head, "host");
        request.range = header(head, "range");
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const ScriptedAnswer answer = script_(request);
        std::string out = "HTTP/1.1 " + std::to_string(answer.code) + " Scripted\r\nConnection: close\r\n";
        for (const auto& [name, value] : answer.headers) out += name + ": " + value + "\r\n";
        out += "\r\n";
        out += answer.body.substr(0, answer.sendBytes);
        std::string_view rest = out;
        while (!rest.empty()) {
            const ssize_t sent = ::send(client, rest.data(), rest.size(), MSG_NOSIGNAL);
            if (sent <= 0) return;
            rest.remove_prefix(static_cast<std::size_t>(sent));
        }
        if (!answer.stall) return;
        while (readable(client)) {
            if (::recv(client, buffer, sizeof buffer, 0) <= 0) return;
        }
    }

    static std::string header(const std::string& head, std::string_view name) {
        std::size_t line = head.find("\r\n");
        while (line != std::string::npos && line + 2 < head.size()) {
            const std::size_t end = head.find("\r\n", line + 2);
            const std::string text = head.substr(line + 2, end - line - 2);
            const std::size_t colon = text.find(':');
            std::string key = text.substr(0, colon);
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
            if (colon != std::string::npos && key == name) {
                const std::size_t value = text.find_first_not_of(' ', colon + 1);
                return value == std::string::npos ? std::string() : text.substr(value);
            }
            line = end;
        }
        return {};
    }

    Script script_;
    int wake_[2] = {-1, -1};
    int listener_ = -1;
    int port_ = 0;
    std::thread acceptor_;
    std::vector<std::thread> connections_;
    mutable std::mutex mutex_;
    std::vector<ScriptedRequest> requests_;
    int open_ = 0;
    int mostOpen_ = 0;
};

}  // namespace velomir::testing

// A local HTTP server and compressed bodies for the transfer tests. Everything stays on 127.0.0.1.
#pragma once

#include <httplib.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

namespace velomir::testing {

// A cpp-httplib server on a free loopback port. Register routes on `server` before start().
class LocalHttpServer {
public:
    LocalHttpServer() {
        setenv("no_proxy", "*", 1);  // a proxy configured on the machine must not see loopback traffic
        server.set_keep_alive_max_count(1);
    }
    ~LocalHttpServer() {
        server.stop();
        if (thread_.joinable()) thread_.join();
    }
    void start() {
        port = server.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server.listen_after_bind(); });
        // stop() before the loop runs would leave it running: wait until it does.
        while (!server.is_running()) std::this_thread::yield();
    }
    std::string address(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(port) + std::string(path);
    }

    httplib::Server server;
    int port = -1;

private:
    std::thread thread_;
};

// `piece` repeated `count` times, deflated; windowBits 31 gives gzip, 15 zlib-wrapped, -15 raw deflate.
inline std::string compressed(std::string_view piece, int windowBits, int count = 1) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out;
    char buffer[16384];
    for (int i = 0; i < count; ++i) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        stream.avail_in = static_cast<uInt>(piece.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, i + 1 == count ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

}  // namespace velomir::testing

#include "answer_sender.h"

#include <httplib.h>

#include "gzip_stream.h"
#include "json_writer.h"
#include "sample_tracks.h"
#include "track_json.h"

namespace velomir {
namespace {

constexpr std::int64_t kFirstFaultId = 9000001;
constexpr std::string_view kFaultNames[] = {"slow", "no-answer",    "reset",    "truncated-gzip",
                                            "huge", "invalid-json", "redirect", "cheating"};
constexpr Fault kFaults[] = {Fault::Slow, Fault::NoAnswer,    Fault::Reset,    Fault::TruncatedGzip,
                             Fault::Huge, Fault::InvalidJson, Fault::Redirect, Fault::Cheating};
constexpr std::size_t kHugeBytes = 65 * 1024 * 1024;  // beyond the client's 64 MiB limit

PieceSink sinkOf(httplib::DataSink& sink, StopSignal& stop) {
    return [&sink, &stop](std::string_view piece) { return !stop.stopped() && sink.write(piece.data(), piece.size()); };
}

// Cut into the middle of the answer and followed by debris, as a broken upstream would send it.
std::string spoiled(std::string_view body) {
    return std::string(body.substr(0, body.size() * 2 / 3)) + R"(,"tracks":[{"name":,]}<br/>{"code":200)";
}

// The sample tracks as one run of array elements, repeated to make the huge body.
std::string hugeUnit(std::string_view base) {
    JsonWriter out;
    int position = 0;
    for (const SampleTrack& track : samplePlaylistTracks())
        writeTrack(out, track, base, listStyle(track.audio, ++position));
    return out.take() + ",";
}

}  // namespace

std::vector<std::string_view> faultNames() { return {std::begin(kFaultNames), std::end(kFaultNames)}; }

Fault faultNamed(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kFaultNames); ++i) {
        if (kFaultNames[i] == name) return kFaults[i];
    }
    return Fault::None;
}

Fault faultOfPlaylist(std::int64_t id) {
    const std::int64_t index = id - kFirstFaultId;
    return index >= 0 && index < static_cast<std::int64_t>(std::size(kFaults)) ? kFaults[index] : Fault::None;
}

void AnswerSender::send(StubAnswer answer, Fault fault, httplib::Response& response) {
    switch (fault) {
        case Fault::Slow:
            if (stop_.waitFor(std::chrono::milliseconds(slowMs_))) return sendGone(response);
            return sendNormally(std::move(answer), response);
        case Fault::NoAnswer:
            stop_.wait();
            return sendGone(response);
        case Fault::Reset:
            return sendHalfThenClose(std::move(answer), response);
        case Fault::TruncatedGzip:
            return sendTruncatedGzip(std::move(answer), response);
        case Fault::Huge:
            return sendHuge(response);
        case Fault::InvalidJson:
            answer.body = spoiled(wholeBody(answer));
            answer.stream = nullptr;
            return sendNormally(std::move(answer), response);
        case Fault::Cheating:
            return sendNormally({400, std::string(kJsonType), R"({"code":-460,"msg":"Cheating"})", {}, true}, response);
        case Fault::None:
        case Fault::Redirect:
            return sendNormally(std::move(answer), response);
    }
}

void AnswerSender::sendNormally(StubAnswer answer, httplib::Response& response) {
    const bool gzip = gzip_ && answer.compressible;
    if (answer.stream) return sendStream(answer, gzip, response);
    response.status = answer.status;
    if (gzip) {
        answer.body = GzipStream::compress(answer.body);
        response.set_header("Content-Encoding", "gzip");
    }
    response.set_content(answer.body, answer.contentType);
}

void AnswerSender::sendStream(const StubAnswer& answer, bool gzip, httplib::Response& response) {
    response.status = answer.status;
    if (gzip) response.set_header("Content-Encoding", "gzip");
    auto write = answer.stream;
    StopSignal& stop = stop_;
    response.set_chunked_content_provider(
        answer.contentType, [write, gzip, &stop](std::size_t, httplib::DataSink& sink) {
            const PieceSink out = sinkOf(sink, stop);
            bool ok = true;
            if (gzip) {
                GzipStream packer(out);
                write([&](std::string_view piece) { return ok = ok && packer.write(piece); });
                ok = ok && packer.finish();
            } else {
                write([&](std::string_view piece) { return ok = ok && out(piece); });
            }
            if (ok) sink.done();
            return ok;
        });
}

std::string AnswerSender::wholeBody(const StubAnswer& answer) {
    if (!answer.stream) return answer.body;
    std::string body;
    answer.stream([&body](std::string_view piece) {
        body += piece;
        return true;
    });
    return body;
}

// The headers promise the whole body; half of it comes, then the connection closes.
void AnswerSender::sendHalfThenClose(StubAnswer answer, httplib::Response& response) {
    std::string body = wholeBody(answer);
    if (gzip_ && answer.compressible) {
        body = GzipStream::compress(body);
        response.set_header("Content-Encoding", "gzip");
    }
    response.status = answer.status;
    const std::size_t length = body.size();
    response.set_content_provider(length, answer.contentType,
                                  [body = std::move(body)](std::size_t, std::size_t, httplib::DataSink& sink) {
                                      sink.write(body.data(), body.size() / 2);
                                      return false;
                                  });
}

// A complete transfer whose gzip data stops short: only inflating it fails.
void AnswerSender::sendTruncatedGzip(StubAnswer answer, httplib::Response& response) {
    const std::string packed = GzipStream::compress(wholeBody(answer));
    response.status = answer.status;
    response.set_header("Content-Encoding", "gzip");
    response.set_content(packed.substr(0, packed.size() / 2), answer.contentType);
}

// A valid playlist answer of more than 64 MiB, made while it is sent; never compressed.
void AnswerSender::sendHuge(httplib::Response& response) {
    StopSignal& stop = stop_;
    std::string unit = hugeUnit(base_);
    response.set_chunked_content_provider(std::string(kJsonType), [&stop, unit](std::size_t, httplib::DataSink& sink) {
        const PieceSink out = sinkOf(sink, stop);
        bool ok = out(R"({"result":{"trackCount":0,"tracks":[)");
        for (std::size_t sent = 0; ok && sent < kHugeBytes; sent += unit.size()) ok = out(unit);
        ok = ok && out(R"({"name":"end","id":1}],"id":9000005},"code":200})");
        if (ok) sink.done();
        return ok;
    });
}

void AnswerSender::sendGone(httplib::Response& response) {
    response.status = 503;
    response.set_content("", "text/plain");
}

}  // namespace velomir

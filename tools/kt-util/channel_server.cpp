// kt-util channel serve: one thread, one poll() over the listening socket
// and every connection, all of them non-blocking.
//
// Invariants: a connection's receive buffer holds less than one frame
// beyond what has been answered, and a frame may declare at most
// max_frame bytes, so it grows only as bytes arrive and never past about
// max_frame; replies wait in a send buffer of at most reply_limit() bytes,
// beyond which the client is dropped, since it does not read them; nothing
// ever waits on one connection, so a stalled client costs the others
// nothing. The frame layout is the channels' own (channel_framing.h).
#include "channel_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "kt/host.h"
#include "system/channel_framing.h"
#include "wording.h"

namespace ktutil {
namespace {

using Clock = std::chrono::steady_clock;
using kt::system::kLongHeader;
using kt::system::kShortHeader;
using kt::system::padded_size;

constexpr const char *kName = "channel";
constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kKeptCapacity = 64 * 1024; // buffers above this are released when empty
constexpr int64_t kReplyBacklog = 4 << 20;  // least reply bytes a client may leave unread
constexpr int kAcceptsPerWake = 64;         // then the connections get their turn
constexpr auto kFirstPause = std::chrono::milliseconds(100), kLongestPause = std::chrono::milliseconds(1600);

struct Connection {
    int fd = -1;
    int32_t id = 0;
    std::vector<unsigned char> in; // bytes of frames not yet answered
    std::string out;               // replies not yet sent, from out_start on
    size_t out_start = 0;
    Clock::time_point last; // last byte moved either way
};

// Releases a buffer's storage once it is empty, so that one large frame
// does not keep its memory for the life of the connection.
template <typename Buffer> void release_if_large(Buffer &b) {
    if (b.empty() && b.capacity() > kKeptCapacity)
        Buffer().swap(b);
}

class EchoServer {
public:
    EchoServer(const ServerOptions &o, int listen_fd)
        : o_(o), listen_fd_(listen_fd), header_(o.long_header ? kLongHeader : kShortHeader), scratch_(kReadChunk) {}

    int run();

private:
    int64_t reply_limit() const { return std::max<int64_t>(kReplyBacklog, 2 * padded_size(o_.max_frame, o_.block)); }
    bool accepting() const { return o_.connections == 0 || accepted_ < o_.connections; }
    bool done() const { return o_.connections > 0 && closed_ >= o_.connections; }

    bool accept_some();
    void refuse(int fd, const std::string &peer);
    // Reads what has arrived and answers every whole frame; false when the
    // connection is to be closed (the reason already said).
    bool receive(Connection &c);
    bool answer_frames(Connection &c);
    bool flush(Connection &c);
    void close_connection(size_t i, const std::string &why);
    int poll_timeout(Clock::time_point now) const;

    const ServerOptions &o_;
    int listen_fd_;
    int32_t header_;
    std::vector<unsigned char> scratch_;
    std::vector<std::unique_ptr<Connection>> open_;
    int32_t accepted_ = 0, closed_ = 0, next_id_ = 1;
    Clock::time_point resume_accepting_{};
    Clock::duration pause_ = kFirstPause;
    bool starved_ = false; // accepting failed for want of descriptors or memory
};

std::string peer_of(const sockaddr_in &a) {
    char dotted[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &a.sin_addr, dotted, sizeof dotted);
    return std::string(dotted) + " port " + std::to_string(ntohs(a.sin_port));
}

std::string seconds_text(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", s);
    return text;
}

bool out_of_descriptors(int err) { return err == EMFILE || err == ENFILE || err == ENOBUFS || err == ENOMEM; }

bool EchoServer::accept_some() {
    for (int k = 0; k < kAcceptsPerWake && accepting(); ++k) {
        sockaddr_in addr{};
        socklen_t len = sizeof addr;
        int fd = accept4(listen_fd_, reinterpret_cast<sockaddr *>(&addr), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (starved_)
                    say("accepting again: every waiting client taken, " +
                        counted(static_cast<int64_t>(open_.size()), "connection") + " open");
                starved_ = false;
                return true;
            }
            if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
                continue;
            if (!out_of_descriptors(errno)) {
                failure(kName, std::string("accepting failed: ") + std::strerror(errno));
                return false;
            }
            // Waiting clients stay queued and the open connections are
            // served meanwhile; one of them closing ends the pause early.
            if (!starved_)
                say("accepting failed (" + std::string(std::strerror(errno)) + ", " +
                    counted(static_cast<int64_t>(open_.size()), "connection") +
                    " open): new connections wait until a descriptor is free");
            starved_ = true;
            resume_accepting_ = Clock::now() + pause_;
            pause_ = std::min<Clock::duration>(pause_ * 2, kLongestPause);
            return true;
        }
        pause_ = kFirstPause;
        std::string peer = peer_of(addr);
        if (static_cast<int32_t>(open_.size()) >= o_.max_connections) {
            refuse(fd, peer);
            continue;
        }
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->id = next_id_++;
        c->last = Clock::now();
        say("connection " + std::to_string(c->id) + " from " + peer);
        open_.push_back(std::move(c));
        ++accepted_;
    }
    return true;
}

void EchoServer::refuse(int fd, const std::string &peer) {
    kt_io_close(fd);
    say("connection from " + peer + " refused: " + counted(static_cast<int64_t>(open_.size()), "connection") +
        " open (--max-connections " + std::to_string(o_.max_connections) + ")");
}

bool EchoServer::receive(Connection &c) {
    int64_t n = kt_io_read(c.fd, scratch_.data(), static_cast<int64_t>(scratch_.size()));
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return true;
    if (n <= 0) {
        std::string why = n == 0 ? "closed" : std::string("closed: ") + std::strerror(errno);
        if (!c.in.empty())
            why +=
                " in the middle of a frame (" + counted(static_cast<int64_t>(c.in.size()), "byte") + " of it received)";
        say("connection " + std::to_string(c.id) + " " + why);
        return false;
    }
    c.last = Clock::now();
    c.in.insert(c.in.end(), scratch_.begin(), scratch_.begin() + n);
    return answer_frames(c);
}

bool EchoServer::answer_frames(Connection &c) {
    size_t at = 0;
    std::string id = "connection " + std::to_string(c.id);
    // The header is judged as soon as it is in, before the padding of its block.
    while (static_cast<int64_t>(c.in.size() - at) >= header_) {
        const unsigned char *h = c.in.data() + at;
        int64_t length = kt::system::read_frame_length(h, header_);
        if (length < header_) {
            say(id + ": impossible frame length " + std::to_string(length) + ": closed");
            return false;
        }
        if (length > o_.max_frame) {
            say(id + ": frame of " + std::to_string(length) + " bytes declared, above the limit of " +
                std::to_string(o_.max_frame) + " (--max-frame): closed");
            return false;
        }
        int64_t size = padded_size(length, o_.block);
        if (static_cast<int64_t>(c.in.size() - at) < size)
            break;
        int32_t type = h[0];
        std::string payload(reinterpret_cast<const char *>(h) + header_, static_cast<size_t>(length - header_));
        say(id + ": " + describe_frame(type, payload));
        unsigned char head[kLongHeader];
        kt::system::write_header(head, header_, type, length);
        c.out.append(reinterpret_cast<const char *>(head), static_cast<size_t>(header_));
        c.out += payload;
        c.out.append(static_cast<size_t>(size - length), '\0');
        at += static_cast<size_t>(size);
    }
    c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(at));
    release_if_large(c.in);
    if (static_cast<int64_t>(c.out.size() - c.out_start) > reply_limit()) {
        say(id + " does not read its replies (" + std::to_string(c.out.size() - c.out_start) +
            " bytes waiting): closed");
        return false;
    }
    return flush(c);
}

bool EchoServer::flush(Connection &c) {
    while (c.out_start < c.out.size()) {
        // A socket that refuses more now is waited for by the poll loop.
        int64_t n = kt_io_write(c.fd, c.out.data() + c.out_start, static_cast<int64_t>(c.out.size() - c.out_start));
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            say("connection " + std::to_string(c.id) + " closed: " + std::strerror(errno));
            return false;
        }
        c.out_start += static_cast<size_t>(n);
        c.last = Clock::now();
    }
    if (c.out_start == c.out.size()) {
        c.out.clear();
        c.out_start = 0;
        release_if_large(c.out);
    } else if (c.out_start > c.out.size() / 2) {
        c.out.erase(0, c.out_start);
        c.out_start = 0;
    }
    return true;
}

void EchoServer::close_connection(size_t i, const std::string &why) {
    if (!why.empty())
        say("connection " + std::to_string(open_[i]->id) + " " + why);
    kt_io_close(open_[i]->fd);
    resume_accepting_ = Clock::now(); // a descriptor is free again
    open_[i] = std::move(open_.back());
    open_.pop_back();
    ++closed_;
}

int EchoServer::poll_timeout(Clock::time_point now) const {
    Clock::time_point wake = Clock::time_point::max();
    if (starved_ && accepting())
        wake = resume_accepting_;
    if (o_.idle > 0)
        for (const auto &c : open_)
            wake = std::min(
                wake, c->last + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o_.idle)));
    if (wake == Clock::time_point::max())
        return -1;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count() + 1;
    return static_cast<int>(std::clamp<int64_t>(ms, 0, 60000));
}

int EchoServer::run() {
    std::vector<pollfd> fds;
    while (!done()) {
        Clock::time_point now = Clock::now();
        bool listen = accepting() && (!starved_ || now >= resume_accepting_);
        fds.clear();
        for (const auto &c : open_)
            fds.push_back({c->fd, static_cast<short>(POLLIN | (c->out_start < c->out.size() ? POLLOUT : 0)), 0});
        if (listen)
            fds.push_back({listen_fd_, POLLIN, 0});
        std::fflush(stdout);
        if (poll(fds.data(), fds.size(), poll_timeout(now)) < 0 && errno != EINTR)
            return failure(kName, std::string("waiting failed: ") + std::strerror(errno));
        // Backwards, so that closing (which moves the last connection into
        // the freed place) leaves the ones still to visit where they were.
        for (size_t i = open_.size(); i-- > 0;) {
            short ev = fds[i].revents;
            Connection &c = *open_[i];
            bool keep = true;
            if (ev & POLLNVAL)
                keep = false;
            if (keep && (ev & POLLOUT))
                keep = flush(c);
            if (keep && (ev & (POLLIN | POLLHUP | POLLERR)))
                keep = receive(c);
            if (!keep)
                close_connection(i, "");
        }
        if (listen && (fds.back().revents & POLLIN) && !accept_some())
            return 1;
        if (o_.idle > 0) {
            auto limit = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o_.idle));
            now = Clock::now();
            for (size_t i = open_.size(); i-- > 0;)
                if (now - open_[i]->last >= limit)
                    close_connection(i, "idle for " + seconds_text(o_.idle) + " s: closed");
        }
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

std::string describe_frame(int32_t type, const std::string &payload, size_t shown) {
    bool printable = std::all_of(payload.begin(), payload.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
    std::string s = "type " + std::to_string(type) + ", " + counted(static_cast<int64_t>(payload.size()), "byte");
    if (payload.empty())
        return s;
    std::string body;
    size_t n = std::min(payload.size(), shown);
    if (printable) {
        body = payload.substr(0, n);
    } else {
        char b[4];
        for (size_t i = 0; i < n; ++i) {
            std::snprintf(b, sizeof b, "%02x", static_cast<unsigned char>(payload[i]));
            body += (i ? " " : "") + std::string(b);
        }
    }
    return s + (printable ? ": " : " (hex): ") + body + (n < payload.size() ? " ..." : "");
}

int serve(const ServerOptions &o) {
    int32_t port = o.port;
    int fd = c_sfcrsa(o.listen.c_str(), &port);
    if (fd < 0)
        return failure(kName, "cannot listen on " + o.listen + " port " + std::to_string(o.port));
    signal(SIGPIPE, SIG_IGN); // a client gone while we write is a closed connection, not our end
    bool everywhere = o.listen == "0.0.0.0" || o.listen.empty();
    say("listening on port " + std::to_string(port) + " at " + (everywhere ? "every interface" : o.listen));
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY &&
        files.rlim_cur < static_cast<rlim_t>(o.max_connections) + 8)
        say("note: the descriptor limit of " + std::to_string(files.rlim_cur) + " allows fewer than " +
            counted(o.max_connections, "connection") + "; the others wait until some close");
    EchoServer server(o, fd);
    int status = server.run();
    kt_io_close(fd);
    return status;
}

} // namespace ktutil

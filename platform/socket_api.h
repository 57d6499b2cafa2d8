#pragma once
// The few calls the socket layer makes on the system's IPv4 stream sockets,
// with the system's error numbers behind the names the socket layer uses.
// Every call is non-blocking except ResolveIPv4, which runs on a helper thread.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velloran::sock {

// Error codes as the socket layer reports them: the platform's own values.
extern const int kWouldBlock;      // the operation is under way or would block
extern const int kAlready;         // the socket already has a handle
extern const int kNotInitialised;  // no notification window for this thread
extern const int kHostNotFound;    // the name lookup found no IPv4 address
extern const int kInProgress;      // a non-blocking connect has started

inline constexpr int kInvalid = -1;

// The calling thread's last error.
[[nodiscard]] int LastError();
void SetLastError(int error);

// A non-blocking IPv4 stream socket, or kInvalid.
[[nodiscard]] int OpenStream();
void Close(int fd);
[[nodiscard]] bool BindAny(int fd);
[[nodiscard]] bool SetBufferSizes(int fd, int send_bytes, int receive_bytes);
// Keepalive probes after idle_s seconds of silence, every interval_s, and the
// connection reported lost after `probes` unanswered ones.
[[nodiscard]] bool SetKeepAlive(int fd, int idle_s, int interval_s, int probes);

// Dotted IPv4 text ("127.0.0.1") to an address in network order.
[[nodiscard]] bool ParseDotted(const std::string& host, std::uint32_t& address);
// Blocking lookup of the first IPv4 address; 0 or the lookup's error.
[[nodiscard]] int ResolveIPv4(const std::string& host, std::uint32_t& address);

// 0 when connected at once, else the error (kInProgress while pending).
[[nodiscard]] int Connect(int fd, std::uint32_t address, int port);
// The pending error of the socket (SO_ERROR), 0 when none.
[[nodiscard]] int PendingError(int fd);
// Bytes that can be read now, or -1 (LastError says why).
[[nodiscard]] long BytesReadable(int fd);

// As the system's calls: bytes moved, 0 at end of stream, -1 with LastError.
[[nodiscard]] long Receive(int fd, void* buffer, std::size_t size);
[[nodiscard]] long Send(int fd, const void* buffer, std::size_t size);

}  // namespace velloran::sock

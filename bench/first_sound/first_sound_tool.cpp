// Small helpers for the first-sound benchmark (run_first_sound.sh), kept out of the shell
// so that their timing is their own and not a shell's:
//
//   first_sound_tool listen [DEADLINE_S]
//       Reads signed 16-bit samples from standard input (parec --raw on the null sink's
//       monitor), prints "ready" at the first block read, then "sound EPOCH_US" at the
//       first non-silent sample (wall-clock microseconds, as bash's $EPOCHREALTIME) and
//       exits 0; exits 1 when the input ends or DEADLINE_S (default 30) passes first.
//   first_sound_tool send SOCKET TEXT
//       Writes TEXT and a newline to the Unix socket SOCKET (mpv's IPC) and prints its
//       first answer line.
//   first_sound_tool now
//       Prints the wall-clock time in microseconds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A null sink renders exact zeros while nothing plays; any player's first block of a sine
// at the lowest volume here is far above this.
constexpr int silenceLimit = 64;

long long epochMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int listen(int deadlineSeconds) {
    const long long deadline = epochMicros() + deadlineSeconds * 1000000LL;
    short samples[512];
    bool announced = false;
    std::size_t carry = 0; // bytes of a sample split across reads
    unsigned char partial[2];
    pollfd in{0, POLLIN, 0};
    while (epochMicros() < deadline) {
        if (poll(&in, 1, 200) <= 0)
            continue;
        unsigned char bytes[sizeof samples];
        std::memcpy(bytes, partial, carry);
        const ssize_t n = read(0, bytes + carry, sizeof bytes - carry);
        if (n <= 0)
            return 1;
        const long long seen = epochMicros();
        const std::size_t total = carry + std::size_t(n);
        const std::size_t whole = total / 2;
        std::memcpy(samples, bytes, whole * 2);
        carry = total % 2;
        std::memcpy(partial, bytes + whole * 2, carry);
        if (!announced) {
            std::printf("ready\n");
            std::fflush(stdout);
            announced = true;
        }
        for (std::size_t i = 0; i < whole; ++i) {
            if (std::abs(int(samples[i])) > silenceLimit) {
                std::printf("sound %lld\n", seen);
                std::fflush(stdout);
                return 0;
            }
        }
    }
    return 1;
}

int send(const char* path, const char* text) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror(path);
        return 1;
    }
    const std::string line = std::string(text) + "\n";
    if (write(fd, line.data(), line.size()) != ssize_t(line.size()))
        return 1;
    std::string answer;
    char c = 0;
    pollfd p{fd, POLLIN, 0};
    while (answer.size() < 4096 && poll(&p, 1, 5000) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        answer += c;
    std::printf("%s\n", answer.c_str());
    close(fd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "listen")
        return listen(argc > 2 ? std::atoi(argv[2]) : 30);
    if (mode == "send" && argc == 4)
        return send(argv[2], argv[3]);
    if (mode == "now") {
        std::printf("%lld\n", epochMicros());
        return 0;
    }
    std::fprintf(stderr, "usage: %s listen [DEADLINE_S] | send SOCKET TEXT | now\n", argv[0]);
    return 2;
}

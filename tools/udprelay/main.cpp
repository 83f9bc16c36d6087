// udprelay: a bad network on 127.0.0.1 without privileges. Machines send to --listen; each sender
// gets its own socket towards --to, so the far end sees one address per machine. Every datagram,
// either way, is dropped with --loss percent or held for --delay ms plus or minus --jitter ms.
// --hostile MS: every MS milliseconds the far end also gets a garbage datagram, a replay (one of the
// first 64 datagrams sent to it, its handshake among them, or one of the last 64) and an oversized
// one. Leaves after --seconds. Prints what it did at the end.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <queue>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int listen = 0, to = 0, delay = 0, jitter = 0, hostile = 0, seconds = 60;
    double loss = 0;
    unsigned seed = 1;
};

struct Held {
    Clock::time_point due;
    int socket;
    sockaddr_in where;
    std::string bytes;
    bool operator>(const Held& o) const { return due > o.due; }
};

sockaddr_in Local(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int OpenSocket(int port) {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = Local(port);
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        std::perror("udprelay: bind");
        std::exit(1);
    }
    return s;
}

bool Parse(int argc, char** argv, Options* o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        const char* value = argv[i + 1];
        if (flag == "--listen") o->listen = std::atoi(value);
        else if (flag == "--to") o->to = std::atoi(value);
        else if (flag == "--delay") o->delay = std::atoi(value);
        else if (flag == "--jitter") o->jitter = std::atoi(value);
        else if (flag == "--loss") o->loss = std::atof(value);
        else if (flag == "--hostile") o->hostile = std::atoi(value);
        else if (flag == "--seconds") o->seconds = std::atoi(value);
        else if (flag == "--seed") o->seed = static_cast<unsigned>(std::atoi(value));
        else return false;
    }
    return argc % 2 == 1 && o->listen > 0 && o->to > 0 && o->delay >= 0 && o->jitter >= 0 && o->jitter <= o->delay &&
           o->seconds > 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, &o)) {
        std::fprintf(stderr, "usage: udprelay --listen PORT --to PORT [--delay MS] [--jitter MS (<= delay)] "
                             "[--loss PERCENT] [--hostile MS] [--seconds N] [--seed N]\n");
        return 2;
    }
    std::mt19937 random(o.seed);
    std::uniform_real_distribution<double> chance(0.0, 100.0);
    std::uniform_int_distribution<int> spread(-o.jitter, o.jitter);
    const int front = OpenSocket(o.listen);
    std::map<std::uint64_t, int> upstream; // a sender's address and port -> its socket towards --to
    std::map<int, sockaddr_in> senderOf;
    std::priority_queue<Held, std::vector<Held>, std::greater<Held>> held;
    std::vector<std::string> first; // the first datagrams towards --to, and the latest: for replays
    std::vector<std::string> latest;
    std::size_t latestNext = 0;
    long forwarded = 0, dropped = 0, injected = 0;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(o.seconds);
    Clock::time_point nextHostile = Clock::now() + std::chrono::milliseconds(o.hostile);
    const sockaddr_in far = Local(o.to);

    auto hold = [&](int socket, const sockaddr_in& where, std::string bytes) {
        if (chance(random) < o.loss) {
            ++dropped;
            return;
        }
        held.push(
            Held{Clock::now() + std::chrono::milliseconds(o.delay + spread(random)), socket, where, std::move(bytes)});
    };

    while (Clock::now() < end) {
        std::vector<pollfd> fds{{front, POLLIN, 0}};
        for (const auto& [key, socket] : upstream) fds.push_back({socket, POLLIN, 0});
        poll(fds.data(), fds.size(), 2);
        char buffer[65536];
        for (const pollfd& fd : fds) {
            if (!(fd.revents & POLLIN)) continue;
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t n = recvfrom(fd.fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
            if (n < 0) continue;
            std::string bytes(buffer, static_cast<std::size_t>(n));
            if (fd.fd == front) {
                const std::uint64_t key = (std::uint64_t(from.sin_addr.s_addr) << 16) | from.sin_port;
                if (!upstream.count(key)) {
                    upstream[key] = OpenSocket(0);
                    senderOf[upstream[key]] = from;
                }
                if (first.size() < 64) first.push_back(bytes);
                else if (latest.size() < 64) latest.push_back(bytes);
                else latest[latestNext++ % latest.size()] = bytes;
                hold(upstream[key], far, std::move(bytes));
            } else {
                hold(front, senderOf[fd.fd], std::move(bytes));
            }
        }
        const Clock::time_point now = Clock::now();
        while (!held.empty() && held.top().due <= now) {
            const Held& h = held.top();
            sendto(h.socket, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&h.where),
                   sizeof h.where);
            ++forwarded;
            held.pop();
        }
        if (o.hostile > 0 && now >= nextHostile && !upstream.empty()) {
            nextHostile = now + std::chrono::milliseconds(o.hostile);
            const int socket = upstream.begin()->second;
            std::string garbage(1 + random() % 200, '\0');
            for (char& c : garbage) c = static_cast<char>(random());
            const std::string oversized(60000, 'x');
            const std::vector<std::string>& from = latest.empty() || random() % 2 == 0 ? first : latest;
            const std::string& replay = from[random() % from.size()];
            for (const std::string* bytes : std::vector<const std::string*>{&garbage, &oversized, &replay}) {
                sendto(socket, bytes->data(), bytes->size(), 0, reinterpret_cast<const sockaddr*>(&far), sizeof far);
                ++injected;
            }
        }
    }
    std::printf("udprelay: forwarded %ld, dropped %ld, injected %ld\n", forwarded, dropped, injected);
    return 0;
}

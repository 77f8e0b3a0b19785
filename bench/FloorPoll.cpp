// The floor of an idle poll cycle: a process that wakes every 100 ms and asks the kernel, with
// one poll(), whether the mount table changed. Runs until it is killed.
#include <fcntl.h>
#include <poll.h>
#include <time.h>

int main() {
    const int table = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    timespec next{};
    ::clock_gettime(CLOCK_MONOTONIC, &next);
    for (;;) {
        next.tv_nsec += 100'000'000;
        if (next.tv_nsec >= 1'000'000'000) {
            next.tv_nsec -= 1'000'000'000;
            ++next.tv_sec;
        }
        ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        pollfd watch{table, POLLPRI, 0};
        ::poll(&watch, 1, 0);
    }
}

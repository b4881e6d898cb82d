// How long a program takes from its start until its main window is on the display and painted,
// for two programs started alternately on the same X display: the first is timed alone first to
// learn its window's size, which replaces "%W" and "%H" in the second's arguments. Painted means
// a line across the middle of the window is no longer the black of the root window below it (run
// the X server with a black root: Xvfb -br). Prints each program's median and their ratio.
//
//   startup_race ROUNDS PROGRAM [ARGS...] -- PROGRAM [ARGS...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Shown
{
    double ms = -1;
    int width = 0, height = 0;
};

bool paintedLine(Display* display, Window window, int width, int height)
{
    XImage* line = XGetImage(display, window, 0, height / 2, unsigned(width), 1, AllPlanes, ZPixmap);
    if (!line)
        return false;
    bool painted = false;
    for (int x = 0; x < width && !painted; ++x)
        painted = (XGetPixel(line, x, 0) & 0xffffff) != 0;
    XDestroyImage(line);
    return painted;
}

Shown launch(Display* display, const std::vector<std::string>& command)
{
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& a : command)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Shown shown;
    Window mapped = 0;
    const auto deadline = start + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
        while (!mapped && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.event == DefaultRootWindow(display) &&
                !event.xmap.override_redirect)
                mapped = event.xmap.window;
        }
        if (mapped) {
            XWindowAttributes a;
            if (XGetWindowAttributes(display, mapped, &a) && a.map_state == IsViewable &&
                paintedLine(display, mapped, a.width, a.height)) {
                shown.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                shown.width = a.width;
                shown.height = a.height;
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    XSelectInput(display, DefaultRootWindow(display), NoEventMask);
    XSync(display, True);
    return shown;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::vector<std::string> withSize(std::vector<std::string> command, const Shown& size)
{
    for (std::string& a : command) {
        if (a == "%W")
            a = std::to_string(size.width);
        if (a == "%H")
            a = std::to_string(size.height);
    }
    return command;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: startup_race ROUNDS PROGRAM [ARGS...] -- PROGRAM [ARGS...]\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    std::vector<std::string> first, second;
    bool inSecond = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0 && !inSecond)
            inSecond = true;
        else
            (inSecond ? second : first).push_back(argv[i]);
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display || first.empty() || second.empty()) {
        std::fprintf(stderr, "needs an X display and two programs\n");
        return 2;
    }
    // Once each untimed: the file system cache and the font cache warm up.
    const Shown size = launch(display, first);
    if (size.ms < 0) {
        std::fprintf(stderr, "%s showed no window\n", first[0].c_str());
        return 1;
    }
    second = withSize(second, size);
    launch(display, second);
    std::vector<double> a, b;
    for (int r = 0; r < rounds; ++r) {
        // ABBA order, so neither always follows the other.
        for (int k = 0; k < 2; ++k) {
            const bool firstNow = (r + k) % 2 == 0;
            const Shown s = launch(display, firstNow ? first : second);
            if (s.ms < 0) {
                std::fprintf(stderr, "a window did not show\n");
                return 1;
            }
            (firstNow ? a : b).push_back(s.ms);
        }
    }
    std::printf("%s: window shown after %.1f ms (median of %d, %dx%d)\n", first[0].c_str(), median(a), rounds,
                size.width, size.height);
    std::printf("%s: window shown after %.1f ms (median of %d)\n", second[0].c_str(), median(b), rounds);
    std::printf("ratio: %.2f\n", median(a) / median(b));
    XCloseDisplay(display);
    return 0;
}

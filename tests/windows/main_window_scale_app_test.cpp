// The program on X servers of its own whose resources say Xft.dpi 144 and
// 192: the main window comes up at 150 % and 200 % of its layout's size,
// centred, with its record button drawn at the same scale.
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "base/AppFolders.h"
#include "base/CodePage.h"

extern char** environ;

namespace {

// An Xvfb of its own with the given DPI in its resources; stopped at the end.
class DpiServer {
 public:
  explicit DpiServer(int dpi) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 3);
      execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "2000x1600x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    char number[32] = {};
    const ssize_t n = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    if (n <= 0) return;
    name_ = ":" + std::string(number, strcspn(number, "\n"));
    display_ = XOpenDisplay(name_.c_str());
    if (!display_) return;
    const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
    XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.c_str()), static_cast<int>(resources.size()));
    XSync(display_, False);
  }
  ~DpiServer() {
    if (display_) XCloseDisplay(display_);
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  Display* display() const { return display_; }
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
  Display* display_ = nullptr;
};

// The top-level window titled `title`, searched among the root's children.
Window FindTitled(Display* d, const std::string& title) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
  const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  for (unsigned i = 0; i < count && !found; ++i) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, children[i], netName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) ==
            Success &&
        data) {
      if (title == reinterpret_cast<char*>(data)) found = children[i];
      XFree(data);
    }
  }
  if (children) XFree(children);
  return found;
}

unsigned long Pixel(Display* d, int x, int y) {
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0;
  const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return p;
}

TEST(MainWindowScale, FollowsTheScreensDpi) {
  const std::string program = WideToUtf8(std::wstring(GetExeDir().c_str())) + "/quorvale";
  const struct {
    int dpi, scale;
  } rows[] = {{144, 150}, {192, 200}};
  for (const auto& r : rows) {
    DpiServer server(r.dpi);
    ASSERT_NE(server.display(), nullptr) << "Xvfb did not start";
    const std::string env = "DISPLAY=" + server.name();
    std::vector<std::string> envs;
    for (char** e = environ; *e; ++e)
      if (strncmp(*e, "DISPLAY=", 8) != 0) envs.emplace_back(*e);
    envs.push_back(env);
    std::vector<char*> envp;
    for (std::string& e : envs) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, envp.data()), 0);

    Display* d = server.display();
    Window w = 0;
    XWindowAttributes a{};
    int width = 0, height = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
      w = FindTitled(d, "Velmora电脑录音软件");
      if (w && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) {
        width = a.width;
        height = a.height;
        if (width == 760 * r.scale / 100) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(800));  // the first paint
    EXPECT_EQ(width, 760 * r.scale / 100) << r.dpi;
    EXPECT_EQ(height, 640 * r.scale / 100) << r.dpi;
    EXPECT_NEAR(a.x + width / 2, 1000, 2) << "centred, " << r.dpi;
    EXPECT_NEAR(a.y + height / 2, 800, 2) << "centred, " << r.dpi;
    // The record button's red left of its white centre: at 100 % 28 pixels
    // from the window's left and 85 above its bottom (over the bottom bar).
    // Waited for: a loaded machine may paint the window late.
    const int s = r.scale;
    unsigned long red = 0;
    const auto painted = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while ((red = Pixel(d, a.x + 28 * s / 100, a.y + height - 85 * s / 100)) != 0xDD2421u &&
           std::chrono::steady_clock::now() < painted)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(red, 0xDD2421u) << r.dpi;
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
  }
}

}  // namespace

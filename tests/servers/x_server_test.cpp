// The X server of the test command is reachable and has a usable screen.
#include <gtest/gtest.h>
#include <X11/Xlib.h>

TEST(XServer, OpensTheDisplayAndMapsAWindow) {
    Display* dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr) << "no X display reachable (DISPLAY unset?)";
    int screen = DefaultScreen(dpy);
    EXPECT_GE(DisplayWidth(dpy, screen), 640);
    EXPECT_GE(DisplayHeight(dpy, screen), 480);
    Window w = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 10, 10, 50, 40, 0, 0,
                                   WhitePixel(dpy, screen));
    XSelectInput(dpy, w, StructureNotifyMask);
    XMapWindow(dpy, w);
    XEvent ev;
    do { XNextEvent(dpy, &ev); } while (ev.type != MapNotify);
    XWindowAttributes attrs;
    ASSERT_TRUE(XGetWindowAttributes(dpy, w, &attrs));
    EXPECT_EQ(attrs.width, 50);
    EXPECT_EQ(attrs.map_state, IsViewable);
    XDestroyWindow(dpy, w);
    XCloseDisplay(dpy);
}

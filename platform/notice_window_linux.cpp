#include "platform/notice_window_linux.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>

namespace {

// GLUT_BITMAP_9_BY_15 cells, a margin and the height of the OK button.
constexpr int cellWidth = 9;
constexpr int lineHeight = 18;
constexpr int margin = 16;
constexpr int buttonHeight = 26;
constexpr int buttonWidth = 64;

std::vector<std::string> noticeLines;
bool acknowledged = false;

// The bitmap font covers Latin-1: UTF-8 down to it, anything else as '?'.
std::string latin1(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
        } else if ((lead & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            const unsigned code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            out += static_cast<char>(code < 0x100 ? code : '?');
            i += 2;
        } else {
            out += '?';
            ++i;
            while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return out;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(latin1(text.substr(start, end - start)));
    lines.push_back(latin1(text.substr(start)));
    return lines;
}

int noticeWidth()
{
    std::size_t longest = 0;
    for (const std::string& line : noticeLines)
        longest = std::max(longest, line.size());
    return std::max(static_cast<int>(longest) * cellWidth, 240) + 2 * margin;
}

int noticeHeight()
{
    return static_cast<int>(noticeLines.size()) * lineHeight + buttonHeight + 3 * margin;
}

void drawNotice()
{
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Window pixels, y growing downward like the text.
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.94f, 0.94f, 0.94f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    glColor3f(0.0f, 0.0f, 0.0f);
    int baseline = margin + 12;
    for (const std::string& line : noticeLines) {
        glRasterPos2i(margin, baseline);
        for (const char c : line)
            glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(c));
        baseline += lineHeight;
    }

    const int left = (width - buttonWidth) / 2;
    const int top = height - margin - buttonHeight;
    glBegin(GL_LINE_LOOP);
    glVertex2f(left + 0.5f, top + 0.5f);
    glVertex2f(left + buttonWidth - 0.5f, top + 0.5f);
    glVertex2f(left + buttonWidth - 0.5f, top + buttonHeight - 0.5f);
    glVertex2f(left + 0.5f, top + buttonHeight - 0.5f);
    glEnd();
    glRasterPos2i(left + (buttonWidth - 2 * cellWidth) / 2, top + 18);
    glutBitmapString(GLUT_BITMAP_9_BY_15, reinterpret_cast<const unsigned char*>("OK"));
    glutSwapBuffers();
}

void noticeKey(unsigned char key, int, int)
{
    if (key == '\r' || key == '\n' || key == 27)
        acknowledged = true;
}

void noticeClick(int, int state, int, int)
{
    if (state == GLUT_UP)
        acknowledged = true;
}

void noticeClosed()
{
    acknowledged = true;
}

// A connection of the notice's own: it asks whether the display makes GL
// windows at all (the toolkit ends the process when it cannot), and watches
// the notice for being destroyed from outside, which the toolkit ignores.
struct CloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, CloseDisplay>;

DisplayHandle openGlDisplay(const std::string& name)
{
    DisplayHandle display(XOpenDisplay(name.empty() ? nullptr : name.c_str()));
    int errorBase = 0;
    int eventBase = 0;
    if (display && !glXQueryExtension(display.get(), &errorBase, &eventBase))
        display.reset();
    return display;
}

void startToolkit(const std::string& display)
{
    char program[] = "qlxtest";
    char option[] = "-display";
    std::string name = display;
    char* argv[] = {program, option, name.data(), nullptr};
    int argc = display.empty() ? 1 : 3;
    glutInit(&argc, argv);
}

// While the notice waits, X errors about a window destroyed under it are
// expected; Xlib's default handler would end the process.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

class IgnoredErrors {
public:
    IgnoredErrors() : previous_(XSetErrorHandler(ignoreError)) {}
    ~IgnoredErrors() { XSetErrorHandler(previous_); }
    IgnoredErrors(const IgnoredErrors&) = delete;
    IgnoredErrors& operator=(const IgnoredErrors&) = delete;

private:
    XErrorHandler previous_;
};

bool destroyedNow(Display* watch, Window notice)
{
    bool destroyed = false;
    while (XPending(watch)) {
        XEvent event;
        XNextEvent(watch, &event);
        destroyed |= event.type == DestroyNotify && event.xdestroywindow.window == notice;
    }
    return destroyed;
}

// Blocks until either connection has something to read. The time limit only
// lets the toolkit's own timers run.
void waitForEvents(Display* toolkit, Display* watch)
{
    if (XPending(toolkit) || XPending(watch))
        return;
    pollfd connections[] = {{ConnectionNumber(toolkit), POLLIN, 0}, {ConnectionNumber(watch), POLLIN, 0}};
    poll(connections, 2, 1000);
}

} // namespace

bool showNoticeWindow(const std::string& display, const char* caption, const char* text)
{
    const DisplayHandle watch = openGlDisplay(display);
    if (!watch)
        return false;
    if (!glutGet(GLUT_INIT_STATE))
        startToolkit(display);

    const int previousAction = glutGet(GLUT_ACTION_ON_WINDOW_CLOSE);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);

    noticeLines = splitLines(text);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowSize(noticeWidth(), noticeHeight());
    const int notice = glutCreateWindow(caption);
    glutDisplayFunc(drawNotice);
    glutKeyboardFunc(noticeKey);
    glutMouseFunc(noticeClick);
    glutCloseFunc(noticeClosed);

    // The toolkit draws into the window itself, so the current drawable is
    // the notice's X window.
    Display* const toolkit = glXGetCurrentDisplay();
    const Window noticeWindow = glXGetCurrentDrawable();
    const IgnoredErrors ignored;
    XSync(toolkit, False);
    XSelectInput(watch.get(), noticeWindow, StructureNotifyMask);
    XWindowAttributes attributes;
    bool destroyed = !XGetWindowAttributes(watch.get(), noticeWindow, &attributes);

    acknowledged = false;
    while (!acknowledged && !destroyed) {
        glutMainLoopEvent();
        destroyed = destroyedNow(watch.get(), noticeWindow);
        if (!acknowledged && !destroyed)
            waitForEvents(toolkit, watch.get());
    }
    glutDestroyWindow(notice);
    glutMainLoopEvent();
    XSync(toolkit, False);

    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, previousAction);
    return true;
}

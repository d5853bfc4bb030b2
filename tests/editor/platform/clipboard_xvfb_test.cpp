// Xlib's macros (None, Bool, Status) must come after the test framework.
#include <gtest/gtest.h>

#include "editor/platform/EditBox.h"
#include "editor/platform/linux/X11Clipboard.h"
#include "FontProbe.h"
#include "SdlDialogFixture.h"
#include "support/TempDirectory.h"
#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace oq::test {
namespace {

using Clock = std::chrono::steady_clock;

// Starts a program with stdin and stdout redirected to files (none: inherited); 0 on failure.
pid_t Spawn(const std::vector<std::string> &arguments, const std::string &input = {}, const std::string &output = {})
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty()) posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    if (!output.empty())
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char *> argv;
    for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : 0;
}

void Stop(pid_t pid)
{
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

std::vector<uint8_t> ReadFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t('a' + (i * 7 + i / 4093) % 26);
    return bytes;
}

// A clipboard owner on a connection and thread of its own that answers every request by INCR (or,
// with incr off, with one property): chunks of chunkSize pattern bytes on each deletion, chunkCount
// of them and then the empty end; with chunkCount 0 it never ends. It counts the chunks sent and
// notes when the requestor's window goes away; it gives up (ranOut) after 30 s.
class ClipboardPeer
{
public:
    ClipboardPeer(bool incr, size_t chunkSize, int32_t chunkCount)
        : incr(incr), chunkSize(chunkSize), chunkCount(chunkCount)
    {
    }

    ~ClipboardPeer()
    {
        stop = true;
        if (thread.joinable()) thread.join();
    }

    // Starts serving; false when the peer could not take the selection.
    bool Start()
    {
        thread = std::thread([this] { Run(); });
        auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!ready && !failed && Clock::now() < deadline) usleep(1000);
        return ready;
    }

    std::atomic<int32_t> chunksSent = 0;
    std::atomic<bool> requestorGone = false;
    std::atomic<bool> ranOut = false;

private:
    void Run()
    {
        Display *peer = XOpenDisplay(nullptr);
        if (peer == nullptr)
        {
            failed = true;
            return;
        }
        Window window = XCreateSimpleWindow(peer, DefaultRootWindow(peer), 0, 0, 1, 1, 0, 0, 0);
        Atom selection = XInternAtom(peer, "CLIPBOARD", False);
        Atom incrAtom = XInternAtom(peer, "INCR", False);
        XSetSelectionOwner(peer, selection, window, CurrentTime);
        XSync(peer, False);
        if (XGetSelectionOwner(peer, selection) != window) failed = true;
        else ready = true;
        std::vector<uint8_t> data = Pattern(incr ? size_t(1) << 24 : chunkSize);
        Window requestor = None;
        Atom property = None;
        Atom type = None;
        int32_t sent = 0;
        auto end = Clock::now() + std::chrono::seconds(30);
        while (!stop && ready)
        {
            if (Clock::now() > end)
            {
                ranOut = true;
                break;
            }
            pollfd descriptor = {ConnectionNumber(peer), POLLIN, 0};
            poll(&descriptor, 1, 10);
            while (XPending(peer) > 0)
            {
                XEvent event;
                XNextEvent(peer, &event);
                if (event.type == SelectionRequest)
                {
                    const XSelectionRequestEvent &request = event.xselectionrequest;
                    requestor = request.requestor;
                    property = request.property;
                    type = request.target;
                    XSelectInput(peer, requestor, PropertyChangeMask | StructureNotifyMask);
                    if (incr)
                    {
                        long size = long(chunkSize) * (chunkCount ? chunkCount : 1000000);
                        XChangeProperty(peer, requestor, property, incrAtom, 32, PropModeReplace,
                                        reinterpret_cast<const unsigned char *>(&size), 1);
                    }
                    else
                        XChangeProperty(peer, requestor, property, type, 8, PropModeReplace, data.data(), int(chunkSize));
                    XEvent reply;
                    std::memset(&reply, 0, sizeof(reply));
                    reply.xselection.type = SelectionNotify;
                    reply.xselection.requestor = requestor;
                    reply.xselection.selection = request.selection;
                    reply.xselection.target = request.target;
                    reply.xselection.property = property;
                    reply.xselection.time = request.time;
                    XSendEvent(peer, requestor, False, 0, &reply);
                    XFlush(peer);
                }
                else if (event.type == DestroyNotify && event.xdestroywindow.window == requestor && requestor != None)
                {
                    requestorGone = true;
                    requestor = None;
                }
                else if (incr && event.type == PropertyNotify && event.xproperty.window == requestor &&
                         event.xproperty.atom == property && event.xproperty.state == PropertyDelete)
                {
                    bool last = chunkCount != 0 && sent == chunkCount;
                    size_t offset = (size_t(sent) * chunkSize) % (data.size() - chunkSize);
                    XChangeProperty(peer, requestor, property, type, 8, PropModeReplace, data.data() + offset,
                                    last ? 0 : int(chunkSize));
                    XFlush(peer);
                    if (!last) chunksSent = ++sent;
                }
            }
        }
        XCloseDisplay(peer);
    }

    bool incr;
    size_t chunkSize;
    int32_t chunkCount;
    std::thread thread;
    std::atomic<bool> stop = false;
    std::atomic<bool> ready = false;
    std::atomic<bool> failed = false;
};

// One Xvfb server for the process, and per test a serving connection with our clipboard on it.
class ClipboardXvfb : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(XvfbServer::Get().Start()) << XvfbServer::Get().error; }

    void SetUp() override
    {
        connection = XOpenDisplay(nullptr);
        ASSERT_NE(connection, nullptr);
        clipboard = new X11Clipboard(connection);
        ASSERT_TRUE(clipboard->Start());
    }

    void TearDown() override
    {
        delete clipboard;
        if (connection) XCloseDisplay(connection);
    }

    // Serves our connection's events until the child exits; its exit status, or -1 after 20 s.
    int Serve(pid_t pid)
    {
        auto deadline = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < deadline)
        {
            Pump(10);
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        Stop(pid);
        return -1;
    }

    void Pump(int milliseconds)
    {
        pollfd descriptor = {ConnectionNumber(connection), POLLIN, 0};
        poll(&descriptor, 1, milliseconds);
        while (XPending(connection) > 0)
        {
            XEvent event;
            XNextEvent(connection, &event);
            clipboard->HandleEvent(event);
        }
    }

    // xclip -o of one target into a file; the bytes, or "<failed>" when xclip failed.
    std::string XclipOut(const char *target)
    {
        std::string path = folder.File("out");
        pid_t pid = Spawn({"xclip", "-selection", "clipboard", "-o", "-t", target}, {}, path);
        if (pid == 0 || Serve(pid) != 0) return "<failed>";
        std::vector<uint8_t> bytes = ReadFile(path);
        return std::string(bytes.begin(), bytes.end());
    }

    // Starts xclip as the owner of the bytes; it serves until it loses the selection.
    pid_t XclipIn(const char *target, const std::vector<uint8_t> &bytes)
    {
        std::string path = folder.File("in");
        WriteFile(path, bytes);
        pid_t pid = Spawn({"xclip", "-quiet", "-selection", "clipboard", "-t", target, "-i"}, path);
        Atom selection = XInternAtom(connection, "CLIPBOARD", False);
        auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline && XGetSelectionOwner(connection, selection) == None) usleep(10000);
        return pid;
    }

    Display *connection = nullptr;
    X11Clipboard *clipboard = nullptr;
    TempDirectory folder;
};

TEST_F(ClipboardXvfb, XclipReadsWhatWeSet)
{
    ASSERT_TRUE(SetClipboardText(clipboard, "gr\xC3\xBC\xC3\x9F" "e", 7));
    EXPECT_EQ(XclipOut("UTF8_STRING"), "gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(XclipOut("text/plain;charset=utf-8"), "gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(XclipOut("image/png"), "<failed>") << "a refused target";

    std::vector<ClipboardFormat> formats(2);
    formats[0] = {kClipboardTextFormat, {'x', '+', '1'}};
    formats[1] = {"application/orlendo-quist+kettric", {'{', '}'}};
    ASSERT_TRUE(clipboard->SetFormats(formats));
    std::string targets = XclipOut("TARGETS");
    for (const char *name : {"TARGETS", "TIMESTAMP", "UTF8_STRING", "text/plain;charset=utf-8",
                             "application/orlendo-quist+kettric"})
        EXPECT_NE(targets.find(name), std::string::npos) << name << " missing from " << targets;
    EXPECT_EQ(XclipOut("application/orlendo-quist+kettric"), "{}");
}

TEST_F(ClipboardXvfb, LargeFormatsGoWholeWithAndWithoutIncr)
{
    std::vector<uint8_t> payload = Pattern(2 << 20);
    ASSERT_TRUE(clipboard->SetFormats({{"image/svg+xml", payload}}));
    std::string direct = XclipOut("image/svg+xml");
    EXPECT_EQ(clipboard->incrTransfersServed, 0);
    EXPECT_TRUE(direct == std::string(payload.begin(), payload.end())) << direct.size();

    clipboard->incrThreshold = 64 * 1024;
    std::string chunked = XclipOut("image/svg+xml");
    EXPECT_EQ(clipboard->incrTransfersServed, 1);
    EXPECT_TRUE(chunked == std::string(payload.begin(), payload.end())) << chunked.size();
}

TEST_F(ClipboardXvfb, IncrTransferEndsWithItsRequestor)
{
    ASSERT_TRUE(clipboard->SetFormats({{"image/svg+xml", Pattern(300000)}}));
    clipboard->incrThreshold = 4096;
    // A requestor that asks, takes nothing and goes away.
    Display *requestor = XOpenDisplay(nullptr);
    ASSERT_NE(requestor, nullptr);
    Window window = XCreateSimpleWindow(requestor, DefaultRootWindow(requestor), 0, 0, 1, 1, 0, 0, 0);
    XConvertSelection(requestor, XInternAtom(requestor, "CLIPBOARD", False), XInternAtom(requestor, "image/svg+xml", False),
                      XInternAtom(requestor, "DATA", False), window, CurrentTime);
    XFlush(requestor);
    for (int i = 0; i < 500 && clipboard->GetTransferCount() == 0; ++i) Pump(10);
    ASSERT_EQ(clipboard->GetTransferCount(), 1u);
    XDestroyWindow(requestor, window);
    XCloseDisplay(requestor);
    for (int i = 0; i < 500 && clipboard->GetTransferCount() != 0; ++i) Pump(10);
    EXPECT_EQ(clipboard->GetTransferCount(), 0u);
}

TEST_F(ClipboardXvfb, WeReadXclipAndLetGoOfOurData)
{
    ASSERT_TRUE(SetClipboardText(clipboard, "ours", 4));
    std::vector<uint8_t> payload = Pattern(3 << 20);
    pid_t pid = XclipIn("UTF8_STRING", payload);
    ASSERT_NE(pid, 0);
    // The SelectionClear reaches our connection.
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (clipboard->HoldsData() && Clock::now() < deadline) Pump(10);
    EXPECT_FALSE(clipboard->HoldsData());

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(clipboard->ReadFormat(kClipboardTextFormat, 20000, SIZE_MAX, &bytes));
    EXPECT_TRUE(bytes == payload) << bytes.size();
    EXPECT_EQ(clipboard->incrTransfersRead, 1);
    Stop(pid);
}

TEST_F(ClipboardXvfb, TextOfferedOnlyUnderItsMimeNameIsRead)
{
    pid_t pid = XclipIn("text/plain;charset=utf-8", {'4', '2'});
    ASSERT_NE(pid, 0);
    EXPECT_EQ(ReadClipboardText(clipboard, 1000, 256), "42");
    Stop(pid);
}

TEST_F(ClipboardXvfb, PastedBytesAreChecked)
{
    const uint8_t raw[] = {'1', 0xFF, '2', 0xE2, 0x82, 0, '3'};
    pid_t pid = XclipIn("UTF8_STRING", std::vector<uint8_t>(std::begin(raw), std::end(raw)));
    ASSERT_NE(pid, 0);
    EXPECT_EQ(ReadClipboardText(clipboard, 1000, 256), "1\xEF\xBF\xBD" "2\xEF\xBF\xBD\xEF\xBF\xBD");
    Stop(pid);
}

TEST_F(ClipboardXvfb, OwnDataIsReadAtOnceAndASilentOwnerGivesNothing)
{
    ASSERT_TRUE(SetClipboardText(clipboard, "same", 4));
    // Nothing serves our connection here: only the in-place read can answer.
    EXPECT_EQ(ReadClipboardText(clipboard, 60000, 256), "same");

    Display *silent = XOpenDisplay(nullptr);
    ASSERT_NE(silent, nullptr);
    Window window = XCreateSimpleWindow(silent, DefaultRootWindow(silent), 0, 0, 1, 1, 0, 0, 0);
    Atom selection = XInternAtom(silent, "CLIPBOARD", False);
    XSetSelectionOwner(silent, selection, window, CurrentTime);
    XSync(silent, False);
    ASSERT_EQ(XGetSelectionOwner(connection, selection), window);
    auto start = Clock::now();
    EXPECT_EQ(ReadClipboardText(clipboard, 200, 256), "");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    XCloseDisplay(silent);
}

TEST_F(ClipboardXvfb, ReadsStopAtTheByteLimit)
{
    // The peer writes to a requestor window that is gone: its errors are expected.
    XErrorHandler previous = XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    struct Case
    {
        const char *name;
        bool incr;
        size_t chunkSize;
        int32_t chunkCount;  // 0: never ends
        size_t limit;
    };
    const Case cases[] = {
        {"one property past the limit", false, 100000, 1, 1000},
        {"INCR of 1 MB, limit in the third chunk", true, 1000, 1000, 2500},
        {"INCR at a chunk's end", true, 1000, 1000, 2000},
        {"endless INCR", true, 64, 0, 256},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        ClipboardPeer peer(c.incr, c.chunkSize, c.chunkCount);
        ASSERT_TRUE(peer.Start());
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(clipboard->ReadFormat("image/svg+xml", 20000, c.limit, &bytes));
        std::vector<uint8_t> expected = Pattern(c.limit);
        EXPECT_TRUE(bytes == expected) << bytes.size();
        if (!c.incr) continue;
        // The transfer ends at once: the requestor window goes away and the peer sends no more.
        auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!peer.requestorGone && Clock::now() < deadline) usleep(1000);
        EXPECT_TRUE(peer.requestorGone);
        // The chunks up to the limit, the one its deletion asked for, and one more the final deletion may.
        EXPECT_LE(size_t(peer.chunksSent), (c.limit + c.chunkSize - 1) / c.chunkSize + 2);
    }
    XSetErrorHandler(previous);
}

TEST_F(ClipboardXvfb, AnEndlessTransferStopsAtTheDeadline)
{
    XErrorHandler previous = XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    {
        ClipboardPeer peer(true, 64, 0);
        ASSERT_TRUE(peer.Start());
        std::vector<uint8_t> bytes;
        EXPECT_FALSE(clipboard->ReadFormat("image/svg+xml", 3000, SIZE_MAX, &bytes));
        EXPECT_TRUE(bytes.empty());
        // The read gave up while the peer was still sending, and ended the transfer.
        EXPECT_FALSE(peer.ranOut);
        EXPECT_GT(peer.chunksSent, 1);
        auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!peer.requestorGone && Clock::now() < deadline) usleep(1000);
        EXPECT_TRUE(peer.requestorGone);
    }
    // The next read is not disturbed by what the peer may have sent last.
    ClipboardPeer next(false, 5000, 1);
    ASSERT_TRUE(next.Start());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(clipboard->ReadFormat("image/svg+xml", 20000, SIZE_MAX, &bytes));
    EXPECT_TRUE(bytes == Pattern(5000)) << bytes.size();
    XSetErrorHandler(previous);
}

// The editor's own loop on the x11 driver: Ctrl+C in an edit box of a real dialog puts its text on
// the X11 clipboard, served through SDL's events; Ctrl+V pastes what xclip holds.
class EditBoxXvfb : public SdlDialogTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(XvfbServer::Get().Start()) << XvfbServer::Get().error;
        StartDriver("x11");
    }

    void Command(WindowHandle window, SDL_Keycode key)
    {
        SDL_SetModState(KMOD_LCTRL);
        Push(KeyDownEvent(window, key));
        Turn();
        SDL_SetModState(KMOD_NONE);
    }

    TempDirectory folder;
};

TEST_F(EditBoxXvfb, CopyAndPasteThroughTheX11Clipboard)
{
    ASSERT_NE(dynamic_cast<X11Clipboard *>(GetClipboard()), nullptr);
    Font *font = LoadTestFont(SdlDialogProcess::Get().renderer, folder, "label.vorl", MakeSquareFontFile(0.7F));
    ASSERT_NE(font, nullptr);
    TextLayoutState style;
    ResetTextLayoutState(&style);
    style.size = 10;
    auto *dialog = new DialogWindow(windows.GetMainWindow(), "Edit", 300, 150);
    auto *box = new EditBox(font, &style, "12.5", Point2D(20, 40), 200, 10, dialog->GetPointsPerPixel());
    dialog->AppendSubnode(box);
    dialog->SetFocus(box);
    popups.SetActivePopup(dialog);
    WindowHandle window = dialog->GetWindow();
    Turn();

    Command(window, SDLK_c);
    std::string path = folder.File("out");
    pid_t reader = Spawn({"xclip", "-selection", "clipboard", "-o", "-t", "UTF8_STRING"}, {}, path);
    ASSERT_NE(reader, 0);
    int status = -1;
    for (int i = 0; i < 1000 && waitpid(reader, &status, WNOHANG) != reader; ++i)
    {
        Turn(1);
        SDL_Delay(5);
    }
    std::vector<uint8_t> copied = ReadFile(path);
    EXPECT_EQ(std::string(copied.begin(), copied.end()), "12.5");

    std::string input = folder.File("in");
    WriteFile(input, {'7', '5'});
    pid_t owner = Spawn({"xclip", "-quiet", "-selection", "clipboard", "-t", "UTF8_STRING", "-i"}, input);
    ASSERT_NE(owner, 0);
    // Our owner window lets go once xclip has the selection.
    auto *clipboard = dynamic_cast<X11Clipboard *>(GetClipboard());
    for (int i = 0; i < 1000 && clipboard->HoldsData(); ++i)
    {
        Turn(1);
        SDL_Delay(5);
    }
    EXPECT_FALSE(clipboard->HoldsData());
    Command(window, SDLK_v);
    EXPECT_EQ(std::string(box->text.GetText()), "75");
    Stop(owner);
    delete dialog;
    popups.SetActivePopup(nullptr);
    font->Release();
}

}  // namespace
}  // namespace oq::test

#include "editor/platform/linux/X11Clipboard.h"

#include <X11/Xatom.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>
#include <vector>

namespace oq {

namespace {

using Clock = X11Clipboard::Clock;

// Errors of requests about windows that vanished meanwhile are ignored while it is installed.
int IgnoreErrors(Display *, XErrorEvent *) { return 0; }

// Waits for an event of the kind on the window; false when the deadline passes first.
bool WaitForEvent(Display *connection, Window window, int type, Atom property, Clock::time_point deadline,
                  XEvent *event)
{
    for (;;)
    {
        while (XPending(connection) > 0)
        {
            XNextEvent(connection, event);
            if (event->type != type || event->xany.window != window) continue;
            if (type == PropertyNotify &&
                (event->xproperty.atom != property || event->xproperty.state != PropertyNewValue))
                continue;
            return true;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd descriptor = {ConnectionNumber(connection), POLLIN, 0};
        if (poll(&descriptor, 1, int(left)) < 0) return false;
    }
}

// Reads at most maxBytes of the property (the rest is dropped) and deletes it; false when it is
// missing. The type is stored.
bool TakeProperty(Display *connection, Window window, Atom property, size_t maxBytes, Atom *type,
                  std::vector<uint8_t> *bytes)
{
    bytes->clear();
    long offset = 0;
    for (;;)
    {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        // In 32-bit units; one more than the room left, so a property that fills it shows whether
        // anything follows.
        size_t room = maxBytes - bytes->size();
        long units = long(std::min<size_t>(room / 4 + 1, size_t(1) << 20));
        if (XGetWindowProperty(connection, window, property, offset, units, False, AnyPropertyType, &actualType,
                               &format, &count, &after, &data) != Success)
            return false;
        if (actualType == None)
        {
            if (data) XFree(data);
            return false;
        }
        *type = actualType;
        // Items of format 32 arrive as longs.
        size_t itemSize = format == 32 ? sizeof(long) : size_t(format / 8);
        size_t size = std::min(size_t(count) * itemSize, room);
        if (data != nullptr && size > 0) bytes->insert(bytes->end(), data, data + size);
        if (data) XFree(data);
        size_t wireSize = size_t(count) * size_t(format / 8);
        offset += long(wireSize / 4);
        if (after == 0 || wireSize == 0 || bytes->size() == maxBytes) break;
    }
    XDeleteProperty(connection, window, property);
    XFlush(connection);
    return true;
}

}  // namespace

X11Clipboard::X11Clipboard(Display *connection) : display(connection) {}

X11Clipboard::~X11Clipboard()
{
    if (owner != 0) XDestroyWindow(display, owner);
    if (display) XFlush(display);
    if (reader != nullptr) XCloseDisplay(reader);
}

Atom X11Clipboard::Intern(Display *connection, const char *name) { return XInternAtom(connection, name, False); }

bool X11Clipboard::Start()
{
    if (display == nullptr || owner != 0) return owner != 0;
    reader = XOpenDisplay(DisplayString(display));
    if (reader == nullptr) return false;
    Window root = DefaultRootWindow(display);
    owner = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    readerWindow = XCreateSimpleWindow(reader, DefaultRootWindow(reader), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(reader, readerWindow, PropertyChangeMask);
    XFlush(reader);
    long units = XExtendedMaxRequestSize(display);
    if (units == 0) units = XMaxRequestSize(display);
    // Room for the request's own header.
    incrThreshold = size_t(units) * 4 - 1024;
    XFlush(display);
    return true;
}

Time X11Clipboard::GetServerTime()
{
    Atom property = Intern(reader, "OQ_TIMESTAMP");
    unsigned char none = 0;
    XChangeProperty(reader, readerWindow, property, XA_STRING, 8, PropModeAppend, &none, 0);
    XFlush(reader);
    XEvent event;
    if (!WaitForEvent(reader, readerWindow, PropertyNotify, property, Clock::now() + std::chrono::seconds(1), &event))
        return CurrentTime;
    return event.xproperty.time;
}

bool X11Clipboard::SetFormats(std::vector<ClipboardFormat> newFormats)
{
    if (owner == 0) return false;
    Atom clipboard = Intern(display, "CLIPBOARD");
    Time now = GetServerTime();
    XSetSelectionOwner(display, clipboard, owner, now);
    if (XGetSelectionOwner(display, clipboard) != owner) return false;
    formats = std::move(newFormats);
    holding = true;
    ownedSince = now;
    return true;
}

const ClipboardFormat *X11Clipboard::FindFormat(Atom target, Atom *type)
{
    bool utf8 = target == Intern(display, "UTF8_STRING");
    for (const ClipboardFormat &format : formats)
    {
        Atom named = Intern(display, format.name.c_str());
        if (target == named || (utf8 && format.name == kClipboardTextFormat))
        {
            *type = target;
            return &format;
        }
    }
    return nullptr;
}

void X11Clipboard::ServeRequest(const XSelectionRequestEvent &request)
{
    Atom property = request.property != None ? request.property : request.target;
    Atom targets = Intern(display, "TARGETS");
    Atom timestamp = Intern(display, "TIMESTAMP");
    bool served = holding && request.selection == Intern(display, "CLIPBOARD");
    if (served && request.target == targets)
    {
        std::vector<Atom> list = {targets, timestamp};
        for (const ClipboardFormat &format : formats)
        {
            if (format.name == kClipboardTextFormat) list.push_back(Intern(display, "UTF8_STRING"));
            list.push_back(Intern(display, format.name.c_str()));
        }
        XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(list.data()), int(list.size()));
    }
    else if (served && request.target == timestamp)
    {
        long time = long(ownedSince);
        XChangeProperty(display, request.requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&time), 1);
    }
    else if (Atom type = None; served && FindFormat(request.target, &type) != nullptr)
    {
        const ClipboardFormat *format = FindFormat(request.target, &type);
        if (format->bytes.size() > incrThreshold)
        {
            long size = long(format->bytes.size());
            // Deletions drive the chunks; the requestor's destruction ends its transfer.
            XSelectInput(display, request.requestor, PropertyChangeMask | StructureNotifyMask);
            XChangeProperty(display, request.requestor, property, Intern(display, "INCR"), 32, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(&size), 1);
            transfers.push_back({request.requestor, property, type, format->bytes, 0});
            ++incrTransfersServed;
        }
        else
            XChangeProperty(display, request.requestor, property, type, 8, PropModeReplace, format->bytes.data(),
                            int(format->bytes.size()));
    }
    else
        property = None;

    XEvent reply;
    std::memset(&reply, 0, sizeof(reply));
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = property;
    reply.xselection.time = request.time;
    XSendEvent(display, request.requestor, False, 0, &reply);
}

void X11Clipboard::SendNextChunk(size_t index)
{
    Transfer &transfer = transfers[index];
    size_t chunk = std::min(incrThreshold, transfer.bytes.size() - transfer.offset);
    XChangeProperty(display, transfer.requestor, transfer.property, transfer.type, 8, PropModeReplace,
                    transfer.bytes.data() + transfer.offset, int(chunk));
    transfer.offset += chunk;
    // The empty chunk that ends the transfer has gone out.
    if (chunk == 0) transfers.erase(transfers.begin() + ptrdiff_t(index));
}

bool X11Clipboard::HandleEvent(const XEvent &event)
{
    if (owner == 0) return false;
    if (event.type == SelectionClear && event.xselectionclear.window == owner)
    {
        formats.clear();
        holding = false;
        return true;
    }
    if (event.type == DestroyNotify)
    {
        size_t before = transfers.size();
        std::erase_if(transfers, [&](const Transfer &t) { return t.requestor == event.xdestroywindow.window; });
        return transfers.size() != before;
    }
    size_t transfer = transfers.size();
    if (event.type == PropertyNotify && event.xproperty.state == PropertyDelete)
    {
        for (size_t i = 0; i < transfers.size() && transfer == transfers.size(); ++i)
        {
            if (transfers[i].requestor == event.xproperty.window && transfers[i].property == event.xproperty.atom)
                transfer = i;
        }
    }
    bool request = event.type == SelectionRequest && event.xselectionrequest.owner == owner;
    if (!request && transfer == transfers.size()) return false;
    // A requestor may vanish meanwhile: its window errors are ignored, and waited for here.
    XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
    if (request)
        ServeRequest(event.xselectionrequest);
    else
        SendNextChunk(transfer);
    XSync(display, False);
    XSetErrorHandler(previous);
    return true;
}

bool X11Clipboard::ReadFormat(const char *name, uint32_t timeLimit, size_t maxBytes, std::vector<uint8_t> *bytes)
{
    bytes->clear();
    if (owner == 0 || reader == nullptr) return false;
    Atom clipboard = Intern(display, "CLIPBOARD");
    // Our own contents are read in place: only our caller's loop could serve them.
    if (XGetSelectionOwner(display, clipboard) == owner)
    {
        if (!holding) return false;
        for (const ClipboardFormat &format : formats)
        {
            if (format.name == name)
            {
                bytes->assign(format.bytes.begin(),
                              format.bytes.begin() + ptrdiff_t(std::min(maxBytes, format.bytes.size())));
                return true;
            }
        }
        return false;
    }

    // One deadline for the whole read, however the owner paces its replies and chunks.
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeLimit);
    bool text = std::strcmp(name, kClipboardTextFormat) == 0;
    uint32_t result =
        ReadTarget(text ? Intern(reader, "UTF8_STRING") : Intern(reader, name), deadline, maxBytes, bytes);
    // Text offered only under its MIME name.
    if (result == 'rfsd' && text) result = ReadTarget(Intern(reader, name), deadline, maxBytes, bytes);
    return result == 'done';
}

void X11Clipboard::AbandonTransfer(Atom property)
{
    // The owner ends an INCR transfer when its requestor window goes away; a fresh window keeps
    // what a late or unstopped owner still sends out of the next read.
    XDeleteProperty(reader, readerWindow, property);
    XDestroyWindow(reader, readerWindow);
    readerWindow = XCreateSimpleWindow(reader, DefaultRootWindow(reader), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(reader, readerWindow, PropertyChangeMask);
    XFlush(reader);
}

uint32_t X11Clipboard::ReadTarget(Atom target, Clock::time_point deadline, size_t maxBytes,
                                  std::vector<uint8_t> *bytes)
{
    bytes->clear();
    Atom clipboard = Intern(reader, "CLIPBOARD");
    Atom property = Intern(reader, "OQ_SELECTION");
    Atom incr = Intern(reader, "INCR");
    // Stale events of an earlier, abandoned transfer are dropped.
    XDeleteProperty(reader, readerWindow, property);
    XSync(reader, True);
    XConvertSelection(reader, clipboard, target, property, readerWindow, CurrentTime);
    XFlush(reader);
    XEvent event;
    // An owner that answers after the deadline writes to a window that is gone by then.
    if (!WaitForEvent(reader, readerWindow, SelectionNotify, None, deadline, &event))
    {
        AbandonTransfer(property);
        return 'fail';
    }
    if (event.xselection.property == None) return 'rfsd';
    Atom type = None;
    std::vector<uint8_t> piece;
    // The INCR header is one 32-bit item.
    if (!TakeProperty(reader, readerWindow, property, std::max<size_t>(maxBytes, sizeof(long)), &type, &piece))
    {
        AbandonTransfer(property);
        return 'fail';
    }
    if (type != incr)
    {
        if (piece.size() > maxBytes) piece.resize(maxBytes);
        *bytes = std::move(piece);
        return 'done';
    }
    ++incrTransfersRead;
    // INCR: every chunk arrives as a new value of the property; an empty one ends the transfer.
    for (;;)
    {
        if (bytes->size() >= maxBytes)
        {
            AbandonTransfer(property);
            return 'done';
        }
        if (!WaitForEvent(reader, readerWindow, PropertyNotify, property, deadline, &event) ||
            !TakeProperty(reader, readerWindow, property, maxBytes - bytes->size(), &type, &piece))
        {
            AbandonTransfer(property);
            bytes->clear();
            return 'fail';
        }
        if (piece.empty()) return 'done';
        bytes->insert(bytes->end(), piece.begin(), piece.end());
    }
}

}  // namespace oq

#pragma once

#include "editor/platform/Clipboard.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace oq {

// The X11 CLIPBOARD selection: an unmapped window of ours on the given connection owns it and
// serves TARGETS, TIMESTAMP and each format (text as UTF8_STRING and text/plain;charset=utf-8),
// by INCR above the largest request. Requests reach it through HandleEvent from the caller's event
// loop. Reading runs on a private connection of its own within one deadline for the whole transfer
// and stops an INCR transfer once the caller's byte limit is reached, so no event of the caller's
// connection is handled while waiting and no owner can hold the reader.
class X11Clipboard : public Clipboard
{
public:
    using Clock = std::chrono::steady_clock;

    // The connection is not owned and must outlive the clipboard.
    explicit X11Clipboard(Display *display);
    ~X11Clipboard() override;

    // Makes the owner window; false when the window or the private connection cannot be made.
    [[nodiscard]] bool Start();

    [[nodiscard]] bool SetFormats(std::vector<ClipboardFormat> formats) override;
    [[nodiscard]] bool ReadFormat(const char *name, uint32_t timeLimit, size_t maxBytes,
                                  std::vector<uint8_t> *bytes) override;

    // Serves selection requests, drops the data on SelectionClear, sends INCR chunks and forgets the
    // transfers of requestors that are destroyed; true when
    // the event was the clipboard's.
    bool HandleEvent(const XEvent &event);

    Window GetOwnerWindow() const { return owner; }
    bool HoldsData() const { return holding; }
    size_t GetTransferCount() const { return transfers.size(); }

    // Largest property written in one piece; larger data goes by INCR. Set from the server's
    // largest request at Start; tests may lower it.
    size_t incrThreshold = 0;
    // INCR transfers served so far.
    int32_t incrTransfersServed = 0;
    // INCR transfers read so far.
    int32_t incrTransfersRead = 0;

private:
    struct Transfer
    {
        Window requestor;
        Atom property;
        Atom type;
        std::vector<uint8_t> bytes;
        size_t offset;
    };

    Atom Intern(Display *connection, const char *name);
    // The format's bytes for a requested target; null when it is none of ours.
    const ClipboardFormat *FindFormat(Atom target, Atom *type);
    void ServeRequest(const XSelectionRequestEvent &request);
    void SendNextChunk(size_t index);
    // One target read on the private connection, at most maxBytes of it: 'done', 'rfsd' when the
    // owner refused it, 'fail' when no owner answered by the deadline or the transfer broke off.
    uint32_t ReadTarget(Atom target, Clock::time_point deadline, size_t maxBytes, std::vector<uint8_t> *bytes);
    // Ends a transfer before its end: deletes the property and replaces the reader window.
    void AbandonTransfer(Atom property);
    // The server time now, from a property change on the private connection; 0 when none arrives.
    Time GetServerTime();

    Display *display;
    Display *reader = nullptr;
    Window owner = 0;
    Window readerWindow = 0;
    bool holding = false;
    Time ownedSince = 0;
    std::vector<ClipboardFormat> formats;
    std::vector<Transfer> transfers;
};

}  // namespace oq

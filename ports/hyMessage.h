// One frame of the serial link to a duvazorudo board: a 12-byte header (two 0xAA sync bytes,
// flags, type, then the address and the length field, both big-endian), followed by the data
// when flags bit 0 is set. No checksum, no escaping, no terminator.
//
// A frame is shared between the target and the link's worker threads and counted: whoever
// holds a reference releases it, and the frame (with its data) goes with the last one. So a
// sender that gives up on a frame never frees it under the write thread that still sends it.
#pragma once

#include <atomic>
#include <memory>

#include "platform/base/WinTypes.h"

class CHyMessage {
public:
    static const int kHeaderSize = 12;
    // The most data bytes one frame carries. Senders split longer transfers; a received header
    // that announces more is refused.
    static const DWORD kMaxDataSize = 268;
    enum { receiveTooLong = -1, receiveMore = 0, receiveComplete = 1 };

    // A fresh frame: one reference, type and flags 0xFF, everything else 0.
    static CHyMessage* Create();
    // A fresh frame filled by ParseFromBytes from `size` bytes; NULL when they are refused.
    static CHyMessage* CreateFromBytes(const BYTE* bytes, DWORD size);

    void AddRef();
    // Drops one reference; the last one frees the frame. Destroy is the same call under the
    // name the senders use: it frees nothing that a worker thread still holds.
    void Release();
    void Destroy() { Release(); }
    int GetRefCount() const { return m_nRefCount.load(); }

    // Both sync bytes of the header are 0xAA.
    BOOL IsValid() const;
    // A data buffer of `size` bytes (zeroed) in place of any earlier one.
    void AllocateData(DWORD size);

    // Builds the header from the fields unless it was built (or received) before, and starts
    // sending from the first byte again.
    void PrepareToSend();
    // The next byte to transmit: the 12 header bytes, then the whole data buffer (a frame
    // without a buffer is 12 bytes long whatever its length field says). TRUE while more bytes
    // follow the one given; FALSE also when nothing was left (then `*out` is 0).
    BOOL GetNextByte(char* out);

    // Appends one received byte and returns the new byte count. A data byte needs the buffer
    // that DecodeHeader allocated; a byte beyond it, or with no buffer, is refused: nothing is
    // stored and the result is -1.
    int PutByte(BYTE b);
    // Fields from the header; with flags bit 0 set, a data buffer of the length field's size.
    // FALSE, with no buffer allocated, when that length is above kMaxDataSize.
    BOOL DecodeHeader();
    // One byte of a frame as the board sends it: stored (PutByte), with the header decoded once
    // its last byte is in. receiveComplete once the header and the data it announces are in,
    // receiveTooLong when the header announces more data than a frame carries, else
    // receiveMore. A frame that is complete or refused stores no further byte.
    int ReceiveByte(BYTE b);

    // Header and data from `size` contiguous bytes. FALSE when they are too short for the
    // header and the data it announces, or the data is above kMaxDataSize.
    BOOL ParseFromBytes(const BYTE* bytes, DWORD size);
    // Header (from the fields) and data into `out`; the number of bytes written, 0 when `size`
    // is too small or the data buffer does not hold the length field's bytes.
    DWORD WriteToBytes(BYTE* out, DWORD size) const;

    // Hex dump of the header and data to the debugging output. The last character of the
    // prefix is replaced by the first byte of the dump.
    void DebugDump(const char* prefix) const;

    CHyMessage(const CHyMessage&) = delete;
    CHyMessage& operator=(const CHyMessage&) = delete;

private:
    CHyMessage();
    virtual ~CHyMessage();
    void BuildHeader(BYTE* header) const;

    std::atomic<int> m_nRefCount{1};

public:
    int m_nSendPos = 0;
    BYTE m_byType = 0xFF;
    BYTE m_byFlags = 0xFF;
    DWORD m_dwAddress = 0;
    DWORD m_dwLength = 0;
    std::unique_ptr<BYTE[]> m_pData;
    BYTE m_abyHeader[kHeaderSize] = {};
    // Receiving: bytes stored so far (header and data). Sending: 12 once the header is built.
    int m_nByteCount = 0;
    DWORD m_nDataSize = 0;
};

// Holds one reference to a frame and drops it when it goes, so that every path out of an
// exchange, and every frame a link still holds when it closes, is released.
struct CHyMessageDrop {
    void operator()(CHyMessage* frame) const { frame->Destroy(); }
};
using CHyMessagePtr = std::unique_ptr<CHyMessage, CHyMessageDrop>;

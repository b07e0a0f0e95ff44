// The link frame on its own: what it puts on the wire, what it takes from it, and who frees it.
#include <gtest/gtest.h>

#include <vector>

#include "ports/hyMessage.h"
#include "tests/targets/hyice/HyTestSupport.h"

using hytest::MakeFrame;

namespace {

std::vector<BYTE> Transmitted(CHyMessage* frame)
{
    std::vector<BYTE> bytes;
    frame->PrepareToSend();
    char next = 0;
    bool more = true;
    while (more && bytes.size() < 1000) {
        more = frame->GetNextByte(&next);
        bytes.push_back((BYTE)next);
    }
    return bytes;
}

}  // namespace

TEST(HyMessage, WhatGoesOnTheWire)
{
    CHyMessage* fresh = CHyMessage::Create();
    EXPECT_EQ(fresh->m_byType, 0xFF);
    EXPECT_EQ(fresh->m_byFlags, 0xFF);
    EXPECT_FALSE(fresh->IsValid());
    fresh->Destroy();

    const std::vector<BYTE> setRegister = {0xAA, 0xAA, 0x01, 0x04, 0, 0,    0,    0,    0,    0,
                                           0,    0x08, 0,    0,    0, 0x16, 0x40, 0x00, 0x10, 0x00};
    CHyMessage* frame = MakeFrame(0x04, 0x01, 0, 8, {0, 0, 0, 0x16, 0x40, 0x00, 0x10, 0x00});
    EXPECT_EQ(Transmitted(frame), setRegister);
    BYTE contiguous[32];
    EXPECT_EQ(frame->WriteToBytes(contiguous, sizeof contiguous), 20u);
    EXPECT_EQ(std::vector<BYTE>(contiguous, contiguous + 20), setRegister);
    EXPECT_EQ(frame->WriteToBytes(contiguous, 19), 0u);
    // A frame sent again keeps its first header, even if a field changed in between.
    frame->m_dwAddress = 0x1234;
    EXPECT_EQ(Transmitted(frame), setRegister);
    frame->Destroy();

    // Without a data buffer a frame is 12 bytes long whatever its length field says.
    CHyMessage* bare = MakeFrame(0x81, 0x00, 0, 5);
    std::vector<BYTE> wire = Transmitted(bare);
    ASSERT_EQ(wire.size(), 12u);
    EXPECT_EQ(std::vector<BYTE>(wire.begin() + 8, wire.end()), (std::vector<BYTE>{0, 0, 0, 5}));
    char past = 'x';
    EXPECT_FALSE(bare->GetNextByte(&past));
    EXPECT_EQ(past, 0);
    bare->Destroy();
}

TEST(HyMessage, ReceivingTakesNoMoreThanAFrameHolds)
{
    struct Case {
        BYTE flags;
        DWORD length;
        BOOL decodes;
        DWORD buffer;
    } cases[] = {
        {0x01, 268, TRUE, 268}, {0x01, 269, FALSE, 0}, {0x01, 0xFFFFFFFF, FALSE, 0},
        {0x01, 0, TRUE, 0},     {0x00, 200, TRUE, 0},
    };
    for (const Case& c : cases) {
        CHyMessage* frame = CHyMessage::Create();
        std::vector<BYTE> header = hytest::Header(c.flags, 0x85, 7, c.length);
        for (size_t i = 0; i < header.size(); ++i)
            EXPECT_EQ(frame->PutByte(header[i]), (int)i + 1);
        EXPECT_EQ(frame->PutByte(0x55), -1) << "a data byte before the header is decoded";
        EXPECT_EQ(frame->DecodeHeader(), c.decodes) << c.length;
        EXPECT_EQ(frame->m_nDataSize, c.buffer);
        EXPECT_EQ(frame->m_dwAddress, 7u);
        for (DWORD i = 0; i < c.buffer; ++i)
            frame->PutByte((BYTE)i);
        EXPECT_EQ(frame->PutByte(0x55), -1) << "a byte beyond the data";
        frame->Destroy();
    }

    std::vector<BYTE> bytes = hytest::Header(0x01, 0x07, 0xE0000000, 3);
    bytes.insert(bytes.end(), {1, 2, 3});
    EXPECT_EQ(CHyMessage::CreateFromBytes(bytes.data(), (DWORD)bytes.size() - 1), nullptr);
    EXPECT_EQ(CHyMessage::CreateFromBytes(bytes.data(), 11), nullptr);
    CHyMessage* parsed = CHyMessage::CreateFromBytes(bytes.data(), (DWORD)bytes.size());
    ASSERT_NE(parsed, nullptr);
    EXPECT_TRUE(parsed->IsValid());
    EXPECT_EQ(parsed->m_dwAddress, 0xE0000000u);
    EXPECT_EQ(Transmitted(parsed), bytes);
    parsed->Destroy();
}

TEST(HyMessage, AFrameLivesWhileAnyoneHoldsIt)
{
    CHyMessage* frame = MakeFrame(0x18, 0x01, 0x8000, 4, {1, 2, 3, 4});
    frame->AddRef();
    EXPECT_EQ(frame->GetRefCount(), 2);
    frame->Release();
    EXPECT_EQ(frame->GetRefCount(), 1);
    // The caller letting go does not free a frame the link still sends.
    frame->AddRef();
    frame->Destroy();
    EXPECT_EQ(frame->GetRefCount(), 1);
    EXPECT_EQ(frame->m_pData[3], 4);
    frame->Release();  // the sanitizer build sees a leak or a double free here
}

// Whole FLASH runs of the serial-link FLASH target against the simulated board playing the
// board-side programmer: the image goes out as the programmer asks for it, the FLASH is read
// back, and each fault on the way ends the run with its text and the link closed.
//
// The link paces every byte in real time, so the runs are made short: the test board's FLASH
// holds 960 bytes (blocks of 268 and requests of 100 both end in a short one, as with 64 KiB),
// and the programmer it downloads is a small one under the built-in programmer's resource id.
// The built-in programmer's own download is the .hye download tests' business, and a whole
// 64 KiB run is the benchmark's (bench/hyice_flash.cpp checks it too).
#include <gtest/gtest.h>

#include <optional>

#include "app/QuilletApp.h"
#include "tests/support/FakeResources.h"
#include "tests/support/HyeWriter.h"
#include "tests/support/StoredSettings.h"
#include "tests/targets/hyice/HyRunTestSupport.h"

namespace {

const char kSuccess[] = "ziDudav Flash programmed successfully";
const char kWriteFailed[] = "Error - Unable to write all Flash Data to the ziDudav memory";
const char kNoCompletion[] = "Error - No Response received from the ziDudav";
const char kVerifyFailed[] = "Error - Unable to verify the Flash memory";
const char kSegmentPrompt[] = "Please select the flash segment to program via the ziDudav jumper ST13";
const DWORD kFlashBase = 0xE0000000;
const DWORD kFlashSize = 960;

// A programmer of two blocks and a fill, started at 0x8000.
std::string SmallProgrammer()
{
    CHyeWriter writer;
    writer.AddSection("code", 0x8000, 300);
    writer.AddSection("far_bss", 0x8200, 16, false);
    return writer.Build();
}

std::string FlashImage()
{
    std::string image(kFlashSize, '\0');
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = (char)((i * 13 + (i >> 8)) & 0xFF);
    return image;
}

}  // namespace

class HyFlashProgramTest : public HyRunTest {
protected:
    void SetUp() override
    {
        DeleteSetting("HYFLASH_Options");
        DeleteSetting("HYFLASH_Serial_No");
        behaviour.program.startupRequests = true;
        behaviour.program.flashProgrammer = true;
        behaviour.program.flashSize = kFlashSize;
        target.SetFlashSize(kFlashSize);
        programmer.Add("HYE_PROG", IDR_HYE_PROG, SmallProgrammer());
    }

    // Sets the options, loads the image and runs Program with the prompts a run shows.
    BOOL Program(WORD options, CString* status, const char* port = "COM3:")
    {
        EXPECT_TRUE(target.InitOptions(CHyICEFlash::kBoardType64K, options, "AB12CD"));
        EXPECT_TRUE(target.LoadModule(0, folder.Write("image.bin", image).c_str()));
        board.SetBehaviour(behaviour);
        if (CString(port) == "COM3:") {
            ExpectResetPrompt();
            if ((options & CHyICEFlash::optionSegmentPrompt) && !behaviour.silent)
                ui.ExpectMessage(kSegmentPrompt, MB_OK, IDOK);
        }
        BOOL ok = target.Program(port, status);
        ui.VerifyAndClear();
        EXPECT_TRUE(board.WaitTaken(2000));
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(CWorkerThread::LiveCount(), 0);
        return ok;
    }

    std::string Held()
    {
        DWORD length = 0;
        BYTE* held = target.GetModuleImage(0, &length);
        return held ? std::string((const char*)held, length) : std::string();
    }

    std::string image = FlashImage();
    Behaviour behaviour;
    CFakeResources programmer;
    CTestFlashTarget target;
};

TEST_F(HyFlashProgramTest, AWholeRunWritesTheSerialNumberProgramsAndVerifiesTheFlash)
{
    CString status;
    EXPECT_TRUE(Program(CHyICEFlash::optionSegmentPrompt | CHyICEFlash::optionSerialNumber | CHyICEFlash::optionVerify,
                        &status));
    EXPECT_EQ(status, kSuccess);

    // The serial number stays in the held image, and that is what the FLASH holds.
    std::string expected = image;
    expected.replace(1, 7, std::string("AB12CD\0", 7));
    EXPECT_EQ(Held(), expected);
    std::vector<BYTE> flash = board.Memory(kFlashBase, kFlashSize);
    EXPECT_EQ(std::string(flash.begin(), flash.end()), expected);

    // Every request got its block, in order, and a reply counting it.
    std::vector<Frame> frames = board.HostFrames();
    std::vector<Frame> data = hytest::OfType(frames, 0x03);
    // Three blocks of 268 bytes and one of 156.
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(hytest::Summaries({data.front(), data.back()}),
              (std::vector<hytest::Summary>{{0x03, kFlashBase, 268}, {0x03, kFlashBase + 3 * 268, 156}}));
    std::vector<Frame> replies = hytest::OfType(frames, 0x1A);
    ASSERT_EQ(replies.size(), 2u + 4u);
    EXPECT_EQ(replies[2].data,
              (std::vector<BYTE>{0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01, 0x0C, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(replies.back().data,
              (std::vector<BYTE>{0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x9C, 0x00, 0x04, 0x00, 0x00}));
    EXPECT_EQ(hytest::OfType(frames, 0x81).size(), 1u);  // the completion, acknowledged

    std::vector<Frame> reads = hytest::OfType(frames, 0x07);
    ASSERT_EQ(reads.size(), 4u);
    EXPECT_EQ(reads.front().flags, 0x10);
    EXPECT_EQ(hytest::Summaries({reads.back()}), (std::vector<hytest::Summary>{{0x07, 0xE0000324, 156}}));
    EXPECT_EQ(host.ProgressText(), "Verifying the Flash memory");
    EXPECT_EQ(host.Upper(), 3);
    EXPECT_EQ(host.Pos(), 3);
}

TEST_F(HyFlashProgramTest, SmallRequestsStepTheBarPerWhole128BytesAndAShortSerialIsPadded)
{
    // Taken from the settings: only bit 1 of the options, and a serial number of five characters.
    DWORD options = 0xABCD0000 | CHyICEFlash::optionSerialNumber;
    StoreSetting("HYFLASH_Options", REG_DWORD, &options, sizeof options);
    StoreSetting("HYFLASH_Serial_No", REG_SZ, "12345", 6);
    behaviour.program.requestSize = 100;
    CString status;
    EXPECT_TRUE(Program(CHyICEFlash::optionVerify, &status));
    EXPECT_EQ(status, kSuccess);
    EXPECT_EQ(Held().substr(0, 9), std::string(1, image[0]) + std::string("12345\0\0", 7) + image[8]);
    EXPECT_EQ(Held().substr(9), image.substr(9));
    EXPECT_EQ(hytest::OfType(board.HostFrames(), 0x07).size(), 0u);
    // Two requests of 100 bytes make one step (the 72 left over are dropped); after the ninth
    // the last, of 60 bytes, brings 160 since the last step: one more; then one for the
    // completion.
    EXPECT_EQ(host.ProgressText(), "Programming the Flash memory");
    EXPECT_EQ(host.Upper(), 960 / 128 + 1);
    EXPECT_EQ(host.Pos(), 4 + 1 + 1);
}

// Faults that end the run early.
TEST_F(HyFlashProgramTest, EachEarlyFaultEndsTheRunWithItsText)
{
    auto onImageRequest = [](std::function<void(std::vector<BYTE> & record)> edit) {
        return [edit](const Frame&, std::vector<Frame>& answers) {
            EditFrames(answers, 0x85, [&](Frame& f) {
                if (f.data[1] == 3)
                    edit(f.data);
            });
        };
    };
    auto setCount = [](DWORD count) {
        return [count](std::vector<BYTE>& record) {
            for (int i = 0; i < 4; ++i)
                record[16 + i] = (BYTE)(count >> (24 - 8 * i));
        };
    };
    struct Case {
        const char* name;
        const char* port;
        bool silent;
        bool hideProgrammer;
        Edit edit;
        const char* status;
    } cases[] = {
        {"no such port", "COM9:", false, false, nullptr, "Unable to open the specified communications resource"},
        {"no reset report", "COM3:", true, false, nullptr, "Unable to initialise communications with the ziDudav"},
        {"no programmer to download", "COM3:", false, true, nullptr, "Unable to program the device"},
        {"programmer block refused", "COM3:", false, false,
         [](const Frame&, std::vector<Frame>& answers) { EditFrames(answers, 0x18, [](Frame& f) { f.address = 1; }); },
         "Unable to program device"},
        {"start-up request of another code", "COM3:", false, false,
         [](const Frame&, std::vector<Frame>& answers) {
             EditFrames(answers, 0x85, [](Frame& f) {
                 if (f.data[1] == 10)
                     f.data[1] = 12;
             });
         },
         "Unable to program device"},
        {"image request with its second word set", "COM3:", false, false,
         onImageRequest([](std::vector<BYTE>& record) { record[3] = 1; }), kWriteFailed},
        {"image request of another code", "COM3:", false, false,
         onImageRequest([](std::vector<BYTE>& record) { record[1] = 4; }), kWriteFailed},
        {"image request that wraps past the end", "COM3:", false, false, onImageRequest(setCount(0xFFFFFFF0)),
         kWriteFailed},
        {"image request for more than a frame carries", "COM3:", false, false, onImageRequest(setCount(269)),
         kWriteFailed},
        {"image data not answered", "COM3:", false, false,
         [](const Frame& request, std::vector<Frame>& answers) {
             if (request.type == 0x03)
                 answers.clear();
         },
         kWriteFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        behaviour.silent = c.silent;
        EditBoard(c.edit);
        std::optional<CFakeResources> noResources;
        if (c.hideProgrammer)
            noResources.emplace();
        size_t before = board.HostFrames().size();
        CString status;
        EXPECT_FALSE(Program(CHyICEFlash::optionVerify, &status, c.port));
        EXPECT_EQ(status, c.status);
        if (c.hideProgrammer) {
            EXPECT_EQ(board.HostFrames().size(), before + 1);  // the reset acknowledgement only
        }
        // The image is as loaded: no image data went out, or only what was asked for.
        EXPECT_EQ(Held(), image);
        board.WaitSent(2000);
    }
}

// Faults at the end of the transfer and in the verify, each after the whole image.
TEST_F(HyFlashProgramTest, ACompletionWithDataOrAFlashThatDiffersFails)
{
    struct Case {
        const char* name;
        Edit edit;
        const char* status;
        size_t reads;
    } cases[] = {
        {"completion carrying data",
         [](const Frame&, std::vector<Frame>& answers) {
             EditFrames(answers, 0x81, [](Frame& f) {
                 f.flags = 0x01;
                 f.length = 2;
                 f.data = {0x12, 0x34};
             });
         },
         kNoCompletion, 0},
        {"an answer with fewer bytes than asked for",
         [](const Frame& request, std::vector<Frame>& answers) {
             if (request.type == 0x07) {
                 answers[0].data.pop_back();
                 answers[0].length -= 1;
             }
         },
         kVerifyFailed, 1},
        {"one byte differs in the last block",
         [](const Frame& request, std::vector<Frame>& answers) {
             if (request.type == 0x07 && request.address == 0xE0000324)
                 answers[0].data[155] ^= 0x01;
         },
         kVerifyFailed, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditBoard(c.edit);
        size_t before = board.HostFrames().size();
        CString status;
        EXPECT_FALSE(Program(CHyICEFlash::optionVerify, &status));
        EXPECT_EQ(status, c.status);
        std::vector<Frame> frames = board.HostFrames();
        EXPECT_EQ(hytest::OfType({frames.begin() + before, frames.end()}, 0x07).size(), c.reads);
    }
}

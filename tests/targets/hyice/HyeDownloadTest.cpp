// .hye download: the built-in FLASH programmer and generated files go out section by section,
// the board is started and its start-up requests are answered; bad files and resources are
// refused, and each board fault fails the run with its text.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/resources/Resources.h"
#include "tests/support/FakeResources.h"
#include "tests/support/HyeWriter.h"
#include "tests/targets/hyice/HyRunTestSupport.h"

using hytest::Summaries;
using hytest::Summary;

namespace {

const char kSuccess[] = "ziDudav programmed successfully";
const char kFailed[] = "Unable to program device";

std::vector<BYTE> WriterBytes(DWORD address, DWORD count)
{
    std::vector<BYTE> bytes;
    for (DWORD i = 0; i < count; ++i)
        bytes.push_back((BYTE)((address + i) * 7));
    return bytes;
}

// A small file: two sections with data, one without, entry 0x1000, registers left 0.
CHyeWriter SmallProgram()
{
    CHyeWriter writer;
    writer.m_optWords[2] = 0;       // register 23
    writer.m_optWords[4] = 0x1000;  // entry
    writer.m_optWords[5] = 0;       // register 22
    writer.m_optWords[6] = 0;       // register 24
    writer.AddSection("code", 0x1000, 300);
    writer.AddSection("bss", 0x4000, 64, false);
    writer.AddSection("data", 0x2000, 20);
    return writer;
}

}  // namespace

class HyeDownloadTest : public HyRunTest {
protected:
    std::string WriteFile(const std::string& content, const std::string& name = "prog.hye")
    {
        return folder.Write(name, content);
    }

    BOOL Run(CString* status)
    {
        ExpectResetPrompt();
        BOOL ok = target.Program("COM3:", status);
        ui.VerifyAndClear();
        EXPECT_TRUE(board.WaitTaken(2000));
        return ok;
    }

    CTestHyeTarget target;
};

TEST_F(HyeDownloadTest, TheBuiltInProgrammerGoesOutSectionBySectionThenStartsAndIsServed)
{
    ASSERT_TRUE(target.LoadFromResource(0, IDR_HYE_PROG, "HYE_PROG"));
    EXPECT_FALSE(target.IsModuleLoaded(0));  // the resource is not the user's module
    Behaviour behaviour;
    behaviour.program.startupRequests = true;
    board.SetBehaviour(behaviour);
    CString status;
    EXPECT_TRUE(Run(&status));
    EXPECT_EQ(status, kSuccess);

    std::vector<Summary> expected = {{0x87, 0, 0}};
    for (DWORD i = 0; i < 19; ++i)
        expected.emplace_back(0x18, 0x8000 + 268 * i, 268);
    expected.emplace_back(0x18, 0x8000 + 268 * 19, 248);
    for (DWORD i = 0; i < 3; ++i)
        expected.emplace_back(0x18, 0x94DC + 268 * i, 268);
    expected.emplace_back(0x18, 0x94DC + 268 * 3, 264);
    std::vector<Summary> tail = {{0x06, 0x9908, 136}, {0x04, 0x9164, 8},  {0x04, 0x9164, 8},  {0x04, 0x9164, 8},
                                 {0x0C, 0x9164, 0},   {0x87, 0x9164, 0},  {0x0D, 0x9164, 1},  {0x0D, 0x9164, 0},
                                 {0x85, 0x9A00, 16},  {0x1A, 0x9A00, 12}, {0x85, 0x9A00, 16}, {0x1A, 0x9A00, 12}};
    expected.insert(expected.end(), tail.begin(), tail.end());
    std::vector<Frame> frames = board.HostFrames();
    EXPECT_EQ(Summaries(frames), expected);

    // What the board holds is the resource's section data, the fill and the registers.
    HRSRC found = FindResource(NULL, MAKEINTRESOURCE(IDR_HYE_PROG), "HYE_PROG");
    ASSERT_NE(found, nullptr);
    const BYTE* image = (const BYTE*)LockResource(LoadResource(NULL, found));
    std::string bytes((const char*)image, SizeofResource(NULL, found));
    EXPECT_EQ(board.Memory(0x8000, 0x14DC), hytest::Bytes(bytes, 0xC4, 0x14DC));
    EXPECT_EQ(board.Memory(0x94DC, 0x42C), hytest::Bytes(bytes, 0x15A0, 0x42C));
    EXPECT_EQ(board.Memory(0x9908, 0x88), std::vector<BYTE>(0x88, 0));
    EXPECT_EQ(board.Registers(), (std::map<BYTE, DWORD>{{22, 0x40001000}, {23, 0xC0000000}, {24, 0x9000}}));
    // Each reply echoes its request's record around a result of 0.
    std::vector<BYTE> reply10 = {0x00, 0x0A, 0x00, 0x01, 0, 0, 0, 0, 0x02, 0x0A, 0x00, 0x00};
    std::vector<BYTE> reply11 = {0x00, 0x0B, 0x00, 0x01, 0, 0, 0, 0, 0x02, 0x0B, 0x00, 0x00};
    EXPECT_EQ(frames[frames.size() - 3].data, reply10);
    EXPECT_EQ(frames.back().data, reply11);

    EXPECT_EQ(host.ProgressText(), "Loading .hye executable");
    EXPECT_EQ(host.Upper(), 24);
    EXPECT_EQ(host.Pos(), 24);
}

TEST_F(HyeDownloadTest, AGeneratedFileGoesOutWithDefaultRegistersAndSkipsTheOffsetTable)
{
    CHyeWriter writer;
    writer.m_optWords[2] = 0;
    writer.m_optWords[4] = 0x1000;
    writer.m_optWords[5] = 0;
    writer.m_optWords[6] = 0;
    writer.AddSection("code", 0x1000, 268);
    writer.AddSection("data", 0x2000, 269);
    writer.AddSection("_GOT_", 0x3000, 40);
    writer.AddSection("bss", 0x4000, 64, false);
    writer.AddSection("sixteen_chars_nm", 0x5000, 2);  // a name field without its NUL
    ASSERT_TRUE(target.LoadModule(0, WriteFile(writer.Build()).c_str()));
    EXPECT_TRUE(target.IsModuleLoaded(0));
    EXPECT_TRUE(target.CanProgram());
    target.m_bServe = FALSE;
    CString status;
    EXPECT_TRUE(Run(&status));
    EXPECT_EQ(status, kSuccess);

    std::vector<Summary> expected = {{0x87, 0, 0},       {0x18, 0x1000, 268}, {0x18, 0x2000, 268}, {0x18, 0x210C, 1},
                                     {0x06, 0x4000, 64}, {0x18, 0x5000, 2},   {0x04, 0x1000, 8},   {0x04, 0x1000, 8},
                                     {0x04, 0x1000, 8},  {0x0C, 0x1000, 0},   {0x87, 0x1000, 0},   {0x0D, 0x1000, 1},
                                     {0x0D, 0x1000, 0}};
    EXPECT_EQ(Summaries(board.HostFrames()), expected);
    EXPECT_EQ(board.Memory(0x1000, 268), WriterBytes(0x1000, 268));
    EXPECT_EQ(board.Memory(0x2000, 269), WriterBytes(0x2000, 269));
    EXPECT_EQ(board.Memory(0x3000, 40), std::vector<BYTE>(40, 0xFF));
    EXPECT_EQ(board.Registers(), (std::map<BYTE, DWORD>{{22, 0x40001000}, {23, 0xC0000000}, {24, 0}}));
}

TEST_F(HyeDownloadTest, BadFilesAreRefusedAndForgetTheEarlierLoad)
{
    const std::string good = SmallProgram().Build();
    CHyeWriter wrongMagic = SmallProgram();
    wrongMagic.m_magic = 0x1679;
    CHyeWriter shortOptional = SmallProgram();
    shortOptional.m_optHeaderSize = 28;
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"wrong magic", wrongMagic.Build()},
        {"optional header of 28 bytes", shortOptional.Build()},
        {"cut inside the file header", good.substr(0, 10)},
        {"cut inside the section table", good.substr(0, 20 + 32 + 48 + 10)},
        // The file ends with the last section's data and the 4-byte length of an empty string
        // table.
        {"section data cut short", good.substr(0, good.size() - 5)},
    };
    const std::string goodPath = WriteFile(good);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(target.LoadModule(0, goodPath.c_str()));
        EXPECT_FALSE(target.LoadModule(0, WriteFile(c.content, "bad.hye").c_str()));
        EXPECT_FALSE(target.IsModuleLoaded(0));
        EXPECT_FALSE(target.CanProgram());
    }
    EXPECT_FALSE(target.LoadModule(0, (folder / "missing.hye").c_str()));

    // Another module is refused and keeps the load.
    ASSERT_TRUE(target.LoadModule(0, goodPath.c_str()));
    EXPECT_FALSE(target.LoadModule(1, goodPath.c_str()));
    EXPECT_TRUE(target.IsModuleLoaded(0));
    target.ClearModule(-1);
    EXPECT_FALSE(target.IsModuleLoaded(0));

    // Nothing loaded: no download runs over the emptied reader state.
    ASSERT_TRUE(target.OpenComms("COM3:"));
    CString status;
    EXPECT_FALSE(target.DownloadAndRun("COM3:", &status, FALSE));
    EXPECT_EQ(status, "Unable to open the .hye file");
    target.CloseComms();
    EXPECT_TRUE(board.HostFrames().empty());
}

TEST_F(HyeDownloadTest, AFileThatChangesAfterLoadingIsNotSentWithMadeUpBytes)
{
    const std::string good = SmallProgram().Build();
    struct Case {
        const char* name;
        bool remove;
        size_t keep;  // bytes left in the file
        const char* status;
        size_t writeBlocks;  // sent before the run ends
    } cases[] = {
        {"removed", true, 0, "Unable to open the .hye file", 0},
        {"cut inside the second block", false, 20 + 32 + 3 * 48 + 280, kFailed, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = WriteFile(good);
        ASSERT_TRUE(target.LoadModule(0, path.c_str()));
        if (c.remove)
            remove(path.c_str());
        else
            WriteFile(good.substr(0, c.keep));
        size_t before = board.HostFrames().size();
        CString status;
        EXPECT_FALSE(Run(&status));
        EXPECT_EQ(status, c.status);
        std::vector<Frame> frames = board.HostFrames();
        std::vector<Frame> blocks = hytest::OfType({frames.begin() + before, frames.end()}, 0x18);
        EXPECT_EQ(blocks.size(), c.writeBlocks);
    }
}

TEST_F(HyeDownloadTest, EachBoardFaultEndsTheRunAndAnsweredFieldsAreEchoed)
{
    auto answerWith = [](BYTE type, std::function<void(Frame&)> edit) {
        return [type, edit](const Frame&, std::vector<Frame>& answers) { EditFrames(answers, type, edit); };
    };
    auto requestRecord = [](WORD code, size_t size) {
        std::vector<BYTE> record(size, 0x11);
        record[0] = (BYTE)(code >> 8);
        record[1] = (BYTE)code;
        return record;
    };
    struct Case {
        const char* name;
        Edit edit;
        bool succeeds;
        std::vector<BYTE> lastReply;  // the last frame the host sent, when given
    } cases[] = {
        {"write block refused", answerWith(0x18, [](Frame& f) { f.address = 1; }), false, {}},
        {"write block answered 2", answerWith(0x18, [](Frame& f) { f.address = 2; }), true, {}},
        // Without the report that would follow: a run that ends leaves nothing on the line.
        {"start answered with another type",
         [](const Frame& request, std::vector<Frame>& answers) {
             if (request.type == 0x0C)
                 answers = {Frame{0, 0x0B, 0, 0, {}, {}}};
         },
         false,
         {}},
        {"report off the entry", answerWith(0x87, [](Frame& f) { f.address = 0x1004; }), false, {}},
        {"report of another type", answerWith(0x87, [](Frame& f) { f.type = 0x86; }), false, {}},
        {"first request with its last word set",
         answerWith(0x85,
                    [](Frame& f) {
                        if (f.data[1] == 10)
                            f.data[11] = 1;
                    }),
         false,
         {}},
        {"second request answered whatever its fields",
         answerWith(0x85,
                    [&](Frame& f) {
                        if (f.data[1] == 11) {
                            f.data = requestRecord(11, 12);
                            f.length = 12;
                        }
                    }),
         true,
         {0x00, 0x0B, 0x11, 0x11, 0, 0, 0, 0, 0x11, 0x11, 0x11, 0x11}},
        {"requests as long as a frame carries, and short ones",
         answerWith(0x85,
                    [&](Frame& f) {
                        if (f.data[1] == 10) {
                            f.data = requestRecord(10, CHyMessage::kMaxDataSize);
                            f.data[10] = f.data[11] = 0;
                        } else {
                            f.data = requestRecord(11, 3);
                        }
                        f.length = (DWORD)f.data.size();
                    }),
         true,
         {0x00, 0x0B, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    ASSERT_TRUE(target.LoadModule(0, WriteFile(SmallProgram().Build()).c_str()));
    Behaviour behaviour;
    behaviour.program.startupRequests = true;
    board.SetBehaviour(behaviour);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditBoard(c.edit);
        CString status;
        EXPECT_EQ(Run(&status), c.succeeds);
        EXPECT_EQ(status, c.succeeds ? kSuccess : kFailed);
        if (!c.lastReply.empty()) {
            EXPECT_EQ(board.HostFrames().back().data, c.lastReply);
        }
    }

    // A section of size 0 fails the run after the sections before it.
    CHyeWriter withEmpty = SmallProgram();
    withEmpty.AddSection("empty", 0x6000, 0);
    ASSERT_TRUE(target.LoadModule(0, WriteFile(withEmpty.Build()).c_str()));
    EditBoard(nullptr);
    size_t before = board.HostFrames().size();
    CString status;
    EXPECT_FALSE(Run(&status));
    EXPECT_EQ(status, kFailed);
    std::vector<Frame> sent = board.HostFrames();
    sent.erase(sent.begin(), sent.begin() + before);
    EXPECT_EQ(hytest::OfType(sent, 0x04).size(), 0u);
    EXPECT_EQ(sent.size(), 1u + 2 + 1 + 1);  // reset ack, code, bss, data

    // An image without sections goes straight to the registers.
    CHyeWriter none;
    ASSERT_TRUE(target.LoadModule(0, WriteFile(none.Build()).c_str()));
    before = board.HostFrames().size();
    EXPECT_TRUE(Run(&status));
    std::vector<Frame> frames = board.HostFrames();
    EXPECT_EQ(frames[before + 1].type, 0x04);
}

TEST_F(HyeDownloadTest, BadResourcesAreRefusedBeforeAnythingIsSent)
{
    CFakeResources resources;
    CHyeWriter writer = SmallProgram();
    std::string good = writer.Build();
    CHyeWriter wrongMagic = SmallProgram();
    wrongMagic.m_magic = 0x7816;
    resources.Add("HYE_PROG", 1, wrongMagic.Build());
    resources.Add("HYE_PROG", 2, good.substr(0, 20 + 32 + 2 * 48));  // three sections announced
    resources.Add("HYE_PROG", 3, good.substr(0, good.size() - 5));   // last section's data cut
    resources.Add("hye_prog", 4, good);

    ASSERT_TRUE(target.LoadModule(0, WriteFile(good).c_str()));
    for (WORD id : {0, 1, 2}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(target.LoadFromResource(0, id, "HYE_PROG"));
    }
    EXPECT_FALSE(target.LoadFromResource(1, 4, "HYE_PROG"));
    EXPECT_TRUE(target.IsModuleLoaded(0));  // a resource load leaves the user's file alone

    // Data outside the resource: the section that holds them is never sent.
    ASSERT_TRUE(target.LoadFromResource(0, 3, "HYE_PROG"));
    CString status;
    EXPECT_FALSE(Run(&status));
    EXPECT_EQ(status, kFailed);
    EXPECT_EQ(hytest::OfType(board.HostFrames(), 0x18).size(), 2u);  // the first section only

    // Found when loaded, gone by the download.
    ASSERT_TRUE(target.LoadFromResource(0, 4, "HYE_PROG"));
    resources.Clear();
    size_t before = board.HostFrames().size();
    EXPECT_FALSE(Run(&status));
    EXPECT_EQ(status, "Unable to open the hye resource");
    EXPECT_EQ(board.HostFrames().size(), before + 1);  // the reset acknowledgement only
}

TEST(HyICEHYE, ModuleNamesFilesAndResourceLookups)
{
    CTestHyeTarget target;
    CString name = "old";
    EXPECT_TRUE(target.GetModuleName(name, 0));
    EXPECT_EQ(name, "duvazOrudo .hye file");
    EXPECT_FALSE(target.GetModuleName(name, -1));
    EXPECT_FALSE(target.GetModuleName(name, 1));
    EXPECT_EQ(target.GetModuleCount(), 1);
    EXPECT_EQ(target.SelectModuleForFile("/x/prog.hye"), 0);
    EXPECT_EQ(target.SelectModuleForFile("/x/a.hye.bak"), 0);
    EXPECT_EQ(target.SelectModuleForFile("/x/PROG.HYE"), -1);

    // Only integer ids in the program's one module are found; the type is not case-sensitive.
    EXPECT_NE(FindResource(NULL, MAKEINTRESOURCE(IDR_HYE_PROG), "hye_prog"), nullptr);
    EXPECT_NE(FindResource(GetModuleHandle(NULL), MAKEINTRESOURCE(IDR_HYE_PROG), "HYE_PROG"), nullptr);
    EXPECT_EQ(FindResource(NULL, "HYE_PROG", "HYE_PROG"), nullptr);
    EXPECT_EQ(FindResource(NULL, MAKEINTRESOURCE(147), "HYE_PROG"), nullptr);
    EXPECT_EQ(FindResource((HMODULE)&target, MAKEINTRESOURCE(IDR_HYE_PROG), "HYE_PROG"), nullptr);
    EXPECT_EQ(LockResource(LoadResource(NULL, NULL)), nullptr);
    EXPECT_EQ(SizeofResource(NULL, NULL), 0u);
}

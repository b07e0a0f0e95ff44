// The layer of a serial-link target that runs an executable in .hye form on the board: it
// loads the headers of a .hye file chosen by the user or of one built into the program as a
// resource, downloads every section over the frame protocol, sets three registers, starts the
// program at its entry address and, when asked, answers the started program's two start-up
// requests. Program stays pure: the FLASH target builds on this layer.
//
// Host to board (each answered by a frame of the same type; for 0x18 and 0x06 an answer whose
// address field is 1 reports failure):
//   0x18 write block   address = load address, up to 268 data bytes
//   0x06 fill          address and size of a section without data in the file
//   0x04 set register  registers 22, 23 and 24 (CHyICETarget::SetRegister)
//   0x0C start         address = entry; the board then reports 0x87 with the entry address
//   0x0D               length 1, then length 0
//   0x1A request reply 12-byte reply record to a board request (0x85)
// Request record (big-endian): u16 code, u16, u32, u16, u16, then data of the code; the reply
// record echoes the code, the second u16 and the last two, with a u32 result between.
#pragma once

#include <memory>

#include "coff/CoffReader.h"
#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "platform/files/File.h"
#include "ports/hyBoardRequest.h"
#include "ports/hyMessage.h"
#include "targets/hyice/hyICETarget.h"

class CProgressCtrl;

class CHyICEHYE : public CHyICETarget {
public:
    enum : BYTE {
        typeFill = 0x06,
        typeStart = 0x0C,
        typeRun = 0x0D,
        typeWriteBlock = 0x18,
        typeRequestReply = 0x1A,
        typeBoardRequest = kHyBoardRequestType,
    };
    // The most data one write block carries.
    static constexpr DWORD kBlockSize = 268;
    // A board request is copied into a buffer of this size (zero-filled, never beyond it).
    static constexpr DWORD kRequestBufferSize = kHyRequestBufferSize;
    static constexpr DWORD kRequestRecordSize = kHyReplyRecordSize;

    CHyICEHYE(BYTE id, CString name, CString description);
    // Empties the reader's process-wide state.
    ~CHyICEHYE() override;

    // Module 0 only: "duvazOrudo .hye file".
    BOOL GetModuleName(CString& name, int block) override;
    int GetModuleCount() override;
    // 0 for a path containing ".hye" anywhere (case-sensitive), else -1.
    int SelectModuleForFile(const CString& path) override;
    BOOL IsModuleLoaded(int block) override;
    // Module 0: reads the headers of the .hye file at `path` into the reader's process-wide
    // state and makes the file the image of the next download. A file whose headers are bad or
    // whose section data run past its end is refused, and then nothing is loaded (an earlier
    // load is forgotten, since the reader state that described it is gone). Any other module
    // is refused and changes nothing.
    BOOL LoadModule(int block, const CString& path) override;
    BOOL CanProgram() override;
    // 0 or -1 forgets the loaded file; the headers stay until the next load.
    void ClearModule(int block) override;
    BOOL Program(CString resource, CString* message) override = 0;

    // Module 0: makes resource `id` of type `type` (platform/resources/Resources.h) the image
    // of the next download. FALSE when it cannot be found or its headers are bad or do not fit
    // in it; the loaded file (IsModuleLoaded) is not touched either way.
    virtual BOOL LoadFromResource(int block, WORD id, CString type);
    // Downloads the image of the last successful load (the resource or the file), sets the
    // registers, starts it and waits for its report; with `serve`, answers its start-up
    // requests 10 and 11. The caller has opened the link and seen the board's reset report,
    // and closes the link afterwards; `resource` is not used. `*status` gets the outcome text:
    // "ziDudav programmed successfully", or "Unable to open the hye resource", "Unable to open
    // the .hye file" or "Unable to program device". Steps the host's progress bar once per
    // full write block, once per fill and once at the end.
    virtual BOOL DownloadAndRun(CString resource, CString* status, BOOL serve);

protected:
    // Headers from an in-memory .hye image of `size` bytes into m_fileHeader, m_optHeader and
    // m_pSections. 1 when they are sound and the section table lies inside the image, else 0.
    int ParseImage(const BYTE* image, DWORD size);
    // One section from the locked resource: 1 on success (also for a skipped "_GOT_"), 0 on a
    // failure, a size of 0, or data that lie outside the image.
    int DownloadSectionFromImage(const BYTE* image, DWORD size, CoffSection* section, CProgressCtrl* progress);
    // One section from m_file: 0 on success, -20 for no section or a size of 0, -7 for a
    // failed or refused transaction, -19 when the file cannot be read or ends early.
    int DownloadSectionFromFile(CoffSection* section, CProgressCtrl* progress);
    BOOL ServeStartRequests();

    // A fresh frame with these header fields; `length` bytes of zeroed data when flags bit 0
    // is set.
    static CHyMessagePtr NewFrame(BYTE type, BYTE flags, DWORD address, DWORD length);
    // Transact `request`; the reply goes to `reply` when given. TRUE when the reply came with
    // the request's type.
    BOOL Exchange(CHyMessagePtr request, CHyMessagePtr* reply = NULL);
    // Exchange, and the answer's address field is not 1 (the board's failure report).
    BOOL ExchangeAccepted(CHyMessagePtr request);
    // ReceiveAndAck of a board request (type 0x85): its data copied into `record`
    // (kRequestBufferSize bytes, zero-filled past what came). FALSE for no frame or another
    // type.
    BOOL ReceiveBoardRequest(CHyMessagePtr& request, BYTE* record);
    // Answers the request at `address` with the reply record built from `record` and `result`.
    BOOL ReplyToRequest(DWORD address, const BYTE* record, DWORD result);

    CoffFileHeader m_fileHeader = {};
    CoffOptHeader m_optHeader = {};
    std::unique_ptr<CoffSection[]> m_pSections;
    WORD m_nResourceId = 0;
    CString m_strResourceType;
    CString m_strPath;
    CFile m_file;
    BOOL m_bLoaded = FALSE;
    BOOL m_bFromResource = FALSE;
    DWORD m_dwEntry = 0;

private:
    // The bytes and size of resource m_nResourceId of type m_strResourceType.
    BOOL LockEmbeddedImage(const BYTE** image, DWORD* size) const;
    BOOL RunImage(const BYTE* image, DWORD imageSize, const CoffFileHeader& header, const CoffOptHeader& opt,
                  CoffSection* sections, CString* status, BOOL serve);
    BOOL DownloadSections(const BYTE* image, DWORD imageSize, const CoffFileHeader& header, CoffSection* sections);
    BOOL StartImage(const CoffOptHeader& opt);
    // Sends `size` bytes from `address` on as write blocks, taking each block's bytes from
    // `next` (which returns FALSE when it cannot have them). The codes of
    // DownloadSectionFromFile.
    template <typename NextBlock>
    int WriteBlocks(DWORD address, DWORD size, CProgressCtrl* progress, NextBlock next);
    BOOL FillSection(const CoffSection& section, CProgressCtrl* progress);
};

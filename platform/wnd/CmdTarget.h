// Root of every object that receives commands, and the message-map machinery: each class with
// handlers owns a static table from (message, notification code, control id) to a thunk that
// calls one of its member functions, and a link to its base class's table. Dispatch walks the
// tables from the most derived class to the root, so a derived entry hides a base entry.
#pragma once

#include <type_traits>

#include "platform/base/WinMessages.h"

class CCmdTarget;

// Calls one member function of the object with the message's parameters decoded.
typedef LRESULT (*AFX_MSG_THUNK)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_* (0 ends the table)
    UINT nCode;     // notification code for WM_COMMAND entries, else 0
    UINT nID;       // control or command id for WM_COMMAND entries, else 0
    AFX_MSG_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // The table of the object's most derived class (DECLARE_MESSAGE_MAP overrides it).
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();

    // Finds the first entry for the message along the chain of maps and calls it. Returns
    // TRUE when an entry handled it, with the handler's result in `*result` if given.
    BOOL DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = NULL);
    // The entry that would handle the message, or NULL.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, WPARAM wParam) const;
};

// Thunks: one per handler signature. The class is taken from the member pointer's type, so a
// table entry may name a member of the class itself or of any base class.
template <typename T>
struct AfxMemberClass;
template <typename C, typename R, typename... A>
struct AfxMemberClass<R (C::*)(A...)> {
    typedef C type;
};

template <auto Pfn>
LRESULT AfxThunkVoid(CCmdTarget* target, WPARAM, LPARAM)
{
    typedef typename AfxMemberClass<decltype(Pfn)>::type C;
    (static_cast<C*>(target)->*Pfn)();
    return 0;
}

template <auto Pfn>
LRESULT AfxThunkSysCommand(CCmdTarget* target, WPARAM wParam, LPARAM lParam)
{
    typedef typename AfxMemberClass<decltype(Pfn)>::type C;
    (static_cast<C*>(target)->*Pfn)((UINT)wParam, lParam);
    return 0;
}

template <auto Pfn>
LRESULT AfxThunkQueryIcon(CCmdTarget* target, WPARAM, LPARAM)
{
    typedef typename AfxMemberClass<decltype(Pfn)>::type C;
    return (LRESULT)(static_cast<C*>(target)->*Pfn)();
}

template <auto Pfn>
LRESULT AfxThunkHelpInfo(CCmdTarget* target, WPARAM, LPARAM lParam)
{
    typedef typename AfxMemberClass<decltype(Pfn)>::type C;
    return (LRESULT)(static_cast<C*>(target)->*Pfn)((HELPINFO*)lParam);
}

template <auto Pfn>
LRESULT AfxThunkMessage(CCmdTarget* target, WPARAM wParam, LPARAM lParam)
{
    typedef typename AfxMemberClass<decltype(Pfn)>::type C;
    return (static_cast<C*>(target)->*Pfn)(wParam, lParam);
}

// In the class declaration.
#define DECLARE_MESSAGE_MAP()                                                                                          \
public:                                                                                                                \
    static const AFX_MSGMAP* GetThisMessageMap();                                                                      \
    const AFX_MSGMAP* GetMessageMap() const override;                                                                  \
                                                                                                                       \
private:

// In the source file. Handler arguments are member names as written inside the class, with no
// '&': `OnOK`, or `CWinApp::OnHelp` for a base class's member.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                                                  \
    {                                                                                                                  \
        return GetThisMessageMap();                                                                                    \
    }                                                                                                                  \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                                    \
    {                                                                                                                  \
        typedef theClass ThisClass;                                                                                    \
        typedef baseClass TheBaseClass;                                                                                \
        static_assert(std::is_base_of_v<TheBaseClass, ThisClass>);                                                     \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                                                              \
    {                                                                                                                  \
        0, 0, 0, NULL                                                                                                  \
    }                                                                                                                  \
    }                                                                                                                  \
    ;                                                                                                                  \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &entries[0]};                              \
    return &messageMap;                                                                                                \
    }

#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, (UINT)(id), &AfxThunkVoid<&ThisClass::memberFxn>},
#define ON_CONTROL(code, id, memberFxn) {WM_COMMAND, (UINT)(code), (UINT)(id), &AfxThunkVoid<&ThisClass::memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &AfxThunkSysCommand<&ThisClass::OnSysCommand>},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, &AfxThunkQueryIcon<&ThisClass::OnQueryDragIcon>},
#define ON_WM_HELPINFO() {WM_HELP, 0, 0, &AfxThunkHelpInfo<&ThisClass::OnHelpInfo>},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, &AfxThunkVoid<&ThisClass::OnDestroy>},
// A handler `LRESULT fn(WPARAM, LPARAM)` for any other message.
#define ON_MESSAGE(message, memberFxn) {(UINT)(message), 0, 0, &AfxThunkMessage<&ThisClass::memberFxn>},

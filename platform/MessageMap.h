// Table-driven message maps: each entry binds a message (plus, for commands and
// notifications, a code and a control id) to a member handler of the class.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CCmdTarget;

using MessageHandler = BOOL (*)(CCmdTarget* self, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct MessageMapEntry {
    UINT message;
    UINT code; // notification or command code; 0 for plain messages
    UINT id;   // control or command id; 0 for plain messages and reflected notifications
    // A notification the control handles itself: offered only by the parent's reflection walk,
    // never matched by a window message, so no message number can reach it from outside.
    bool reflected;
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries; // ends with an entry whose handler is null
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the first matching handler of this class's map, then its bases' maps.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Runs the handler this object's map has for a notification its own control raised.
    BOOL OnReflectedNotify(NMHDR* pNMHDR, LRESULT* result);

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }

private:
    const MessageMapEntry* FindEntry(UINT message, UINT code, UINT id, bool reflected) const;
};

#define DECLARE_MESSAGE_MAP()                         \
public:                                               \
    static const MessageMap* GetThisMessageMap();     \
    const MessageMap* GetMessageMap() const override; \
                                                      \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)        \
    const MessageMap* theClass::GetMessageMap() const \
    {                                                 \
        return GetThisMessageMap();                   \
    }                                                 \
    const MessageMap* theClass::GetThisMessageMap()   \
    {                                                 \
        using ThisClass = theClass;                   \
        using TheBaseClass = baseClass;               \
        static const MessageMapEntry entries[] = {

// clang-format off
#define END_MESSAGE_MAP()                                                        \
        { 0, 0, 0, false, nullptr }                                              \
    };                                                                           \
    static const MessageMap map = { &TheBaseClass::GetThisMessageMap, entries }; \
    return &map;                                                                 \
    }
// clang-format on

#define MESSAGE_MAP_SELF(self) static_cast<ThisClass*>(self)

#define ON_COMMAND(id, memberFxn)                                                        \
    { WM_COMMAND, 0, id, false, [](CCmdTarget* self, WPARAM, LPARAM, LRESULT*) -> BOOL { \
         MESSAGE_MAP_SELF(self)->memberFxn();                                            \
         return TRUE;                                                                    \
     } },

#define ON_BN_CLICKED(id, memberFxn)                                                              \
    { WM_COMMAND, BN_CLICKED, id, false, [](CCmdTarget* self, WPARAM, LPARAM, LRESULT*) -> BOOL { \
         MESSAGE_MAP_SELF(self)->memberFxn();                                                     \
         return TRUE;                                                                             \
     } },

#define ON_NOTIFY(code, id, memberFxn)                                                 \
    { WM_NOTIFY, UINT(code), id, false,                                                \
      [](CCmdTarget* self, WPARAM, LPARAM lParam, LRESULT* result) -> BOOL {           \
          *result = 0;                                                                 \
          MESSAGE_MAP_SELF(self)->memberFxn(reinterpret_cast<NMHDR*>(lParam), result); \
          return TRUE;                                                                 \
      } },

#define ON_NOTIFY_REFLECT(code, memberFxn)                                             \
    { WM_NOTIFY, UINT(code), 0, true,                                                  \
      [](CCmdTarget* self, WPARAM, LPARAM lParam, LRESULT* result) -> BOOL {           \
          *result = 0;                                                                 \
          MESSAGE_MAP_SELF(self)->memberFxn(reinterpret_cast<NMHDR*>(lParam), result); \
          return TRUE;                                                                 \
      } },

#define ON_WM_PAINT()                                                                 \
    { WM_PAINT, 0, 0, false, [](CCmdTarget* self, WPARAM, LPARAM, LRESULT*) -> BOOL { \
         MESSAGE_MAP_SELF(self)->OnPaint();                                           \
         return TRUE;                                                                 \
     } },

#define ON_WM_QUERYDRAGICON()                                                             \
    { WM_QUERYDRAGICON, 0, 0, false,                                                      \
      [](CCmdTarget* self, WPARAM, LPARAM, LRESULT* result) -> BOOL {                     \
          *result = reinterpret_cast<LRESULT>(MESSAGE_MAP_SELF(self)->OnQueryDragIcon()); \
          return TRUE;                                                                    \
      } },

#define ON_WM_SIZE()                                                                               \
    { WM_SIZE, 0, 0, false, [](CCmdTarget* self, WPARAM wParam, LPARAM lParam, LRESULT*) -> BOOL { \
         MESSAGE_MAP_SELF(self)->OnSize(UINT(wParam), LOWORD(lParam), HIWORD(lParam));             \
         return TRUE;                                                                              \
     } },

#define ON_WM_GETMINMAXINFO()                                                             \
    { WM_GETMINMAXINFO, 0, 0, false,                                                      \
      [](CCmdTarget* self, WPARAM, LPARAM lParam, LRESULT*) -> BOOL {                     \
          MESSAGE_MAP_SELF(self)->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); \
          return TRUE;                                                                    \
      } },

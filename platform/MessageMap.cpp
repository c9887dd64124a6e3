// Message map lookup shared by windows and the application object.
#include "platform/MessageMap.h"

const MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = { { 0, 0, 0, false, nullptr } };
    static const MessageMap map = { nullptr, entries };
    return &map;
}

const MessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT code, UINT id, bool reflected) const
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->handler; ++entry) {
            if (entry->message == message && entry->code == code && entry->id == id &&
                entry->reflected == reflected)
                return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (message == WM_NOTIFY) {
        // Any process can send a bare WM_NOTIFY; without a header there is nothing to route.
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header)
            return FALSE;
        code = header->code;
        id = static_cast<UINT>(header->idFrom);
    }
    const MessageMapEntry* entry = FindEntry(message, code, id, false);
    return entry && entry->handler(this, wParam, lParam, result);
}

BOOL CCmdTarget::OnReflectedNotify(NMHDR* pNMHDR, LRESULT* result)
{
    const MessageMapEntry* entry = pNMHDR ? FindEntry(WM_NOTIFY, pNMHDR->code, 0, true) : nullptr;
    return entry && entry->handler(this, 0, reinterpret_cast<LPARAM>(pNMHDR), result);
}
